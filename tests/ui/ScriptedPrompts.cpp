#include "ScriptedPrompts.h"

#include <gtest/gtest.h>

namespace {

template <typename T> T take(std::deque<T> &answers, const char *what, T fallback)
{
    if (answers.empty()) {
        ADD_FAILURE() << "unplanned " << what;
        return fallback;
    }
    T answer = answers.front();
    answers.pop_front();
    return answer;
}

} // namespace

void ScriptedPrompts::notice(QWidget *, const QString &text)
{
    shown << text;
}

bool ScriptedPrompts::confirm(QWidget *, const QString &text)
{
    shown << text;
    return take(confirmAnswers, "confirmation", false);
}

QMessageBox::StandardButton ScriptedPrompts::question(QWidget *, const QString &text,
                                                      QMessageBox::StandardButtons)
{
    shown << text;
    return take(questionAnswers, "question", QMessageBox::Cancel);
}

QString ScriptedPrompts::openFile(QWidget *, const FileDialogRequest &request)
{
    fileRequests << request;
    return take(openAnswers, "open dialog", QString());
}

QString ScriptedPrompts::saveFile(QWidget *, const FileDialogRequest &request, int *chosenFilter)
{
    fileRequests << request;
    if (chosenFilter)
        *chosenFilter = take(saveFilterAnswers, "save filter", 0);
    return take(saveAnswers, "save dialog", QString());
}

QString ScriptedPrompts::pickFolder(QWidget *, const QString &title, const QString &)
{
    shown << title;
    return take(folderAnswers, "folder picker", QString());
}

QString ScriptedPrompts::chooseArchiveMember(QWidget *, const QStringList &members)
{
    memberLists << members;
    return take(memberAnswers, "member chooser", QString());
}
