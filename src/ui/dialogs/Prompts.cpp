#include "ui/dialogs/Prompts.h"

#include "ui/dialogs/TvxDialogs.h"
#include "core/book/ColourChoice.h"
#include "ui/dialogs/FindInFilesDialog.h"
#include "ui/dialogs/ZipForm.h"

#include <QApplication>
#include <memory>
#include <QColorDialog>
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
    if (request.suffixForFilter)
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString &f) {
            dialog.setDefaultSuffix(
                request.suffixForFilter(static_cast<int>(request.filters.indexOf(f))));
        });
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

QString QtPrompts::inputBox(QWidget *parent, const QString &caption, const QString &prompt,
                            const QString &value)
{
    return InputBox(parent, caption, prompt, value);
}

bool QtPrompts::jumpInput(QWidget *parent, const QString &caption, const QString &prompt,
                          QString &value)
{
    return JumpInputDialog(parent, caption, prompt, value);
}

std::optional<QColor> QtPrompts::chooseColour(QWidget *parent, const QColor &initial,
                                              const QStringList &customColours)
{
    for (int i = 0; i < QColorDialog::customCount(); ++i)
        QColorDialog::setCustomColor(i, Qt::white);
    int slot = 0;
    for (const QString &entry : customColours) {
        const std::optional<ColourValue> value = customColourValue(entry);
        if (!value || slot >= QColorDialog::customCount())
            continue;
        QColorDialog::setCustomColor(slot++, QColor(value->red(), value->green(), value->blue()));
    }
    const QColor chosen = QColorDialog::getColor(initial, parent);
    if (!chosen.isValid())
        return std::nullopt;
    return chosen;
}

Prompts::FindInFilesClose QtPrompts::findInFiles(QWidget *parent, FindInFilesFields &fields)
{
    // The reader window keeps one find-in-files window for the whole run.
    TFIFForm *form = parent ? parent->findChild<TFIFForm *>() : nullptr;
    std::unique_ptr<TFIFForm> ownForm;
    if (!form) {
        ownForm = std::make_unique<TFIFForm>(parent);
        form = ownForm.get();
    }
    form->setPrompts(this);
    return form->runModal(fields);
}
