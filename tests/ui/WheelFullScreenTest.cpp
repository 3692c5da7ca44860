#include "BookSteps.h"

#include "core/book/IniFile.h"

#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTableWidget>
#include <QWheelEvent>

#include <vector>

namespace {

enum class Spot { LeftPage, RightPage, Divider, Background };

QPoint spotIn(TForm1 &form, Spot spot)
{
    switch (spot) {
    case Spot::LeftPage:
        return form.LinkeSeite->geometry().center();
    case Spot::RightPage:
        return form.RechteSeite->geometry().center();
    case Spot::Divider:
        return form.Trennstrich->geometry().center();
    case Spot::Background:
        return QPoint(form.width() - 2, form.height() - 2);
    }
    return {};
}

// A wheel turn as the platform delivers it: to the control under the pointer, then on to its
// parents while none takes it (an event sent by a program does not travel up by itself).
// `at` is a point of the window.
void wheel(TForm1 &form, QPoint at, int delta, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    const QPoint global = form.mapToGlobal(at);
    for (QWidget *w = form.childAt(at) ? form.childAt(at) : &form; w; w = w->parentWidget()) {
        QWheelEvent event(w->mapFromGlobal(QPointF(global)), QPointF(global), QPoint(),
                          QPoint(0, delta), Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(w, &event);
        if (event.isAccepted() || w == &form)
            return;
    }
}

QPoint centreOf(TForm1 &form, QWidget *w)
{
    return w->mapTo(&form, w->rect().center());
}

struct WheelCase
{
    const char *name;
    Spot spot;
    std::vector<int> deltas;
    Qt::KeyboardModifiers modifiers;
    int expected; // from page 3 of 7
};

} // namespace

TEST(WheelFullScreenTest, EveryFullStepTurnsOnce)
{
    const WheelCase cases[] = {
        {"one notch down", Spot::LeftPage, {-120}, {}, 5},
        {"eight small deltas down", Spot::RightPage, std::vector<int>(8, -15), {}, 5},
        {"seven small deltas are no step yet", Spot::LeftPage, std::vector<int>(7, -15), {}, 3},
        {"one notch up over the divider", Spot::Divider, {120}, {}, 1},
        {"eight small deltas up over the background", Spot::Background,
         std::vector<int>(8, 15), {}, 1},
        {"three notches at once are one turn", Spot::LeftPage, {-360}, {}, 5},
        {"two notches one by one", Spot::Background, {-120, -120}, {}, 7},
        {"a reversal drops the partial step", Spot::RightPage, {-60, 60, 60}, {}, 1},
        {"Shift makes no difference", Spot::LeftPage, {-120}, Qt::ShiftModifier, 5},
        {"Ctrl turns nothing", Spot::LeftPage, {-120}, Qt::ControlModifier, 3},
        {"Alt turns nothing", Spot::Divider, {120}, Qt::AltModifier, 3},
    };
    for (const WheelCase &c : cases) {
        SCOPED_TRACE(c.name);
        ReaderFixture fixture;
        TForm1 &form = startActive(fixture);
        openBookOfPages(fixture, form, 7);
        goToPage(form, 3);
        for (int delta : c.deltas)
            wheel(form, spotIn(form, c.spot), delta, c.modifiers);
        EXPECT_EQ(form.readerState().CurrentPage, c.expected);
        EXPECT_EQ(form.SeitenNrLinks->text(), QString::number(c.expected));
        EXPECT_EQ(form.LinkeSeite->verticalScrollBar()->value(), 0);
    }
}

TEST(WheelFullScreenTest, WheelKeepsTheLimitsOfDownAndUp)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    openBookOfPages(fixture, form, 7);
    const QPoint onPage = spotIn(form, Spot::LeftPage);
    const auto reach = [&](int page) {
        // Page 7 on the left is reached only by Down from 5.
        goToPage(form, page == 7 ? 5 : page);
        if (page == 7)
            press(form, Qt::Key_Down);
        ASSERT_EQ(form.readerState().CurrentPage, page);
    };
    for (int from = 1; from <= 7; ++from) {
        SCOPED_TRACE(from);
        for (const auto &[key, delta] : {std::pair{Qt::Key_Down, -120}, {Qt::Key_Up, 120}}) {
            reach(from);
            press(form, key);
            const int byKey = form.readerState().CurrentPage;
            reach(from);
            wheel(form, onPage, delta);
            EXPECT_EQ(form.readerState().CurrentPage, byKey) << (key == Qt::Key_Down ? "down" : "up");
        }
    }
    reach(6);
    wheel(form, onPage, -120);
    EXPECT_EQ(form.readerState().CurrentPage, 6);
    EXPECT_EQ(form.SeitenNrRechts->text(), QStringLiteral("7"));
}

TEST(WheelFullScreenTest, OverAnOpenPanelThePagesStay)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    openBookOfPages(fixture, form, 7);
    goToPage(form, 3);

    struct PanelCase
    {
        const char *name;
        std::function<void()> open;
        QWidget *panel;
        QWidget *list;
    };
    const PanelCase cases[] = {
        {"recent files", [&] { form.RecentShowClick(); }, form.Recent, form.RecentList->viewport()},
        {"table of contents", [&] { form.ShowTOCClick(); }, form.Contents,
         form.ChapterList->viewport()},
        {"help", [&] { form.OpenHelpPanel(); }, form.Hilfe, form.Help1},
        {"menu", [&] { form.OpenMenuPanel(); }, form.Menu, form.Laden},
    };
    for (const PanelCase &c : cases) {
        SCOPED_TRACE(c.name);
        c.open();
        ASSERT_TRUE(c.panel->isVisible());
        for (QWidget *w : {c.panel, c.list}) {
            for (int delta : {-120, -120, 120}) {
                wheel(form, centreOf(form, w), delta);
                EXPECT_EQ(form.readerState().CurrentPage, 3);
            }
        }
        form.MenuHilfeAus();
        form.SetTocPanelShown(false);
    }
    // Closed again, the same places are over the pages.
    wheel(form, centreOf(form, form.RecentList), -120);
    EXPECT_EQ(form.readerState().CurrentPage, 5);
}

TEST(WheelFullScreenTest, OverTheHelpPanelTheTipsScroll)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    openBookOfPages(fixture, form, 7);
    form.OpenHelpPanel();
    form.HelpLabelClick(form.HelpLabel5);
    // Tips longer than the page.
    for (int i = 0; i < 40; ++i)
        form.Tips->appendPlainText(QStringLiteral("tip %1").arg(i));
    QScrollBar *bar = form.Tips->verticalScrollBar();
    bar->setValue(0);
    ASSERT_GT(bar->maximum(), 0);
    // Over the version line, beside the list, the list scrolls as under the pointer.
    wheel(form, centreOf(form, form.HelpVersion), -120);
    EXPECT_GT(bar->value(), 0);
    wheel(form, centreOf(form, form.HelpVersion), 120);
    EXPECT_EQ(bar->value(), 0);
    EXPECT_EQ(form.readerState().CurrentPage, 1);
}

TEST(WheelFullScreenTest, WithoutADocumentTheWheelDoesNothing)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    for (int delta : {-120, -120, 120})
        wheel(form, spotIn(form, Spot::LeftPage), delta);
    EXPECT_EQ(form.readerState().CurrentPage, 1);
    EXPECT_TRUE(form.SeitenNrLinks->text().isEmpty());
}

TEST(WheelFullScreenTest, F11ReturnsToTheNormalBoundsAndSavesThem)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    openBookOfPages(fixture, form, 7);
    form.Shortcuts->setChecked(false); // F11 is no shortcut
    form.setGeometry(40, 50, 700, 500);
    QTRY_COMPARE(form.size(), QSize(700, 500));
    const QRect normal = form.geometry();
    const int normalPageWidth = form.LinkeSeite->width();

    press(form, Qt::Key_F11);
    EXPECT_TRUE(form.windowState() & Qt::WindowFullScreen);
    // The offscreen screen is larger than the window: the pages are laid out again.
    QTRY_COMPARE(form.geometry(), form.screen()->geometry());
    EXPECT_GT(form.LinkeSeite->width(), normalPageWidth);

    press(form, Qt::Key_F11);
    EXPECT_FALSE(form.windowState() & Qt::WindowFullScreen);
    QTRY_COMPARE(form.geometry(), normal);
    EXPECT_EQ(form.LinkeSeite->width(), normalPageWidth);

    press(form, Qt::Key_F11);
    ASSERT_TRUE(form.isFullScreen());
    fixture.stop();
    {
        IniFile ini(fixture.settingsPath());
        EXPECT_EQ(ini.readString("Window", "Fullscreen", QString()), QStringLiteral("Yes"));
        EXPECT_EQ(ini.readString("Window", "Maximized", QString()), QStringLiteral("No"));
        EXPECT_EQ(ini.readString("Window", "Left", QString()), QString::number(normal.x()));
        EXPECT_EQ(ini.readString("Window", "Top", QString()), QString::number(normal.y()));
        EXPECT_EQ(ini.readString("Window", "Width", QString()), QStringLiteral("700"));
        EXPECT_EQ(ini.readString("Window", "Height", QString()), QStringLiteral("500"));
    }

    // The mode is read back at start; leaving it returns to the saved bounds.
    TForm1 &again = startActive(fixture);
    EXPECT_TRUE(again.windowState() & Qt::WindowFullScreen);
    QTRY_COMPARE(again.geometry(), again.screen()->geometry());
    press(again, Qt::Key_F11);
    EXPECT_FALSE(again.isFullScreen());
    QTRY_COMPARE(again.size(), QSize(700, 500));
    fixture.stop();
    IniFile ini(fixture.settingsPath());
    EXPECT_EQ(ini.readString("Window", "Fullscreen", QString()), QStringLiteral("No"));
    EXPECT_EQ(ini.readString("Window", "Width", QString()), QStringLiteral("700"));
    EXPECT_EQ(ini.readString("Window", "Height", QString()), QStringLiteral("500"));
}

TEST(WheelFullScreenTest, MaximizedBeforeFullScreenStaysMaximizedAfter)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    form.setGeometry(60, 70, 640, 480);
    QTRY_COMPARE(form.size(), QSize(640, 480));
    const QRect normal = form.geometry();
    form.showMaximized();
    ASSERT_TRUE(form.isMaximized());
    press(form, Qt::Key_F11);
    ASSERT_TRUE(form.isFullScreen());
    fixture.stop();
    IniFile ini(fixture.settingsPath());
    EXPECT_EQ(ini.readString("Window", "Maximized", QString()), QStringLiteral("Yes"));
    EXPECT_EQ(ini.readString("Window", "Fullscreen", QString()), QStringLiteral("Yes"));
    EXPECT_EQ(ini.readString("Window", "Width", QString()), QString::number(normal.width()));
    EXPECT_EQ(ini.readString("Window", "Height", QString()), QString::number(normal.height()));

    TForm1 &again = startActive(fixture);
    ASSERT_TRUE(again.isFullScreen());
    press(again, Qt::Key_F11);
    EXPECT_TRUE(again.isMaximized());
    EXPECT_FALSE(again.isFullScreen());
}
