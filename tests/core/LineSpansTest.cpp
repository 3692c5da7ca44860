#include "core/layout/LineSpans.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

LineSpan span(qint32 start, qint32 length, bool joins = false, bool hyphenated = false)
{
    LineSpan s;
    s.start = start;
    s.length = length;
    s.joinsNext = joins ? 1 : 0;
    s.hyphenated = hyphenated ? 1 : 0;
    return s;
}

void expectSame(const LineSpans &stored, const std::vector<LineSpan> &expected)
{
    ASSERT_EQ(stored.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const LineSpan got = stored[i];
        ASSERT_EQ(got.start, expected[i].start) << "line " << i;
        ASSERT_EQ(got.length, expected[i].length) << "line " << i;
        ASSERT_EQ(got.joinsNext, expected[i].joinsNext) << "line " << i;
        ASSERT_EQ(got.hyphenated, expected[i].hyphenated) << "line " << i;
    }
}

} // namespace

// Lines come back as they went in, also where a length or a gap is too large for its field, a
// wrap starts over at an earlier position, or a block of sixteen begins.
TEST(LineSpansTest, LinesComeBackAsTheyWentIn)
{
    struct Case
    {
        const char *name;
        std::vector<LineSpan> lines;
    };
    std::vector<Case> cases = {
        {"one empty line", {span(0, 0)}},
        {"lines end to end, joined", {span(0, 5, true), span(5, 7, true), span(12, 1)}},
        {"a line of two million units", {span(3, 2'100'000), span(2'100'005, 4)}},
        {"lines around the long length", {span(0, 2046), span(2048, 2047), span(4095, 2048)}},
        {"a run of 5,000 spaces between lines", {span(0, 10), span(5010, 10), span(5022, 3)}},
        {"gaps around the widest kept", {span(0, 1), span(15, 1), span(31, 1), span(46, 1)}},
        {"starting over at 0", {span(0, 10), span(12, 10), span(0, 10), span(12, 4)}},
        {"a long line that starts over", {span(100, 3'000'000), span(0, 2)}},
        {"hyphenated lines", {span(0, 5, true, true), span(5, 7, true), span(12, 3, true, true),
                              span(15, 4, true, true), span(19, 1)}},
        // The gap that a hyphenated line's field stands for, on a joining line that is not.
        {"joining lines 14 and 15 apart", {span(0, 5, true), span(19, 5, true), span(39, 2)}},
        {"a hyphenated long line", {span(0, 4000, true, true), span(4000, 3)}},
    };
    // Ordinary text crossing block boundaries, with a long line and a long gap in the middle.
    std::vector<LineSpan> book;
    std::mt19937 random(5);
    qint32 at = 0;
    for (int i = 0; i < 5000; ++i) {
        const auto length = qint32(i == 1700 ? 3'000'000 : random() % 90 + (i % 500 == 7) * 3000);
        const bool joins = random() % 7 == 0;
        const bool hyphenated = joins && random() % 2 == 0;
        book.push_back(span(at, length, joins, hyphenated));
        at += length +
              (hyphenated ? 0 : qint32(i == 2222 ? 70'000 : random() % 4 + (i % 300 == 5) * 20));
    }
    cases.push_back({"a generated piece", book});
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        LineSpans stored;
        for (const LineSpan &s : c.lines)
            stored.push_back(s);
        expectSame(stored, c.lines);
        EXPECT_EQ(stored.back().start, c.lines.back().start);
        stored.clear();
        EXPECT_TRUE(stored.empty());
        stored.push_back(span(7, 3));
        expectSame(stored, {span(7, 3)});
    }
}

TEST(LineSpansTest, OrdinaryLinesTakeAboutTwoBytes)
{
    LineSpans stored;
    stored.reserve(16000);
    for (qint32 i = 0; i < 16000; ++i)
        stored.push_back(span(i * 63, 60));
    EXPECT_LE(stored.storedBytes(), size_t(16000 * 2 + 16000 / 16 * 4 + 64));
}
