#pragma once

#include "core/text/TextDecoding.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// The code pages a reader can choose for a book, by the names the menu shows and the settings
// file keeps: "UTF-8", "UTF-16", "Windows-1250" ... "EUC-KR".
const QStringList &codePageNames();

// The code page a stored value names, matched without regard to case; empty for "Automatic",
// an empty value and any value that names no code page of the list.
QString codePageFromSetting(const QString &value);

// The value stored for a code page; "Automatic" for none.
QString codePageSetting(const QString &codePage);

// Bytes read in a chosen code page: every sequence the code page does not know becomes U+FFFD,
// so that nothing of the file is hidden. UTF-8 and UTF-16 skip their byte-order mark; UTF-16
// without one is taken as little-endian unless the bytes show big-endian ASCII. The text ends
// at its first NUL character.
DecodedText decodeInCodePage(const QByteArray &bytes, const QString &codePage);

// The bytes of text written in a chosen code page, UTF-16 little-endian with a byte-order mark;
// false when decodeInCodePage would not give the text back.
bool encodeInCodePage(const QString &text, const QString &codePage, QByteArray &out);

// The name of the code page an automatic decision read a text in ("KOI8-R", "UTF-8"), a name of
// the list where there is one.
QString codePageInUse(TextEncoding encoding, const QByteArray &encodingName);
