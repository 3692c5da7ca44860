#pragma once

#include <QDialog>
#include <QStringList>

class QKeyEvent;
class QLabel;
class QListWidget;

// The archive member chooser: one list of names, Enter or a click on a name chooses it,
// Esc or the close box cancels.
class TZipForm : public QDialog
{
    Q_OBJECT

public:
    explicit TZipForm(QWidget *parent = nullptr);

    // Runs modally; the chosen name, or an empty string when cancelled.
    QString ChooseArchiveMember(const QStringList &members);

    // The steps of ChooseArchiveMember around the modal loop, for callers (and tests)
    // that show the window themselves: fill the list, then read the outcome once it closed.
    void FillMembers(const QStringList &members);
    QString ChosenMember() const;

    QLabel *Label1 = nullptr;
    QListWidget *ZipList = nullptr;

    void FormShow();
    // True when the key ended the dialog.
    bool FormKeyDown(QKeyEvent *event);
    // pos in ZipList's viewport coordinates; true when it hit an item and chose it.
    bool ZipListMouseDown(const QPoint &pos);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;
};
