#include "ui/Tavolex1.h"

#include "core/book/IniFile.h"
#include "ui/pages/FixedPitchLayout.h"
#include "core/text/CodePages.h"
#include "ui/dialogs/FindInFilesDialog.h"
#include "ui/dialogs/ZipForm.h"
#include "ui/speech/QtSpeaker.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScopedValueRollback>
#include <QSpinBox>

// Delivers every key press of the reader window and its children to FormKeyDown first.
class KeyPreviewFilter : public QObject
{
public:
    explicit KeyPreviewFilter(TForm1 *form) : form(form) {}
    bool enabled = true;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!enabled || event->type() != QEvent::KeyPress || !watched->isWidgetType())
            return false;
        auto *widget = static_cast<QWidget *>(watched);
        // The key reaches the filter once per receiver on its way up; act on the focus widget only.
        if (widget->window() != form ||
            (QApplication::focusWidget() && QApplication::focusWidget() != widget))
            return false;
        auto *key = static_cast<QKeyEvent *>(event);
        return form->FormKeyDown(key->key(), key->modifiers());
    }

private:
    TForm1 *form;
};

namespace {

constexpr int kTopStripHeight = 16;

QLabel *makeStripLabel(QWidget *parent, const QString &caption, int width)
{
    auto *label = new QLabel(caption, parent);
    label->setAlignment(Qt::AlignCenter);
    label->resize(width, kTopStripHeight);
    label->setCursor(Qt::PointingHandCursor);
    return label;
}

QPlainTextEdit *makePage(QWidget *parent)
{
    auto *page = new QPlainTextEdit(parent);
    FixedPitchLayout::install(page);
    page->setReadOnly(true);
    page->setFrameShape(QFrame::NoFrame);
    page->setLineWrapMode(QPlainTextEdit::NoWrap);
    page->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    page->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    page->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    page->document()->setDocumentMargin(2);
    page->setContextMenuPolicy(Qt::NoContextMenu);
    return page;
}

} // namespace

TForm1::TForm1(const QString &settingsPath, const QString &programDir, const QStringList &arguments,
               std::unique_ptr<Prompts> prompts, std::unique_ptr<Speaker> speaker)
    : QWidget(nullptr), settingsPath(settingsPath), programDir(programDir), arguments(arguments),
      promptsImpl(std::move(prompts)), speakerImpl(std::move(speaker))
{
    FormCreate();
}

TForm1::~TForm1()
{
    // FormDestroy: the filter must not outlive the window it reports to.
    if (keyPreview)
        qApp->removeEventFilter(keyPreview.get());
    setBusyPointer(false);
    // The event filters read this window's members; the child controls, destroyed after those
    // members, still send them events (hide, leave). The filters go first.
    const QObjectList helpers = children();
    for (QObject *child : helpers) {
        if (!child->isWidgetType())
            delete child;
    }
}

void TForm1::FormCreate()
{
    state.Creating = true;
    state.Closing = false;
    setWindowTitle(QStringLiteral("Tavolex Version 1.8.2 - May 2003"));
    if (!speakerImpl)
        speakerImpl = std::make_unique<QtSpeaker>();
    createControls();
    setAcceptDrops(true);
    ZipForm = new TZipForm(this);
    FIFForm = new TFIFForm(this);
    FIFForm->codePageOf = [this](const QString &path) {
        return codePageFromSetting(ini->readString(path, QStringLiteral("Code page"), {}));
    };
    if (!promptsImpl)
        promptsImpl = std::make_unique<QtPrompts>(ZipForm);
    ini = std::make_unique<IniFile>(settingsPath);
    BuildBookPicture();
    LoadSettings();
    BuildFontChoice();
    if (fontsExhausted)
        return; // the program ends before the window is shown
    InitReaderState();
    applyMenuSettings();
    applySpeechSettings();
    // Smoothing is a property of the page font here; it starts on.
    state.InitialFontSmoothing = true;
    Antialiasing->setChecked(true);
    keyPreview = std::make_unique<KeyPreviewFilter>(this);
    qApp->installEventFilter(keyPreview.get());
    state.Creating = false;
}

void TForm1::createControls()
{
    setCursor(Qt::SizeHorCursor);
    setMinimumSize(200, 150);

    Buchseiten = new QLabel(this);
    Buchseiten->setScaledContents(true);
    Buchseiten->setCursor(Qt::SizeHorCursor);
    Buchseiten->setAttribute(Qt::WA_TransparentForMouseEvents);

    Trennstrich = new QFrame(this);
    Trennstrich->setFrameShape(QFrame::VLine);
    Trennstrich->setFrameShadow(QFrame::Sunken);
    Trennstrich->setGeometry(398, 18, 2, 560);
    Trennstrich->setAttribute(Qt::WA_TransparentForMouseEvents);
    Querstrich = new QFrame(this);
    Querstrich->setFrameShape(QFrame::HLine);
    Querstrich->setFrameShadow(QFrame::Sunken);
    Querstrich->setGeometry(5, 16, 790, 2);
    Querstrich->setAttribute(Qt::WA_TransparentForMouseEvents);

    LinkeSeite = makePage(this);
    RechteSeite = makePage(this);
    LinkeSeite->setGeometry(4, 18, 394, 560);
    RechteSeite->setGeometry(404, 18, 394, 560);
    for (QPlainTextEdit *page : {LinkeSeite, RechteSeite}) {
        page->installEventFilter(this);
        page->viewport()->installEventFilter(this);
    }

    SeitenNrLinks = makeStripLabel(this, QString(), 33);
    SeitenNrRechts = makeStripLabel(this, QString(), 33);
    HistoryPanel = new QWidget(this);
    HistoryPanel->hide();
    History = new QComboBox(HistoryPanel);

    MenuPanel = makeStripLabel(this, QStringLiteral("Menu"), 87);
    ChapterPrev = makeStripLabel(this, QStringLiteral("<<"), 28);
    Lesezeichen = makeStripLabel(this, QStringLiteral("BM"), 28);
    ChapterNext = makeStripLabel(this, QStringLiteral(">>"), 28);
    HilfePanel = makeStripLabel(this, QStringLiteral("Help"), 87);
    // A label shows "&" as it is; without a buddy there is no mnemonic to mark.
    Letzte = makeStripLabel(this, QStringLiteral("Recent"), 86);
    Letzte->hide();
    Lesezeichen1 = makeStripLabel(this, QString(), 28);
    Lesezeichen2 = makeStripLabel(this, QString(), 28);
    Lesezeichen3 = makeStripLabel(this, QString(), 28);
    for (QLabel *b : {Lesezeichen1, Lesezeichen2, Lesezeichen3})
        b->hide();

    const auto makePanel = [this](int width, int height) {
        auto *panel = new QFrame(this);
        panel->setFrameShape(QFrame::Box);
        panel->setAutoFillBackground(true);
        panel->resize(width, height);
        panel->setCursor(Qt::ArrowCursor);
        panel->hide();
        return panel;
    };
    Menu = makePanel(87, 380);
    Menu->move(0, kTopStripHeight);
    Hilfe = makePanel(380, 380);
    Recent = makePanel(262, 233);
    Contents = makePanel(262, 400);
    Finden = makePanel(440, 16);
    FindOptionsPanel = makePanel(440, 60);
    TOCClose = new QLabel(QStringLiteral("Hide"), Contents);
    CreateTOC = new QLabel(QStringLiteral("Create"), Contents);

    buildMenuPanels();
    buildRecentPanel();
    buildBookmarkFields();
    buildPageJumpControls();

    OriginalText = new QPlainTextEdit(this);
    OriginalText->hide();

    connect(ZWEntfernen, &QCheckBox::toggled, this, &TForm1::ZWEntfernenClick);
    connect(Punctuation, &QCheckBox::toggled, this, &TForm1::PunctuationClick);
    connect(Einzug, &QCheckBox::toggled, this, &TForm1::EinzugClick);
    connect(ShortLines, &QCheckBox::toggled, this, &TForm1::ShortLinesClick);
    connectFontSettings();
}

void TForm1::InitReaderState()
{
    OriginalText->setGeometry(rect());
    OriginalText->raise();
    state.HelpPage = 1;
    state.FocusPage = QStringLiteral("Links");
    state.TextModified = false;
    state.SkipPointerCheck = false;
    state.MenuCommandActive = false;
    state.BreaksRemoved = false;
    state.OptionRefitBlocked = false;
    state.NavigatingHistory = false;
    state.TocSettingsLoading = false;
    state.RemovalPunctuationRule = false;
    state.RemovalIndentRule = false;
    Punctuation->setEnabled(ZWEntfernen->isChecked());
    Einzug->setEnabled(ZWEntfernen->isChecked());
    ShortLines->setEnabled(ZWEntfernen->isChecked());
    state.MultiMemberArchive = false;
    state.MemberPreselected = false;
    state.LayoutCause.clear();
    state.TotalLines = 0;
    state.PreviousTotalLines = 0;
    state.CurrentPage = 1;
    state.PendingJumpDigit = -1;
    state.LinesPerPage = LinesPerPageFor();
    PreChapter->setFixedWidth(12);
    ChapterLines->setFixedWidth(12);
    state.MenuHomeTop = Menu->y();
    state.PreChapterValue = PreChapter->text().toInt();
    state.ChapterLinesValue = ChapterLines->text().toInt();
    setWindowTitle(QStringLiteral("Tavolex Version 1.8.2 - May 2003"));

    const auto hint = [](QWidget *w, const QString &text) {
        // "\r" in a hint starts a new line; hints stay 80 ms per character plus two seconds.
        const QString shown = displayMessageText(text);
        w->setToolTip(shown);
        w->setToolTipDuration(80 * static_cast<int>(shown.size()) + 2000);
    };
    hint(SeitenNrLinks,
         QStringLiteral("Left click: Enter left page number\rRight click: Show/hide page history"));
    hint(SeitenNrRechts, QStringLiteral("Left click: Enter right page number"));
    hint(ChapterPrev, QStringLiteral("Left click (or Ctrl + <-): Jump to previous section\rRight "
                                     "click: Show table of contents"));
    hint(ChapterNext, QStringLiteral("Left click (or Ctrl + ->): Jump to next section\rRight "
                                     "click: Show table of contents"));
    hint(Lesezeichen,
         QStringLiteral("Left click: Set bookmark (up to 3)\rRight click: Show recent files list"));
    for (QWidget *w : findChildren<QWidget *>()) {
        if (!w->toolTip().isEmpty() && w->toolTipDuration() <= 0)
            w->setToolTipDuration(80 * static_cast<int>(w->toolTip().size()) + 2000);
    }
}

QString TForm1::LongPathName(const QString &path)
{
    // Short path forms do not exist here; the long form is the absolute, cleaned path.
    if (path.isEmpty())
        return path;
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

void TForm1::FirstShowHook()
{
    // A message box of the open runs layout passes of its own; they must not open it again.
    if (firstShowHookRunning)
        return;
    const QScopedValueRollback running(firstShowHookRunning, true);
    startSpeechInBackground();
    LinkeSeite->show();
    RechteSeite->show();
    SeitenNrLinks->show();
    SeitenNrRechts->show();
    if (arguments.isEmpty()) {
        if (AutoOpen->isChecked())
            OpenLatest();
        return;
    }
    const QString first = arguments.first();
    // A folder, a device, a FIFO or a missing file opens nothing; said once, not at every
    // layout pass that finds the window without a book.
    if (!QFileInfo(first).isFile()) {
        if (!commandLineRefused) {
            commandLineRefused = true;
            prompts().notice(this, QStringLiteral("Cannot open this file!\r") + LongPathName(first));
        }
        return;
    }
    state.PreviousFileName = state.FileName;
    state.FileName = LongPathName(first);
    setProgressTitle(QStringLiteral("Opening file ") + state.FileName + QStringLiteral(" ..."));
    OpenDocument();
    if (!state.OpenFailed)
        AddToRecent();
}

void TForm1::setBusyPointer(bool busy)
{
    if (busy == busyPointerShown)
        return;
    busyPointerShown = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void TForm1::setProgressTitle(const QString &title)
{
    if (windowTitle() != title)
        setWindowTitle(title);
}

void TForm1::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    OriginalText->setGeometry(rect());
    if (placementRestored)
        FormResize();
}

void TForm1::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!placementRestored) {
        placementRestored = true;
        // The first layout pass may open a book: it runs once the window is on screen, so that
        // the progress in the title and any message appear with the window, not before it.
        QMetaObject::invokeMethod(this, &TForm1::FormResize, Qt::QueuedConnection);
    }
}

void TForm1::mousePressEvent(QMouseEvent *event)
{
    Blaettern(event->button());
}

void TForm1::closeEvent(QCloseEvent *event)
{
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    SaveWindowPlacement();
    event->accept();
}

void TForm1::setKeyPreview(bool on)
{
    if (keyPreview)
        keyPreview->enabled = on;
}

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    for (QPlainTextEdit *page : {LinkeSeite, RechteSeite}) {
        if (watched == page->viewport() && event->type() == QEvent::Wheel) {
            // The page must not scroll its own text; the wheel turns pages.
            pagesWheel(static_cast<QWheelEvent *>(event));
            return true;
        }
        if (watched == page->viewport() && event->type() == QEvent::MouseButtonPress) {
            auto *mouse = static_cast<QMouseEvent *>(event);
            Mausklick(page, mouse->button(), mouse->globalPosition().toPoint());
            // A read-only page ignores the right button; passed on, the window would turn the
            // page and close the menu just opened.
            if (mouse->button() == Qt::RightButton)
                return true;
        } else if (watched == page && event->type() == QEvent::FocusIn) {
            if (page == LinkeSeite)
                LinkeSeiteEnter();
            else
                RechteSeiteEnter();
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TForm1::applyPageFont(const QString &family, int size)
{
    QFont font(family, size);
    // Lines are fitted word by word; without kerning a line is exactly the sum of its words.
    font.setKerning(false);
    // Shaping adds nothing to Latin text without kerning, and costs most of a page turn; books
    // in scripts that need it have it (applyPageScripts).
    font.setStyleStrategy(QFont::StyleStrategy(
        (Antialiasing->isChecked() ? QFont::PreferAntialias : QFont::NoAntialias) |
        (bookScripts.shaping ? 0 : QFont::PreferNoShaping)));
    LinkeSeite->setFont(font);
    RechteSeite->setFont(font);
    state.AppliedFontSize = size;
    FontUpDown->setValue(size);
    Fontgroesse->setText(QString::number(size));
    const int index = Schriftart->findText(family, Qt::MatchFixedString);
    if (index >= 0)
        Schriftart->setCurrentIndex(index);
}
