#include "ui/Tavolex1.h"

#include "ui/panels/PanelWidgets.h"

#include <QFrame>
#include <QGridLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

using namespace panels;

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
                        "or activate the option 'Automatically create table of contents'. "
                        "Chapters are found by their headings (Chapter 3, Глава 5, 第十二章 ...) "
                        "or by the blank lines before them; choose under the TOC's title."),
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
            QStringLiteral("Ctrl+P:  Read aloud / stop (Esc)"),
            QStringLiteral("Ctrl+D:  Look up word in dictionaries"),
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
            "1. Help file: \"Help.txt\" lies beside the program or, once installed, in "
            "share/tavolex. It describes every function in detail; the button \"Help.txt\" below "
            "opens it like any other book.\n\n"
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

void TForm1::HelpLabelClick(QLabel *tab)
{
    for (QLabel *t : {HelpLabel1, HelpLabel2, HelpLabel3, HelpLabel4, HelpLabel5})
        setLook(t, false);
    setLook(tab, true);
    state.HelpPage = tab->property("tag").toInt();
    OpenHelpPanel();
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
