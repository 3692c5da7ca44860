#include "ui/Tavolex1.h"

#include "ui/panels/PanelWidgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSpinBox>

namespace {

QRect toRect(const PixelRect &r)
{
    return QRect(r.left, r.top, r.width, r.height);
}

} // namespace

PageGeometryInput TForm1::geometryInput() const
{
    PageGeometryInput in;
    in.clientWidth = width();
    in.clientHeight = height();
    in.style = ShowPages->isChecked() ? PageStyle::Book : PageStyle::Plain;
    in.marginUse = ApplyMargins->isChecked() ? MarginUse::Apply : MarginUse::Ignore;
    in.marginSettings = state.MarginSettings;
    in.tocSide = TOCLeft->isChecked() ? TocSide::Left : TocSide::Floating;
    in.tocOffset = state.TocOffset;
    in.sizes.trennstrichWidth = Trennstrich->width();
    in.sizes.seitenNrLinksWidth = SeitenNrLinks->width();
    in.sizes.seitenNrRechtsWidth = SeitenNrRechts->width();
    // "Menu", "Help" and the find bar keep their designed widths here: the layout narrows them
    // in narrow windows, and must widen them again.
    in.sizes.chapterPrevWidth = ChapterPrev->width();
    in.sizes.lesezeichen2Width = Lesezeichen2->width();
    in.sizes.chapterNextWidth = ChapterNext->width();
    in.sizes.letzteWidth = Letzte->width();
    in.sizes.createTocWidth = CreateTOC->sizeHint().width();
    in.sizes.historyPanelWidth = HistoryPanel->width();
    return in;
}

void TForm1::placeFromGeometry(const PageGeometry &g)
{
    const QString &cause = state.LayoutCause;
    const bool changeMargins = cause == QLatin1String("ChangeMargins");
    const bool changeStyle = cause == QLatin1String("ChangeStyle");
    state.ActiveMargins = g.activeMargins;
    LinkeSeite->setGeometry(toRect(g.linkeSeite));
    RechteSeite->setGeometry(toRect(g.rechteSeite));
    if (ShowPages->isChecked()) {
        if (!changeMargins) {
            Trennstrich->hide();
            Querstrich->hide();
            Buchseiten->setGeometry(toRect(g.buchseiten));
        }
        Buchseiten->show();
        Buchseiten->lower();
    } else if (!changeMargins) {
        Trennstrich->setGeometry(toRect(g.trennstrich));
        Querstrich->setGeometry(toRect(g.querstrich));
        Trennstrich->show();
        Querstrich->show();
    }
    if (changeMargins || changeStyle)
        return;
    const TopStrip &t = g.topStrip;
    SeitenNrLinks->move(t.seitenNrLinksLeft, 0);
    SeitenNrRechts->move(t.seitenNrRechtsLeft, 0);
    HistoryPanel->move(t.historyPanelLeft, 0);
    MenuPanel->setGeometry(t.menuPanelLeft, 0, t.menuPanelWidth, MenuPanel->height());
    Menu->move(t.menuLeft, Menu->y());
    sizeMenu(Menu->width() > panels::kSmallMenuWidth);
    Finden->setGeometry(t.findenLeft, t.findenTop, t.findenWidth, Finden->height());
    FindOptionsPanel->setGeometry(t.findOptionsPanelLeft, t.findOptionsPanelTop, t.findenWidth,
                                  FindOptionsPanel->height());
    layoutFindBar();
    state.MenuHomeLeft = t.menuHomeLeft;
    HilfePanel->setGeometry(t.hilfePanelLeft, 0, t.hilfePanelWidth, HilfePanel->height());
    Hilfe->move(t.hilfeLeft, Hilfe->y());
    Letzte->move(t.letzteLeft, 0);
    Recent->move(t.recentLeft, Recent->y());
    ChapterPrev->move(t.chapterPrevLeft, 0);
    ChapterNext->move(t.chapterNextLeft, 0);
    Lesezeichen->move(t.lesezeichenLeft, 0);
    for (QLabel *l : {MenuPanel, ChapterPrev, Lesezeichen, ChapterNext, HilfePanel})
        l->show();
    Contents->setGeometry(toRect(t.contents));
    TOCClose->move(t.tocCloseLeft, TOCClose->y());
    CreateTOC->move(t.createTocLeft, CreateTOC->y());
    update();
}

TForm1::LayoutHold::LayoutHold(TForm1 &form) : form(form)
{
    ++form.layoutHolds;
}

TForm1::LayoutHold::~LayoutHold()
{
    if (--form.layoutHolds > 0 || !form.layoutPassHeld)
        return;
    form.layoutPassHeld = false;
    // Queued: the scan may be part of a fit or a pass that has yet to finish.
    QMetaObject::invokeMethod(
        &form, [target = &form] { target->FormResize(); }, Qt::QueuedConnection);
}

void TForm1::FormResize()
{
    if (state.Closing || state.Creating)
        return;
    if (layoutHolds > 0) {
        layoutPassHeld = true;
        return;
    }
    const bool tocWasVisible = Contents->isVisible();
    state.TocOffset = tocOffsetFor(TOCLeft->isChecked() ? TocSide::Left : TocSide::Floating,
                                   tocWasVisible, state.LayoutCause);
    const QString &cause = state.LayoutCause;
    if (cause != QLatin1String("ChangeMargins"))
        Buchseiten->hide();
    if (cause != QLatin1String("ChangeMargins") && cause != QLatin1String("ChangeStyle")) {
        Menu->hide();
        Hilfe->hide();
    }
    for (QWidget *w : std::initializer_list<QWidget *>{Contents, LinkeSeite, RechteSeite,
                                                        SeitenNrLinks, SeitenNrRechts,
                                                        Lesezeichen1, Lesezeichen2, Lesezeichen3})
        w->hide();
    for (QLabel *l : {MenuPanel, ChapterPrev, Lesezeichen, ChapterNext, HilfePanel})
        l->show();

    placeFromGeometry(computePageGeometry(geometryInput()));

    if (cause == QLatin1String("DateiLaden") && TOCLeft->isChecked()) {
        SetTocPanelShown(true);
    } else if (tocWasVisible) {
        Contents->show();
        if (!TOCLeft->isChecked() && PointerOutsidePanel(Contents))
            QCursor::setPos(mapToGlobal(QPoint(Contents->x() + Contents->width() / 2,
                                               Contents->y() + 25)));
    }

    if (state.FileName.isEmpty()) {
        FirstShowHook();
        return;
    }
    History->clear();
    if (AutoFitAll->isChecked() &&
        (cause != QLatin1String("ChangeMargins") || LayoutChangedSinceFit()))
        FitLines();
    else if (cause == QLatin1String("DateiLaden"))
        FitLines();
    else
        Repaginate();
}

void TForm1::Repaginate()
{
    const int P = state.CurrentPage;
    const int Q = state.LinesPerPage;
    state.LinesPerPage = LinesPerPageFor();
    state.PageCount = pageCountFor(state.TotalLines, state.LinesPerPage);
    state.CurrentPage = std::min(
        static_cast<int>(std::nearbyint(static_cast<double>(P - 1) * Q / state.LinesPerPage)) + 1,
        state.PageCount);
    // The same move as after a fit, with the line count unchanged.
    moveBookmarks(Q, state.TotalLines);
    ShowSpread();
    LinkeSeite->repaint();
    RechteSeite->repaint();
    if (AutomaticTOC->isChecked()) {
        BuildToc();
    } else {
        clearToc();
        buildTocIfNeverBuilt();
    }
    UpdateTitle();
    SaveDocumentSettings();
}

void TForm1::SetTocPanelShown(bool show)
{
    const bool blocked = IsExcludedFile(state.FileName) || state.MultiMemberArchive;
    if (show && !Contents->isVisible()) {
        Contents->show();
        Contents->raise();
        if (TOCLeft->isChecked() && state.LayoutCause != QLatin1String("DateiLaden"))
            FormResize();
        if (!blocked && !state.FileName.isEmpty())
            writeDocumentKey(QStringLiteral("TOC on left side"),
                             TOCLeft->isChecked() ? QStringLiteral("Yes") : QStringLiteral("No"));
        if (!TOCLeft->isChecked() && PointerOutsidePanel(Contents))
            QCursor::setPos(mapToGlobal(QPoint(Contents->x() + Contents->width() / 2,
                                               Contents->y() + 25)));
        // While a book opens, its fit builds or empties the table.
        if (state.LayoutCause != QLatin1String("DateiLaden"))
            buildTocIfNeverBuilt();
    } else if (!show && Contents->isVisible()) {
        Contents->hide();
        if (!blocked && !state.FileName.isEmpty())
            writeDocumentKey(QStringLiteral("TOC on left side"), QStringLiteral("No"));
        if (TOCLeft->isChecked())
            TOCLeft->setChecked(false);
    }
}

bool TForm1::PointerOutsidePanel(QWidget *panel)
{
    if (state.SkipPointerCheck) {
        state.SkipPointerCheck = false;
        return false;
    }
    if (MenuClickOnly->isChecked()) {
        state.SkipPointerCheck = false;
        return false;
    }
    const QPoint p = mapFromGlobal(QCursor::pos());
    const QRect r = panel->geometry();
    return !r.contains(p);
}

void TForm1::fitPageNumberLabels()
{
    // The designed width holds five digits; longer numbers widen their label, the right one
    // towards the middle, so that no digit is cut off.
    constexpr int designedWidth = 33;
    const int digits = int(QString::number(state.PageCount + 1).size());
    for (QLabel *label : {SeitenNrLinks, SeitenNrRechts}) {
        const int needed = std::max(
            designedWidth, label->fontMetrics().horizontalAdvance(QString(digits, u'0')) + 8);
        const int grown = needed - label->width();
        if (grown == 0)
            continue;
        if (label == SeitenNrRechts) {
            label->setGeometry(label->x() - grown, label->y(), needed, label->height());
        } else {
            label->resize(needed, label->height());
            HistoryPanel->move(HistoryPanel->x() + grown, HistoryPanel->y());
        }
    }
}
