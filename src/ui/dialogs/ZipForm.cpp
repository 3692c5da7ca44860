#include "ui/dialogs/ZipForm.h"

#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QScreen>
#include <QVBoxLayout>

TZipForm::TZipForm(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint)
{
    setWindowTitle(QStringLiteral("Archive Contents"));
    setFixedSize(308, 327);

    Label1 = new QLabel(QStringLiteral("Select the file to open:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignCenter);
    QPalette labelPalette = Label1->palette();
    labelPalette.setColor(QPalette::WindowText, QColor(0x00, 0x80, 0x80));
    Label1->setPalette(labelPalette);

    ZipList = new QListWidget(this);
    ZipList->setObjectName(QStringLiteral("ZipList"));
    ZipList->setSelectionMode(QAbstractItemView::SingleSelection);
    ZipList->setFocusPolicy(Qt::ClickFocus);
    const QString hint = QStringLiteral("Click to open one of the files in this archive");
    ZipList->setToolTip(hint);
    ZipList->setToolTipDuration(80 * int(hint.size()) + 2000);
    ZipList->installEventFilter(this);
    ZipList->viewport()->installEventFilter(this);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 4, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(Label1);
    layout->addWidget(ZipList, 1);
}

QString TZipForm::ChooseArchiveMember(const QStringList &members)
{
    FillMembers(members);
    exec();
    return ChosenMember();
}

void TZipForm::FillMembers(const QStringList &members)
{
    ZipList->clear();
    ZipList->addItems(members);
    if (ZipList->count() > 0)
        ZipList->setCurrentRow(0);
    setResult(QDialog::Rejected);
}

QString TZipForm::ChosenMember() const
{
    if (result() != QDialog::Accepted)
        return {};
    const QListWidgetItem *item = ZipList->currentItem();
    return item && item->isSelected() ? item->text() : QString();
}

void TZipForm::FormShow()
{
    if (const QScreen *screen =
            this->screen() ? this->screen() : QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    ZipList->setFocus(Qt::OtherFocusReason);
}

bool TZipForm::FormKeyDown(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        reject();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        accept();
        return true;
    default:
        return false;
    }
}

bool TZipForm::ZipListMouseDown(const QPoint &pos)
{
    QListWidgetItem *item = ZipList->itemAt(pos);
    if (!item)
        return false;
    ZipList->setCurrentItem(item);
    accept();
    return true;
}

bool TZipForm::eventFilter(QObject *watched, QEvent *event)
{
    // The window sees keys before the list does, so Enter never reaches its own handling.
    if (watched == ZipList && event->type() == QEvent::KeyPress)
        return FormKeyDown(static_cast<QKeyEvent *>(event));
    if (watched == ZipList->viewport() && event->type() == QEvent::MouseButtonPress)
        return ZipListMouseDown(static_cast<QMouseEvent *>(event)->position().toPoint());
    return QDialog::eventFilter(watched, event);
}

void TZipForm::keyPressEvent(QKeyEvent *event)
{
    if (!FormKeyDown(event))
        QDialog::keyPressEvent(event);
}

void TZipForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FormShow();
}
