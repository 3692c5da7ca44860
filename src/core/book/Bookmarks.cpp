#include "core/book/Bookmarks.h"

#include "core/book/SettingsValues.h"

#include <algorithm>

BookmarkCaptions closeBookmarkGaps(const BookmarkCaptions &captions)
{
    BookmarkCaptions closed;
    size_t next = 0;
    for (const QString &caption : captions) {
        if (!caption.isEmpty())
            closed[next++] = caption;
    }
    return closed;
}

BookmarkArrangement arrangeBookmarkFields(const BookmarkCaptions &captions, int currentPage,
                                          const BookmarkBar &bar)
{
    BookmarkArrangement result;
    result.captions = closeBookmarkGaps(captions);
    int ahead = 0;
    int behind = 0;
    for (size_t i = 0; i < result.captions.size(); ++i) {
        const QString &caption = result.captions[i];
        BookmarkPlacement &placement = result.placements[i];
        if (caption.isEmpty()) {
            placement.side = BookmarkPlacement::Side::Hidden;
            result.placedFields = int(i) + 1;
            continue;
        }
        const std::optional<int> page = parseInteger(caption);
        if (!page) {
            result.conversionError = invalidIntegerMessage(caption);
            return result;
        }
        const int width = bar.fieldWidths[i];
        if (*page > currentPage) {
            placement.side = BookmarkPlacement::Side::Ahead;
            placement.left = bar.helpRight + 13 + ahead * width;
            ++ahead;
        } else {
            placement.side = BookmarkPlacement::Side::Behind;
            placement.left = bar.menuLeft - 13 - (behind + 1) * width;
            ++behind;
        }
        placement.left = std::max(0, std::min(placement.left, bar.clientWidth - width));
        result.placedFields = int(i) + 1;
    }
    return result;
}

std::optional<BookmarkCaptions> setBookmarkOnPage(const BookmarkCaptions &captions, int page)
{
    const QString c = QString::number(page);
    if (std::find(captions.begin(), captions.end(), c) != captions.end())
        return std::nullopt;
    BookmarkCaptions set = captions;
    if (set[0].isEmpty())
        set[0] = c;
    else if (set[1].isEmpty())
        set[1] = c;
    else
        set[2] = c;
    return set;
}

std::optional<int> bookmarkJumpPage(const QString &caption, int pageCount)
{
    const std::optional<int> page = parseInteger(caption);
    if (!page)
        return std::nullopt;
    return std::max(std::min(*page, pageCount), 1);
}
