#include "core/book/FindInBook.h"
#include "core/layout/Hyphenation.h"
#include "core/layout/LineFitter.h"
#include "core/text/Saving.h"

#include <gtest/gtest.h>

namespace {

// Every character is 10 pixels wide except "i" (4) and the soft hyphen (0, as drawn).
class FakeMeasurer : public TextMeasurer
{
public:
    double advance(QStringView text) const override
    {
        double w = 0;
        for (QChar c : text)
            w += c == u'i' ? 4 : c.unicode() == 0x00AD ? 0 : 10;
        return w;
    }
    double tabStopDistance() const override { return 80; }
};

struct Fitted
{
    FitPieces pieces;
    int total = 0;
    QStringList lines;      // a hyphenated line with "-" after it
    QList<bool> hyphenated; // per line
};

std::unique_ptr<Fitted> fit(const QString &text, double width, const Hyphenator *hyphenator)
{
    auto f = std::make_unique<Fitted>();
    FakeMeasurer m;
    WordWidthCache cache;
    cutIntoPieces(text, f->pieces);
    for (FitPiece &p : f->pieces)
        if (p.used())
            wrapPiece(p, width, m, cache, hyphenator);
    f->total = numberFittedLines(f->pieces);
    for (int n = 1; n <= f->total; ++n) {
        const bool h = FittedLineHyphenated(f->pieces, n);
        f->hyphenated << h;
        f->lines << FittedLine(f->pieces, n).toString() + (h ? QStringLiteral("-") : QString());
    }
    return f;
}

std::shared_ptr<const Hyphenator> english()
{
    return hyphenatorFor(QLocale::English);
}

struct FitCase
{
    const char16_t *text;
    double width;
    QStringList expected;
};

class HyphenatedFit : public ::testing::TestWithParam<FitCase>
{
};

TEST_P(HyphenatedFit, BreaksAtTheLastPointThatFits)
{
    const auto hyphenator = english();
    if (!hyphenator)
        GTEST_SKIP() << "hyphen-en-us is not installed";
    const FitCase &c = GetParam();
    const auto f = fit(QString::fromUtf16(c.text), c.width, hyphenator.get());
    EXPECT_EQ(f->lines.join(u'|').toStdString(), c.expected.join(u'|').toStdString());
}

INSTANTIATE_TEST_SUITE_P(
    Words, HyphenatedFit,
    ::testing::Values(
        // "The hyphen-" is 110 of 120 pixels; "The hyphenation" would be 144.
        FitCase{u"The hyphenation of words", 120, {"The hyphen-", "ation of", "words"}},
        // One pixel less and only "hy-" fits.
        FitCase{u"The hyphenation of words", 109, {"The hy-", "phenation", "of words"}},
        // Words the rules keep whole go to the next line and are cut for width as without
        // hyphenation, with no hyphen drawn.
        FitCase{u"The representation2000", 120, {"The", "representati", "on2000"}},
        FitCase{u"The REPRESENTATION", 120, {"The", "REPRESENTATI", "ON"}},
        FitCase{u"The well-represented", 120, {"The", "well-represe", "nted"}},
        FitCase{u"See www.representation.org", 150, {"See", "www.representat", "ion.org"}},
        // A paragraph's last line and the line before a break are never hyphenated.
        FitCase{u"a hyphenation\r\nhyphenation", 400, {"a hyphenation", "hyphenation"}}));

TEST(HyphenatedFitTest, NoLineIsWiderThanThePageWithItsHyphen)
{
    const auto hyphenator = english();
    if (!hyphenator)
        GTEST_SKIP() << "hyphen-en-us is not installed";
    const QString text = QStringLiteral(
        "It is a truth universally acknowledged, that a single man in possession of a good "
        "fortune, must be in want of a wife. However little known the feelings or views of such "
        "a man may be on his first entering a neighbourhood, this truth is so well fixed in the "
        "minds of the surrounding families, that he is considered the rightful property of some "
        "one or other of their daughters.");
    FakeMeasurer m;
    int hyphenatedLines = 0;
    for (double width = 60; width <= 400; width += 7) {
        SCOPED_TRACE(width);
        const auto f = fit(text, width, hyphenator.get());
        for (const QString &line : f->lines) {
            // A single word wider than the page is cut as before: one character at least.
            if (line.size() > 1) {
                EXPECT_LE(m.advance(line), width) << line.toStdString();
            }
        }
        hyphenatedLines += int(f->hyphenated.count(true));
        // The words come back whole when the lines are joined as copy joins them.
        QString joined;
        for (int n = 1; n <= f->total; ++n) {
            joined += FittedLine(f->pieces, n);
            if (n < f->total && !FittedLineJoinsNext(f->pieces, n))
                joined += u' ';
        }
        EXPECT_EQ(joined.toStdString(), text.toStdString());
    }
    EXPECT_GT(hyphenatedLines, 20);
}

TEST(HyphenatedFitTest, NeverMoreThanTwoHyphenatedLinesInARow)
{
    const auto hyphenator = english();
    if (!hyphenator)
        GTEST_SKIP() << "hyphen-en-us is not installed";
    // Long words only, in a column where each of them has to be broken.
    QString text;
    for (int i = 0; i < 40; ++i)
        text += QStringLiteral("responsibilities incomprehensibility ");
    const auto f = fit(text.trimmed(), 110, hyphenator.get());
    int run = 0;
    int longest = 0;
    for (bool h : f->hyphenated) {
        run = h ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    EXPECT_EQ(longest, 2);
}

TEST(HyphenatedFitTest, SoftHyphensBreakWithoutPatterns)
{
    const Hyphenator none(QStringLiteral("/nonexistent/hyph_xx.dic"));
    const QString text = QStringLiteral("The repre\u00ADsen\u00ADtation of");
    const auto f = fit(text, 110, &none);
    const QStringList expected = {QStringLiteral("The repre\u00AD-"),
                                  QStringLiteral("sen\u00ADtation"), QStringLiteral("of")};
    EXPECT_EQ(f->lines, expected);
    // Without a hyphenator the soft hyphens are ordinary characters of the word.
    const auto plain = fit(text, 110, nullptr);
    EXPECT_FALSE(plain->hyphenated.contains(true));
}

TEST(HyphenatedFitTest, CopyAndFindSeeTheWordWhole)
{
    const auto hyphenator = english();
    if (!hyphenator)
        GTEST_SKIP() << "hyphen-en-us is not installed";
    const auto f = fit(QStringLiteral("The hyphenation of words"), 120, hyphenator.get());
    ASSERT_TRUE(FittedLineHyphenated(f->pieces, 1));
    const auto joins = [&](int n) { return FittedLineJoinsNext(f->pieces, n); };
    // A selection of both lines as the page control gives it.
    const QString selected = QStringLiteral("The hyphen\u2029ation of");
    EXPECT_EQ(JoinSelectionLines(selectionLinesForCopy(selected, 1, joins)),
              QStringLiteral("The hyphenation of"));

    BookLines book;
    book.line = [&](int n) { return FittedLine(f->pieces, n); };
    book.joinsNext = joins;
    book.totalLines = f->total;
    book.linesPerPage = 10;
    const QString search = QStringLiteral("HYPHENATION");
    const FindMatch match =
        MatchAtLine(book, FirstWord(search), search, Qt::CaseInsensitive, 1, 5, 1);
    EXPECT_TRUE(match.found);
}

} // namespace
