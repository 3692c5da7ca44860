#include "core/layout/PageGeometry.h"

#include <algorithm>

namespace {

// round(numerator / denominator) with halves to the even neighbour, for numerator >= 0. Exact, so
// that Half x 0.05 is a true half whenever the product is one.
int roundHalfEven(qint64 numerator, qint64 denominator)
{
    qint64 quotient = numerator / denominator;
    const qint64 twiceRemainder = 2 * (numerator % denominator);
    if (twiceRemainder > denominator || (twiceRemainder == denominator && quotient % 2 != 0))
        ++quotient;
    return static_cast<int>(quotient);
}

int nonNegative(int value)
{
    return std::max(value, 0);
}

int pageSize(int value)
{
    return std::max(value, MinimumPageSize);
}

Margins activeMarginsFor(const PageGeometryInput &in)
{
    if (in.marginUse == MarginUse::Ignore)
        return {};
    // The settings file may hold anything; the spinners only ever offer 0..99.
    const auto clamp = [](int m) { return std::clamp(m, 0, MaximumMargin); };
    const Margins &m = in.marginSettings;
    return {clamp(m.left), clamp(m.right), clamp(m.top), clamp(m.bottom)};
}

void placeBookPages(int cw, int ch, int tocOffset, PageGeometry &g)
{
    const Margins &m = g.activeMargins;
    const qint64 half = g.half;
    g.insets = {roundHalfEven(half * 5, 100), roundHalfEven(half * 3, 100),
                roundHalfEven(half * 2, 100), roundHalfEven(half * 7, 1000)};
    const BookInsets &i = g.insets;

    g.buchseiten = {tocOffset, 16, nonNegative(cw - tocOffset), nonNegative(ch - 16)};
    const int height = pageSize(g.usableHeight - i.upper - i.lower - m.top - m.bottom);
    const int width = pageSize(g.half - i.outer - i.inner - m.left - m.right);
    const int top = g.buchseiten.top + i.upper + m.top;
    g.linkeSeite = {i.outer + m.left + tocOffset, top, width, height};
    // Both pages carry the left margin on their left.
    g.rechteSeite = {g.buchseiten.width / 2 + i.inner + m.left + tocOffset, top, width, height};
}

void placePlainPages(const PageGeometryInput &in, int cw, int tocOffset, PageGeometry &g)
{
    const Margins &m = g.activeMargins;
    const int dividerWidth = nonNegative(in.sizes.trennstrichWidth);
    g.trennstrich = {nonNegative(g.half + tocOffset - 1), 18, dividerWidth, g.usableHeight};
    g.querstrich = {tocOffset + 5, 16, nonNegative(cw - tocOffset - 5), 2};

    const int height = pageSize(g.usableHeight - m.top - m.bottom);
    const int width = pageSize(g.half - m.left - m.right - 5);
    const int top = m.top + 18;
    g.linkeSeite = {m.left + tocOffset + 4, top, width, height};
    // The margins mirror: the right margin lies on the divider's side of the right page.
    g.rechteSeite = {g.trennstrich.left + dividerWidth + m.right + 4, top, width, height};
}

// The left that centres a control of this width on centre, moved as little as needed to keep
// it inside the window.
int keptInside(int centredLeft, int width, int cw)
{
    return nonNegative(std::min(centredLeft, cw - width));
}

TopStrip placeTopStrip(const PageGeometryInput &in, int cw, int ch, int tocOffset)
{
    const ChromeSizes &s = in.sizes;
    const int centre = tocOffset + (cw - tocOffset) / 2;
    TopStrip t;

    t.seitenNrLinksLeft = keptInside(tocOffset + 8, s.seitenNrLinksWidth, cw);
    t.seitenNrRechtsLeft = nonNegative(cw - s.seitenNrRechtsWidth - 5);
    t.historyPanelLeft =
        keptInside(t.seitenNrLinksLeft + s.seitenNrLinksWidth + 8, s.historyPanelWidth, cw);

    // "<<", "BM" and ">>" keep their widths; "Menu" and "Help" share what is left.
    const int middle = s.chapterPrevWidth + s.lesezeichen2Width + s.chapterNextWidth + 4;
    const int side = std::clamp((cw - middle) / 2, 0, nonNegative(s.menuPanelWidth));
    t.menuPanelWidth = side;
    t.hilfePanelWidth = side;
    const int centredRow = centre - s.lesezeichen2Width / 2 - s.chapterPrevWidth - side - 2;
    const int rowShift = keptInside(centredRow, 2 * side + middle, cw) - centredRow;
    t.menuPanelLeft = centredRow + rowShift;
    t.hilfePanelLeft = centre + s.lesezeichen2Width / 2 + s.chapterNextWidth + 2 + rowShift;
    t.chapterPrevLeft = t.menuPanelLeft + side + 1;
    t.chapterNextLeft = t.hilfePanelLeft - s.chapterNextWidth - 1;
    t.lesezeichenLeft = t.chapterPrevLeft + s.chapterPrevWidth + 1;
    t.menuLeft = t.menuPanelLeft;
    t.hilfeLeft = t.menuPanelLeft;
    t.recentLeft = t.menuPanelLeft;
    t.menuHomeLeft = t.menuLeft;

    t.findenWidth = std::min(nonNegative(s.findenWidth), cw);
    t.findenLeft = keptInside(centre - t.findenWidth / 2, t.findenWidth, cw);
    t.findenTop = 0;
    t.findOptionsPanelLeft = t.findenLeft;
    t.findOptionsPanelTop = 16;
    t.letzteLeft = keptInside(centre - s.letzteWidth / 2, s.letzteWidth, cw);

    if (in.tocSide == TocSide::Left) {
        t.contents = {5, 5, 195, nonNegative(ch - 10)};
        t.chapterPreviewHeight = 130;
    } else {
        t.contents = {t.menuPanelLeft, 16, 262, 400};
        t.chapterPreviewHeight = 90;
    }
    t.tocCloseLeft = nonNegative(t.contents.width - 40);
    t.createTocLeft = nonNegative((t.contents.width - s.createTocWidth) / 2);
    return t;
}

} // namespace

int tocOffsetFor(TocSide side, bool contentsVisible, const QString &layoutCause)
{
    if (side != TocSide::Left)
        return 0;
    return contentsVisible || layoutCause == QLatin1String("DateiLaden") ? DockedTocOffset : 0;
}

PageGeometry computePageGeometry(const PageGeometryInput &in)
{
    const int cw = nonNegative(in.clientWidth);
    const int ch = nonNegative(in.clientHeight);
    const int tocOffset = nonNegative(in.tocOffset);

    PageGeometry g;
    g.half = nonNegative((cw - nonNegative(in.sizes.trennstrichWidth) - tocOffset) / 2);
    g.usableHeight = nonNegative(ch - 25);
    g.activeMargins = activeMarginsFor(in);

    if (in.style == PageStyle::Book)
        placeBookPages(cw, ch, tocOffset, g);
    else
        placePlainPages(in, cw, tocOffset, g);

    g.topStrip = placeTopStrip(in, cw, ch, tocOffset);
    return g;
}
