#pragma once

#include <QColor>
#include <QMessageBox>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

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
        // Save only: the default suffix once the user picks filter n (0-based).
        std::function<QString(int)> suffixForFilter;
    };
    // Empty when cancelled.
    virtual QString openFile(QWidget *parent, const FileDialogRequest &request) = 0;
    virtual QString saveFile(QWidget *parent, const FileDialogRequest &request,
                             int *chosenFilter) = 0;
    virtual QString pickFolder(QWidget *parent, const QString &title, const QString &start) = 0;
    // The archive member chooser; empty when cancelled.
    virtual QString chooseArchiveMember(QWidget *parent, const QStringList &members) = 0;
    // The find-in-files window, modal. Its fields go in and come back as the window left them;
    // the found file and archive member are set when it closed with OK on a hit.
    struct FindInFilesFields
    {
        QString FIFDir;
        QString FIFFind;
        bool FIFCSens = false;
        QString foundFile;
        QString foundMember;
    };
    enum class FindInFilesClose { Ok, Cancel, Abort };
    virtual FindInFilesClose findInFiles(QWidget *parent, FindInFilesFields &fields) = 0;
    // The colour chooser; custom colours as "ColorA=E7E7E7" (BBGGRR) fill its slots in order.
    // Nothing when cancelled.
    virtual std::optional<QColor> chooseColour(QWidget *parent, const QColor &initial,
                                               const QStringList &customColours) = 0;
    // The plain input box: the value comes selected; Cancel returns the value unchanged.
    virtual QString inputBox(QWidget *parent, const QString &caption, const QString &prompt,
                             const QString &value) = 0;
    // JumpInputDialog: true for OK with the entered text in value; Cancel keeps value.
    virtual bool jumpInput(QWidget *parent, const QString &caption, const QString &prompt,
                           QString &value) = 0;
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
    FindInFilesClose findInFiles(QWidget *parent, FindInFilesFields &fields) override;
    std::optional<QColor> chooseColour(QWidget *parent, const QColor &initial,
                                       const QStringList &customColours) override;
    QString inputBox(QWidget *parent, const QString &caption, const QString &prompt,
                     const QString &value) override;
    bool jumpInput(QWidget *parent, const QString &caption, const QString &prompt,
                   QString &value) override;

private:
    TZipForm *zipForm;
};

// "\r" starts a new line in a message.
QString displayMessageText(const QString &text);
