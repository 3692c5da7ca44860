#include "BookSteps.h"

#include "core/book/IniFile.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QSpinBox>

namespace {

// Pointer movement without a button, delivered to the control under the pointer.
void hover(QWidget *widget, QPoint at = QPoint(-1, -1))
{
    if (at == QPoint(-1, -1))
        at = widget->rect().center();
    QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

void rightPress(QWidget *widget)
{
    QTest::mousePress(widget, Qt::RightButton, {}, widget->rect().center());
    QTest::mouseRelease(widget, Qt::RightButton, {}, widget->rect().center());
}

bool restingLook(const QLabel *label)
{
    return label->font().bold() && !label->font().underline() &&
           label->palette().color(QPalette::Active, QPalette::WindowText) ==
               QColor(0x00, 0x80, 0x80);
}

bool hoverLook(const QLabel *label)
{
    return label->font().bold() && label->font().underline() &&
           label->palette().color(QPalette::Active, QPalette::WindowText) ==
               QColor(0x80, 0x00, 0x00);
}

QStringList labelTexts(const QWidget *page)
{
    QStringList texts;
    for (const QLabel *label : page->findChildren<QLabel *>())
        texts << label->text();
    return texts;
}

} // namespace

TEST(MenuPanelTest, MouseModeFollowsThePointer)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    openBookOfPages(fixture, form, 7);

    hover(form.MenuPanel);
    ASSERT_TRUE(form.Menu->isVisible());
    EXPECT_EQ(form.Menu->pos(), QPoint(form.readerState().MenuHomeLeft, 16));
    hover(form.Menu);
    hover(form.Laden);
    EXPECT_TRUE(form.Menu->isVisible());
    EXPECT_TRUE(hoverLook(form.Laden));
    hover(form.Anpassen);
    EXPECT_TRUE(restingLook(form.Laden));
    EXPECT_TRUE(hoverLook(form.Anpassen));
    hover(form.Menu);
    EXPECT_TRUE(restingLook(form.Anpassen));
    hover(form.Expand);
    EXPECT_TRUE(form.Menu->isVisible());

    hover(form.Anpassen);
    hover(form.LinkeSeite->viewport());
    EXPECT_FALSE(form.Menu->isVisible());
    for (QLabel *label : form.commandLabels())
        EXPECT_TRUE(restingLook(label)) << label->objectName().toStdString();

    hover(form.HilfePanel);
    EXPECT_TRUE(form.Hilfe->isVisible());
    hover(form.RechteSeite->viewport());
    EXPECT_FALSE(form.Hilfe->isVisible());
}

TEST(MenuPanelTest, ClickOnlyModeIgnoresMovement)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    openBookOfPages(fixture, form, 7);
    form.MenuClickOnly->setChecked(true);

    hover(form.MenuPanel);
    hover(form.HilfePanel);
    EXPECT_FALSE(form.Menu->isVisible());
    EXPECT_FALSE(form.Hilfe->isVisible());

    QTest::mouseClick(form.MenuPanel, Qt::LeftButton);
    ASSERT_TRUE(form.Menu->isVisible());
    hover(form.LinkeSeite->viewport());
    EXPECT_TRUE(form.Menu->isVisible());
    rightPress(form.Laden);
    EXPECT_FALSE(form.Menu->isVisible());
    EXPECT_TRUE(fixture.prompts->fileRequests.isEmpty()); // a right press is no command

    rightPress(form.MenuPanel);
    EXPECT_TRUE(form.Menu->isVisible());
    rightPress(form.Menu);
    EXPECT_FALSE(form.Menu->isVisible());

    rightPress(form.HilfePanel);
    ASSERT_TRUE(form.Hilfe->isVisible());
    hover(form.RechteSeite->viewport());
    EXPECT_TRUE(form.Hilfe->isVisible());
    rightPress(form.Help1);
    EXPECT_FALSE(form.Hilfe->isVisible());
}

TEST(MenuPanelTest, LeavingTheMenuRefitsOnceAfterASizeChange)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    openBookOfPages(fixture, form, 7);
    form.AutoFitAll->setChecked(false);
    ASSERT_TRUE(form.AutoFitMenu->isChecked());

    hover(form.MenuPanel);
    press(form, Qt::Key_Plus);
    EXPECT_TRUE(form.LayoutChangedSinceFit());
    // Every fit and every re-pagination shows the spread once, which the history records.
    const int spreads = form.History->count();
    hover(form.LinkeSeite->viewport());
    EXPECT_FALSE(form.Menu->isVisible());
    EXPECT_FALSE(form.LayoutChangedSinceFit());
    EXPECT_EQ(form.History->count(), spreads + 1);

    hover(form.MenuPanel);
    hover(form.LinkeSeite->viewport());
    EXPECT_EQ(form.History->count(), spreads + 1);

    // Without the switch the change waits for "Fit lines".
    form.AutoFitMenu->setChecked(false);
    hover(form.MenuPanel);
    press(form, Qt::Key_Plus);
    const int paginated = form.History->count();
    hover(form.LinkeSeite->viewport());
    EXPECT_EQ(form.History->count(), paginated);
    EXPECT_TRUE(form.LayoutChangedSinceFit());
}

TEST(MenuPanelTest, FitLinesFromTheMenuFitsOnce)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    openBookOfPages(fixture, form, 7);
    form.AutoFitAll->setChecked(false);

    hover(form.MenuPanel);
    press(form, Qt::Key_Plus);
    const int spreads = form.History->count();
    hover(form.Anpassen);
    QTest::mouseClick(form.Anpassen, Qt::LeftButton);
    EXPECT_FALSE(form.Menu->isVisible());
    EXPECT_FALSE(form.LayoutChangedSinceFit());
    EXPECT_EQ(form.History->count(), spreads + 1);
    EXPECT_TRUE(restingLook(form.Anpassen));
    EXPECT_FALSE(form.readerState().MenuCommandActive);
}

TEST(MenuPanelTest, HelpAndMenuStackBelowEachOther)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    openBookOfPages(fixture, form, 7);

    hover(form.MenuPanel);
    hover(form.HilfePanel);
    ASSERT_TRUE(form.Hilfe->isVisible());
    EXPECT_TRUE(form.Menu->isVisible());
    EXPECT_EQ(form.Menu->pos(), QPoint(form.Hilfe->x(), form.Hilfe->geometry().bottom() + 1));

    form.MenuHilfeAus();
    hover(form.HilfePanel);
    hover(form.MenuPanel);
    EXPECT_EQ(form.Menu->pos(),
              QPoint(form.readerState().MenuHomeLeft, form.Hilfe->geometry().bottom() + 1));

    // Opened alone again, the menu is back at the top.
    form.MenuHilfeAus();
    hover(form.MenuPanel);
    EXPECT_EQ(form.Menu->y(), 16);
}

TEST(MenuPanelTest, HelpTabsShowTheirPages)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    const QList<QLabel *> tabs = {form.HelpLabel1, form.HelpLabel2, form.HelpLabel3,
                                  form.HelpLabel4, form.HelpLabel5};
    const QList<QFrame *> pages = {form.Help1, form.Help2, form.Help3, form.Help4, form.Help5};
    const QStringList captions = {QStringLiteral("Navigation"), QStringLiteral("Line breaks"),
                                  QStringLiteral("Other features"), QStringLiteral("Shortcuts"),
                                  QStringLiteral("Tips")};
    hover(form.HilfePanel);
    EXPECT_TRUE(hoverLook(form.HelpLabel1));
    for (int i = 4; i >= 0; --i) {
        SCOPED_TRACE(captions[i].toStdString());
        EXPECT_EQ(tabs[i]->text(), captions[i]);
        QTest::mouseClick(tabs[i], Qt::LeftButton);
        EXPECT_EQ(form.readerState().HelpPage, i + 1);
        const QPoint middle = pages[i]->geometry().center();
        QWidget *shown = form.Hilfe->childAt(middle);
        ASSERT_NE(shown, nullptr);
        EXPECT_TRUE(shown == pages[i] || pages[i]->isAncestorOf(shown));
        for (int j = 0; j < 5; ++j)
            EXPECT_EQ(hoverLook(tabs[j]), i == j);
    }
    EXPECT_EQ(form.HelpVersion->text(), QStringLiteral("Tavolex Version 1.8.2 - May 2003"));
    EXPECT_EQ(form.OpenHelptxt->text(), QStringLiteral("Help.txt"));
}

TEST(MenuPanelTest, HelpPagesHoldTheirTexts)
{
    ReaderFixture fixture;
    TForm1 &form = fixture.start({}, false);
    EXPECT_EQ(
        labelTexts(form.Help1),
        (QStringList{
            QStringLiteral("Double page forward: Arrow down, Space"),
            QStringLiteral("(or: right click, see below*)"),
            QStringLiteral("Double page back: Arrow up, Backspace"),
            QStringLiteral("(or: left click, see below*)"),
            QStringLiteral("* You can click to turn pages whenever the pointer has the form "
                           "of a horizontal double arrow, which is outside the left and "
                           "right text area."),
            QStringLiteral("1 page back/forward: Arrow left/right"),
            QStringLiteral("First/Last page: Home(Pos1)/End"),
            QStringLiteral("10 pages back/forward: Page up/down"),
            QStringLiteral("Click page number for direct input"),
            QStringLiteral("Previous/next section (chapter): Ctrl + Arrow left/right"),
            QStringLiteral("Set bookmark: Left click on empty field (between 'Menu' and 'Help')"),
            QStringLiteral("Jump to bookmark: Left click on bookmark with page number"),
            QStringLiteral("Clear bookmark: Right click on bookmark with page number")}));
    EXPECT_EQ(labelTexts(form.Help2).size(), 4);
    EXPECT_TRUE(labelTexts(form.Help2).first().endsWith(QStringLiteral("displaying the text. ")));
    EXPECT_EQ(labelTexts(form.Help3).size(), 6);
    EXPECT_EQ(labelTexts(form.Help3).last(),
              QStringLiteral("Zip-Files can be opened directly just like txt-Files."));
    const QStringList shortcuts = labelTexts(form.Help4);
    EXPECT_EQ(shortcuts.size(), 24);
    EXPECT_TRUE(shortcuts.contains(QStringLiteral("Ctrl+D:  Look up word in dictionaries")));
    EXPECT_TRUE(shortcuts.contains(QStringLiteral("F11:  Full screen on/off")));
    EXPECT_TRUE(shortcuts.contains(QStringLiteral("Ctrl+P:  Read aloud / stop (Esc)")));
    EXPECT_EQ(shortcuts.first(), QStringLiteral("Ctrl+E:  Edit text"));
    EXPECT_EQ(shortcuts.last(), QStringLiteral("Over text: Show menu;     Over menu: Close menu"));
    EXPECT_TRUE(form.Tips->isReadOnly());
    EXPECT_TRUE(form.Tips->toPlainText().startsWith(QStringLiteral("1. ")));
    EXPECT_TRUE(form.Tips->toPlainText().contains(QStringLiteral("\n4. ")));
}

TEST(MenuPanelTest, MenuSizeButtonSwitchesAndIsRemembered)
{
    ReaderFixture fixture;
    {
        TForm1 &form = startActive(fixture);
        EXPECT_EQ(form.Menu->width(), 87);
        EXPECT_EQ(form.Expand->text(), QStringLiteral(">"));
        hover(form.MenuPanel);
        QTest::mouseClick(form.Expand, Qt::LeftButton);
        EXPECT_GE(form.Menu->width(), 380); // wider by a scroll bar when the window is short
        EXPECT_EQ(form.Expand->text(), QStringLiteral("<"));
        EXPECT_EQ(IniFile(fixture.settingsPath())
                      .readString(QStringLiteral("Options"), QStringLiteral("Large Menu"), {}),
                  QStringLiteral("Yes"));
        // Every setting of the large menu can be reached inside a window shorter than the menu:
        // the menu ends inside the window and what does not fit scrolls into view.
        form.resize(800, 450);
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        hover(form.MenuPanel);
        ASSERT_TRUE(form.Menu->isVisible());
        EXPECT_LE(form.Menu->geometry().bottom(), form.rect().bottom());
        auto *scroll = form.Menu->findChild<QScrollArea *>();
        ASSERT_NE(scroll, nullptr);
        for (QWidget *w :
             {static_cast<QWidget *>(form.AutoOpen), static_cast<QWidget *>(form.MarginRightUpDown),
              static_cast<QWidget *>(form.ChapterCountBlank), static_cast<QWidget *>(form.QuickFind),
              static_cast<QWidget *>(form.FontUpDown)}) {
            scroll->ensureWidgetVisible(w, 0, 0);
            const QRect r(w->mapTo(&form, QPoint(0, 0)), w->size());
            EXPECT_TRUE(form.Menu->geometry().contains(r) && form.rect().contains(r))
                << w->objectName().toStdString();
        }
        fixture.stop();
    }
    TForm1 &form = fixture.start();
    EXPECT_GE(form.Menu->width(), 380); // wider by a scroll bar when the window is short
    EXPECT_EQ(form.Expand->text(), QStringLiteral("<"));
    hover(form.MenuPanel);
    QTest::mouseClick(form.Expand, Qt::LeftButton);
    EXPECT_EQ(form.Menu->width(), 87);
}

TEST(MenuPanelTest, OpeningTheMenuDropsUnconfirmedMargins)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    hover(form.MenuPanel);
    form.MarginLeftUpDown->setValue(12);
    EXPECT_EQ(form.MarginLeft->text(), QStringLiteral("12"));
    EXPECT_TRUE(form.ChangeMargins->isEnabled());
    form.MenuHilfeAus();
    hover(form.MenuPanel);
    EXPECT_EQ(form.MarginLeftUpDown->value(), 0);
    EXPECT_EQ(form.MarginLeft->text(), QStringLiteral("0"));
    EXPECT_FALSE(form.ChangeMargins->isEnabled());
}

TEST(MenuPanelTest, ARightClickInAPageOpensTheMenuOnThePointer)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    openBookOfPages(fixture, form, 7);
    form.RecentShowClick();
    form.MarginLeftUpDown->setValue(12);
    form.MenuHilfeAus();
    const struct
    {
        const char *name;
        QPlainTextEdit *page;
        QPoint at; // in the page's viewport
    } cases[] = {
        {"middle of the left page", form.LinkeSeite, QPoint(150, 250)},
        {"right page near its top", form.RechteSeite, QPoint(100, 10)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        form.MenuHilfeAus();
        QWidget *viewport = c.page->viewport();
        QTest::mousePress(viewport, Qt::RightButton, {}, c.at);
        QTest::mouseRelease(viewport, Qt::RightButton, {}, c.at);
        ASSERT_TRUE(form.Menu->isVisible());
        const QPoint pointer = viewport->mapTo(&form, c.at);
        const QRect menu = form.Menu->geometry();
        EXPECT_EQ(menu.left(), pointer.x() - menu.width() / 2);
        EXPECT_EQ(menu.top(), std::max(pointer.y() - menu.height() / 2, form.LinkeSeite->y()));
        EXPECT_FALSE(form.Recent->isVisible());
        EXPECT_EQ(form.MarginLeftUpDown->value(), 0);
        EXPECT_FALSE(form.ChangeMargins->isEnabled());
        EXPECT_EQ(form.readerState().CurrentPage, 1) << "the click turned the page";
    }
}

TEST(MenuPanelTest, HelpTxtButtonOpensTheFileBesideTheProgram)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    const QString path = fixture.programDir + QStringLiteral("/Help.txt");
    form.OpenHelptxt->click();
    EXPECT_EQ(fixture.prompts->shown,
              QStringList{QStringLiteral("File ") + path + QStringLiteral(" not found!")});
    EXPECT_TRUE(form.readerState().FileName.isEmpty());

    ASSERT_TRUE(QFile::copy(QStringLiteral(TAVOLEX_HELP_TXT), path));
    hover(form.HilfePanel);
    form.OpenHelptxt->click();
    EXPECT_EQ(form.readerState().FileName, path);
    EXPECT_FALSE(form.Hilfe->isVisible());
    EXPECT_GT(form.readerState().PageCount, 0);
}

TEST(MenuPanelTest, CommandGivenWithTheMenuClosedKeepsTheNextRefitOnLeaving)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    openBookOfPages(fixture, form, 7);
    form.AutoFitAll->setChecked(false);
    press(form, Qt::Key_L, Qt::ControlModifier);
    EXPECT_FALSE(form.readerState().MenuCommandActive);

    hover(form.MenuPanel);
    press(form, Qt::Key_Plus);
    ASSERT_TRUE(form.LayoutChangedSinceFit());
    hover(form.LinkeSeite->viewport());
    EXPECT_FALSE(form.LayoutChangedSinceFit());
}
