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
