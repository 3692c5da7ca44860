#include "ui/Tavolex1.h"

#include "core/book/SettingsValues.h"
#include "core/book/TableOfContents.h"
#include "core/layout/RawLineBounds.h"
#include "ui/pages/KeyPoll.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSpinBox>
#include <QTableWidget>

namespace {

constexpr int kBandHeight = 16;
constexpr int kSourceRowTop = 36;
constexpr int kSourceRowHeight = 20;
constexpr int kListTop = 54 + kSourceRowHeight + 2;

// Pointer moves, presses and clicks over the table of contents and the "<<" and ">>" fields.
class TocPointerFilter : public QObject
{
public:
    explicit TocPointerFilter(TForm1 *form) : QObject(form), form(form) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::Show:
        case QEvent::Hide:
            if (watched == form->Contents)
                form->ShowTOC->setText(form->Contents->isVisible() ? QStringLiteral("&Hide TOC")
                                                                   : QStringLiteral("S&how TOC"));
            break;
        case QEvent::Resize:
            if (watched == form->Contents)
                form->layoutContents();
            break;
        case QEvent::MouseMove: {
            auto *mouse = static_cast<QMouseEvent *>(event);
            if (passedOnFromChild(watched, mouse))
                break;
            if (form->tocMoveSources().contains(watched))
                form->ContentsMouseMove(watched, mouse->position().toPoint());
            break;
        }
        case QEvent::MouseButtonPress: {
            auto *mouse = static_cast<QMouseEvent *>(event);
            if (watched == form->ChapterPrev || watched == form->ChapterNext) {
                form->ChapterJumpMouseDown(watched, mouse->button());
                return true;
            }
            if (insideContents(watched) && !passedOnFromChild(watched, mouse))
                form->ChapterListMouseDown(watched, mouse->button(), mouse->position().toPoint());
            break;
        }
        case QEvent::MouseButtonRelease: {
            auto *mouse = static_cast<QMouseEvent *>(event);
            const bool over =
                static_cast<QWidget *>(watched)->rect().contains(mouse->position().toPoint());
            if (mouse->button() == Qt::LeftButton && over) {
                if (watched == form->CreateTOC)
                    form->CreateTOCClick();
                else if (watched == form->TOCClose)
                    form->TOCCloseClick();
            }
            break;
        }
        default:
            break;
        }
        return false;
    }

private:
    // A press or move that a child did not take reaches its parent as well; it counts once.
    static bool passedOnFromChild(QObject *watched, QMouseEvent *mouse)
    {
        auto *widget = qobject_cast<QWidget *>(watched);
        return widget && widget->childAt(mouse->position().toPoint()) != nullptr;
    }

    bool insideContents(QObject *watched) const
    {
        for (QObject *o = watched; o; o = o->parent()) {
            if (o == form->Contents)
                return true;
        }
        return false;
    }

    TForm1 *form;
};

void setHint(QWidget *w, const QString &text)
{
    const QString shown = displayMessageText(text);
    w->setToolTip(shown);
    w->setToolTipDuration(80 * static_cast<int>(shown.size()) + 2000);
}

QLabel *makeBand(QFrame *&band, QWidget *parent, const QString &caption)
{
    band = new QFrame(parent);
    band->setFrameShape(QFrame::StyledPanel);
    band->setAutoFillBackground(true);
    auto *label = new QLabel(caption, band);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

} // namespace

void TForm1::buildTocPanel()
{
    Contents->setAttribute(Qt::WA_NoMousePropagation);
    ContentsTitle = new QLabel(QStringLiteral("TABLE OF CONTENTS"), Contents);
    ContentsTitle->setAlignment(Qt::AlignCenter);
    QFont bold = ContentsTitle->font();
    bold.setBold(true);
    ContentsTitle->setFont(bold);

    TOCLeft->move(4, 18);
    TOCLeft->resize(TOCLeft->sizeHint().width(), kBandHeight);
    for (QLabel *label : {CreateTOC, TOCClose}) {
        label->setCursor(Qt::PointingHandCursor);
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, QColor(0x00, 0x80, 0x80));
        label->setPalette(palette);
        label->setFont(bold);
        label->resize(label->sizeHint().width(), kBandHeight);
        label->move(label->x(), 18);
    }
    setHint(CreateTOC, QStringLiteral("Create TOC now"));
    setHint(TOCClose, QStringLiteral("Hides the TOC panel"));

    ChapterLabelDown = makeBand(ChapterPanelDown, Contents,
                                QStringLiteral("Click on a line to jump to that section"));
    ChapterLabelUp = makeBand(ChapterPanelUp, Contents, QStringLiteral("PREVIEW"));

    ChapterList = new QTableWidget(1, 3, Contents);
    ChapterList->horizontalHeader()->hide();
    ChapterList->verticalHeader()->hide();
    ChapterList->verticalHeader()->setDefaultSectionSize(ChapterList->fontMetrics().height() + 3);
    ChapterList->setSelectionBehavior(QAbstractItemView::SelectRows);
    ChapterList->setSelectionMode(QAbstractItemView::SingleSelection);
    ChapterList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ChapterList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ChapterList->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    ChapterList->setWordWrap(false);
    ChapterList->setTextElideMode(Qt::ElideNone);
    ChapterList->setFocusPolicy(Qt::NoFocus);
    ChapterList->setColumnWidth(0, 30);
    ChapterList->setColumnWidth(1, 239);
    ChapterList->setColumnHidden(2, true);
    // The Page column stays in view: first lines are cut at the table's edge, never scrolled to,
    // whatever a click, a drag or the selection asks.
    ChapterList->setAutoScroll(false);
    connect(ChapterList->horizontalScrollBar(), &QScrollBar::valueChanged, ChapterList,
            [bar = ChapterList->horizontalScrollBar()](int value) {
                if (value != 0)
                    bar->setValue(0);
            });
    setHint(ChapterList, QStringLiteral("Each section is represented by its first line"));

    buildTocSourceControls();

    ChapterPreview = new QPlainTextEdit(Contents);
    ChapterPreview->setReadOnly(true);
    ChapterPreview->setFocusPolicy(Qt::NoFocus);
    setHint(ChapterPreview, QStringLiteral("Click on a TOC line (above) to see the text of the "
                                           "section header in this preview."));
    clearToc();

    auto *filter = new TocPointerFilter(this);
    for (QWidget *w : Contents->findChildren<QWidget *>())
        w->installEventFilter(filter);
    Contents->installEventFilter(filter);
    for (QObject *o : tocMoveSources()) {
        static_cast<QWidget *>(o)->setMouseTracking(true);
        o->installEventFilter(filter);
    }
    for (QLabel *jump : {ChapterPrev, ChapterNext})
        jump->installEventFilter(filter);
    layoutContents();

    connect(AutomaticTOC, &QCheckBox::toggled, this, &TForm1::AutomaticTOCClick);
    connect(PreChapter, &QLineEdit::textChanged, this, &TForm1::PreChapterChange);
    connect(ChapterLines, &QLineEdit::textChanged, this, &TForm1::ChapterLinesChange);
    connect(ChapterCountBlank, &QCheckBox::toggled, this, &TForm1::ChapterCountBlankClick);
    connect(TOCLeft, &QCheckBox::toggled, this, &TForm1::TOCLeftClick);
}

QList<QObject *> TForm1::tocMoveSources() const
{
    return {ChapterList->viewport(), ChapterPreview->viewport(), ChapterPanelDown, ChapterLabelDown,
            ChapterLabelUp};
}

void TForm1::layoutContents()
{
    const int w = Contents->width();
    const int h = Contents->height();
    const int frame = Contents->frameWidth();
    const int inner = w - 2 * frame;
    const int previewHeight = TOCLeft->isChecked() ? 130 : 90;
    ContentsTitle->setGeometry(frame, 2, inner, 14);
    const int choiceWidth = std::min(150, inner * 3 / 5);
    TocSourceChoice->setGeometry(frame + 2, kSourceRowTop, choiceWidth, kSourceRowHeight);
    TocRule->setGeometry(frame + 4 + choiceWidth, kSourceRowTop, inner - choiceWidth - 6,
                         kSourceRowHeight);
    ChapterPanelDown->setGeometry(frame, kListTop - kBandHeight - 2, inner, kBandHeight);
    ChapterLabelDown->setGeometry(0, 0, inner, kBandHeight);
    // The docked panel is narrower than the band's sentence in the usual size.
    QFont bandFont = Contents->font();
    while (bandFont.pointSize() > 6 &&
           QFontMetrics(bandFont).horizontalAdvance(ChapterLabelDown->text()) > inner - 4)
        bandFont.setPointSize(bandFont.pointSize() - 1);
    ChapterLabelDown->setFont(bandFont);
    const int previewTop = h - frame - previewHeight;
    const int upTop = previewTop - kBandHeight;
    ChapterList->setGeometry(frame, kListTop, inner, std::max(0, upTop - kListTop));
    ChapterPanelUp->setGeometry(frame, upTop, inner, kBandHeight);
    ChapterLabelUp->setGeometry(0, 0, inner, kBandHeight);
    ChapterPreview->setGeometry(frame, previewTop, inner, previewHeight);
}

bool TForm1::tocHasSections() const
{
    return ChapterList->rowCount() > 1;
}

void TForm1::clearToc()
{
    ChapterList->setRowCount(1);
    for (int column = 0; column < 3; ++column)
        ChapterList->setItem(0, column, new QTableWidgetItem());
    ChapterList->clearSelection();
    ChapterPreview->clear();
    showTocSourceTaken({});
    tocBuilt = false;
}

void TForm1::buildTocIfNeverBuilt()
{
    if (tocBuilt || state.FileName.isEmpty() || !Contents->isVisible())
        return;
    setBusyPointer(true);
    BuildToc();
    UpdateTitle();
    setBusyPointer(false);
}

void TForm1::BuildToc()
{
    setProgressTitle(QStringLiteral("Creating TOC ..."));
    state.LayoutCause = QStringLiteral("FindChapters");
    const LayoutHold hold(*this);
    KeyPoll poll(this, keyPollIntervalMs);
    if (ChapterList->rowCount() > 1) {
        clearToc();
        if (Contents->isVisible())
            Contents->repaint();
    }
    TocInput input;
    input.totalLines = state.TotalLines;
    input.linesPerPage = state.LinesPerPage;
    input.pageCount = state.PageCount;
    input.precedingBlankLinesText = PreChapter->text();
    input.headerSizeText = ChapterLines->text();
    input.countBlankLines = ChapterCountBlank->isChecked();
    input.source = static_cast<TocSource>(std::max(0, TocSourceChoice->currentIndex()));
    input.headingRule = state.HeadingRule;
    input.wholeLine = [this](int n) { return FittedLineIsWholeRawLine(state.pieces, n); };
    input.markedSection = [this](int n) { return markedSection(n); };
    // Fitted lines are views of the working text: between two lines of one raw line broken at
    // spaces stand those spaces and nothing else.
    input.brokenAtSpace = [this](int n) {
        if (n < 1 || n >= state.TotalLines)
            return false;
        const QStringView line = ::FittedLine(state.pieces, n);
        const QStringView next = ::FittedLine(state.pieces, n + 1);
        const QChar *end = line.data() + line.size();
        if (!line.data() || !next.data() || next.data() <= end)
            return false;
        return std::all_of(end, next.data(), [](QChar c) { return c == u' '; });
    };
    const TocResult result = ::BuildToc(
        input, [this](int n) { return ::FittedLine(state.pieces, n); },
        [&poll] { return poll.takeKey() == Qt::Key_Space || poll.closeRequested(); },
        [this, pace = ProgressPace(progressTitleIntervalMs)](int n, int page) mutable {
            if (pace.due())
                setProgressTitle(tocProgressTitle(n, page, state.PageCount));
        });
    if (result.end == TocEnd::BadHeaderSize) {
        // The operation ends here; the layout must not stay marked as busy with it.
        state.LayoutCause.clear();
        tocBuilt = true; // reported once, not again whenever the panel opens
        prompts().notice(this, invalidIntegerMessage(ChapterLines->text()));
        return;
    }
    if (result.end == TocEnd::RuleTooSlow) {
        state.LayoutCause.clear();
        prompts().notice(this, headingRuleTooSlowMessage(input.headingRule));
        return;
    }
    showTocSourceTaken(input.source == TocSource::Automatic && result.end != TocEnd::SpaceStopped
                           ? tocSourceCaption(result.used)
                           : QString());
    if (!result.sections.isEmpty()) {
        const qsizetype n = result.sections.size();
        ChapterList->setRowCount(static_cast<int>(n + 1));
        QFont bold = ChapterList->font();
        bold.setBold(true);
        const QString heading[] = {QStringLiteral("Page"), QStringLiteral("First line"), QString()};
        for (int column = 0; column < 3; ++column) {
            auto *item = new QTableWidgetItem(heading[column]);
            item->setFlags(Qt::ItemIsEnabled);
            item->setFont(bold);
            item->setBackground(palette().button());
            ChapterList->setItem(0, column, item);
        }
        for (qsizetype i = 0; i < n; ++i) {
            const TocSection &s = result.sections[i];
            const int row = static_cast<int>(i + 1);
            ChapterList->setItem(row, 0, new QTableWidgetItem(QString::number(s.page)));
            ChapterList->setItem(row, 1, new QTableWidgetItem(s.firstLine));
            ChapterList->setItem(row, 2, new QTableWidgetItem(s.header));
        }
        ChapterList->setCurrentCell(1, 0);
        showTocPreview(1);
    }
    tocBuilt = true;
    state.LayoutCause.clear();
}

void TForm1::showTocPreview(int row)
{
    const QTableWidgetItem *item = ChapterList->item(row, 2);
    QString header = item ? item->text() : QString();
    header.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    ChapterPreview->setPlainText(header);
}

void TForm1::selectTocRow(int row)
{
    ChapterList->setCurrentCell(row, 0);
    ChapterList->scrollToItem(ChapterList->item(row, 0));
    showTocPreview(row);
}

void TForm1::JumpToSection(bool forward)
{
    if (!tocHasSections())
        return;
    QList<int> pages;
    for (int row = 1; row < ChapterList->rowCount(); ++row)
        pages << ChapterList->item(row, 0)->text().toInt();
    const int P0 = state.CurrentPage;
    state.CurrentPage = sectionJumpTarget(pages, state.CurrentPage, state.PageCount, forward);
    if (state.CurrentPage != P0)
        ShowSpread();
}

void TForm1::ContentsMouseMove(QObject *sender, QPoint pos)
{
    if (Menu->isVisible() || Hilfe->isVisible())
        MenuHilfeAus(Contents, std::max(0, pos.x()), std::max(0, pos.y()));
    if (!tocHasSections())
        return;
    const int selected = ChapterList->currentRow();
    const int last = ChapterList->rowCount() - 1;
    enum class Over { Heading, Row, Below } over = Over::Below;
    int row = -1;
    if (sender == ChapterList->viewport()) {
        row = ChapterList->rowAt(pos.y());
        over = row == 0 ? Over::Heading : row > 0 ? Over::Row : Over::Below;
    } else if (sender == ChapterLabelDown || sender == ChapterPanelDown) {
        over = Over::Heading;
    }
    switch (over) {
    case Over::Heading:
        if (selected > 1)
            selectTocRow(selected - 1);
        break;
    case Over::Row:
        if (row != selected)
            selectTocRow(row);
        break;
    case Over::Below:
        if (selected < last)
            selectTocRow(std::max(1, selected + 1));
        break;
    }
}

void TForm1::ChapterListMouseDown(QObject *sender, Qt::MouseButton button, QPoint pos)
{
    if (button == Qt::LeftButton && sender == ChapterList->viewport() && tocHasSections()) {
        const int row = ChapterList->rowAt(pos.y());
        if (row >= 1) {
            const int P0 = state.CurrentPage;
            state.CurrentPage = ChapterList->item(row, 0)->text().toInt();
            state.CurrentPage = std::max(std::min(state.CurrentPage, state.PageCount), 1);
            if (state.CurrentPage != P0)
                ShowSpread();
        }
    }
    // The menu opens at the pointer; other buttons only close what is open.
    Mausklick(Contents, button, button == Qt::RightButton ? QCursor::pos() : QPoint(-1, -1));
}

void TForm1::ChapterJumpMouseDown(QObject *sender, Qt::MouseButton button)
{
    if (state.FileName.isEmpty())
        return;
    if (button == Qt::RightButton) {
        MenuHilfeAus();
        state.SkipPointerCheck = true;
        SetTocPanelShown(true);
    } else if (button == Qt::LeftButton) {
        JumpToSection(sender == ChapterNext);
    }
}

void TForm1::ShowTOCClick()
{
    if (state.FileName.isEmpty())
        return;
    const bool shown = Contents->isVisible();
    state.MenuCommandActive = true;
    MenuHilfeAus();
    ResetCommandLabels(nullptr);
    SetTocPanelShown(!shown);
}

void TForm1::TOCCloseClick()
{
    SetTocPanelShown(false);
}

void TForm1::CreateTOCClick()
{
    setBusyPointer(true);
    BuildToc();
    UpdateTitle();
    setBusyPointer(false);
}

void TForm1::rebuildTocAfterSettingChange()
{
    if (state.TocSettingsLoading || !AutomaticTOC->isChecked())
        return;
    setBusyPointer(true);
    BuildToc();
    UpdateTitle();
    setBusyPointer(false);
}

void TForm1::PreChapterChange()
{
    if (PreChapterUpDown->value() == state.PreChapterValue)
        return;
    state.PreChapterValue = PreChapterUpDown->value();
    writeDocumentKey(QStringLiteral("Preceding blank lines"), PreChapter->text());
    PreChapter->repaint();
    rebuildTocAfterSettingChange();
}

void TForm1::ChapterLinesChange()
{
    if (ChapterLinesUpDown->value() == state.ChapterLinesValue)
        return;
    state.ChapterLinesValue = ChapterLinesUpDown->value();
    writeDocumentKey(QStringLiteral("Section header size"), ChapterLines->text());
    ChapterLines->repaint();
    rebuildTocAfterSettingChange();
}

void TForm1::ChapterCountBlankClick()
{
    writeDocumentKey(QStringLiteral("Count blank lines"),
                     switchText(ChapterCountBlank->isChecked()));
    rebuildTocAfterSettingChange();
}

void TForm1::AutomaticTOCClick()
{
    writeDocumentKey(QStringLiteral("Automatically create TOC"),
                     switchText(AutomaticTOC->isChecked()));
}

void TForm1::TOCLeftClick()
{
    if (!state.TocSettingsLoading) {
        clearToc();
        layoutContents();
        FormResize();
    }
    writeDocumentKey(QStringLiteral("TOC on left side"), switchText(TOCLeft->isChecked()));
}
