#include "app/TocCommand.h"

#include "core/book/IniFile.h"
#include "ui/Tavolex1.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

// No one answers questions on the command line: notices go to the error stream, every question
// gets its cautious answer.
class ConsolePrompts : public Prompts
{
public:
    explicit ConsolePrompts(QTextStream &err) : err(err) {}
    void notice(QWidget *, const QString &text) override
    {
        err << "tavolex: " << QString(text).replace(u'\r', u' ') << '\n';
        err.flush();
    }
    bool confirm(QWidget *, const QString &) override { return false; }
    QMessageBox::StandardButton question(QWidget *, const QString &,
                                         QMessageBox::StandardButtons buttons) override
    {
        return buttons & QMessageBox::Cancel ? QMessageBox::Cancel : QMessageBox::No;
    }
    QString openFile(QWidget *, const FileDialogRequest &) override { return {}; }
    QString saveFile(QWidget *, const FileDialogRequest &, int *) override { return {}; }
    QString pickFolder(QWidget *, const QString &, const QString &) override { return {}; }
    QString chooseArchiveMember(QWidget *, const QStringList &) override
    {
        notice(nullptr, QStringLiteral("The archive holds several files; open it in the window "
                                       "to choose one."));
        return {};
    }
    FindInFilesClose findInFiles(QWidget *, FindInFilesFields &) override
    {
        return FindInFilesClose::Cancel;
    }
    std::optional<QColor> chooseColour(QWidget *, const QColor &, const QStringList &) override
    {
        return std::nullopt;
    }
    QString inputBox(QWidget *, const QString &, const QString &, const QString &value) override
    {
        return value;
    }
    bool jumpInput(QWidget *, const QString &, const QString &, QString &) override
    {
        return false;
    }

private:
    QTextStream &err;
};

} // namespace

int printTableOfContents(const QString &settingsPath, const QString &programDir,
                         const QString &file, QTextStream &out, QTextStream &err)
{
    if (!QFileInfo(file).isFile()) {
        err << "tavolex: cannot open '" << file << "'\n";
        return 1;
    }
    QTemporaryDir scratch;
    if (!scratch.isValid()) {
        err << "tavolex: no room for a temporary settings file\n";
        return 1;
    }
    const QString copy = scratch.filePath(QStringLiteral("Tavolex.ini"));
    if (QFile::exists(settingsPath) && !QFile::copy(settingsPath, copy)) {
        err << "tavolex: cannot read the settings file '" << settingsPath << "'\n";
        return 1;
    }
    QFile::setPermissions(copy, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    {
        // The default window: no stored size, position, maximizing or full screen.
        IniFile ini(copy);
        (void)ini.eraseSection(QStringLiteral("Window"));
    }
    TForm1 form(copy, programDir, {file}, std::make_unique<ConsolePrompts>(err));
    if (form.noFontsLeft())
        return 1;
    // The first layout pass opens the book as at start-up, without showing the window.
    form.FormResize();
    if (form.readerState().FileName.isEmpty() || form.readerState().OpenFailed)
        return 1;
    form.CreateTOCClick();
    out << form.tocAsText();
    out.flush();
    return 0;
}
