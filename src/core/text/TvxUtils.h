#pragma once

#include "core/text/TextDecoding.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <array>

// One character reference: its name ("amp") or number ("#38") and what it stands for, a string
// of zero or one character.
struct HtmlEntityRow
{
    QStringView key;
    QStringView replacement;
};

inline constexpr int HtmlEntityCount = 284;

// Keys are unique and case-sensitive; the first row whose key equals a reference wins.
extern const std::array<HtmlEntityRow, HtmlEntityCount> HtmlEntityTable;

// The text of an HTML page in one pass: body text only, block tags as line breaks, tabs, rules
// and list dashes, white space collapsed outside PRE, references resolved, emphasis upper-cased.
// The page ends at its first NUL character.
QString HtmlToText(const QString &page);

// Byte-order mark, else valid UTF-8, else a charset declared by a meta tag in the first
// 2,048 bytes when a codec knows it (a Latin-1 label meaning Windows-1252), else
// decodeLegacyBytes. The text ends at its first NUL.
DecodedText decodeHtmlBytes(const QByteArray &bytes);
