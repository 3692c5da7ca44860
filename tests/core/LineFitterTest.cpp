#include "BookGenerator.h"
#include "TestSupport.h"
#include "core/layout/LineFitter.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

// Every character is 10 pixels wide except "i" (4); tab stops every 80 pixels.
class FakeMeasurer : public TextMeasurer
{
public:
    double advance(QStringView text) const override
    {
        ++calls;
        measured += text.size();
        double w = 0;
        for (QChar c : text)
            w += c == u'i' ? 4 : 10;
        return w;
    }
    double tabStopDistance() const override { return 80; }
    mutable int calls = 0;
    mutable qint64 measured = 0;
};

struct Fitted
{
    FitPieces pieces;
    int total = 0;
};

std::unique_ptr<Fitted> fit(const QString &text, double width)
{
    auto f = std::make_unique<Fitted>();
    FakeMeasurer m;
    WordWidthCache cache;
    cutIntoPieces(text, f->pieces);
    for (FitPiece &p : f->pieces)
        if (p.used())
            wrapPiece(p, width, m, cache);
    f->total = numberFittedLines(f->pieces);
    return f;
}

QStringList allLines(const Fitted &f)
{
    QStringList lines;
    for (int n = 1; n <= f.total; ++n)
        lines << FittedLine(f.pieces, n).toString();
    return lines;
}

QString linesText(int count, int width)
{
    QString t;
    for (int i = 0; i < count; ++i) {
        if (i)
            t += QStringLiteral("\r\n");
        t += QString(width, QChar(u'a' + i % 26));
    }
    return t;
}

} // namespace

TEST(LineFitter, CuttingFollowsPieceRules)
{
    struct Case
    {
        const char *name;
        QString text;
    };
    const Case cases[] = {
        {"short", QStringLiteral("one\r\ntwo\r\nthree")},
        {"100k chars", linesText(2000, 49)},
        {"one long raw line inside", linesText(10, 49) + QStringLiteral("\r\n") +
                                         QString(9000, u'x') + QStringLiteral("\r\n") +
                                         linesText(10, 49)},
        {"ends with CR LF", linesText(300, 30) + QStringLiteral("\r\n")},
        {"lone CR at cut point", QString(1000, u'a') + QStringLiteral("\rb\r\nc") + linesText(50, 40)},
        {"generated book", generateBook(3, 300000)},
        {"empty", QString()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FitPieces pieces;
        std::vector<int> steps;
        cutIntoPieces(c.text, pieces, [&](int p) { steps.push_back(p); });
        EXPECT_EQ(steps, (std::vector<int>{10, 20, 30, 40, 50}));
        const qsizetype S = std::max<qsizetype>(c.text.size() / 40, 1000);
        // Re-joining the pieces with CR LF gives the text back, minus one final CR LF.
        QString joined;
        bool idleSeen = false;
        int used = 0;
        for (int i = 0; i < FitPieceCount; ++i) {
            const FitPiece &p = pieces[i];
            if (!p.used()) {
                idleSeen = true;
                EXPECT_TRUE(p.text.isEmpty());
                continue;
            }
            EXPECT_FALSE(idleSeen) << "used piece after an idle one";
            ++used;
            if (i > 0)
                joined += QStringLiteral("\r\n");
            joined += p.text;
            const bool isLast = i + 1 == FitPieceCount || !pieces[i + 1].used();
            if (!isLast) {
                EXPECT_GE(p.text.size(), S) << "piece " << i;
            }
        }
        // A final CR LF may stay in the last piece; it adds no line.
        QString expected = c.text;
        if (expected.endsWith(QStringLiteral("\r\n")))
            expected.chop(2);
        if (joined.endsWith(QStringLiteral("\r\n")))
            joined.chop(2);
        EXPECT_EQ(joined, expected);
        if (c.text.size() < 1000) {
            EXPECT_EQ(used, 1);
        }
    }
}

TEST(LineFitter, LongRawLineIsNeverSplitAcrossPieces)
{
    const QString longLine(30000, u'y');
    const QString text = linesText(5, 20) + QStringLiteral("\r\n") + longLine +
                         QStringLiteral("\r\n") + linesText(5, 20);
    FitPieces pieces;
    cutIntoPieces(text, pieces);
    int holding = 0;
    for (const FitPiece &p : pieces) {
        if (p.text.contains(u'y')) {
            ++holding;
            EXPECT_TRUE(p.text.contains(longLine));
        }
    }
    EXPECT_EQ(holding, 1);
}

TEST(LineFitter, LoneCrAtCutPointKeepsNextCharacter)
{
    // A lone CR right where a piece would be cut must not swallow the character after it.
    const QString text = QString(1000, u'a') + QStringLiteral("\rZ") + QString(500, u'b') +
                         QStringLiteral("\r\nq");
    const auto f = fit(text, 1e9);
    QString all = allLines(*f).join(QStringLiteral("\r\n"));
    EXPECT_EQ(all, text);
}

TEST(LineFitter, WrapsGreedilyAtSpaces)
{
    struct Case
    {
        const char *name;
        QString text;
        double width;
        QStringList lines;
    };
    const Case cases[] = {
        {"fits whole", QStringLiteral("aa bb"), 50, {QStringLiteral("aa bb")}},
        {"break after last fitting space", QStringLiteral("aa bb cc"), 50,
         {QStringLiteral("aa bb"), QStringLiteral("cc")}},
        {"trailing spaces hang", QStringLiteral("aaaa    bbbb"), 40,
         {QStringLiteral("aaaa"), QStringLiteral("bbbb")}},
        {"empty raw line", QStringLiteral("aa\r\n\r\nbb"), 50,
         {QStringLiteral("aa"), QString(), QStringLiteral("bb")}},
        {"overlong word breaks inside", QStringLiteral("abcdefgh"), 30,
         {QStringLiteral("abc"), QStringLiteral("def"), QStringLiteral("gh")}},
        {"overlong word after a short one", QStringLiteral("xy abcdefgh"), 30,
         {QStringLiteral("xy"), QStringLiteral("abc"), QStringLiteral("def"), QStringLiteral("gh")}},
        {"narrow letters count", QStringLiteral("iiiii iiiii"), 50, {QStringLiteral("iiiii iiiii")}},
        {"indent kept", QStringLiteral("  aa bb"), 50, {QStringLiteral("  aa"), QStringLiteral("bb")}},
        {"tab advances to stop", QStringLiteral("a\tb"), 90, {QStringLiteral("a\tb")}},
        {"tab past the width breaks", QStringLiteral("aaaaa bb\tc"), 85,
         {QStringLiteral("aaaaa bb"), QStringLiteral("c")}},
        {"narrower than one char", QStringLiteral("ab"), 3, {QStringLiteral("a"), QStringLiteral("b")}},
        {"surrogate pair kept whole", QString::fromUtf8("\xF0\x9F\x93\x96\xF0\x9F\x93\x96"), 25,
         {QString::fromUtf8("\xF0\x9F\x93\x96"), QString::fromUtf8("\xF0\x9F\x93\x96")}},
        {"only spaces", QStringLiteral("     "), 20, {QString()}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const auto f = fit(c.text, c.width);
        EXPECT_EQ(allLines(*f), c.lines);
    }
}

TEST(LineFitter, NoFittedLineIsWiderThanThePage)
{
    FakeMeasurer m;
    const QString book = generateBook(11, 120000);
    for (double width : {35.0, 200.0, 394.0, 1000.0}) {
        const auto f = fit(book, width);
        for (int n = 1; n <= f->total; ++n) {
            const QStringView line = FittedLine(f->pieces, n);
            if (line.contains(u'\t'))
                continue;
            ASSERT_LE(m.advance(line), width) << "line " << n << " at width " << width;
        }
    }
}

TEST(LineFitter, WordsAreMeasuredOncePerFont)
{
    FakeMeasurer m;
    WordWidthCache cache;
    LineSpans out;
    const QString text = QStringLiteral("the cat the cat the cat the cat");
    wrapRawLine(text, 0, 10000, m, cache, out);
    EXPECT_EQ(cache.size(), 3); // "the", "cat", " "
    const int before = m.calls;
    wrapRawLine(text, 0, 10000, m, cache, out);
    EXPECT_EQ(m.calls, before);
}

TEST(LineFitter, HostileTextsFitWithoutLoss)
{
    for (const HostileText &h : hostileTexts()) {
        SCOPED_TRACE(h.name);
        const auto f = fit(h.text, 300);
        EXPECT_GE(f->total, 1);
        // Every non-space character of the text appears in the fitted lines, in order.
        QString visible;
        for (const QString &l : allLines(*f))
            visible += l;
        QString expected = h.text;
        expected.remove(u' ').remove(QStringLiteral("\r\n"));
        visible.remove(u' ');
        EXPECT_EQ(visible, expected);
    }
}

TEST(LineFitter, FittedLineLookupCoversEveryPiece)
{
    const QString text = linesText(5000, 10); // 5000 raw lines, one fitted line each
    const auto f = fit(text, 1000);
    ASSERT_EQ(f->total, 5000);
    for (int n : {1, 2, 124, 125, 126, 2500, 4999, 5000}) {
        EXPECT_EQ(FittedLine(f->pieces, n).toString(), QString(10, QChar(u'a' + (n - 1) % 26)))
            << n;
    }
    int expectedFirst = 1;
    for (const FitPiece &p : f->pieces) {
        if (!p.used())
            break;
        EXPECT_EQ(p.FirstLine, expectedFirst);
        expectedFirst = p.LastLine + 1;
    }
    EXPECT_EQ(expectedFirst - 1, f->total);
}

TEST(LineFitter, ReadingPositionAndBookmarksCarryOver)
{
    struct Case
    {
        int page, linesPerPage, total, newTotal, newLinesPerPage, expectedPage;
    };
    const Case cases[] = {
        {10, 30, 3000, 4000, 30, 13}, // L0 271, L1 361, round(360/30)+1
        {1, 30, 3000, 4000, 30, 1},
        {100, 30, 3000, 1500, 30, 50},
        {5, 10, 100, 100, 20, 3}, // L1 41: round(40/20)+1
        {4, 10, 100, 100, 20, 3}, // L1 31: round(1.5)=2 (half to even)
        {6, 10, 100, 100, 20, 3}, // L1 51: round(2.5) = 2 (half to even)
    };
    for (const Case &c : cases) {
        const int L0 = (c.page - 1) * c.linesPerPage + 1;
        const int L1 = carriedLine(L0, c.newTotal, c.total);
        const int pages = pageCountFor(c.newTotal, c.newLinesPerPage);
        const int got = pageOfCarriedLine(L1, c.newLinesPerPage, pages);
        EXPECT_EQ(got, c.expectedPage) << "from page " << c.page;
    }
    EXPECT_EQ(carriedLine(271, 4000, 3000), 361);
    EXPECT_EQ(carriedLine(5, 4000, 0), 1);
    EXPECT_EQ(carriedLine(3000, 10, 3000), 10);

    EXPECT_EQ(movedBookmarkPage(1, 30, 3000, 3000, 30), 1);
    EXPECT_EQ(movedBookmarkPage(7, 30, 3000, 3000, 30), 7);
    EXPECT_EQ(movedBookmarkPage(10, 30, 4000, 3000, 30), 13);
    // The last page can move one beyond the page count: bookmarks are not clamped.
    EXPECT_EQ(movedBookmarkPage(100, 30, 3000, 3000, 20), 150);
    EXPECT_EQ(pageCountFor(3000, 20), 150);
}

TEST(LineFitter, PageCountArithmetic)
{
    EXPECT_EQ(pageCountFor(25, 10), 3);
    EXPECT_EQ(pageCountFor(1, 10), 1);
    EXPECT_EQ(pageCountFor(30, 10), 3);
    EXPECT_EQ(pageCountFor(31, 10), 4);
}

TEST(LineFitter, BlankLinesAtAPieceCutAreAllKept)
{
    // The first cut falls near position 1001; the run of blank lines before the chapter moves
    // across it, one character at a time.
    for (int length = 990; length <= 1010; ++length) {
        SCOPED_TRACE(length);
        QString text = QString(length, u'a') + QStringLiteral("\r\n\r\n\r\nCHAPTER 1\r\n");
        for (int i = 0; i < 60; ++i)
            text += QStringLiteral("more text of the chapter\r\n");
        text += QStringLiteral("\r\n\r\nend");
        const auto f = fit(text, 1e6);
        ASSERT_TRUE(f->pieces[1].used());
        EXPECT_EQ(allLines(*f), text.split(QStringLiteral("\r\n")));
    }
}

TEST(LineFitter, NoLineAfterTheFinalBreakOfTheWholeText)
{
    for (const QString &ending : {QStringLiteral("\r\n"), QStringLiteral("\r\n\r\n")}) {
        for (int length = 995; length <= 1003; ++length) {
            SCOPED_TRACE(length);
            const QString text = QString(length, u'a') + ending;
            QStringList lines = text.split(QStringLiteral("\r\n"));
            lines.removeLast();
            EXPECT_EQ(allLines(*fit(text, 1e6)), lines);
        }
    }
}

// A run without spaces is cut into full lines, each measured about once whatever the page width,
// so that a file of one 50 MB line opens in linear time.
TEST(LineFitterTest, LongRunsAreMeasuredAboutOnce)
{
    const qsizetype length = 210000;
    const QString run(length, u'a');
    for (const int perLine : {10, 300}) {
        SCOPED_TRACE(perLine);
        FakeMeasurer m;
        WordWidthCache cache;
        LineSpans lines;
        wrapRawLine(run, 0, perLine * 10.0, m, cache, lines);
        ASSERT_EQ(qsizetype(lines.size()), length / perLine);
        for (size_t i = 0; i < lines.size(); ++i)
            ASSERT_EQ(lines[i].length, perLine) << i;
        EXPECT_LT(m.measured, 6 * length);
    }
}
