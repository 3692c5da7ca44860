#include "Prompts.h"

#include "sources/ZipForm.h"

#include <QApplication>
#include <QFileDialog>

QString displayMessageText(const QString &text)
{
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(u'\r', u'\n');
    return shown;
}

static QMessageBox::StandardButton showBox(QWidget *parent, QMessageBox::Icon icon,
                                           const QString &text,
                                           QMessageBox::StandardButtons buttons,
                                           QMessageBox::StandardButton defaultButton)
{
    QMessageBox box(icon, QApplication::applicationName(), displayMessageText(text), buttons,
                    parent);
    box.setDefaultButton(defaultButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

void QtPrompts::notice(QWidget *parent, const QString &text)
{
    showBox(parent, QMessageBox::Information, text, QMessageBox::Ok, QMessageBox::Ok);
}

bool QtPrompts::confirm(QWidget *parent, const QString &text)
{
    return showBox(parent, QMessageBox::Question, text, QMessageBox::Ok | QMessageBox::Cancel,
                   QMessageBox::Ok) == QMessageBox::Ok;
}

QMessageBox::StandardButton QtPrompts::question(QWidget *parent, const QString &text,
                                                QMessageBox::StandardButtons buttons)
{
    return showBox(parent, QMessageBox::Question, text, buttons, QMessageBox::Yes);
}

QString QtPrompts::openFile(QWidget *parent, const FileDialogRequest &request)
{
    QFileDialog dialog(parent, request.title, request.directory);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilters(request.filters);
    if (request.selectedFilter >= 0 && request.selectedFilter < request.filters.size())
        dialog.selectNameFilter(request.filters.at(request.selectedFilter));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

QString QtPrompts::saveFile(QWidget *parent, const FileDialogRequest &request, int *chosenFilter)
{
    QFileDialog dialog(parent, request.title, request.directory);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The reader asks its own overwrite question.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setNameFilters(request.filters);
    if (request.selectedFilter >= 0 && request.selectedFilter < request.filters.size())
        dialog.selectNameFilter(request.filters.at(request.selectedFilter));
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    if (chosenFilter)
        *chosenFilter = static_cast<int>(request.filters.indexOf(dialog.selectedNameFilter()));
    return dialog.selectedFiles().first();
}

QString QtPrompts::pickFolder(QWidget *parent, const QString &title, const QString &start)
{
    return QFileDialog::getExistingDirectory(parent, title, start);
}

QString QtPrompts::chooseArchiveMember(QWidget *parent, const QStringList &members)
{
    if (zipForm)
        return zipForm->ChooseArchiveMember(members);
    TZipForm form(parent);
    return form.ChooseArchiveMember(members);
}
