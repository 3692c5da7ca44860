#include "core/book/PageArithmetic.h"

#include <gtest/gtest.h>

TEST(PageArithmetic, TrimPageDropsBlankTopAndBottom)
{
    struct Case
    {
        const char *name;
        QString text;
        QString shown;
        TrimRecord trim;
    };
    const Case cases[] = {
        {"nothing to trim", QStringLiteral("ab\r\ncd"), QStringLiteral("ab\r\ncd"), {1, 0, 6}},
        {"three empty lines on top", QStringLiteral("\r\n\r\n\r\nfour\r\nfive"),
         QStringLiteral("four\r\nfive"), {7, 3, 16}},
        {"trailing blanks and breaks", QStringLiteral("text  \r\n \r\n"), QStringLiteral("text"),
         {1, 0, 4}},
        {"only breaks", QStringLiteral("\r\n\r\n"), QString(), {5, 2, 4}},
        {"empty", QString(), QString(), {1, 0, 0}},
        {"leading spaces stay", QStringLiteral("\r\n  indented"), QStringLiteral("  indented"),
         {3, 1, 12}},
        {"tab at the end stays", QStringLiteral("a\t"), QStringLiteral("a\t"), {1, 0, 2}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QString text = c.text;
        const TrimRecord t = TrimPage(text);
        EXPECT_EQ(text, c.shown);
        EXPECT_EQ(t.FirstChar, c.trim.FirstChar);
        EXPECT_EQ(t.BlankLines, c.trim.BlankLines);
        EXPECT_EQ(t.LastChar, c.trim.LastChar);
    }
}

TEST(PageArithmetic, HistoryDropsLaterEntriesBeforeAppending)
{
    struct Case
    {
        const char *name;
        QStringList history;
        int selected;
        int page;
        QStringList after;
    };
    const Case cases[] = {
        {"append at end", {"1", "3"}, 1, 5, {"1", "3", "5"}},
        {"selection in the middle", {"1", "3", "5", "7"}, 1, 9, {"1", "3", "9"}},
        {"nothing selected clears", {"1", "3"}, -1, 4, {"4"}},
        {"repeats are kept", {"2"}, 0, 2, {"2", "2"}},
        {"empty list", {}, -1, 1, {"1"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QStringList h = c.history;
        int sel = c.selected;
        recordHistoryPage(h, sel, c.page);
        EXPECT_EQ(h, c.after);
        EXPECT_EQ(sel, h.size() - 1);
    }
}
