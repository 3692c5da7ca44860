#pragma once

#include <QString>

#include <array>
#include <limits>
#include <optional>

// The captions of the three bookmark fields: a page number as text, or empty when unset.
using BookmarkCaptions = std::array<QString, 3>;

// Moves the set bookmarks to the first fields, keeping their order.
BookmarkCaptions closeBookmarkGaps(const BookmarkCaptions &captions);

struct BookmarkPlacement
{
    enum class Side { Hidden, Behind, Ahead };
    Side side = Side::Hidden;
    int left = 0;
};

struct BookmarkArrangement
{
    BookmarkCaptions captions; // gaps closed
    std::array<BookmarkPlacement, 3> placements;
    int placedFields = 0; // the fields up to the first caption that is not a number
    std::optional<QString> conversionError; // the offending caption's message
};

// The header bar places bookmarks at or before the left page left of "Menu" (nearest first)
// and those ahead right of "Help", 13 pixels from each; a field that would leave the window is
// moved back inside.
struct BookmarkBar
{
    int menuLeft = 0;
    int helpRight = 0; // left edge + width of "Help"
    std::array<int, 3> fieldWidths{28, 28, 28};
    int clientWidth = std::numeric_limits<int>::max();
};

BookmarkArrangement arrangeBookmarkFields(const BookmarkCaptions &captions, int currentPage,
                                          const BookmarkBar &bar);

// Sets a bookmark on the page: into the first empty field, else replacing the third.
// Nothing when the page is already bookmarked.
std::optional<BookmarkCaptions> setBookmarkOnPage(const BookmarkCaptions &captions, int page);

// The page a click on a bookmark field goes to, clamped to 1..pageCount; nothing for a caption
// that is not a number.
std::optional<int> bookmarkJumpPage(const QString &caption, int pageCount);
