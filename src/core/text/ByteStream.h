#pragma once

#include <QtGlobal>

// Bytes read in order from the start, a block at a time, so that a search never holds more.
class ByteStream
{
public:
    virtual ~ByteStream() = default;

    // Bytes put into buffer; 0 at the end, -1 when the bytes cannot be read.
    virtual qint64 read(char *buffer, qint64 size) = 0;
    // Starts over from the first byte; false when that is impossible.
    virtual bool rewind() = 0;
};
