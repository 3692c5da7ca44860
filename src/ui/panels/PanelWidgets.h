#pragma once

#include <QCheckBox>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QSpinBox>
#include <QStyle>

#include <functional>

// Widgets and measures the menu and help panels share.
namespace panels {

constexpr int kSmallMenuWidth = 87;
constexpr int kLargeMenuWidth = 380;
constexpr int kPanelTop = 16;
constexpr int kHelpWidth = 420;

inline const QColor kRestingColour(0x00, 0x80, 0x80);
inline const QColor kHoverColour(0x80, 0x00, 0x00);

// A clickable text: the mnemonic letter of its caption is shown underlined, as on a button.
class CommandLabel : public QLabel
{
public:
    CommandLabel(const QString &caption, QWidget *parent) : QLabel(caption, parent)
    {
        setCursor(Qt::PointingHandCursor);
        setMouseTracking(true);
    }
    std::function<void()> onClick;

    QSize sizeHint() const override
    {
        const QFontMetrics metrics(font());
        QString shown = text();
        if (const auto amp = shown.indexOf(u'&'); amp >= 0)
            shown.remove(amp, 1);
        return QSize(metrics.horizontalAdvance(shown) + 4, metrics.height() + 2);
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        style()->drawItemText(&painter, contentsRect(), int(alignment()) | Qt::TextShowMnemonic,
                              palette(), isEnabled(), text(), foregroundRole());
    }
    void mouseReleaseEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) &&
            onClick)
            onClick();
    }
};

inline void setLook(QLabel *label, bool hover)
{
    QFont font = label->font();
    font.setBold(true);
    font.setUnderline(hover);
    label->setFont(font);
    QPalette palette = label->palette();
    // The disabled look stays the grey of the style.
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
        palette.setColor(group, QPalette::WindowText, hover ? kHoverColour : kRestingColour);
    label->setPalette(palette);
}

inline CommandLabel *makeCommand(QWidget *parent, const QString &name, const QString &caption,
                                 const QString &hint, std::function<void()> action)
{
    auto *label = new CommandLabel(caption, parent);
    label->setObjectName(name);
    label->setToolTip(hint);
    setLook(label, false);
    label->onClick = [label, action = std::move(action)] {
        setLook(label, false);
        action();
    };
    return label;
}

inline QCheckBox *makeCheck(QWidget *parent, const QString &name, const QString &caption,
                            bool checked, const QString &hint)
{
    auto *box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    box->setChecked(checked);
    box->setToolTip(hint);
    return box;
}

// The number a spin box shows; kept for the code that reads the number as text.
inline QLineEdit *makeNumberField(QWidget *parent, const QString &text, const QString &hint)
{
    auto *field = new QLineEdit(text, parent);
    field->setReadOnly(true);
    field->setToolTip(hint);
    field->hide();
    return field;
}

// Up-down arrows with their number. A click gives it the focus; then typed digits (taken on
// Enter or when the focus leaves), Up and Down change it.
inline QSpinBox *makeUpDown(QWidget *parent, int minimum, int maximum, int value,
                            const QString &hint)
{
    auto *spin = new QSpinBox(parent);
    spin->setRange(minimum, maximum);
    spin->setValue(value);
    spin->setWrapping(false);
    spin->setFocusPolicy(Qt::ClickFocus);
    spin->setKeyboardTracking(false);
    spin->setToolTip(hint);
    spin->setAlignment(Qt::AlignRight);
    const int digits = QString::number(maximum).size();
    spin->setFixedWidth(spin->fontMetrics().horizontalAdvance(QString(digits, u'0')) + 30);
    return spin;
}

inline QHBoxLayout *row(int indent = 0)
{
    auto *layout = new QHBoxLayout;
    layout->setContentsMargins(indent, 0, 0, 0);
    layout->setSpacing(3);
    return layout;
}

inline QLabel *helpLine(QWidget *parent, const QString &text)
{
    auto *label = new QLabel(text, parent);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    return label;
}

} // namespace panels
