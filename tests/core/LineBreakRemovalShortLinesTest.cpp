#include "core/layout/LineBreakRemoval.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <random>

namespace {

QString removed(QString text, int shortLineLimit, bool keepBeforeIndent = true)
{
    LineBreakRules rules;
    rules.shortLineLimit = shortLineLimit;
    rules.keepBeforeIndent = keepBeforeIndent;
    RemoveSingleLineBreaks(text, rules);
    return text;
}

QString lines(const QStringList &list)
{
    return list.join(QStringLiteral("\r\n"));
}

} // namespace

TEST(ShortLines, KeepLinesThatWrappingDidNotBreak)
{
    // Wrapped at 70: a line of a paragraph reaches past 56 with the next word.
    const QString wrapped =
        QStringLiteral("It is a truth universally acknowledged, that a single man in");
    const QString next = QStringLiteral("possession of a good fortune, must be in want of a wife.");
    const struct
    {
        const char *name;
        QString text;
        int limit;
        QString expected;
    } cases[] = {
        {"verse stays",
         lines({"Shall I compare thee to a summer's day?", "Thou art more lovely and more temperate:",
                "Rough winds do shake the darling buds of May,"}),
         56,
         lines({"Shall I compare thee to a summer's day?", "Thou art more lovely and more temperate:",
                "Rough winds do shake the darling buds of May,"})},
        {"prose joins", lines({wrapped, next}), 56, wrapped + u' ' + next},
        {"a paragraph's last line stays",
         lines({wrapped, "possession of a good fortune.", "However little known"}), 56,
         lines({wrapped + " possession of a good fortune.", "However little known"})},
        {"a long next word means it was wrapped",
         lines({"He spoke at length of the monarchy and of its", "incomprehensibilities"}), 56,
         QStringLiteral("He spoke at length of the monarchy and of its incomprehensibilities")},
        {"the speaker of a play", lines({"First Citizen:", "Before we proceed any further,"}), 56,
         lines({"First Citizen:", "Before we proceed any further,"})},
        {"exactly at the limit stays", lines({QString(50, u'a'), "bcdef"}), 56,
         lines({QString(50, u'a'), "bcdef"})},
        {"one past the limit joins", lines({QString(50, u'a'), "bcdefg"}), 56,
         QString(50, u'a') + QStringLiteral(" bcdefg")},
        {"trailing spaces do not count", lines({QString(50, u'a') + "      ", "bcdef"}), 56,
         lines({QString(50, u'a') + "      ", "bcdef"})},
        {"indentation counts", lines({"      " + QString(46, u'a'), "bcdef"}), 56,
         "      " + QString(46, u'a') + QStringLiteral(" bcdef")},
        {"the length of its own line, not of the joined one",
         lines({wrapped, "of a wife.", "The end"}), 56,
         lines({wrapped + " of a wife.", "The end"})},
        {"off: today's joining", lines({"First Citizen:", "Before we proceed"}), 0,
         QStringLiteral("First Citizen: Before we proceed")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(removed(c.text, c.limit).toStdString(), c.expected.toStdString());
    }
}

TEST(ShortLines, IndentedVerseStaysWithoutTheIndentationRule)
{
    const QString poem = lines({"    The woods are lovely, dark and deep,",
                                "    But I have promises to keep,", "    And miles to go."});
    EXPECT_EQ(removed(poem, 56, false), poem);
    EXPECT_NE(removed(poem, 0, false), poem);
}

// The rule only ever keeps breaks that the other rules would remove: the text apart from its
// blanks stays the same, and no line of the joined text is longer than without the rule.
TEST(ShortLines, OnlyKeepsBreaks)
{
    static const char16_t *const parts[] = {u"a", u"word", u" ", u"-", u"\r\n", u".", u"  ",
                                            u"\r\n\r\n", u"a longer run of several words"};
    std::mt19937 random(11);
    for (int round = 0; round < 3000; ++round) {
        QString text;
        const int count = static_cast<int>(random() % 40);
        for (int k = 0; k < count; ++k)
            text += QString::fromUtf16(parts[random() % std::size(parts)]);
        const int limit = static_cast<int>(random() % 40);
        const QString plain = removed(text, 0);
        const QString kept = removed(text, limit);
        QString a = plain, b = kept;
        for (QString *s : {&a, &b}) {
            s->remove(u' ');
            s->remove(u'\r');
            s->remove(u'\n');
        }
        ASSERT_EQ(a, b) << QString(text).replace(u'\r', u'~').toStdString();
        ASSERT_GE(kept.count(QStringLiteral("\r\n")), plain.count(QStringLiteral("\r\n")));
    }
}
