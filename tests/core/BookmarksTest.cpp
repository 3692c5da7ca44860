#include "core/book/Bookmarks.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

using Side = BookmarkPlacement::Side;

BookmarkBar bar()
{
    BookmarkBar b;
    b.menuLeft = 300;
    b.helpRight = 500;
    b.fieldWidths = {28, 28, 28};
    return b;
}

} // namespace

TEST(Bookmarks, GapsCloseWhereverTheyAre)
{
    const BookmarkCaptions cases[][2] = {
        {{"", "", "8"}, {"8", "", ""}},       {{"", "8", ""}, {"8", "", ""}},
        {{"", "8", "9"}, {"8", "9", ""}},     {{"5", "", "9"}, {"5", "9", ""}},
        {{"5", "9", "30"}, {"5", "9", "30"}}, {{"", "", ""}, {"", "", ""}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(closeBookmarkGaps(c[0]), c[1])
            << c[0][0].toStdString() << "|" << c[0][1].toStdString() << "|"
            << c[0][2].toStdString();
}

TEST(Bookmarks, PlacesBehindLeftOfMenuAndAheadRightOfHelp)
{
    struct Case
    {
        const char *what;
        BookmarkCaptions captions;
        int page;
        std::array<BookmarkPlacement, 3> placements;
    } cases[] = {
        {"page 10 with 4, 15, 8",
         {"4", "15", "8"},
         10,
         {{{Side::Behind, 300 - 13 - 28}, {Side::Ahead, 513}, {Side::Behind, 300 - 13 - 56}}}},
        {"the left page is behind, the right page ahead",
         {"12", "13", ""},
         12,
         {{{Side::Behind, 259}, {Side::Ahead, 513}, {Side::Hidden, 0}}}},
        {"all ahead line up rightwards",
         {"20", "30", "40"},
         1,
         {{{Side::Ahead, 513}, {Side::Ahead, 541}, {Side::Ahead, 569}}}},
        {"a gap closes before placing",
         {"", "", "8"},
         10,
         {{{Side::Behind, 259}, {Side::Hidden, 0}, {Side::Hidden, 0}}}},
        {"beyond the page count is ahead",
         {"999", "", ""},
         10,
         {{{Side::Ahead, 513}, {Side::Hidden, 0}, {Side::Hidden, 0}}}},
    };
    for (const Case &c : cases) {
        const BookmarkArrangement a = arrangeBookmarkFields(c.captions, c.page, bar());
        EXPECT_FALSE(a.conversionError) << c.what;
        EXPECT_EQ(a.placedFields, 3) << c.what;
        for (size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(a.placements[i].side, c.placements[i].side) << c.what << " field " << i;
            if (c.placements[i].side != Side::Hidden) {
                EXPECT_EQ(a.placements[i].left, c.placements[i].left) << c.what << " field " << i;
            }
        }
    }
}

// In a narrow window the fields that would pass an edge are moved back inside it.
TEST(Bookmarks, FieldsStayInsideANarrowWindow)
{
    BookmarkBar narrow;
    narrow.menuLeft = 40; // "Menu" at 40, "Help" ending at 302, in a window 330 wide
    narrow.helpRight = 302;
    narrow.clientWidth = 330;
    const BookmarkArrangement behind = arrangeBookmarkFields({"1", "2", "3"}, 10, narrow);
    const BookmarkArrangement ahead = arrangeBookmarkFields({"11", "12", "13"}, 10, narrow);
    EXPECT_EQ(behind.placements[0].left, 0);
    EXPECT_EQ(behind.placements[2].left, 0);
    EXPECT_EQ(ahead.placements[0].left, 302);
    EXPECT_EQ(ahead.placements[1].left, 302);
    EXPECT_EQ(ahead.placements[2].left, 302);
}

TEST(Bookmarks, ACaptionThatIsNotANumberStopsTheArrangementAtIt)
{
    const BookmarkArrangement a = arrangeBookmarkFields({"4", "x7", "30"}, 10, bar());
    ASSERT_TRUE(a.conversionError);
    EXPECT_EQ(*a.conversionError, "'x7' is not a valid integer value");
    EXPECT_EQ(a.placedFields, 1);
    EXPECT_EQ(a.placements[0].side, Side::Behind);
    for (const HostileText &h : hostileTexts()) {
        const BookmarkArrangement b = arrangeBookmarkFields({h.text, "", ""}, 10, bar());
        EXPECT_EQ(b.conversionError.has_value(), !h.text.isEmpty()) << h.name;
    }
}

TEST(Bookmarks, SettingFillsTheFirstFreeFieldOrReplacesTheThird)
{
    struct Case
    {
        BookmarkCaptions before;
        int page;
        std::optional<BookmarkCaptions> after;
    } cases[] = {
        {{"", "", ""}, 12, BookmarkCaptions{"12", "", ""}},
        {{"5", "", ""}, 9, BookmarkCaptions{"5", "9", ""}},
        {{"5", "9", "20"}, 30, BookmarkCaptions{"5", "9", "30"}},
        {{"", "9", ""}, 4, BookmarkCaptions{"4", "9", ""}},
        {{"5", "9", "20"}, 9, std::nullopt},
        {{"12", "", ""}, 12, std::nullopt},
    };
    for (const Case &c : cases)
        EXPECT_EQ(setBookmarkOnPage(c.before, c.page), c.after) << c.page;
}

TEST(Bookmarks, JumpTargetsAreClampedToTheBook)
{
    struct Case
    {
        QString caption;
        int pageCount;
        std::optional<int> page;
    } cases[] = {
        {"9", 50, 9},
        {"80", 50, 50},
        {"0", 50, 1},
        {"-3", 50, 1},
        {"abc", 50, std::nullopt},
        {"", 50, std::nullopt},
    };
    for (const Case &c : cases)
        EXPECT_EQ(bookmarkJumpPage(c.caption, c.pageCount), c.page) << c.caption.toStdString();
}
