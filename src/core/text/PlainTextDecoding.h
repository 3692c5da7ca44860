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
};

// Decodes UTF-8 in one pass straight into the reader's text: it ends at the first NUL, and
// every lone CR, lone LF and line or paragraph separator becomes CR LF. Nothing is kept in out
// when the bytes are not valid UTF-8. progress(bytesDone) is called now and then, on the calling
// thread. A large text is decoded on up to `threads` threads, with the same result.
Utf8Decoding decodeUtf8Document(QByteArrayView bytes, QString &out,
                                const std::function<void(qsizetype bytesDone)> &progress = {},
                                int threads = 1);
