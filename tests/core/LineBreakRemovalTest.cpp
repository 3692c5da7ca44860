#include "core/layout/LineBreakRemoval.h"

#include "BookGenerator.h"
#include "TestSupport.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <cctype>
#include <iterator>
#include <random>

#include <vector>

namespace {

enum Rules { Default, NoIndent, WithPunctuation, NoIndentWithPunctuation, EmptyMarks };

LineBreakRules rulesFor(Rules r)
{
    LineBreakRules rules;
    rules.keepBeforeIndent = r == Default || r == WithPunctuation || r == EmptyMarks;
    rules.keepAfterPunctuation =
        r == WithPunctuation || r == NoIndentWithPunctuation || r == EmptyMarks;
    if (r == EmptyMarks)
        rules.punctuationMarks.clear();
    return rules;
}

QString removed(const QString &text, Rules r)
{
    QString s = text;
    RemoveSingleLineBreaks(s, rulesFor(r));
    return s;
}

qsizetype countParagraphBreaks(const QString &s)
{
    qsizetype n = 0;
    for (qsizetype i = s.indexOf(u"\r\n\r\n"); i >= 0; i = s.indexOf(u"\r\n\r\n", i + 1))
        ++n;
    return n;
}

QString withoutBlanks(QString s)
{
    s.remove(u'\r');
    s.remove(u'\n');
    s.remove(u' ');
    return s;
}

struct JoinCase
{
    const char *name;
    const char16_t *input;
    Rules rules;
    const char16_t *expected;
};

const JoinCase joinCases[] = {
    {"paragraphs", u"one\r\ntwo\r\n\r\nthree", Default, u"one two\r\n\r\nthree"},
    {"indent kept", u"one\r\n  two", Default, u"one\r\n  two"},
    {"indent joined without extra space", u"one\r\n  two", NoIndent, u"one  two"},
    {"tab indent kept", u"one\r\n\ttwo", Default, u"one\r\n\ttwo"},
    {"tab is not a space", u"one\r\n\ttwo", NoIndent, u"one \ttwo"},
    {"hyphen joins word halves", u"exam-\r\nple", Default, u"exam-ple"},
    {"dash after space", u"word -\r\nnext", Default, u"word - next"},
    {"double hyphen joins", u"word--\r\nnext", Default, u"word--next"},
    {"dash after spaced double hyphen", u"a --\r\nb", Default, u"a -- b"},
    {"hyphens from the start", u"--\r\nx", Default, u"-- x"},
    // The text is joined over itself; what precedes a hyphen is judged in the text as read.
    {"hyphen line after a spaced dash", u"x -\r\n-\r\nb", Default, u"x - -b"},
    {"hyphen line after a joined hyphen", u"a-\r\n-\r\nb", Default, u"a--b"},
    {"full stop joined", u"end.\r\nNext", Default, u"end. Next"},
    {"full stop kept", u"end.\r\nNext", WithPunctuation, u"end.\r\nNext"},
    {"bracket after stop joined", u"end.)\r\nNext", Default, u"end.) Next"},
    {"bracket after stop rearms", u"end.)\r\nNext", WithPunctuation, u"end.) Next"},
    {"trailing space, no second space", u"end. \r\nNext", Default, u"end. Next"},
    {"trailing spaces after stop kept", u"end.  \r\nNext", WithPunctuation, u"end.  \r\nNext"},
    {"closing quote kept", u"said.\u201D\r\nThen", WithPunctuation, u"said.\u201D\r\nThen"},
    {"inverted question kept", u"Que\u00BF\r\nno", NoIndentWithPunctuation, u"Que\u00BF\r\nno"},
    {"empty set keeps nothing", u"end.\r\nNext", EmptyMarks, u"end. Next"},
    {"one char", u"a", Default, u"a"},
    {"two chars", u"ab", Default, u"ab"},
    {"only a break", u"\r\n", Default, u"\r\n"},
    {"final break kept", u"one\r\ntwo\r\n", Default, u"one two\r\n"},
    {"short final break kept", u"ab\r\n", Default, u"ab\r\n"},
    {"last character after removed break", u"ab\r\nc", Default, u"ab c"},
    {"leading break kept", u"\r\nabc\r\ndef", Default, u"\r\nabc def"},
    {"empty lines all stay", u"a\r\n\r\n\r\n\r\nb\r\nc", Default, u"a\r\n\r\n\r\n\r\nb c"},
    {"blank line after joined line", u"one\r\ntwo\r\n   \r\nthree", NoIndent, u"one two   three"},
    {"blank line kept by indent", u"one\r\ntwo\r\n   \r\nthree", Default,
     u"one two\r\n   \r\nthree"},
    {"lone CR copied", u"one\rtwo\r\nx", Default, u"one\rtwo x"},
    {"lone LF copied", u"one\ntwo\nthree", Default, u"one\ntwo\nthree"},
    {"CR before break", u"one\r\r\ntwo", Default, u"one\r two"},
    {"LF CR is no break", u"one\n\rtwo", Default, u"one\n\rtwo"},
    {"non-BMP text", u"\U0001F4D6\r\n\U0001D11E", Default, u"\U0001F4D6 \U0001D11E"},
    // Scripts written without spaces join without one.
    {"Chinese", u"\u5979\u7B11\r\n\u7740\u70B9\u4E86\u70B9\u5934", Default,
     u"\u5979\u7B11\u7740\u70B9\u4E86\u70B9\u5934"},
    {"Japanese kana", u"\u3053\u3068\r\n\u3070", Default, u"\u3053\u3068\u3070"},
    {"ideographic full stop then Han", u"\u597D\u3002\r\n\u4ED6", Default, u"\u597D\u3002\u4ED6"},
    {"Thai", u"\u0E2A\u0E27\u0E31\r\n\u0E2A\u0E14\u0E35", Default,
     u"\u0E2A\u0E27\u0E31\u0E2A\u0E14\u0E35"},
    {"Han beyond the BMP", u"\U00020000\r\n\u4E00", Default, u"\U00020000\u4E00"},
    {"Han long enough to be copied as a run",
     u"\u4E00\u4E01\u4E02\u4E03\u4E04\u4E05\u4E06\u4E07\u4E08\u4E09\r\n\u4E0A", Default,
     u"\u4E00\u4E01\u4E02\u4E03\u4E04\u4E05\u4E06\u4E07\u4E08\u4E09\u4E0A"},
    {"Han then Latin keeps the space", u"\u4E00\r\nOK", Default, u"\u4E00 OK"},
    {"Latin then Han keeps the space", u"OK\r\n\u4E00", Default, u"OK \u4E00"},
    {"Korean keeps its spaces", u"\uD55C\uAE00\r\n\uD55C", Default, u"\uD55C\uAE00 \uD55C"},
};

class JoinTest : public testing::TestWithParam<JoinCase>
{
};

TEST_P(JoinTest, GivesExpectedText)
{
    const JoinCase &c = GetParam();
    EXPECT_EQ(removed(QString::fromUtf16(c.input), c.rules), QString::fromUtf16(c.expected));
}

INSTANTIATE_TEST_SUITE_P(Cases, JoinTest, testing::ValuesIn(joinCases),
                         [](const testing::TestParamInfo<JoinCase> &info) {
                             std::string name;
                             for (const char *p = info.param.name; *p; ++p)
                                 name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                             return name;
                         });

TEST(DefaultPunctuationMarks, HoldsTheNineteenMarksInOrder)
{
    ASSERT_EQ(DefaultPunctuationMarks.size(), 19);
    EXPECT_TRUE(DefaultPunctuationMarks.startsWith(u".:;!?"));
    const char16_t expected[] = {0x2E,   0x3A,   0x3B,   0x21, 0x3F, 0xBF,   0xA1,
                                 0x2039, 0x203A, 0xAB,   0xBB, 0x22, 0x201C, 0x201D,
                                 0x201E, 0x2018, 0x2019, 0xB4, 0x27};
    for (int i = 0; i < 19; ++i)
        EXPECT_EQ(int(DefaultPunctuationMarks.at(i).unicode()), int(expected[i])) << "at " << i;
}

TEST(DefaultPunctuationMarks, EveryMarkKeepsTheBreak)
{
    for (const QChar mark : DefaultPunctuationMarks) {
        const QString text = QStringLiteral("word") + mark + QStringLiteral("\r\nNext");
        EXPECT_EQ(removed(text, WithPunctuation), text) << int(mark.unicode());
        EXPECT_NE(removed(text, Default), text) << int(mark.unicode());
    }
}

struct ProgressCase
{
    const char *name;
    QString text;
    std::vector<int> expected;
};

TEST(RemoveSingleLineBreaks, ReportsProgressInTenths)
{
    const std::vector<ProgressCase> cases = {
        {"too short", QStringLiteral("ab"), {}},
        {"no steps below eleven", QStringLiteral("abcdefghij"), {100}},
        // 20 characters: positions 2, 4, ... 18 are examined.
        {"twenty", QString(20, u'x'), {10, 20, 30, 40, 50, 60, 70, 80, 90, 100}},
        // Position 10 of 12 reaches 100 before the end, which reports it again.
        {"twelve", QString(12, u'x'), {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 100}},
        // Seventeen multiples of 1 would count to 170.
        {"nineteen", QString(19, u'x'), {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 100}},
        // The LF at position 6 of 30 is skipped with its removed break, and its step with it.
        {"skipped step",
         QStringLiteral("abcd\r\nefghijklmnopqrstuvwxyz12"),
         {10, 20, 30, 40, 50, 60, 70, 80, 100}},
    };
    for (const ProgressCase &c : cases) {
        std::vector<int> seen;
        QString text = c.text;
        RemoveSingleLineBreaks(text, LineBreakRules{},
                               [&](int percent) { seen.push_back(percent); });
        EXPECT_EQ(seen, c.expected) << c.name;
    }
}

TEST(RemoveSingleLineBreaks, SurvivesHostileTexts)
{
    for (const HostileText &h : hostileTexts()) {
        for (Rules r : {Default, NoIndent, WithPunctuation, NoIndentWithPunctuation}) {
            const QString out = removed(h.text, r);
            EXPECT_LE(out.size(), h.text.size()) << h.name;
            EXPECT_EQ(withoutBlanks(out), withoutBlanks(h.text)) << h.name;
            EXPECT_EQ(countParagraphBreaks(out), countParagraphBreaks(h.text)) << h.name;
            if (!h.text.contains(u"\r\n")) {
                EXPECT_EQ(out, h.text) << h.name;
            }
        }
    }
}

TEST(RemoveSingleLineBreaks, KeepsEveryParagraphBreakOfABook)
{
    const QString book = generateBook(7, 300000);
    ASSERT_GT(book.size(), 250000);
    for (Rules r : {Default, NoIndent, WithPunctuation}) {
        QString text = book;
        RemoveSingleLineBreaks(text, rulesFor(r));
        ASSERT_LT(text.size(), book.size());
        EXPECT_EQ(countParagraphBreaks(text), countParagraphBreaks(book));
        EXPECT_EQ(withoutBlanks(text), withoutBlanks(book));

        // A break that survives ends a paragraph, an empty line, a verse line (when indentation
        // counts) or a sentence (when punctuation counts).
        const QStringList lines = text.split(QStringLiteral("\r\n"));
        for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
            const QString &line = lines[i];
            const QString &next = lines[i + 1];
            const bool kept =
                line.trimmed().isEmpty() || next.isEmpty() ||
                (r != NoIndent && next.startsWith(u' ')) ||
                (r == WithPunctuation && DefaultPunctuationMarks.contains(line.trimmed().back()));
            ASSERT_TRUE(kept) << "line " << i << ": " << line.toStdString();
        }
    }
}

// The removal one character at a time, as its rules are written, for the fast scan to agree with.
QString removedStepByStep(const QString &s, const LineBreakRules &rules)
{
    const qsizetype n = s.size();
    if (n < 3)
        return s;
    const auto blank = [](QChar c) { return c == u'\r' || c == u'\n' || c == u' '; };
    const auto mark = [&](QChar c) {
        return rules.keepAfterPunctuation && rules.punctuationMarks.contains(c);
    };
    QString out;
    bool armed = false;
    qsizetype p = 0;
    while (p <= n - 3) {
        const QChar c = s[p];
        if (armed && c == u'\r' && s[p + 1] == u'\n') {
            const QChar next = s[p + 2];
            if (next == u'\r' || (rules.keepBeforeIndent && (next == u' ' || next == u'\t'))) {
                out += c;
                armed = false;
                ++p;
                continue;
            }
            bool space = true;
            if (p > 0 && (s[p - 1] == u' ' || next == u' ')) {
                space = false;
            } else if (p > 0 && s[p - 1] == u'-') {
                qsizetype q = p - 2;
                while (q >= 0 && s[q] == u'-')
                    --q;
                space = q >= 0 && s[q] == u' ';
                if (q < 0)
                    space = true;
            } else if (next == u' ') {
                space = false;
            }
            if (space)
                out += u' ';
            p += 2;
            continue;
        }
        out += c;
        if (!blank(c))
            armed = true;
        if (mark(c))
            armed = false;
        ++p;
    }
    out += s.mid(p);
    return out;
}

TEST(RemoveSingleLineBreaks, AgreesWithTheRulesOneCharacterAtATime)
{
    // Runs of text of every length between breaks, hyphens and marks at the run ends.
    static const char16_t *const parts[] = {u"a",
                                            u"word",
                                            u" ",
                                            u"-",
                                            u"--",
                                            u"\r\n",
                                            u"\r",
                                            u"\n",
                                            u".",
                                            u"\t",
                                            u"!) ",
                                            u"\r\n\r\n",
                                            u"long enough to be copied as a whole run"};
    std::mt19937 random(7);
    for (int round = 0; round < 4000; ++round) {
        QString text;
        const int count = static_cast<int>(random() % 40);
        for (int k = 0; k < count; ++k)
            text += QString::fromUtf16(parts[random() % std::size(parts)]);
        for (Rules r : {Default, NoIndent, WithPunctuation, NoIndentWithPunctuation}) {
            QString fast = text;
            RemoveSingleLineBreaks(fast, rulesFor(r));
            ASSERT_EQ(fast, removedStepByStep(text, rulesFor(r)))
                << "rules " << r << ": " << QString(text).replace(u'\r', u'~').toStdString();
        }
    }
}

} // namespace

TEST(RemoveSingleLineBreaks, IdeographicSpaceIndentsLikeASpace)
{
    const struct
    {
        Rules rules;
        const char16_t *text;
        const char16_t *expected;
    } cases[] = {
        {Default, u"\u3000親譲りの無鉄砲で\r\n\u3000親類のもの", u"\u3000親譲りの無鉄砲で\r\n\u3000親類のもの"},
        {Default, u"tail\r\n\u3000next", u"tail\r\n\u3000next"},
        {NoIndent, u"tail\r\n\u3000next", u"tail \u3000next"},
        {Default, u"tail\r\nnext", u"tail next"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(removed(QString::fromUtf16(c.text), c.rules), QString::fromUtf16(c.expected))
            << QString::fromUtf16(c.text).toStdString();
}
