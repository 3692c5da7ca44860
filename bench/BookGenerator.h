#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>

// Synthetic books shaped like scanned public-domain texts: paragraphs broken at 72 columns or
// less by single line breaks, an empty line between paragraphs, indented verse, and chapter
// headings after four empty lines. The same seed and size always give the same book.
QString generateBook(std::uint64_t seed, qsizetype approximateChars);

// The book as UTF-8 bytes with CR LF line ends.
QByteArray generateBookBytes(std::uint64_t seed, qsizetype approximateChars);

// Books whose chapters are found by their headings, each in a style readers meet:
enum class HeadingStyle {
    EnglishRoman,  // "CHAPTER XII." after two blank lines; letters after two blank lines too
    EnglishArabic, // "Chapter 12" after one blank line, one between all paragraphs
    Chinese, // "第十二章 标题", one blank line between all paragraphs, a paragraph a line
    Russian, // "Глава 12" after one blank line
};

struct StyledBook
{
    QString text;         // CR LF line ends
    QStringList headings; // every chapter heading line, in order; nothing else reads as one
};

// Besides its chapters the book holds lines that look like headings to a careless reader
// ("Chapter and verse ...", a date, a numbered list item) and, in the English styles, letters
// that follow blank lines as chapters do.
StyledBook generateStyledBook(HeadingStyle style, std::uint64_t seed, qsizetype approximateChars);

// The style for a name: roman, arabic, chinese, russian; nothing for another name.
bool headingStyleFromName(const QString &name, HeadingStyle *style);

// A Chinese novel: paragraphs of 100 to 400 ideographs with "，" and "。", one paragraph per
// line and an empty line between, chapter headings now and then. Ideographs come from a pool
// of 3500 with a skewed frequency, as in real text. approximateChars counts UTF-16 units (a
// third of the UTF-8 size).
QString generateChineseBook(std::uint64_t seed, qsizetype approximateChars);
