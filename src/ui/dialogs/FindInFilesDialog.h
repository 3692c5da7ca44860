#pragma once

#include "ui/dialogs/Prompts.h"
#include "core/text/FindInFiles.h"

#include <QDialog>
#include <QElapsedTimer>

#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

// Moves window, without resizing or activating it, so that it is centred horizontally over the
// active window with its top offset pixels below that window's top.
void CenterOverForeground(QWidget *window, int offset);

// The find-in-files window; hidden until find in files is asked for. Its handlers are public so
// that a test can drive it without showing it modally.
class TFIFForm : public QDialog
{
    Q_OBJECT

public:
    // The result code of done() for the Abort button.
    static constexpr int AbortResult = 2;

    explicit TFIFForm(QWidget *parent = nullptr);

    // Messages and the folder picker go through here; without it the real dialogs are used.
    void setPrompts(Prompts *prompts) { promptsImpl = prompts; }

    void loadFields(const Prompts::FindInFilesFields &fields);
    void storeFields(Prompts::FindInFilesFields &fields) const;
    Prompts::FindInFilesClose closeKind(int result) const;
    // Shows the window modally with these fields and hands them back as it left them.
    Prompts::FindInFilesClose runModal(Prompts::FindInFilesFields &fields);

    void FIFBrowseClick();
    void FIFStartClick();
    void FIFStopClick();
    void FIFAbortClick();
    void FIFCloseClick();
    void FoundDblClick();
    // Key preview; true when the key was consumed.
    bool FormKeyDown(QKeyEvent *event);

    QLabel *Label1 = nullptr;
    QLineEdit *FIFFind = nullptr;
    QCheckBox *FIFCSens = nullptr;
    QLabel *Label4 = nullptr;
    QLineEdit *FIFDir = nullptr;
    QPushButton *FIFBrowse = nullptr;
    QCheckBox *SubDirs = nullptr;
    QTableWidget *Found = nullptr;
    QPushButton *FIFStart = nullptr;
    QPushButton *FIFStop = nullptr;
    QPushButton *FIFAbort = nullptr;
    QPushButton *FIFClose = nullptr;

    QString SearchState;
    QString ChosenFile;
    QString ChosenMember;
    // The code page the reader keeps for a file (full path), empty for the automatic decision.
    std::function<QString(const QString &path)> codePageOf;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void reject() override;

private:
    void createControls();
    Prompts &prompts();
    void searchEntries(const FoundEntries &entries);
    void addResultRow(int row, const FoundEntry &entry);
    bool resultRowEmpty(int row) const;
    bool stillFinding(bool force);
    void finishAfterSearch();

    Prompts *promptsImpl = nullptr;
    QElapsedTimer sincePump;
    int closeAfterSearch = -1; // a done() result asked for while the search ran
    bool openAfterSearch = false;
};
