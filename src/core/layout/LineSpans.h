#pragma once

#include <QtGlobal>

#include <cstddef>
#include <vector>

// One fitted line: a slice of its piece's text.
struct LineSpan
{
    qint32 start = 0;
    qint32 length : 30 = 0;
    // The raw line goes on in the next fitted line with no space consumed between them (a break
    // between ideographs, between Thai words, or inside a word cut for width): find and copy join
    // the two lines without a blank.
    quint32 joinsNext : 1 = 0;
    // Broken at a hyphenation point: drawn with a hyphen, joined like any joinsNext line.
    quint32 hyphenated : 1 = 0;
};
static_assert(sizeof(LineSpan) == 8);

// The fitted lines of one piece in about two bytes a line: a book of hundreds of megabytes has
// millions of lines. Each line keeps its length and the distance from its end to the next line's
// start (its trailing spaces and line break); every sixteenth line keeps its start. A line longer
// than its field or a wider gap is kept aside, at more cost but rarely.
class LineSpans
{
public:
    void push_back(LineSpan span);
    LineSpan operator[](size_t i) const;
    LineSpan back() const { return (*this)[size() - 1]; }
    size_t size() const { return packed.size(); }
    bool empty() const { return packed.empty(); }
    void clear();
    void reserve(size_t lines);
    // Bytes held, for measuring.
    size_t storedBytes() const;

private:
    static constexpr size_t kBlock = 16;
    static constexpr quint32 kLengthBits = 11;
    static constexpr quint32 kGapBits = 4;
    static constexpr quint32 kLongLength = (1u << kLengthBits) - 1;
    static constexpr quint32 kLongGap = (1u << kGapBits) - 1;
    // The gap field of a joining line, which has no gap: hyphenated.
    static constexpr quint32 kHyphenCode = kLongGap - 1;

    struct Aside
    {
        size_t line;
        qint32 length;
        qint32 gap;
    };
    qint32 length(size_t i) const;
    qint32 gap(size_t i) const;
    quint32 gapCode(size_t i) const { return (packed[i] >> kLengthBits) & kLongGap; }
    bool joins(size_t i) const { return packed[i] >> (kLengthBits + kGapBits); }
    Aside &asideFor(size_t i, qint32 knownLength);
    const Aside &asideOf(size_t i) const;

    // length : 11, gap : 4, joinsNext : 1; a field of all ones is kept aside; a joining line's
    // gap field holds kHyphenCode when it is hyphenated
    std::vector<quint16> packed;
    std::vector<qint32> blockStarts;
    std::vector<Aside> aside; // by line, ascending
    qint64 lastEnd = 0;       // where the last line pushed ends
};
