#include "reader/Tavolex1.h"

#include "navigation/IniFile.h"
#include "navigation/SettingsValues.h"

#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include <functional>

namespace {

constexpr int kSmallMenuWidth = 87;
constexpr int kLargeMenuWidth = 380;
constexpr int kPanelTop = 16;
constexpr int kHelpWidth = 420;

const QColor kRestingColour(0x00, 0x80, 0x80);
const QColor kHoverColour(0x80, 0x00, 0x00);

// A clickable text: the mnemonic letter of its caption is shown underlined, as on a button.
class CommandLabel : public QLabel
{
public:
    CommandLabel(const QString &caption, QWidget *parent) : QLabel(caption, parent)
    {
        setCursor(Qt::PointingHandCursor);
        setMouseTracking(true);
    }
    std::function<void()> onClick;

    QSize sizeHint() const override
    {
        const QFontMetrics metrics(font());
        QString shown = text();
        if (const auto amp = shown.indexOf(u'&'); amp >= 0)
            shown.remove(amp, 1);
        return QSize(metrics.horizontalAdvance(shown) + 4, metrics.height() + 2);
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        style()->drawItemText(&painter, contentsRect(), int(alignment()) | Qt::TextShowMnemonic,
                              palette(), isEnabled(), text(), foregroundRole());
    }
    void mouseReleaseEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) &&
            onClick)
            onClick();
    }
};

void setLook(QLabel *label, bool hover)
{
    QFont font = label->font();
    font.setBold(true);
    font.setUnderline(hover);
    label->setFont(font);
    QPalette palette = label->palette();
    // The disabled look stays the grey of the style.
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
        palette.setColor(group, QPalette::WindowText, hover ? kHoverColour : kRestingColour);
    label->setPalette(palette);
}

CommandLabel *makeCommand(QWidget *parent, const QString &name, const QString &caption,
                          const QString &hint, std::function<void()> action)
{
    auto *label = new CommandLabel(caption, parent);
    label->setObjectName(name);
    label->setToolTip(hint);
    setLook(label, false);
    label->onClick = [label, action = std::move(action)] {
        setLook(label, false);
        action();
    };
    return label;
}

QCheckBox *makeCheck(QWidget *parent, const QString &name, const QString &caption, bool checked,
                     const QString &hint)
{
    auto *box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    box->setChecked(checked);
    box->setToolTip(hint);
    return box;
}

// The number a spin box shows; kept for the code that reads the number as text.
QLineEdit *makeNumberField(QWidget *parent, const QString &text, const QString &hint)
{
    auto *field = new QLineEdit(text, parent);
    field->setReadOnly(true);
    field->setToolTip(hint);
    field->hide();
    return field;
}

// Up-down arrows with their number: it changes only by the arrows.
QSpinBox *makeUpDown(QWidget *parent, int minimum, int maximum, int value, const QString &hint)
{
    auto *spin = new QSpinBox(parent);
    spin->setRange(minimum, maximum);
    spin->setValue(value);
    spin->setWrapping(false);
    spin->setFocusPolicy(Qt::NoFocus);
    spin->setToolTip(hint);
    spin->setAlignment(Qt::AlignRight);
    if (auto *edit = spin->findChild<QLineEdit *>())
        edit->setReadOnly(true);
    const int digits = QString::number(maximum).size();
    spin->setFixedWidth(spin->fontMetrics().horizontalAdvance(QString(digits, u'0')) + 30);
    return spin;
}

QHBoxLayout *row(int indent = 0)
{
    auto *layout = new QHBoxLayout;
    layout->setContentsMargins(indent, 0, 0, 0);
    layout->setSpacing(3);
    return layout;
}

QLabel *helpLine(QWidget *parent, const QString &text)
{
    auto *label = new QLabel(text, parent);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    return label;
}

} // namespace

// Pointer movement and presses over the pages, the top-strip fields and the two panels.
class MenuPointerFilter : public QObject
{
public:
    explicit MenuPointerFilter(TForm1 *form) : QObject(form), form(form) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::MouseMove:
            mouseMove(watched, static_cast<QMouseEvent *>(event));
            break;
        case QEvent::MouseButtonPress:
            mousePress(watched, static_cast<QMouseEvent *>(event));
            break;
        case QEvent::MouseButtonRelease: {
            auto *mouse = static_cast<QMouseEvent *>(event);
            if (mouse->button() != Qt::LeftButton)
                break;
            if (watched == form->MenuPanel)
                form->MenuPanelClick();
            else if (watched == form->HilfePanel)
                form->HilfePanelClick();
            break;
        }
        case QEvent::KeyPress:
            // The font list changes only by choosing an entry or by the font keys.
            if (watched == form->Schriftart &&
                form->SchriftartKeyPress(static_cast<QKeyEvent *>(event)->text()))
                return true;
            break;
        default:
            break;
        }
        return false;
    }

private:
    bool inside(QObject *watched, QWidget *panel) const
    {
        for (QObject *o = watched; o; o = o->parent()) {
            if (o == panel)
                return true;
        }
        return false;
    }

    void mouseMove(QObject *watched, QMouseEvent *mouse)
    {
        const QPoint at = mouse->position().toPoint();
        if (watched == form->MenuPanel) {
            form->MenuPanelMouseMove();
        } else if (watched == form->HilfePanel) {
            form->HilfePanelMouseMove();
        } else if (watched == form->LinkeSeite->viewport() ||
                   watched == form->RechteSeite->viewport()) {
            form->MenuHilfeAus(watched->parent(), std::max(0, at.x()), std::max(0, at.y()));
        } else if (watched == form) {
            // The divider and the book picture let the pointer through to the window; a move
            // that reaches the window from a control above them is not over them.
            if (form->childAt(at))
                return;
            for (QWidget *w : {static_cast<QWidget *>(form->Trennstrich),
                               static_cast<QWidget *>(form->Buchseiten)}) {
                if (w->isVisible() && w->geometry().contains(at)) {
                    form->MenuHilfeAus(w, std::max(0, at.x()), std::max(0, at.y()));
                    break;
                }
            }
        } else if (inside(watched, form->Menu)) {
            auto *label = qobject_cast<QLabel *>(watched);
            if (label && form->commandLabels().contains(label))
                form->TextFaerbenMouseMove(label);
            else
                form->MenuMouseMove(watched);
        }
    }

    void mousePress(QObject *watched, QMouseEvent *mouse)
    {
        if (watched == form->MenuPanel)
            form->MenuPanelMouseDown(mouse->buttons());
        else if (watched == form->HilfePanel)
            form->HilfePanelMouseDown(mouse->buttons());
        else if (inside(watched, form->Menu) || inside(watched, form->Hilfe))
            form->MenuHilfeMouseDown(mouse->button());
    }

    TForm1 *form;
};

void TForm1::buildMenuPanels()
{
    Menu->setFrameShape(QFrame::Panel);
    Menu->setFrameShadow(QFrame::Raised);
    Menu->setLineWidth(1);

    // The command column is the small menu; the large menu adds the settings at its right.
    auto *commands = new QWidget(Menu);
    auto *commandLayout = new QVBoxLayout(commands);
    commandLayout->setContentsMargins(3, 6, 0, 6);
    commandLayout->setSpacing(4);
    const auto command = [&](const QString &name, const QString &caption, const QString &hint,
                             std::function<void()> action) {
        CommandLabel *label = makeCommand(commands, name, caption, hint, std::move(action));
        commandLayout->addWidget(label);
        return label;
    };
    Laden = command(QStringLiteral("Laden"), QStringLiteral("&Open"),
                    QStringLiteral("Open a text file (replacing the current file in memory)"),
                    [this] { LadenClick(); });
    RecentShow =
        command(QStringLiteral("RecentShow"), QStringLiteral("&Recent"),
                QStringLiteral("Open a recently used file (replacing the current file in memory)"),
                [this] { RecentShowClick(); });
    ShowTOC =
        command(QStringLiteral("ShowTOC"), QStringLiteral("S&how TOC"),
                QStringLiteral("Shows the table of contents panel"), [this] { ShowTOCClick(); });
    Anpassen = command(QStringLiteral("Anpassen"), QStringLiteral("Fit &lines"),
                       QStringLiteral("Uses the 'Remove single line breaks' setting"),
                       [this] { AnpassenClick(); });
    Suchen = command(QStringLiteral("Suchen"), QStringLiteral("&Find"),
                     QStringLiteral("Dialog for searching text."), [this] { SuchenClick(); });
    Bearbeiten = command(QStringLiteral("Bearbeiten"), QStringLiteral("&Edit"),
                         QStringLiteral("Edit the current text in a simple internal editor"),
                         [this] { BearbeitenClick(); });
    Kopieren =
        command(QStringLiteral("Kopieren"), QStringLiteral("&Copy"),
                QStringLiteral("Copy selected text to the clipboard"), [this] { KopierenClick(); });
    Speichern =
        command(QStringLiteral("Speichern"), QStringLiteral("&Save as"),
                QStringLiteral("Save text from memory to a file"), [this] { SpeichernClick(); });
    Textfarbe = command(QStringLiteral("Textfarbe"), QStringLiteral("&Text color"),
                        QStringLiteral("Change text color"), [this] { TextfarbeClick(); });
    Hintergrund =
        command(QStringLiteral("Hintergrund"), QStringLiteral("&Background"),
                QStringLiteral("Change background color"), [this] { HintergrundClick(); });
    Beenden = command(QStringLiteral("Beenden"), QStringLiteral("E&xit"),
                      QStringLiteral("Well ... tired of reading?"), [this] { BeendenClick(); });
    commandLayout->addSpacing(6);
    auto *expand = new QToolButton(commands);
    expand->setObjectName(QStringLiteral("Expand"));
    expand->setText(QStringLiteral(">"));
    expand->setToolTip(QStringLiteral("Show/hide program and file options"));
    expand->setFixedSize(22, 20);
    expand->setFocusPolicy(Qt::NoFocus);
    Expand = expand;
    connect(expand, &QToolButton::clicked, this, &TForm1::ExpandClick);
    commandLayout->addWidget(expand, 0, Qt::AlignLeft);

    auto *settingsArea = new QWidget(Menu);
    auto *settingsLayout = new QVBoxLayout(settingsArea);
    settingsLayout->setContentsMargins(2, 4, 6, 6);
    settingsLayout->setSpacing(4);

    auto *fontBox = new QGroupBox(QStringLiteral("Font"), settingsArea);
    auto *fontRow = row();
    fontBox->setLayout(fontRow);
    fontRow->setContentsMargins(6, 2, 6, 4);
    Schriftart = new QComboBox(fontBox);
    Schriftart->setObjectName(QStringLiteral("Schriftart"));
    Schriftart->setToolTip(QStringLiteral("Choose one of the fonts installed on your system"));
    Schriftart->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    Schriftart->setMinimumContentsLength(12);
    const QString sizeHint = QStringLiteral("Change font size between 6 and 20");
    Fontgroesse = makeNumberField(fontBox, QStringLiteral("12"), sizeHint);
    FontUpDown = makeUpDown(fontBox, 6, 20, 12, sizeHint);
    fontRow->addWidget(Schriftart, 1);
    fontRow->addSpacing(4);
    fontRow->addWidget(FontUpDown);
    settingsLayout->addWidget(fontBox);

    auto *fileBox = new QGroupBox(QStringLiteral("File specific"), settingsArea);
    fileBox->setObjectName(QStringLiteral("FileSettings"));
    FileSettings = fileBox;
    auto *fileLayout = new QVBoxLayout(fileBox);
    fileLayout->setContentsMargins(6, 2, 6, 4);
    fileLayout->setSpacing(2);
    ZWEntfernen = makeCheck(fileBox, QStringLiteral("ZWEntfernen"),
                            QStringLiteral("Remove single line breaks"), true,
                            QStringLiteral("... when fitting line length to page width"));
    Einzug = makeCheck(fileBox, QStringLiteral("Einzug"),
                       QStringLiteral("Not before indentation (Space or TAB)"), true,
                       QStringLiteral("Leading spaces or TABs may signify a new paragraph"));
    Punctuation = makeCheck(
        fileBox, QStringLiteral("Punctuation"), QStringLiteral("Not after punctuation marks"),
        false,
        QStringLiteral("For texts with unindented paragraphs separated by single line breaks"));
    fileLayout->addWidget(ZWEntfernen);
    for (QCheckBox *box : {Einzug, Punctuation}) {
        auto *indented = row(18);
        indented->addWidget(box);
        fileLayout->addLayout(indented);
    }
    AutomaticTOC = makeCheck(fileBox, QStringLiteral("AutomaticTOC"),
                             QStringLiteral("Automatically create table of contents"), false,
                             QStringLiteral("Upon file loading, window resizing, font change ..."));
    fileLayout->addWidget(AutomaticTOC);
    const auto tocNumber = [&](QLineEdit *&field, QSpinBox *&upDown, const QString &name,
                               const QString &before, const QString &after, int value,
                               const QString &hint) {
        auto *line = row(18);
        field = makeNumberField(fileBox, QString::number(value), hint);
        field->setObjectName(name);
        upDown = makeUpDown(fileBox, 1, 9, value, hint);
        if (!before.isEmpty())
            line->addWidget(new QLabel(before, fileBox));
        line->addWidget(upDown);
        line->addWidget(new QLabel(after, fileBox));
        line->addStretch(1);
        fileLayout->addLayout(line);
        connect(upDown, &QSpinBox::valueChanged, field,
                [field](int v) { field->setText(QString::number(v)); });
        connect(field, &QLineEdit::textChanged, upDown, [upDown](const QString &text) {
            bool ok = false;
            const int v = text.toInt(&ok);
            if (ok && v != upDown->value()) {
                const QSignalBlocker blocker(upDown);
                upDown->setValue(v);
            }
        });
    };
    auto *identify = row(18);
    identify->addWidget(new QLabel(QStringLiteral("Identify TOC sections by"), fileBox));
    fileLayout->addLayout(identify);
    tocNumber(PreChapter, PreChapterUpDown, QStringLiteral("PreChapter"), QString(),
              QStringLiteral("preceding blank lines"), 3, QString());
    tocNumber(
        ChapterLines, ChapterLinesUpDown, QStringLiteral("ChapterLines"),
        QStringLiteral("Section header size:"), QStringLiteral("line(s)"), 5,
        QStringLiteral("If two sections are closer than that, only the first will be listed"));
    ChapterCountBlank = makeCheck(
        fileBox, QStringLiteral("ChapterCountBlank"), QStringLiteral("count blank lines"), true,
        QStringLiteral("include blank lines in the number of section header lines"));
    auto *countRow = row(18);
    countRow->addWidget(ChapterCountBlank);
    fileLayout->addLayout(countRow);
    settingsLayout->addWidget(fileBox);

    auto *generalBox = new QGroupBox(QStringLiteral("General"), settingsArea);
    generalBox->setObjectName(QStringLiteral("GeneralSettings"));
    GeneralSettings = generalBox;
    auto *generalLayout = new QVBoxLayout(generalBox);
    generalLayout->setContentsMargins(6, 2, 6, 4);
    generalLayout->setSpacing(2);
    ShowPages = makeCheck(generalBox, QStringLiteral("ShowPages"), QStringLiteral("Book style"),
                          true, QStringLiteral("Shows the pages of a book"));
    Antialiasing = makeCheck(
        generalBox, QStringLiteral("Antialiasing"), QStringLiteral("Font antialiasing"), true,
        QStringLiteral("Turns system-wide font antialiasing on/off (will be reset when program is "
                       "closed)"));
    auto *styleRow = row();
    styleRow->addWidget(ShowPages);
    styleRow->addWidget(Antialiasing);
    styleRow->addStretch(1);
    generalLayout->addLayout(styleRow);

    ApplyMargins = makeCheck(generalBox, QStringLiteral("ApplyMargins"), QStringLiteral("Margins"),
                             false, QStringLiteral("Turn page margins on/off"));
    ChangeMargins = makeCommand(
        generalBox, QStringLiteral("ChangeMargins"), QStringLiteral("Change to:"),
        QStringLiteral("Set margins according to the values below (left, top, bottom, right)"),
        [this] { ChangeMarginsClick(); });
    ChangeMargins->setEnabled(false);
    auto *marginSwitchRow = row();
    marginSwitchRow->addWidget(ApplyMargins);
    marginSwitchRow->addSpacing(8);
    marginSwitchRow->addWidget(ChangeMargins);
    marginSwitchRow->addStretch(1);
    generalLayout->addLayout(marginSwitchRow);
    auto *marginRow = row(18);
    const auto margin = [&](QLineEdit *&field, QSpinBox *&upDown, const QString &name,
                            const QString &hint) {
        field = makeNumberField(generalBox, QStringLiteral("0"), hint);
        field->setObjectName(name);
        upDown = makeUpDown(generalBox, 0, MaximumMargin, 0, hint);
        marginRow->addWidget(field);
        marginRow->addWidget(upDown);
        connect(upDown, &QSpinBox::valueChanged, this, [this, field](int v) {
            field->setText(QString::number(v));
            MarginUpDownClick();
        });
    };
    // The order of the hint of "Change to:".
    margin(MarginLeft, MarginLeftUpDown, QStringLiteral("MarginLeft"),
           QStringLiteral("Set the left margin"));
    margin(MarginTop, MarginTopUpDown, QStringLiteral("MarginTop"),
           QStringLiteral("Set the top margin"));
    margin(MarginBottom, MarginBottomUpDown, QStringLiteral("MarginBottom"),
           QStringLiteral("Set the bottom margin"));
    margin(MarginRight, MarginRightUpDown, QStringLiteral("MarginRight"),
           QStringLiteral("Set the right margin"));
    marginRow->addStretch(1);
    generalLayout->addLayout(marginRow);

    AutoFitAll = makeCheck(
        generalBox, QStringLiteral("AutoFitAll"), QStringLiteral("Automatically fit lines"), true,
        QStringLiteral("Fit lines immediately when font oder page settings are changed"));
    AutoFitMenu = makeCheck(generalBox, QStringLiteral("AutoFitMenu"),
                            QStringLiteral("Fit when leaving menu after changes"), true,
                            QStringLiteral("Fit lines if font or page settings have been changed"));
    AutoFitMenu->setEnabled(false);
    MenuClickOnly = makeCheck(
        generalBox, QStringLiteral("MenuClickOnly"),
        QStringLiteral("Disable control by mouse movement"), false,
        QStringLiteral("Checked: Show/hide Menu, Help, and TOC only by clicking or with shortcuts "
                       "(see Help)"));
    Shortcuts = makeCheck(generalBox, QStringLiteral("Shortcuts"),
                          QStringLiteral("Enable keyboard shortcuts"), true,
                          QStringLiteral("Shortcuts: for most functions Ctrl+underlined character, "
                                         "see Help for complete list"));
    QuickJump = makeCheck(generalBox, QStringLiteral("QuickJump"), QStringLiteral("Quick page"),
                          true, QStringLiteral("Typing a number opens the 'Jump to page' dialog"));
    QuickFind = makeCheck(generalBox, QStringLiteral("QuickFind"), QStringLiteral("Quick find"),
                          true, QStringLiteral("Typing a letter (a-z) opens the Find dialog"));
    AutoOpen = makeCheck(
        generalBox, QStringLiteral("AutoOpen"), QStringLiteral("Auto-open last file"), false,
        QStringLiteral("When the program starts, the last file is opened automatically"));
    generalLayout->addWidget(AutoFitAll);
    auto *fitMenuRow = row(18);
    fitMenuRow->addWidget(AutoFitMenu);
    generalLayout->addLayout(fitMenuRow);
    generalLayout->addWidget(MenuClickOnly);
    generalLayout->addWidget(Shortcuts);
    auto *quickRow = row();
    quickRow->addWidget(QuickJump);
    quickRow->addWidget(QuickFind);
    quickRow->addStretch(1);
    generalLayout->addLayout(quickRow);
    generalLayout->addWidget(AutoOpen);
    settingsLayout->addWidget(generalBox);
    settingsLayout->addStretch(1);

    const int frame = Menu->frameWidth();
    commands->setGeometry(frame, frame, kSmallMenuWidth - 2 * frame, commands->sizeHint().height());
    settingsArea->setGeometry(kSmallMenuWidth, frame, kLargeMenuWidth - kSmallMenuWidth - frame,
                              std::max(settingsArea->sizeHint().height(), commands->height()));
    smallMenuHeight = commands->height() + 2 * frame;
    largeMenuHeight = settingsArea->height() + 2 * frame;
    Menu->resize(kSmallMenuWidth, smallMenuHeight);
    Menu->move(Menu->x(), kPanelTop);

    TOCLeft = makeCheck(Contents, QStringLiteral("TOCLeft"), QStringLiteral("&Left"), false,
                        QStringLiteral("When checked: Stick TOC to the left side"));
    buildTocPanel();
    buildFindPanel();

    connect(Schriftart, &QComboBox::activated, this, &TForm1::SchriftartChange);
    connect(FontUpDown, &QSpinBox::valueChanged, Fontgroesse,
            [this](int v) { Fontgroesse->setText(QString::number(v)); });
    connect(Fontgroesse, &QLineEdit::textChanged, this, &TForm1::FontgroesseChange);

    buildHelpPanel();
    connectOptionSwitches();

    auto *filter = new MenuPointerFilter(this);
    menuPointerFilter = filter;
    setMouseTracking(true);
    installEventFilter(filter);
    // Presses and moves over the fields and panels are theirs alone: passed on to the window
    // they would turn pages or close the panel they happen in.
    for (QWidget *w : {static_cast<QWidget *>(MenuPanel), static_cast<QWidget *>(HilfePanel),
                       static_cast<QWidget *>(Menu), static_cast<QWidget *>(Hilfe)}) {
        w->setMouseTracking(true);
        w->setAttribute(Qt::WA_NoMousePropagation);
        w->installEventFilter(filter);
    }
    for (QLabel *label : commandLabels())
        label->setAttribute(Qt::WA_NoMousePropagation);
    for (QFrame *panel : {Menu, Hilfe}) {
        for (QWidget *w : panel->findChildren<QWidget *>()) {
            w->setMouseTracking(true);
            w->installEventFilter(filter);
        }
    }
    for (QPlainTextEdit *page : {LinkeSeite, RechteSeite}) {
        page->viewport()->setMouseTracking(true);
        page->viewport()->installEventFilter(filter);
    }
}

void TForm1::buildHelpPanel()
{
    Hilfe->setFrameShape(QFrame::Panel);
    Hilfe->setFrameShadow(QFrame::Raised);
    const int frame = Hilfe->frameWidth();
    const int inner = kHelpWidth - 2 * frame;

    auto *tabs = new QWidget(Hilfe);
    auto *tabLayout = row();
    tabs->setLayout(tabLayout);
    tabLayout->setContentsMargins(6, 4, 6, 2);
    tabLayout->setSpacing(8);
    const QStringList tabCaptions = {QStringLiteral("Navigation"), QStringLiteral("Line breaks"),
                                     QStringLiteral("Other features"), QStringLiteral("Shortcuts"),
                                     QStringLiteral("Tips")};
    QLabel **tabLabels[] = {&HelpLabel1, &HelpLabel2, &HelpLabel3, &HelpLabel4, &HelpLabel5};
    for (int i = 0; i < 5; ++i) {
        auto *tab = new CommandLabel(tabCaptions[i], tabs);
        tab->setObjectName(QStringLiteral("HelpLabel%1").arg(i + 1));
        tab->setProperty("tag", i + 1);
        setLook(tab, i == 0);
        tab->onClick = [this, tab] { HelpLabelClick(tab); };
        *tabLabels[i] = tab;
        tabLayout->addWidget(tab);
    }
    tabLayout->addStretch(1);
    tabs->setGeometry(frame, frame, inner, tabs->sizeHint().height());

    const auto page = [&](const QString &name) {
        auto *p = new QFrame(Hilfe);
        p->setObjectName(name);
        p->setFrameShape(QFrame::StyledPanel);
        p->setAutoFillBackground(true);
        return p;
    };
    const auto linesPage = [&](const QString &name, const QStringList &lines, int spacing) {
        QFrame *p = page(name);
        auto *layout = new QVBoxLayout(p);
        layout->setContentsMargins(8, 6, 8, 6);
        layout->setSpacing(spacing);
        for (const QString &line : lines)
            layout->addWidget(helpLine(p, line));
        layout->addStretch(1);
        return p;
    };
    Help1 = linesPage(
        QStringLiteral("Help1"),
        {QStringLiteral("Double page forward: Arrow down, Space"),
         QStringLiteral("(or: right click, see below*)"),
         QStringLiteral("Double page back: Arrow up, Backspace"),
         QStringLiteral("(or: left click, see below*)"),
         QStringLiteral("* You can click to turn pages whenever the pointer has the form of a "
                        "horizontal double arrow, which is outside the left and right text area."),
         QStringLiteral("1 page back/forward: Arrow left/right"),
         QStringLiteral("First/Last page: Home(Pos1)/End"),
         QStringLiteral("10 pages back/forward: Page up/down"),
         QStringLiteral("Click page number for direct input"),
         QStringLiteral("Previous/next section (chapter): Ctrl + Arrow left/right"),
         QStringLiteral("Set bookmark: Left click on empty field (between 'Menu' and 'Help')"),
         QStringLiteral("Jump to bookmark: Left click on bookmark with page number"),
         QStringLiteral("Clear bookmark: Right click on bookmark with page number")},
        2);
    Help2 = linesPage(
        QStringLiteral("Help2"),
        {QStringLiteral("Remove single line breaks: Checked: When the text is opened, single line "
                        "breaks - usually within paragraphs - are removed. Unchecked: The original "
                        "line breaks from the file are used for displaying the text. "),
         QStringLiteral("Not before indentation: Checked: Lines with leading space or TAB will "
                        "start a new paragraph, thereby preserving the formatting of poems etc."),
         QStringLiteral("Not after punctuation marks: For better results with texts having "
                        "unindented paragraphs being separated by single rather than double line "
                        "breaks."),
         QStringLiteral("Fit lines: Click here to manually adjust the line length to the current "
                        "page width, after changing font settings or resizing the program window. "
                        "You will need this only if you deactivated automatic fitting. Another "
                        "option is fitting when leaving the menu.")},
        10);
    Help3 = linesPage(
        QStringLiteral("Help3"),
        {QStringLiteral("Bookmarks, current page, font, and line break mode are saved to the "
                        "Tavolex.ini, individually for each text file. Margins are valid for all "
                        "files."),
         QStringLiteral("The default font style and size can be changed before opening a file."),
         QStringLiteral("Recently read text(s) are remembered; they can easily be re-opened after "
                        "starting the program ('Recent' between 'Menu' and 'Help': Click right to "
                        "open the most recent text, left for a list)."),
         QStringLiteral("You can create a table of contents: Click on Show TOC, then Create TOC, "
                        "or activate the option 'Autmatically create table of contents'."),
         QStringLiteral("Very simple Text-Editor included. Selecting text and copying to Clipboard "
                        "is also possible within the Reader. Search Text works for substrings. "
                        "Background and text colors may be customized."),
         QStringLiteral("Zip-Files can be opened directly just like txt-Files.")},
        8);

    Help4 = page(QStringLiteral("Help4"));
    {
        auto *grid = new QGridLayout(Help4);
        grid->setContentsMargins(8, 6, 8, 6);
        grid->setHorizontalSpacing(12);
        grid->setVerticalSpacing(2);
        const QStringList pairs = {
            QStringLiteral("Ctrl+E:  Edit text"),
            QStringLiteral("Ctrl+O:  Open file"),
            QStringLiteral("Ctrl+S:  Save as ..."),
            QStringLiteral("Ctrl+F:  Find substrings"),
            QStringLiteral("Ctrl+C:  Copy selection"),
            QStringLiteral("Ctrl+X:  Exit program"),
            QStringLiteral("Ctrl+R:  Show recent files list"),
            QStringLiteral("+/- :  Increase/Decrease font size"),
            QStringLiteral("Ctrl+Shift+R:  Open most recent file"),
            QStringLiteral("Ctrl+N:  Next font"),
            QStringLiteral("Ctrl+H:  Show/hide table of contents"),
            QStringLiteral("Ctrl+Shift+N:  Previous font"),
            QStringLiteral("Ctrl+L:  Fit line length to page width"),
            QStringLiteral("Ctrl+B:  Change background color"),
            QStringLiteral("Esc: Close popup menus, exit editor"),
            QStringLiteral("Ctrl+T:  Change text color"),
            QStringLiteral("F11:  Full screen on/off"),
            QStringLiteral("Mouse wheel:  Double page back/forward"),
        };
        for (int i = 0; i < pairs.size(); ++i)
            grid->addWidget(helpLine(Help4, pairs[i]), i / 2, i % 2);
        int r = int(pairs.size()) / 2;
        grid->setRowMinimumHeight(r++, 8);
        for (const QString &line :
             {QStringLiteral("Right click:"),
              QStringLiteral("On '<<' or '>>': Show table of contents"),
              QStringLiteral("On 'BM': Show recent files list"),
              QStringLiteral("Over text: Show menu;     Over menu: Close menu")})
            grid->addWidget(helpLine(Help4, line), r++, 0, 1, 2);
        grid->setRowStretch(r, 1);
    }

    Help5 = page(QStringLiteral("Help5"));
    {
        auto *layout = new QVBoxLayout(Help5);
        layout->setContentsMargins(4, 4, 4, 4);
        Tips = new QPlainTextEdit(Help5);
        Tips->setObjectName(QStringLiteral("Tips"));
        Tips->setReadOnly(true);
        Tips->setFrameShape(QFrame::NoFrame);
        Tips->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        Tips->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        Tips->setPlainText(QStringLiteral(
            "1. Help file: \"Help.txt\" lies beside the program. It describes every function in "
            "detail; the button \"Help.txt\" below opens it like any other book.\n\n"
            "2. Book files: the open and save dialogs offer the extension .tvx for books. Such a "
            "file is still plain text. Associate .tvx with Tavolex in your desktop, and a double "
            "click on a book opens it in the reader.\n\n"
            "3. Faster loading: after single line breaks have been removed, save the text with "
            "\"Save as\" (without single line breaks). The saved copy opens faster next time.\n\n"
            "4. Drag and drop: you can open a file by dropping it on the program's icon. Each "
            "file opens in its own instance of the program; all instances share one settings "
            "file."));
        layout->addWidget(Tips);
    }

    const int pageTop = tabs->geometry().bottom() + 1;
    int pageHeight = 0;
    for (QFrame *p : {Help1, Help2, Help3, Help4}) {
        QLayout *layout = p->layout();
        const int h = layout->hasHeightForWidth() ? layout->totalHeightForWidth(inner - 8)
                                                  : layout->sizeHint().height();
        pageHeight = std::max(pageHeight, h);
    }
    for (QFrame *p : {Help1, Help2, Help3, Help4, Help5})
        p->setGeometry(frame + 4, pageTop, inner - 8, pageHeight);

    HelpVersion = new QLabel(Hilfe);
    HelpVersion->setObjectName(QStringLiteral("HelpVersion"));
    auto *open = new QPushButton(QStringLiteral("Help.txt"), Hilfe);
    open->setObjectName(QStringLiteral("OpenHelptxt"));
    open->setToolTip(QStringLiteral("Open the file Help.txt"));
    open->setFocusPolicy(Qt::NoFocus);
    OpenHelptxt = open;
    connect(open, &QPushButton::clicked, this, &TForm1::OpenHelptxtClick);
    const int bottomTop = pageTop + pageHeight + 4;
    const QSize buttonSize = open->sizeHint();
    open->setGeometry(kHelpWidth - frame - 6 - buttonSize.width(), bottomTop, buttonSize.width(),
                      buttonSize.height());
    HelpVersion->setGeometry(frame + 8, bottomTop, open->x() - frame - 16, buttonSize.height());
    Hilfe->setGeometry(Hilfe->x(), kPanelTop, kHelpWidth, bottomTop + buttonSize.height() + 6);
    Help1->raise();
}

void TForm1::applyMenuSettings()
{
    HelpVersion->setText(QStringLiteral("Tavolex Version 1.8.2 - May 2003"));
    const bool large =
        readSwitch(ini->readString(QStringLiteral("Options"), QStringLiteral("Large Menu"),
                                   QStringLiteral("No")),
                   SwitchTest::OnOnlyIfYes);
    Menu->resize(large ? kLargeMenuWidth : kSmallMenuWidth,
                 large ? largeMenuHeight : smallMenuHeight);
    Expand->setText(large ? QStringLiteral("<") : QStringLiteral(">"));
    state.MenuHomeTop = Menu->y();
}

QList<QLabel *> TForm1::commandLabels() const
{
    return {Laden,    RecentShow, ShowTOC,   Anpassen,    Suchen,  Bearbeiten,
            Kopieren, Speichern,  Textfarbe, Hintergrund, Beenden, ChangeMargins};
}

void TForm1::MenuHilfeAus()
{
    MenuHilfeAus(nullptr, -1, -1);
}

void TForm1::MenuHilfeAus(QObject *sender, int x, int y)
{
    if (MenuClickOnly->isChecked() && x >= 0)
        return;
    Q_UNUSED(y);
    if (Contents->isVisible() && !TOCLeft->isChecked() && !Menu->isVisible() &&
        !Hilfe->isVisible() && sender != Contents)
        SetTocPanelShown(false);
    Hilfe->hide();
    Recent->hide();
    if (!Menu->isVisible()) {
        // A command given with the menu closed must not cancel the refit of a later close.
        state.MenuCommandActive = false;
        return;
    }
    Menu->hide();
    MenuMouseMove(sender);
    if (!state.MenuCommandActive && !state.FileName.isEmpty() && AutoFitMenu->isChecked() &&
        !AutoFitAll->isChecked() && LayoutChangedSinceFit())
        FitLines();
    state.MenuCommandActive = false;
}

void TForm1::MenuPanelMouseMove()
{
    if (MenuClickOnly->isChecked())
        return;
    Menu->move(state.MenuHomeLeft,
               Hilfe->isVisible() ? Hilfe->y() + Hilfe->height() : state.MenuHomeTop);
    if (!Menu->isVisible())
        OpenMenuPanel();
}

void TForm1::MenuPanelClick()
{
    if (!MenuClickOnly->isChecked())
        return;
    Menu->move(state.MenuHomeLeft,
               Hilfe->isVisible() ? Hilfe->y() + Hilfe->height() : state.MenuHomeTop);
    OpenMenuPanel();
}

void TForm1::MenuPanelMouseDown(Qt::MouseButtons buttons)
{
    if (buttons & Qt::RightButton)
        MenuPanelClick();
}

void TForm1::HilfePanelMouseMove()
{
    if (!MenuClickOnly->isChecked() && !Hilfe->isVisible())
        OpenHelpPanel();
}

void TForm1::HilfePanelClick()
{
    if (MenuClickOnly->isChecked())
        OpenHelpPanel();
}

void TForm1::HilfePanelMouseDown(Qt::MouseButtons buttons)
{
    if (buttons & Qt::RightButton)
        HilfePanelClick();
}

void TForm1::MenuHilfeMouseDown(Qt::MouseButton button)
{
    if (button == Qt::RightButton)
        MenuHilfeAus(nullptr, -1, -1);
}

void TForm1::MenuMouseMove(QObject *sender)
{
    ResetCommandLabels(sender);
}

void TForm1::TextFaerbenMouseMove(QLabel *label)
{
    MenuMouseMove(label);
    setLook(label, true);
}

void TForm1::HelpLabelClick(QLabel *tab)
{
    for (QLabel *t : {HelpLabel1, HelpLabel2, HelpLabel3, HelpLabel4, HelpLabel5})
        setLook(t, false);
    setLook(tab, true);
    state.HelpPage = tab->property("tag").toInt();
    OpenHelpPanel();
}

void TForm1::OpenMenuPanel()
{
    const Margins &m = state.MarginSettings;
    MarginLeftUpDown->setValue(m.left);
    MarginRightUpDown->setValue(m.right);
    MarginTopUpDown->setValue(m.top);
    MarginBottomUpDown->setValue(m.bottom);
    ChangeMargins->setEnabled(false);
    if (Recent->isVisible())
        Recent->hide();
    Menu->show();
    Menu->raise();
}

void TForm1::OpenHelpPanel()
{
    if (Recent->isVisible())
        Recent->hide();
    const QRect help = Hilfe->geometry();
    const QRect menu = Menu->geometry();
    if (Menu->isVisible()) {
        if (menu.y() < help.y() + help.height() && help.x() + help.width() >= menu.x() &&
            menu.x() + menu.width() >= help.x())
            Menu->move(help.x(), help.y() + help.height());
    } else {
        Menu->move(Menu->x(), kPanelTop);
    }
    Hilfe->show();
    Hilfe->raise();
    QFrame *pages[] = {Help1, Help2, Help3, Help4, Help5};
    pages[std::clamp(state.HelpPage, 1, 5) - 1]->raise();
}

void TForm1::ResetCommandLabels(QObject *except)
{
    const QString name = except ? except->objectName() : QString();
    for (QLabel *label : commandLabels()) {
        if (name.isEmpty() || label->objectName() != name)
            setLook(label, false);
    }
}
