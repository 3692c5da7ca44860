#include "core/layout/PageGeometry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <utility>

static void PrintTo(const PixelRect &r, std::ostream *os)
{
    *os << "{" << r.left << ", " << r.top << ", " << r.width << ", " << r.height << "}";
}

namespace {

PageGeometryInput window(int cw, int ch, PageStyle style, int tocOffset = 0,
                         TocSide side = TocSide::Floating)
{
    PageGeometryInput in;
    in.clientWidth = cw;
    in.clientHeight = ch;
    in.style = style;
    in.tocOffset = tocOffset;
    in.tocSide = side;
    return in;
}

PageGeometryInput withMargins(PageGeometryInput in, Margins m, MarginUse use = MarginUse::Apply)
{
    in.marginSettings = m;
    in.marginUse = use;
    return in;
}

struct PagesCase
{
    const char *name;
    PageGeometryInput in;
    int half;
    PixelRect linke;
    PixelRect rechte;
};

TEST(PageGeometry, PlacesBothPages)
{
    const PagesCase cases[] = {
        {"plain 800",
         window(800, 600, PageStyle::Plain),
         399,
         {4, 18, 394, 575},
         {404, 18, 394, 575}},
        {"book 800",
         window(800, 600, PageStyle::Book),
         399,
         {20, 24, 367, 564},
         {412, 24, 367, 564}},
        {"plain docked",
         window(800, 600, PageStyle::Plain, 200, TocSide::Left),
         299,
         {204, 18, 294, 575},
         {504, 18, 294, 575}},
        // Insets of Half 299: 15, 9, 6, 2.
        {"book docked",
         window(800, 600, PageStyle::Book, 200, TocSide::Left),
         299,
         {215, 22, 275, 567},
         {509, 22, 275, 567}},
        {"plain odd width",
         window(801, 600, PageStyle::Plain),
         399,
         {4, 18, 394, 575},
         {404, 18, 394, 575}},
        {"plain width 803",
         window(803, 600, PageStyle::Plain),
         400,
         {4, 18, 395, 575},
         {405, 18, 395, 575}},
        // Buchseiten is 801 wide: the right page starts at 801 div 2 + 12.
        {"book odd width",
         window(801, 600, PageStyle::Book),
         399,
         {20, 24, 367, 564},
         {412, 24, 367, 564}},
        // Left margin on the outer side of each page, right margin by the divider.
        {"plain margins",
         withMargins(window(800, 600, PageStyle::Plain), {10, 20, 5, 7}),
         399,
         {14, 23, 364, 563},
         {424, 23, 364, 563}},
        {"book margins",
         withMargins(window(800, 600, PageStyle::Book), {10, 20, 5, 7}),
         399,
         {30, 29, 337, 552},
         {422, 29, 337, 552}},
        {"margins not applied",
         withMargins(window(800, 600, PageStyle::Book), {10, 20, 5, 7}, MarginUse::Ignore),
         399,
         {20, 24, 367, 564},
         {412, 24, 367, 564}},
        {"margins beyond the spinner range",
         withMargins(window(800, 600, PageStyle::Plain), {-50, 500, -1, 1000}),
         399,
         {4, 18, 295, 476},
         {503, 18, 295, 476}},
    };
    for (const PagesCase &c : cases) {
        const PageGeometry g = computePageGeometry(c.in);
        EXPECT_EQ(g.half, c.half) << c.name;
        EXPECT_EQ(g.linkeSeite, c.linke) << c.name;
        EXPECT_EQ(g.rechteSeite, c.rechte) << c.name;
    }
}

TEST(PageGeometry, PlainStylePlacesDividerAndRule)
{
    const PageGeometry g = computePageGeometry(window(800, 600, PageStyle::Plain));
    EXPECT_EQ(g.trennstrich, (PixelRect{398, 18, 2, 575}));
    EXPECT_EQ(g.querstrich, (PixelRect{5, 16, 795, 2}));
    EXPECT_EQ(g.insets, BookInsets{});

    const PageGeometry docked =
        computePageGeometry(window(800, 600, PageStyle::Plain, 200, TocSide::Left));
    EXPECT_EQ(docked.trennstrich, (PixelRect{498, 18, 2, 575}));
    EXPECT_EQ(docked.querstrich, (PixelRect{205, 16, 595, 2}));
}

TEST(PageGeometry, BookStyleStretchesThePictureRightOfThePanel)
{
    const PageGeometry g = computePageGeometry(window(800, 600, PageStyle::Book));
    EXPECT_EQ(g.insets, (BookInsets{20, 12, 8, 3}));
    EXPECT_EQ(g.buchseiten, (PixelRect{0, 16, 800, 584}));
    EXPECT_EQ(g.linkeSeite.height, 600 - 25 - 11);

    const PageGeometry docked =
        computePageGeometry(window(800, 600, PageStyle::Book, 200, TocSide::Left));
    EXPECT_EQ(docked.insets, (BookInsets{15, 9, 6, 2}));
    EXPECT_EQ(docked.buchseiten, (PixelRect{200, 16, 600, 584}));
}

TEST(PageGeometry, BookInsetsRoundHalvesToEven)
{
    struct Case
    {
        int clientWidth;
        int half;
        BookInsets insets;
    };
    // Half x 0.05 = 0.5 and 1.5; Half x 0.03 = 1.5 and 2.5; Half x 0.02 = 0.5 and 1.5;
    // Half x 0.007 = 3.5 and 10.5.
    const Case cases[] = {
        {22, 10, {0, 0, 0, 0}},         {62, 30, {2, 1, 1, 0}},  {102, 50, {2, 2, 1, 0}},
        {52, 25, {1, 1, 0, 0}},         {152, 75, {4, 2, 2, 1}}, {1002, 500, {25, 15, 10, 4}},
        {3002, 1500, {75, 45, 30, 10}}, {168, 83, {4, 2, 2, 1}},
    };
    for (const Case &c : cases) {
        const PageGeometry g = computePageGeometry(window(c.clientWidth, 600, PageStyle::Book));
        EXPECT_EQ(g.half, c.half);
        EXPECT_EQ(g.insets, c.insets) << "Half " << c.half;
    }
}

TEST(PageGeometry, TinyWindowsGiveNothingNegative)
{
    for (PageStyle style : {PageStyle::Plain, PageStyle::Book}) {
        for (int offset : {0, 200}) {
            for (int cw : {-5, 0, 1, 2, 3, 7, 40, 150, 201, 262}) {
                for (int ch : {-3, 0, 10, 25, 30}) {
                    PageGeometryInput in =
                        window(cw, ch, style, offset, offset ? TocSide::Left : TocSide::Floating);
                    in = withMargins(in, {99, 99, 99, 99});
                    const PageGeometry g = computePageGeometry(in);
                    const auto where = testing::Message() << "style " << int(style) << " cw " << cw
                                                          << " ch " << ch << " toc " << offset;
                    EXPECT_GE(g.half, 0) << where;
                    EXPECT_GE(g.usableHeight, 0) << where;
                    for (const PixelRect &r : {g.linkeSeite, g.rechteSeite}) {
                        EXPECT_GE(r.left, 0) << where;
                        EXPECT_GE(r.top, 0) << where;
                        EXPECT_EQ(r.width, MinimumPageSize) << where;
                        EXPECT_EQ(r.height, MinimumPageSize) << where;
                    }
                    for (const PixelRect &r :
                         {g.buchseiten, g.trennstrich, g.querstrich, g.topStrip.contents}) {
                        EXPECT_GE(r.left, 0) << where;
                        EXPECT_GE(r.width, 0) << where;
                        EXPECT_GE(r.height, 0) << where;
                    }
                    const TopStrip &t = g.topStrip;
                    for (int left : {t.seitenNrRechtsLeft, t.menuPanelLeft, t.chapterPrevLeft,
                                     t.lesezeichenLeft, t.chapterNextLeft, t.hilfePanelLeft,
                                     t.findenLeft, t.letzteLeft, t.createTocLeft}) {
                        EXPECT_GE(left, 0) << where;
                    }
                    // The row keeps its gaps when it is pushed right or narrowed.
                    EXPECT_EQ(t.chapterPrevLeft, t.menuPanelLeft + t.menuPanelWidth + 1) << where;
                    EXPECT_EQ(t.lesezeichenLeft, t.chapterPrevLeft + 29) << where;
                    EXPECT_EQ(t.chapterNextLeft, t.lesezeichenLeft + 29) << where;
                    EXPECT_EQ(t.hilfePanelLeft, t.chapterNextLeft + 29) << where;
                }
            }
        }
    }
}

TEST(PageGeometry, LaysOutTheTopStrip)
{
    struct Case
    {
        const char *name;
        PageGeometryInput in;
        int centre;
        int seitenNrLinks;
        int seitenNrRechts;
        PixelRect contents;
        int chapterPreviewHeight;
    };
    const Case cases[] = {
        {"floating", window(800, 600, PageStyle::Book), 400, 8, 762, {269, 16, 262, 400}, 90},
        {"docked and shown",
         window(800, 600, PageStyle::Book, 200, TocSide::Left),
         500,
         208,
         762,
         {5, 5, 195, 590},
         130},
        // TOCLeft checked, panel hidden: no offset, but the panel keeps its docked shape.
        {"docked and hidden",
         window(800, 600, PageStyle::Plain, 0, TocSide::Left),
         400,
         8,
         762,
         {5, 5, 195, 590},
         130},
        {"odd width", window(1001, 700, PageStyle::Plain), 500, 8, 963, {369, 16, 262, 400}, 90},
    };
    for (const Case &c : cases) {
        const TopStrip t = computePageGeometry(c.in).topStrip;
        const int row = c.centre - 131;
        EXPECT_EQ(t.seitenNrLinksLeft, c.seitenNrLinks) << c.name;
        EXPECT_EQ(t.seitenNrRechtsLeft, c.seitenNrRechts) << c.name;
        EXPECT_EQ(t.historyPanelLeft, c.seitenNrLinks + 33 + 8) << c.name;
        EXPECT_EQ(t.menuPanelLeft, row) << c.name;
        EXPECT_EQ(t.chapterPrevLeft, row + 88) << c.name;
        EXPECT_EQ(t.lesezeichenLeft, c.centre - 14) << c.name;
        EXPECT_EQ(t.chapterNextLeft, c.centre + 15) << c.name;
        EXPECT_EQ(t.hilfePanelLeft, c.centre + 44) << c.name;
        for (int left : {t.menuLeft, t.hilfeLeft, t.recentLeft, t.menuHomeLeft})
            EXPECT_EQ(left, row) << c.name;
        EXPECT_EQ(t.letzteLeft, c.centre - 43) << c.name;
        EXPECT_EQ(t.findenLeft, c.centre - 220) << c.name;
        EXPECT_EQ(t.findenTop, 0) << c.name;
        EXPECT_EQ(t.findOptionsPanelLeft, c.centre - 220) << c.name;
        EXPECT_EQ(t.findOptionsPanelTop, 16) << c.name;
        EXPECT_EQ(t.contents, c.contents) << c.name;
        EXPECT_EQ(t.chapterPreviewHeight, c.chapterPreviewHeight) << c.name;
        EXPECT_EQ(t.tocCloseLeft, c.contents.width - 40) << c.name;
        EXPECT_EQ(t.createTocLeft, (c.contents.width - 34) / 2) << c.name;
    }
}

// Below about 440 pixels the find bar, and below 262 the button row, no longer fit at their
// widths: they narrow, and nothing of the header leaves the window.
TEST(PageGeometry, HeaderControlsStayInsideNarrowWindows)
{
    for (int offset : {0, 200}) {
        for (int cw : {200, 230, 262, 300, 339, 439, 440, 441, 600}) {
            PageGeometryInput in = window(cw, 400, PageStyle::Book, offset,
                                          offset ? TocSide::Left : TocSide::Floating);
            in.sizes.historyPanelWidth = 60;
            const TopStrip t = computePageGeometry(in).topStrip;
            const auto where = testing::Message() << "cw " << cw << " toc " << offset;
            const std::pair<int, int> controls[] = {
                {t.seitenNrLinksLeft, 33},
                {t.seitenNrRechtsLeft, 33},
                {t.historyPanelLeft, 60},
                {t.menuPanelLeft, t.menuPanelWidth},
                {t.chapterPrevLeft, 28},
                {t.lesezeichenLeft, 28},
                {t.chapterNextLeft, 28},
                {t.hilfePanelLeft, t.hilfePanelWidth},
                {t.letzteLeft, 86},
                {t.findenLeft, t.findenWidth},
                {t.findOptionsPanelLeft, t.findenWidth},
            };
            for (const auto &[left, width] : controls) {
                EXPECT_GE(left, 0) << where;
                EXPECT_LE(left + width, cw) << where;
            }
            // Narrowed only as far as needed; "Menu" still reads "Menu" at the smallest window.
            EXPECT_EQ(t.findenWidth, std::min(cw, 440)) << where;
            EXPECT_EQ(t.menuPanelWidth, std::min((cw - 88) / 2, 87)) << where;
            EXPECT_EQ(t.hilfePanelWidth, t.menuPanelWidth) << where;
            EXPECT_GE(t.menuPanelWidth, 56) << where;
            EXPECT_EQ(t.hilfePanelLeft + t.hilfePanelWidth - t.menuPanelLeft,
                      2 * t.menuPanelWidth + 88)
                << where;
        }
    }
}

TEST(PageGeometry, UsesTheSizesTheWindowPasses)
{
    PageGeometryInput in = window(800, 600, PageStyle::Plain);
    in.sizes.trennstrichWidth = 4;
    in.sizes.findenWidth = 500;
    in.sizes.createTocWidth = 50;
    in.sizes.seitenNrRechtsWidth = 40;
    const PageGeometry g = computePageGeometry(in);
    EXPECT_EQ(g.half, 398);
    EXPECT_EQ(g.trennstrich, (PixelRect{397, 18, 4, 575}));
    EXPECT_EQ(g.rechteSeite.left, 397 + 4 + 4);
    EXPECT_EQ(g.topStrip.findenLeft, 150);
    EXPECT_EQ(g.topStrip.createTocLeft, 106);
    EXPECT_EQ(g.topStrip.seitenNrRechtsLeft, 755);
}

TEST(PageGeometry, ReportsActiveMargins)
{
    const Margins m{10, 20, 5, 7};
    EXPECT_EQ(computePageGeometry(withMargins(window(800, 600, PageStyle::Book), m)).activeMargins,
              m);
    EXPECT_EQ(
        computePageGeometry(withMargins(window(800, 600, PageStyle::Book), m, MarginUse::Ignore))
            .activeMargins,
        Margins{});
    EXPECT_EQ(computePageGeometry(withMargins(window(800, 600, PageStyle::Plain), {-4, 120, 99, 0}))
                  .activeMargins,
              (Margins{0, 99, 99, 0}));
}

TEST(TocOffsetFor, DockedPanelTakesTheLeftStripWhileShownOrLoading)
{
    const QString loading = QStringLiteral("DateiLaden");
    EXPECT_EQ(tocOffsetFor(TocSide::Left, true, QString()), 200);
    EXPECT_EQ(tocOffsetFor(TocSide::Left, false, loading), 200);
    EXPECT_EQ(tocOffsetFor(TocSide::Left, false, QString()), 0);
    EXPECT_EQ(tocOffsetFor(TocSide::Left, false, QStringLiteral("ChangeStyle")), 0);
    EXPECT_EQ(tocOffsetFor(TocSide::Floating, true, loading), 0);
}

} // namespace
