#include "ui/Tavolex1.h"

#include "ui/panels/PanelWidgets.h"
#include "core/book/IniFile.h"
#include "core/book/SettingsValues.h"

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
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include <functional>

using namespace panels;

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
    ReadAloud = command(QStringLiteral("ReadAloud"), QStringLiteral("Read aloud"), QString(),
                        [this] { ReadAloudClick(); });
    LookUp = command(QStringLiteral("LookUp"), QStringLiteral("Look up"),
                     QStringLiteral("Look the selected word up in the dictionaries (Ctrl+D)"),
                     [this] {
                         MenuHilfeAus();
                         LookUpClick();
                     });
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

    menuSettings = new QScrollArea(Menu);
    menuSettings->setFrameShape(QFrame::NoFrame);
    menuSettings->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    menuSettings->setWidgetResizable(true);
    menuSettings->viewport()->setAutoFillBackground(false);
    auto *settingsArea = new QWidget;
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
    auto *codePageRow = row();
    codePageRow->addWidget(new QLabel(QStringLiteral("Code page"), fileBox));
    CodePageMenu = makeCodePageChoice(fileBox);
    codePageRow->addWidget(CodePageMenu, 1);
    fileLayout->addLayout(codePageRow);
    addEastAsianChoices(fileBox, fileLayout);
    auto *languageRow = row();
    languageRow->addWidget(new QLabel(QStringLiteral("Language"), fileBox));
    LanguageMenu = makeLanguageChoice(fileBox);
    languageRow->addWidget(LanguageMenu, 1);
    fileLayout->addLayout(languageRow);
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
    ShortLines = makeCheck(fileBox, QStringLiteral("ShortLines"),
                           QStringLiteral("Not after short lines"), true,
                           QStringLiteral("A line ending well before the width the book is "
                                          "wrapped at is verse, a list or a paragraph's end"));
    fileLayout->addWidget(ZWEntfernen);
    for (QCheckBox *box : {Einzug, Punctuation, ShortLines}) {
        auto *indented = row(18);
        indented->addWidget(box);
        fileLayout->addLayout(indented);
    }
    DetectedStyle = new QLabel(fileBox);
    DetectedStyle->setObjectName(QStringLiteral("DetectedStyle"));
    DetectedStyle->setWordWrap(true);
    DetectedStyle->setToolTip(QStringLiteral("What the lines of the book show; the switches "
                                             "start so when the book is first opened"));
    auto *detectedRow = row(18);
    detectedRow->addWidget(DetectedStyle, 1);
    fileLayout->addLayout(detectedRow);
    AutomaticTOC = makeCheck(fileBox, QStringLiteral("AutomaticTOC"),
                             QStringLiteral("Automatically create table of contents"), false,
                             QStringLiteral("Upon file loading, window resizing, font change ..."));
    fileLayout->addWidget(AutomaticTOC);
    auto *sourceRow = row(18);
    sourceRow->addWidget(new QLabel(QStringLiteral("Sections start at"), fileBox));
    TocSourceMenu = makeTocSourceChoice(fileBox);
    sourceRow->addWidget(TocSourceMenu, 1);
    fileLayout->addLayout(sourceRow);
    auto *ruleRow = row(18);
    ruleRow->addWidget(new QLabel(QStringLiteral("Heading rule:"), fileBox));
    TocRuleMenu = makeTocRuleField(fileBox);
    ruleRow->addWidget(TocRuleMenu, 1);
    fileLayout->addLayout(ruleRow);
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
    buildTypesetControls(generalBox, generalLayout);

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
    buildSpeechControls(generalBox, generalLayout);
    buildDictionaryChoice(generalBox, generalLayout);
    settingsLayout->addWidget(generalBox);
    settingsLayout->addStretch(1);

    const int frame = Menu->frameWidth();
    commands->setGeometry(frame, frame, kSmallMenuWidth - 2 * frame, commands->sizeHint().height());
    menuSettings->setWidget(settingsArea);
    smallMenuHeight = commands->height() + 2 * frame;
    largeMenuHeight = std::max(settingsArea->sizeHint().height(), commands->height()) + 2 * frame;
    sizeMenu(false);
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

void TForm1::applyMenuSettings()
{
    HelpVersion->setText(QStringLiteral("Tavolex Version 1.8.2 - May 2003"));
    const bool large =
        readSwitch(ini->readString(QStringLiteral("Options"), QStringLiteral("Large Menu"),
                                   QStringLiteral("No")),
                   SwitchTest::OnOnlyIfYes);
    sizeMenu(large);
    Expand->setText(large ? QStringLiteral("<") : QStringLiteral(">"));
    state.MenuHomeTop = Menu->y();
}

void TForm1::sizeMenu(bool large)
{
    if (!menuSettings)
        return;
    // Never taller than the window below the panel's top: what does not fit scrolls.
    const int room = height() - kPanelTop;
    const int h =
        large ? std::max(smallMenuHeight, std::min(largeMenuHeight, room)) : smallMenuHeight;
    // The scroll bar widens the menu rather than covering the settings' right edge.
    const int bar = large && h < largeMenuHeight
                        ? menuSettings->verticalScrollBar()->sizeHint().width()
                        : 0;
    Menu->resize(large ? kLargeMenuWidth + bar : kSmallMenuWidth, h);
    const int frame = Menu->frameWidth();
    menuSettings->setGeometry(kSmallMenuWidth, frame,
                              kLargeMenuWidth - kSmallMenuWidth - frame + bar, h - 2 * frame);
}

QList<QLabel *> TForm1::commandLabels() const
{
    return {Laden,    RecentShow, ShowTOC,   Anpassen,    Suchen,  ReadAloud,    Bearbeiten,
            Kopieren, Speichern,  Textfarbe, Hintergrund, Beenden, ChangeMargins, LookUp};
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

void TForm1::ResetCommandLabels(QObject *except)
{
    const QString name = except ? except->objectName() : QString();
    for (QLabel *label : commandLabels()) {
        if (name.isEmpty() || label->objectName() != name)
            setLook(label, false);
    }
}
