#include "core/layout/LineSpans.h"

#include <algorithm>

void LineSpans::push_back(LineSpan span)
{
    const size_t i = packed.size();
    if (i > 0) {
        // The line before learns where this one starts.
        const qint64 g = span.start - lastEnd;
        if (g >= 0 && g < kLongGap) {
            packed.back() |= quint16(g << kLengthBits);
        } else {
            packed.back() |= quint16(kLongGap << kLengthBits);
            asideFor(i - 1, length(i - 1)).gap = qint32(g);
        }
    }
    if (i % kBlock == 0)
        blockStarts.push_back(span.start);
    const auto len = quint32(span.length);
    quint32 word = quint32(span.joinsNext) << (kLengthBits + kGapBits);
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
    const quint32 g = (packed[i] >> kLengthBits) & kLongGap;
    return g == kLongGap ? asideOf(i).gap : qint32(g);
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
    span.joinsNext = packed[i] >> (kLengthBits + kGapBits);
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
