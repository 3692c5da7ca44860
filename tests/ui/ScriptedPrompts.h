#pragma once

#include "reader/Prompts.h"

#include <QStringList>

#include <deque>

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

    void notice(QWidget *parent, const QString &text) override;
    bool confirm(QWidget *parent, const QString &text) override;
    QMessageBox::StandardButton question(QWidget *parent, const QString &text,
                                         QMessageBox::StandardButtons buttons) override;
    QString openFile(QWidget *parent, const FileDialogRequest &request) override;
    QString saveFile(QWidget *parent, const FileDialogRequest &request,
                     int *chosenFilter) override;
    QString pickFolder(QWidget *parent, const QString &title, const QString &start) override;
    QString chooseArchiveMember(QWidget *parent, const QStringList &members) override;
};
