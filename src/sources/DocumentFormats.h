#pragma once

#include "TextDecoding.h"

#include <QByteArray>
#include <QString>

// The plain text a document's bytes turn into, chosen by the file-name extension alone.
struct ConversionResult
{
    bool ok = true;
    QString text;
    TextEncoding encoding = TextEncoding::Utf8;
    QByteArray encodingName;
    QString error; // why ok is false
};

// The part of the file name from its last "." on, upper-cased; empty when there is none.
QString upperExtension(const QString &fileName);

// codePage: a code page of codePageNames() the reader chose for a plain text or HTML document,
// read in it whatever the bytes declare; empty for the automatic decision. RTF names its own.
ConversionResult ConvertByExtension(const QByteArray &raw, const QString &upperExt,
                                    const QString &codePage = {});

// Drops every CR and LF at the start and every CR, LF, tab and space at the end.
QString TrimDocumentText(const QString &text);
