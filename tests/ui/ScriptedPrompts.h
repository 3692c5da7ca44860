#pragma once

#include "ui/dialogs/Prompts.h"

#include <QStringList>

#include <deque>
#include <functional>
#include <optional>

// Records every text shown and answers from plans; a question without a planned answer fails
// the test instead of blocking on a dialog.
class ScriptedPrompts : public Prompts
{
public:
    QStringList shown; // every notice, confirmation and question, in order
    std::deque<bool> confirmAnswers;
    std::deque<QMessageBox::StandardButton> questionAnswers;
    std::deque<QString> openAnswers;
    std::deque<QString> saveAnswers;
    std::deque<int> saveFilterAnswers;
    std::deque<QString> folderAnswers;
    std::deque<QString> memberAnswers;
    QList<FileDialogRequest> fileRequests;
    QList<QStringList> memberLists;
    std::deque<std::optional<QColor>> colourAnswers; // nullopt is Cancel
    QList<QStringList> colourCustomLists;             // the custom colours offered, per chooser
    QList<QColor> colourInitials;
    // Input box and jump dialog: planned answers (nullopt is Cancel) and the caption, prompt
    // and value each was asked with.
    std::deque<std::optional<QString>> inputAnswers;
    std::deque<std::optional<QString>> jumpAnswers;
    QList<QStringList> inputRequests;

    void notice(QWidget *parent, const QString &text) override;
    bool confirm(QWidget *parent, const QString &text) override;
    QMessageBox::StandardButton question(QWidget *parent, const QString &text,
                                         QMessageBox::StandardButtons buttons) override;
    QString openFile(QWidget *parent, const FileDialogRequest &request) override;
    QString saveFile(QWidget *parent, const FileDialogRequest &request,
                     int *chosenFilter) override;
    QString pickFolder(QWidget *parent, const QString &title, const QString &start) override;
    QString chooseArchiveMember(QWidget *parent, const QStringList &members) override;
    // Each planned answer also says what the window hands back.
    struct FindInFilesAnswer
    {
        FindInFilesClose close = FindInFilesClose::Cancel;
        FindInFilesFields fields;
    };
    std::deque<FindInFilesAnswer> findInFilesAnswers;
    // When set, runs in place of the planned answers (a test drives the real window here).
    std::function<FindInFilesClose(QWidget *, FindInFilesFields &)> findInFilesWindow;
    QList<FindInFilesFields> findInFilesRequests;
    FindInFilesClose findInFiles(QWidget *parent, FindInFilesFields &fields) override;
    std::optional<QColor> chooseColour(QWidget *parent, const QColor &initial,
                                       const QStringList &customColours) override;
    QString inputBox(QWidget *parent, const QString &caption, const QString &prompt,
                     const QString &value) override;
    bool jumpInput(QWidget *parent, const QString &caption, const QString &prompt,
                   QString &value) override;
};
