#pragma once

#include <QString>

enum class PageStyle { Plain, Book };   // ShowPages
enum class MarginUse { Ignore, Apply }; // ApplyMargins
enum class TocSide { Floating, Left };  // TOCLeft

struct Margins
{
    int left = 0;
    int right = 0;
    int top = 0;
    int bottom = 0;

    friend bool operator==(const Margins &, const Margins &) = default;
};

struct PixelRect
{
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    friend bool operator==(const PixelRect &, const PixelRect &) = default;
};

constexpr int DockedTocOffset = 200;
constexpr int MaximumMargin = 99;
// Neither style lets a page shrink below this, so wrapping always has room for a character.
constexpr int MinimumPageSize = 10;

// Sizes of controls that the window layout fixes; the window passes the ones it has.
struct ChromeSizes
{
    int trennstrichWidth = 2;
    int seitenNrLinksWidth = 33;
    int seitenNrRechtsWidth = 33;
    int menuPanelWidth = 87;
    int chapterPrevWidth = 28;
    int lesezeichen2Width = 28;
    int chapterNextWidth = 28;
    int letzteWidth = 86;
    int findenWidth = 440;
    int createTocWidth = 34;
    int historyPanelWidth = 0;
};

struct PageGeometryInput
{
    int clientWidth = 0;  // CW
    int clientHeight = 0; // CH
    PageStyle style = PageStyle::Book;
    MarginUse marginUse = MarginUse::Ignore;
    Margins marginSettings;
    TocSide tocSide = TocSide::Floating;
    int tocOffset = 0; // from tocOffsetFor
    ChromeSizes sizes;
};

// Book-style insets, taken from the half width alone.
struct BookInsets
{
    int outer = 0;
    int inner = 0;
    int upper = 0;
    int lower = 0;

    friend bool operator==(const BookInsets &, const BookInsets &) = default;
};

// Lefts of the top strip; the controls keep their tops and sizes unless a rectangle or a width
// is given. Every control of the strip lies inside the window: where the window is too narrow,
// "Menu", "Help" and the find bar give up width.
struct TopStrip
{
    int menuPanelWidth = 0;
    int hilfePanelWidth = 0;
    int findenWidth = 0;
    int seitenNrLinksLeft = 0;
    int seitenNrRechtsLeft = 0;
    int historyPanelLeft = 0;
    int menuPanelLeft = 0;
    int chapterPrevLeft = 0;
    int lesezeichenLeft = 0;
    int chapterNextLeft = 0;
    int hilfePanelLeft = 0;
    int menuLeft = 0;
    int hilfeLeft = 0;
    int recentLeft = 0;
    int letzteLeft = 0;
    int findenLeft = 0;
    int findenTop = 0;
    int findOptionsPanelLeft = 0;
    int findOptionsPanelTop = 16;
    int menuHomeLeft = 0; // MenuHomeLeft
    PixelRect contents;
    int chapterPreviewHeight = 0;
    int tocCloseLeft = 0;
    int createTocLeft = 0;
};

struct PageGeometry
{
    int half = 0;          // Half
    int usableHeight = 0;  // H
    Margins activeMargins; // ActiveMargins
    BookInsets insets;     // all 0 in plain style
    PixelRect linkeSeite;
    PixelRect rechteSeite;
    PixelRect buchseiten;  // book style only
    PixelRect trennstrich; // plain style only
    PixelRect querstrich;  // plain style only
    TopStrip topStrip;
};

// TocOffset: the docked panel takes the left strip while it is visible, and while a document is
// loading ("DateiLaden"), since that pass shows it.
int tocOffsetFor(TocSide side, bool contentsVisible, const QString &layoutCause);

// Every position and size of the window layout for a client area. Sizes are never negative, and
// neither are positions.
PageGeometry computePageGeometry(const PageGeometryInput &in);
