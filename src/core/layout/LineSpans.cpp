#include "core/layout/LineSpans.h"

#include <algorithm>

void LineSpans::push_back(LineSpan span)
{
    const size_t i = packed.size();
    if (i > 0) {
        // The line before learns where this one starts.
        const qint64 g = span.start - lastEnd;
        const bool hyphenated = joins(i - 1) && gapCode(i - 1) == kHyphenCode;
        // A joining line's gap is 0; one that is not would read as hyphenated.
        const qint64 limit = joins(i - 1) ? kHyphenCode : kLongGap;
        if (hyphenated ? g != 0 : (g < 0 || g >= limit)) {
            // Only a line that does not end where the next starts loses its hyphen.
            packed.back() |= quint16(kLongGap << kLengthBits);
            asideFor(i - 1, length(i - 1)).gap = qint32(g);
        } else if (!hyphenated) {
            packed.back() |= quint16(g << kLengthBits);
        }
    }
    if (i % kBlock == 0)
        blockStarts.push_back(span.start);
    const auto len = quint32(span.length);
    quint32 word = quint32(span.joinsNext) << (kLengthBits + kGapBits);
    if (span.joinsNext && span.hyphenated)
        word |= kHyphenCode << kLengthBits;
    if (len < kLongLength) {
        word |= len;
        packed.push_back(quint16(word));
    } else {
        packed.push_back(quint16(word | kLongLength));
        asideFor(i, span.length);
    }
    lastEnd = qint64(span.start) + span.length;
}

LineSpans::Aside &LineSpans::asideFor(size_t i, qint32 knownLength)
{
    if (aside.empty() || aside.back().line != i)
        aside.push_back({i, knownLength, 0});
    return aside.back();
}

const LineSpans::Aside &LineSpans::asideOf(size_t i) const
{
    return *std::lower_bound(aside.begin(), aside.end(), i,
                             [](const Aside &a, size_t line) { return a.line < line; });
}

qint32 LineSpans::length(size_t i) const
{
    const quint32 len = packed[i] & kLongLength;
    return len == kLongLength ? asideOf(i).length : qint32(len);
}

qint32 LineSpans::gap(size_t i) const
{
    const quint32 g = gapCode(i);
    if (g == kLongGap)
        return asideOf(i).gap;
    return g == kHyphenCode && joins(i) ? 0 : qint32(g);
}

LineSpan LineSpans::operator[](size_t i) const
{
    const size_t first = i - i % kBlock;
    qint64 start = blockStarts[i / kBlock];
    for (size_t j = first; j < i; ++j)
        start += length(j) + gap(j);
    LineSpan span;
    span.start = qint32(start);
    span.length = length(i);
    span.joinsNext = joins(i) ? 1 : 0;
    span.hyphenated = span.joinsNext && gapCode(i) == kHyphenCode ? 1 : 0;
    return span;
}

void LineSpans::clear()
{
    packed.clear();
    blockStarts.clear();
    aside.clear();
    lastEnd = 0;
}

void LineSpans::reserve(size_t lines)
{
    packed.reserve(lines);
    blockStarts.reserve(lines / kBlock + 1);
}

size_t LineSpans::storedBytes() const
{
    return packed.capacity() * sizeof(quint16) + blockStarts.capacity() * sizeof(qint32) +
           aside.capacity() * sizeof(Aside);
}
