#include "core/layout/ParallelFit.h"

#include "BookGenerator.h"
#include "TestSupport.h"
#include "core/layout/LineBreakRemoval.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

namespace {

// Widths that differ by character, so that a wrong cache entry changes the lines; safe to share.
class CharMeasurer : public TextMeasurer
{
public:
    explicit CharMeasurer(std::atomic<int> *calls = nullptr) : calls(calls) {}
    double advance(QStringView text) const override
    {
        // Words only: lines near the page edge are measured whole at every fit.
        if (calls && !text.contains(u' '))
            ++*calls;
        double w = 0;
        for (QChar c : text)
            w += 3 + c.unicode() % 7;
        return w;
    }
    double tabStopDistance() const override { return 48; }

private:
    std::atomic<int> *calls;
};

struct Fit
{
    QStringList lines;
    QList<bool> joins;
};

Fit fitWith(const QString &text, double width, int threads, WordWidthCache &cache,
            std::atomic<int> *calls = nullptr, std::vector<int> *steps = nullptr)
{
    FitPieces pieces;
    cutIntoPieces(text, pieces);
    const CharMeasurer measurer(calls);
    wrapPieces(
        pieces, width, measurer, [calls] { return std::make_unique<CharMeasurer>(calls); }, cache,
        threads,
        [steps](int done, int) {
            if (steps)
                steps->push_back(done);
        });
    const int total = numberFittedLines(pieces);
    Fit f;
    for (int n = 1; n <= total; ++n) {
        f.lines << FittedLine(pieces, n).toString();
        f.joins << FittedLineJoinsNext(pieces, n);
    }
    return f;
}

} // namespace

TEST(ParallelFit, ManyThreadsGiveTheLinesOfOne)
{
    QString joined = generateBook(21, 200000);
    RemoveSingleLineBreaks(joined, LineBreakRules{});
    std::vector<HostileText> texts = {{"generated book", generateBook(20, 200000)},
                                      {"joined book", joined},
                                      {"Chinese book", generateChineseBook(20, 30000)}};
    const size_t books = texts.size();
    for (const HostileText &h : hostileTexts())
        texts.push_back(h);
    for (size_t i = 0; i < texts.size(); ++i) {
        const HostileText &t = texts[i];
        SCOPED_TRACE(t.name);
        // Narrow pages cut the megabyte lines of the hostile texts into too many lines to be quick.
        for (double width : {40.0, 300.0}) {
            if (i >= books && width < 100)
                continue;
            WordWidthCache one;
            const Fit expected = fitWith(t.text, width, 1, one);
            for (int threads : {3}) {
                WordWidthCache many;
                const Fit got = fitWith(t.text, width, threads, many);
                ASSERT_EQ(got.lines, expected.lines) << threads << " threads, width " << width;
                ASSERT_EQ(got.joins, expected.joins);
                // A refit over the widths the threads gathered agrees as well.
                ASSERT_EQ(fitWith(t.text, width, threads, many).lines, expected.lines);
            }
        }
    }
}

TEST(ParallelFit, WidthsMeasuredOnThreadsAreKeptForTheNextFit)
{
    const QString text = generateBook(8, 200000);
    WordWidthCache cache;
    std::atomic<int> calls{0};
    std::vector<int> steps;
    fitWith(text, 300, 3, cache, &calls, &steps);
    EXPECT_GT(calls.load(), 0);
    // Every piece done is reported once, in order, on the calling thread.
    std::vector<int> expected(FitPieceCount);
    for (int i = 0; i < FitPieceCount; ++i)
        expected[i] = i + 1;
    EXPECT_EQ(steps, expected);
    calls = 0;
    const qsizetype words = cache.size();
    fitWith(text, 300, 3, cache, &calls);
    EXPECT_EQ(calls.load(), 0);
    EXPECT_EQ(cache.size(), words);
}

// A text of one long line is one piece: the calling thread tells how far it has come inside it.
TEST(ParallelFit, OneLongLineReportsItsProgress)
{
    const QString text(1500000, u'x');
    FitPieces pieces;
    cutIntoPieces(text, pieces);
    const CharMeasurer measurer;
    WordWidthCache cache;
    std::vector<double> shares;
    wrapPieces(pieces, 300, measurer, {}, cache, 1,
               [&shares](int done, int used) { shares.push_back(double(done) / used); });
    ASSERT_GE(shares.size(), 4u);
    EXPECT_GT(shares.front(), 0.0);
    EXPECT_LT(shares[shares.size() - 2], 1.0);
    EXPECT_EQ(shares.back(), 1.0);
    EXPECT_TRUE(std::is_sorted(shares.begin(), shares.end()));
}
