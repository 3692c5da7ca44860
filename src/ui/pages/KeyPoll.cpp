#include "ui/pages/KeyPoll.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

KeyPoll::KeyPoll(QWidget *window, int intervalMs) : window(window), intervalMs(intervalMs)
{
    QCoreApplication::instance()->installEventFilter(this);
}

KeyPoll::~KeyPoll()
{
    QCoreApplication::instance()->removeEventFilter(this);
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

bool KeyPoll::eventFilter(QObject *watched, QEvent *event)
{
    if (!pumping)
        return false;
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto *widget = qobject_cast<QWidget *>(watched);
        if (widget && widget->window() == window)
            keys.push_back(static_cast<QKeyEvent *>(event)->key());
        return true;
    }
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
    case QEvent::Close:
        return true;
    default:
        return false;
    }
}
