#pragma once

#include <QDialog>
#include <QObject>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

// The page-number dialog. Its sizes follow the dialog font: cx is the average width of the
// letters A-Z a-z, cy their height.
class JumpDialog : public QDialog
{
public:
    enum class Value { CaretAfter, Selected };

    JumpDialog(QWidget *parent, const QString &caption, const QString &prompt, const QString &value,
               Value valueLook);

    QString text() const;

    QLabel *prompt = nullptr;
    QLineEdit *edit = nullptr;
    QPushButton *ok = nullptr;
    QPushButton *cancel = nullptr;
    int cx = 0;
    int cy = 0;
};

// a * b / c rounded to the nearest integer, halves away from zero.
int mulDivRounded(int a, int b, int c);

// True for OK, with the entered text in value; Cancel leaves value as it was. The value is
// shown unselected with the caret after it, so typed digits append.
bool JumpInputDialog(QWidget *parent, const QString &caption, const QString &prompt,
                     QString &value);

// The plain input box: the value shown selected; Cancel returns the value unchanged.
QString InputBox(QWidget *parent, const QString &caption, const QString &prompt,
                 const QString &value);

// Hands the events of controls that have no signal for them to a function; true consumes.
class EventRelay : public QObject
{
public:
    using Handler = std::function<bool(QObject *watched, QEvent *event)>;
    EventRelay(QObject *parent, Handler handler) : QObject(parent), handler(std::move(handler)) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override { return handler(watched, event); }

private:
    Handler handler;
};
