#include "ui/pages/KeyPoll.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>
#include <QWindow>

KeyPoll::KeyPoll(QWidget *window, int intervalMs) : window(window), intervalMs(intervalMs)
{
    QCoreApplication::instance()->installEventFilter(this);
}

KeyPoll::~KeyPoll()
{
    QCoreApplication::instance()->removeEventFilter(this);
    if (closeAsked)
        QMetaObject::invokeMethod(window, &QWidget::close, Qt::QueuedConnection);
}

int KeyPoll::takeKey()
{
    if (keys.empty() && (!pumped || sincePump.elapsed() >= intervalMs)) {
        pumped = true;
        pumping = true;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        pumping = false;
        sincePump.start();
    }
    if (keys.empty())
        return 0;
    const int key = keys.front();
    keys.pop_front();
    return key;
}

bool KeyPoll::ofWindow(QObject *watched) const
{
    // On a real display server input reaches the platform window first, and only through it
    // the widget; offscreen tests send keys to widgets directly.
    if (auto *handle = qobject_cast<QWindow *>(watched))
        return handle == window->windowHandle();
    auto *widget = qobject_cast<QWidget *>(watched);
    return widget && widget->window() == window;
}

bool KeyPoll::eventFilter(QObject *watched, QEvent *event)
{
    if (!pumping)
        return false;
    switch (event->type()) {
    case QEvent::KeyPress:
        if (ofWindow(watched))
            keys.push_back(static_cast<QKeyEvent *>(event)->key());
        return true;
    case QEvent::Close:
        if (ofWindow(watched))
            closeAsked = true;
        return true;
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}
