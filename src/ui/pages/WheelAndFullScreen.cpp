#include "ui/Tavolex1.h"

#include "core/book/IniFile.h"
#include "core/book/SettingsValues.h"
#include "ui/pages/WindowManagerState.h"

#include <QCoreApplication>
#include <QFrame>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTableWidget>
#include <QWheelEvent>
#include <QWindow>

#include <cstdlib>

namespace {

constexpr int kWheelStep = 120; // one notch of a standard mouse wheel

// The open panel under `at` (a point in the window), or null.
QWidget *openPanelAt(TForm1 &form, QPoint at)
{
    for (QWidget *w = form.childAt(at); w && w != &form; w = w->parentWidget()) {
        const bool panel =
            w == form.Menu || w == form.Hilfe || w == form.Recent || w == form.Contents;
        if (panel && w->isVisible())
            return w;
    }
    return nullptr;
}

// What the wheel scrolls over a panel; the menu and the help pages without a list keep it.
QAbstractScrollArea *panelList(TForm1 &form, QWidget *panel)
{
    if (panel == form.Recent)
        return form.RecentList;
    if (panel == form.Contents)
        return form.ChapterList;
    if (panel == form.Hilfe && form.readerState().HelpPage == 5)
        return form.Tips;
    return nullptr;
}

} // namespace

void TForm1::wheelEvent(QWheelEvent *event)
{
    event->accept();
    QWidget *panel = openPanelAt(*this, event->position().toPoint());
    if (!panel) {
        pagesWheel(event);
        return;
    }
    QAbstractScrollArea *list = panelList(*this, panel);
    if (!list || !list->verticalScrollBar())
        return;
    // Sent, not posted: what the list leaves unused ends with it and never turns a page.
    QWheelEvent toList(event->position(), event->globalPosition(), event->pixelDelta(),
                       event->angleDelta(), event->buttons(), event->modifiers(), event->phase(),
                       event->inverted());
    QCoreApplication::sendEvent(list->verticalScrollBar(), &toList);
}

void TForm1::pagesWheel(QWheelEvent *event)
{
    event->accept();
    const Qt::ScrollPhase phase = event->phase();
    if (phase == Qt::ScrollBegin)
        wheelRemainder = 0;
    // The glide after a touchpad flick is no turn of the user's.
    const int delta = phase == Qt::ScrollMomentum ? 0 : event->angleDelta().y();
    const bool ctrlOrAlt = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier);
    if (phase == Qt::ScrollEnd)
        wheelRemainder = 0;
    if (delta == 0 || ctrlOrAlt || state.FileName.isEmpty())
        return;

    // A change of direction starts a new step.
    if (wheelRemainder != 0 && (delta < 0) != (wheelRemainder < 0))
        wheelRemainder = 0;
    wheelRemainder += delta;
    if (std::abs(wheelRemainder) < kWheelStep)
        return;
    const bool forward = wheelRemainder < 0;
    // One turn per event: a fast flick delivered at once is one step, not several.
    wheelRemainder %= kWheelStep;

    // The limits of the Down and Up keys.
    const int page = state.CurrentPage;
    int target = page;
    if (forward) {
        if (page < state.PageCount - 1)
            target = std::min(page + 2, state.PageCount);
    } else if (page > 1) {
        target = std::max(page - 2, 1);
    }
    if (target != page) {
        state.CurrentPage = target;
        ShowSpread();
    }
}

QRect TForm1::normalPlacement() const
{
    if (isFullScreen() && fullScreenReturn.isValid())
        return fullScreenReturn;
    return isMaximized() || isFullScreen() ? normalGeometry() : geometry();
}

bool TForm1::heldFullScreen() const
{
    // The window manager answers a request within moments; until then Qt's view is the newer.
    if (sinceFullScreenAsked.isValid() && sinceFullScreenAsked.elapsed() < 500)
        return isFullScreen();
    // A change the window manager makes while the reader is busy can leave Qt's state behind
    // for good, and F11 would then ask for the state the window already has.
    return windowManagerFullScreen(*this).value_or(isFullScreen());
}

void TForm1::askFullScreen(bool on)
{
    // Qt sends nothing for the state it believes the window is in: bring its view in line first.
    if (isFullScreen() == on)
        setWindowState(on ? windowState() & ~Qt::WindowFullScreen
                          : windowState() | Qt::WindowFullScreen);
    setWindowState(on ? windowState() | Qt::WindowFullScreen
                      : windowState() & ~Qt::WindowFullScreen);
    sinceFullScreenAsked.start();
}

void TForm1::ToggleFullScreen()
{
    if (heldFullScreen()) {
        const QRect back = fullScreenReturn;
        fullScreenReturn = QRect();
        askFullScreen(false);
        if (!isMaximized() && back.isValid() && geometry() != back)
            setGeometry(back);
        return;
    }
    fullScreenReturn = normalPlacement();
    // A window manager sizes a full-screen window itself; bounds set now would fight it.
    const bool managed = frameGeometry() != geometry();
    askFullScreen(true);
    if (!managed)
        fitFullScreenToScreen();
}

void TForm1::applyStartupFullScreen()
{
    if (!readSwitch(ini->readString(QStringLiteral("Window"), QStringLiteral("Fullscreen"),
                                    QStringLiteral("No")),
                    SwitchTest::OnOnlyIfYes))
        return;
    fullScreenReturn = normalPlacement();
    // Showing puts the window at its widget bounds, so they are the screen's from the start.
    // (A widget's setGeometry ends maximizing, which must survive here.)
    if (QScreen *s = screen(); s && !isMaximized())
        setGeometry(s->geometry());
    setWindowState(windowState() | Qt::WindowFullScreen);
    sinceFullScreenAsked.start();
}

void TForm1::fitFullScreenToScreen()
{
    if (!isFullScreen() || !isVisible())
        return;
    // Through the window handle: a widget's own setGeometry would end the full-screen state.
    QScreen *s = screen();
    if (s && windowHandle() && geometry() != s->geometry())
        windowHandle()->setGeometry(s->geometry());
}
