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

// A null text for Cancel.
QString takeText(std::deque<std::optional<QString>> &answers, const char *what)
{
    if (answers.empty()) {
        ADD_FAILURE() << "unplanned " << what;
        return QString();
    }
    const QString answer = answers.front() ? (answers.front()->isNull() ? QStringLiteral("")
                                                                        : *answers.front())
                                           : QString();
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

QString ScriptedPrompts::inputBox(QWidget *, const QString &caption, const QString &prompt,
                                  const QString &value)
{
    inputRequests << QStringList{caption, prompt, value};
    const QString answer = takeText(inputAnswers, "input box");
    return answer.isNull() ? value : answer;
}

bool ScriptedPrompts::jumpInput(QWidget *, const QString &caption, const QString &prompt,
                                QString &value)
{
    inputRequests << QStringList{caption, prompt, value};
    const QString answer = takeText(jumpAnswers, "jump dialog");
    if (answer.isNull())
        return false;
    value = answer;
    return true;
}

std::optional<QColor> ScriptedPrompts::chooseColour(QWidget *, const QColor &initial,
                                                    const QStringList &customColours)
{
    colourInitials << initial;
    colourCustomLists << customColours;
    if (colourAnswers.empty()) {
        ADD_FAILURE() << "unplanned colour chooser";
        return std::nullopt;
    }
    const std::optional<QColor> answer = colourAnswers.front();
    colourAnswers.pop_front();
    return answer;
}

Prompts::FindInFilesClose ScriptedPrompts::findInFiles(QWidget *parent, FindInFilesFields &fields)
{
    findInFilesRequests << fields;
    if (findInFilesWindow)
        return findInFilesWindow(parent, fields);
    const FindInFilesAnswer answer = take(findInFilesAnswers, "find in files", FindInFilesAnswer{});
    fields = answer.fields;
    return answer.close;
}
