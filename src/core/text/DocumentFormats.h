#pragma once

#include "core/text/PlainTextDecoding.h"
#include "core/text/TextDecoding.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

// The plain text a document's bytes turn into, chosen by the file-name extension alone.
struct ConversionResult
{
    bool ok = true;
    QString text;
    TextEncoding encoding = TextEncoding::Utf8;
    QByteArray encodingName;
    QString error; // why ok is false
    // The text in UTF-8 when that is the document's first utf8Size bytes, shared with them;
    // null otherwise.
    QByteArray utf8;
    qsizetype utf8Size = 0;
    // Bytes after the first NUL, which ends the text, that are not NUL themselves: not shown.
    qint64 hiddenAfterNul = 0;
};

// "The text ends at a NUL character; 2.1 MB after it are not shown"
QString hiddenAfterNulNotice(qint64 hiddenBytes);

// The part of the file name from its last "." on, upper-cased; empty when there is none.
QString upperExtension(const QString &fileName);

// codePage: a code page of codePageNames() the reader chose for a plain text or HTML document,
// read in it whatever the bytes declare; empty for the automatic decision. RTF names its own.
// progress receives percentages while plain text is decoded; a large UTF-8 text is decoded on up
// to `threads` threads.
ConversionResult ConvertByExtension(const QByteArray &raw, const QString &upperExt,
                                    const QString &codePage = {},
                                    const std::function<void(int percent)> &progress = {},
                                    int threads = 1);

// The plain text of a document in UTF-8 of `size` bytes read part by part through `read`, as
// ConvertByExtension gives it for those bytes with no code page chosen, without ever holding the
// bytes whole; ok is false when a read failed. Nothing when the bytes are not UTF-8 (or carry a
// UTF-16 mark): the caller then reads them whole for the other decoders. The text's UTF-8 is not
// kept (utf8 stays null).
std::optional<ConversionResult> ConvertUtf8Parts(qint64 size, const Utf8PartRead &read,
                                                 const std::function<void(int percent)> &progress,
                                                 int threads);

// Drops every CR and LF at the start and every CR, LF, tab and space at the end.
QString TrimDocumentText(const QString &text);
