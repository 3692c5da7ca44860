#pragma once

#include <QByteArrayView>
#include <QString>

#include <functional>

// What decodeUtf8Document found.
struct Utf8Decoding
{
    bool valid = false;       // the bytes before the first NUL are valid UTF-8
    bool sameAsBytes = false; // the text's UTF-8 is those bytes: no line end was changed
    qsizetype bytesUsed = 0;  // the bytes before the first NUL
    bool unread = false;      // reading the bytes failed: nothing was decoded
};

// Decodes UTF-8 in one pass straight into the reader's text: it ends at the first NUL, and
// every lone CR, lone LF and line or paragraph separator becomes CR LF. Nothing is kept in out
// when the bytes are not valid UTF-8. progress(bytesDone) is called now and then, on the calling
// thread. A large text is decoded on up to `threads` threads, with the same result.
Utf8Decoding decodeUtf8Document(QByteArrayView bytes, QString &out,
                                const std::function<void(qsizetype bytesDone)> &progress = {},
                                int threads = 1);

// Reads count bytes from offset from into `into`; false when not all of them could be read.
using Utf8PartRead = std::function<bool(qsizetype from, qsizetype count, char *into)>;

// As decodeUtf8Document, for `size` bytes read part by part (on the threads that decode them):
// besides the text, only a part of a few megabytes per thread is held, never the bytes whole.
// On four threads or more every part is read twice, once to count its units and once to decode
// it into its place; on fewer, once.
Utf8Decoding decodeUtf8Parts(qsizetype size, const Utf8PartRead &read, QString &out,
                             const std::function<void(qsizetype bytesDone)> &progress = {},
                             int threads = 1);
