#include "Tavolex1.h"

#include "sources/DocumentFormats.h"
#include "sources/ZipUtils.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace {

const QString kCannotOpen = QStringLiteral("Cannot open this file!");

bool readWholeFile(const QString &path, QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    bytes = file.readAll();
    return file.error() == QFileDevice::NoError;
}

} // namespace

void TForm1::RestoreAfterFailedOpen()
{
    state.LayoutCause.clear();
    setBusyPointer(false);
    state.FileName = state.PreviousFileName;
    UpdateTitle();
    state.OpenFailed = true;
}

void TForm1::OpenDocument()
{
    state.LayoutCause = QStringLiteral("DateiLaden");
    setBusyPointer(true);
    state.OpenFailed = false;
    MenuHilfeAus();
    if (!TOCLeft->isChecked())
        SetTocPanelShown(false);

    QString ext = upperExtension(state.FileName);
    QByteArray raw;
    if (ext != QStringLiteral(".ZIP")) {
        if (!readWholeFile(state.FileName, raw)) {
            RestoreAfterFailedOpen();
            prompts().notice(this, kCannotOpen);
            return;
        }
        state.ArchiveMember.clear();
        state.MultiMemberArchive = false;
    } else {
        if (!(state.MemberPreselected && !state.ArchiveMember.isEmpty())) {
            setProgressTitle(QStringLiteral("Opening archive ") + state.FileName +
                             QStringLiteral(" ..."));
            const ArchiveListing listing = ListArchiveMembers(state.FileName);
            if (!listing.ok) {
                // An archive that lists nothing is refused rather than shown as an empty book.
                RestoreAfterFailedOpen();
                prompts().notice(this, kCannotOpen);
                return;
            }
            QString member;
            if (listing.memberList() != listing.firstMember) {
                member = prompts().chooseArchiveMember(this, listing.members);
                if (member.isEmpty()) {
                    RestoreAfterFailedOpen();
                    return;
                }
                state.MultiMemberArchive = true;
            } else {
                member = listing.firstMember;
                state.MultiMemberArchive = false;
            }
            state.ArchiveMember = member;
        }
        state.MemberPreselected = false;
        setProgressTitle(QStringLiteral("Opening file [") + state.ArchiveMember +
                         QStringLiteral("] from archive ") + state.FileName +
                         QStringLiteral(" ..."));
        const MemberData data = ExtractMemberToMemory(state.FileName, state.ArchiveMember);
        if (!data.ok) {
            // A member that cannot be read must not open as an empty book whose page would
            // then overwrite the stored reading position.
            RestoreAfterFailedOpen();
            prompts().notice(this, kCannotOpen);
            return;
        }
        raw = data.bytes;
        ext = upperExtension(state.ArchiveMember);
    }

    ConversionResult converted = ConvertByExtension(raw, ext);
    // The bytes are not needed once decoded; a large book should not hold them while it fits.
    raw = QByteArray();
    if (!converted.ok) {
        RestoreAfterFailedOpen();
        prompts().notice(this, kCannotOpen);
        return;
    }
    state.LoadedText = CompactText(converted.text);
    state.WorkingText = std::move(converted.text);
    state.BreaksRemoved = false;
    state.LoadedEncoding = converted.encoding;
    state.LoadedEncodingName = converted.encodingName;
    if (ext == QStringLiteral(".HTM") || ext == QStringLiteral(".HTML")) {
        state.OptionRefitBlocked = true;
        ZWEntfernen->setChecked(false);
    }
    OriginalText->moveCursor(QTextCursor::Start);
    state.ReloadPending = true;
    clearToc();
    ladenDialogDir = QFileInfo(state.FileName).absolutePath() + u'/';
    LinkeSeite->clear();
    RechteSeite->clear();
    LoadDocumentSettings();
    Letzte->hide();
    History->clear();

    if (TOCLeft->isChecked()) {
        if (Contents->isVisible())
            FitLines();
        else
            FormResize();
    } else {
        if (Contents->isVisible()) {
            SetTocPanelShown(false);
            FormResize();
        } else {
            FitLines();
        }
    }
    state.TextModified = false;
    state.LayoutCause.clear();
    setBusyPointer(false);
}

void TForm1::openFileFromUser(const QString &path)
{
    state.PreviousFileName = state.FileName;
    state.FileName = path;
    setProgressTitle(QStringLiteral("Opening file ") + state.FileName + QStringLiteral(" ..."));
    OpenDocument();
    if (!state.OpenFailed)
        AddToRecent();
}

bool TForm1::mayOpenOverEdits()
{
    return !state.TextModified ||
           prompts().confirm(this, QStringLiteral("Edited text has not been saved!\rOpen file?"));
}

void TForm1::LadenClick()
{
    state.MenuCommandActive = true;
    MenuHilfeAus();
    if (!mayOpenOverEdits())
        return;
    Prompts::FileDialogRequest request;
    request.title = QStringLiteral("Open");
    request.directory = ladenDialogDir.isEmpty() ? state.BaseDirectory : ladenDialogDir;
    request.filters = {QStringLiteral("Tavolex Files (*.tvx)"),
                       QStringLiteral("HTML Files (*.htm *.html)"),
                       QStringLiteral("Rich Text Files (*.rtf)"),
                       QStringLiteral("Text Files (*.txt)"), QStringLiteral("Zip Files (*.zip)"),
                       QStringLiteral("All Files (*)")};
    request.selectedFilter = 5;
    const QString chosen = prompts().openFile(this, request);
    if (chosen.isEmpty())
        return;
    openFileFromUser(LongPathName(chosen));
}

void TForm1::UpdateTitle()
{
    QString title;
    if (state.FileName.isEmpty()) {
        title = QStringLiteral("Tavolex Version 1.8.2 - May 2003");
    } else {
        const QString document =
            state.ArchiveMember.isEmpty()
                ? QStringLiteral("File ") + state.FileName
                : QStringLiteral("File [") + state.ArchiveMember +
                      QStringLiteral("] from archive ") + state.FileName;
        title = document + QStringLiteral(" (") + Schriftart->currentText() +
                QStringLiteral(", ") + Fontgroesse->text() + QStringLiteral(" pt, ") +
                QString::number(state.PageCount) +
                (state.PageCount == 1 ? QStringLiteral(" page)") : QStringLiteral(" pages)"));
    }
    if (windowTitle() != title)
        setWindowTitle(title);
}
