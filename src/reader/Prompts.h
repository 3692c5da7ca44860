#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>

class QWidget;
class TZipForm;

// Every modal interaction of the reader goes through here, so tests can script the answers.
// Texts keep "\r" as their line break; the dialogs show it as a new line.
class Prompts
{
public:
    virtual ~Prompts() = default;

    // A notice with one OK button.
    virtual void notice(QWidget *parent, const QString &text) = 0;
    // OK and Cancel; true for OK.
    virtual bool confirm(QWidget *parent, const QString &text) = 0;
    // Yes and No, or Yes, No and Cancel.
    virtual QMessageBox::StandardButton question(QWidget *parent, const QString &text,
                                                 QMessageBox::StandardButtons buttons) = 0;

    struct FileDialogRequest
    {
        QString title;
        QString directory;
        QStringList filters; // Qt syntax, "Text Files (*.txt)"
        int selectedFilter = 0;
        QString fileName;         // prefilled name (save)
        QString defaultSuffix;    // save only
    };
    // Empty when cancelled.
    virtual QString openFile(QWidget *parent, const FileDialogRequest &request) = 0;
    virtual QString saveFile(QWidget *parent, const FileDialogRequest &request,
                             int *chosenFilter) = 0;
    virtual QString pickFolder(QWidget *parent, const QString &title, const QString &start) = 0;
    // The archive member chooser; empty when cancelled.
    virtual QString chooseArchiveMember(QWidget *parent, const QStringList &members) = 0;
};

// The real dialogs.
class QtPrompts : public Prompts
{
public:
    // The member chooser lives as long as the reader window; without one a chooser is made per
    // question.
    explicit QtPrompts(TZipForm *zipForm = nullptr) : zipForm(zipForm) {}
    void notice(QWidget *parent, const QString &text) override;
    bool confirm(QWidget *parent, const QString &text) override;
    QMessageBox::StandardButton question(QWidget *parent, const QString &text,
                                         QMessageBox::StandardButtons buttons) override;
    QString openFile(QWidget *parent, const FileDialogRequest &request) override;
    QString saveFile(QWidget *parent, const FileDialogRequest &request,
                     int *chosenFilter) override;
    QString pickFolder(QWidget *parent, const QString &title, const QString &start) override;
    QString chooseArchiveMember(QWidget *parent, const QStringList &members) override;

private:
    TZipForm *zipForm;
};

// "\r" starts a new line in a message.
QString displayMessageText(const QString &text);
