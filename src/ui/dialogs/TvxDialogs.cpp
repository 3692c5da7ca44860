#include "ui/dialogs/TvxDialogs.h"

#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace {

// The dialog hands its first focus over as if by Tab, which would select the whole value.
class CaretAfterEdit : public QLineEdit
{
public:
    using QLineEdit::QLineEdit;

protected:
    void focusInEvent(QFocusEvent *event) override
    {
        QLineEdit::focusInEvent(event);
        deselect();
        setCursorPosition(int(text().size()));
    }
};

} // namespace

int mulDivRounded(int a, int b, int c)
{
    const long long product = static_cast<long long>(a) * b;
    const long long half = c / 2;
    const long long rounded = product >= 0 ? (product + half) / c : (product - half) / c;
    return static_cast<int>(rounded);
}

JumpDialog::JumpDialog(QWidget *parent, const QString &caption, const QString &promptText,
                       const QString &value, Value valueLook)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint)
{
    setWindowTitle(caption);
    setModal(true);
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const QFontMetrics metrics(font());
    cx = metrics.horizontalAdvance(letters) / 52;
    cy = metrics.height();
    const auto m = mulDivRounded;
    setFixedSize(m(180, cx, 4), m(63, cy, 8));

    prompt = new QLabel(promptText, this);
    prompt->setTextFormat(Qt::PlainText);
    prompt->move(m(8, cx, 4), m(8, cy, 8));
    prompt->adjustSize();

    if (valueLook == Value::CaretAfter)
        edit = new CaretAfterEdit(this);
    else
        edit = new QLineEdit(this);
    edit->setMaxLength(255);
    edit->setGeometry(prompt->x(), m(19, cy, 8), m(164, cx, 4), edit->sizeHint().height());
    edit->setText(value);
    if (valueLook == Value::Selected)
        edit->selectAll();
    else
        edit->setCursorPosition(int(edit->text().size()));

    // The platform's own button texts.
    const QDialogButtonBox standard(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    ok = new QPushButton(standard.button(QDialogButtonBox::Ok)->text(), this);
    cancel = new QPushButton(standard.button(QDialogButtonBox::Cancel)->text(), this);
    const int top = m(41, cy, 8);
    const int buttonWidth = m(50, cx, 4);
    const int buttonHeight = m(14, cy, 8);
    ok->setGeometry(m(38, cx, 4), top, buttonWidth, buttonHeight);
    cancel->setGeometry(m(92, cx, 4), top, buttonWidth, buttonHeight);
    ok->setDefault(true);
    ok->setAutoDefault(true);
    cancel->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    if (QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
    edit->setFocus(Qt::OtherFocusReason);
}

QString JumpDialog::text() const
{
    return edit->text();
}

bool JumpInputDialog(QWidget *parent, const QString &caption, const QString &prompt, QString &value)
{
    JumpDialog dialog(parent, caption, prompt, value, JumpDialog::Value::CaretAfter);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    value = dialog.text();
    return true;
}

QString InputBox(QWidget *parent, const QString &caption, const QString &prompt,
                 const QString &value)
{
    JumpDialog dialog(parent, caption, prompt, value, JumpDialog::Value::Selected);
    return dialog.exec() == QDialog::Accepted ? dialog.text() : value;
}
