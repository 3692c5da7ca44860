#pragma once

#include <QElapsedTimer>
#include <QObject>

#include <deque>

class QWidget;

// Lets a long loop see the key presses meant for one window. While it runs pending events,
// those key presses are taken out and kept for the loop, mouse events are dropped, and a close
// of the window is held back until the poll ends, so that no other handler of the window runs in
// between.
class KeyPoll : public QObject
{
public:
    // intervalMs: pending events are run at most this often; the first poll always runs them.
    explicit KeyPoll(QWidget *window, int intervalMs = 15);
    ~KeyPoll() override;

    // The oldest key press taken out (a Qt::Key), or 0 when none is waiting.
    int takeKey();
    // The window was asked to close while the loop ran: the loop should stop. The close is asked
    // again when the poll ends.
    bool closeRequested() const { return closeAsked; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool ofWindow(QObject *watched) const;

    QWidget *window;
    int intervalMs;
    std::deque<int> keys;
    QElapsedTimer sincePump;
    bool pumped = false;
    bool pumping = false;
    bool closeAsked = false;
};
