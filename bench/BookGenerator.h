#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

// Synthetic books shaped like scanned public-domain texts: paragraphs broken at 72 columns or
// less by single line breaks, an empty line between paragraphs, indented verse, and chapter
// headings after four empty lines. The same seed and size always give the same book.
QString generateBook(std::uint64_t seed, qsizetype approximateChars);

// The book as UTF-8 bytes with CR LF line ends.
QByteArray generateBookBytes(std::uint64_t seed, qsizetype approximateChars);

// A Chinese novel: paragraphs of 100 to 400 ideographs with "，" and "。", one paragraph per
// line and an empty line between, chapter headings now and then. Ideographs come from a pool
// of 3500 with a skewed frequency, as in real text. approximateChars counts UTF-16 units (a
// third of the UTF-8 size).
QString generateChineseBook(std::uint64_t seed, qsizetype approximateChars);
