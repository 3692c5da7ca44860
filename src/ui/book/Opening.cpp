#include "ui/Tavolex1.h"

#include "core/book/IniFile.h"
#include "core/text/CompressedBooks.h"
#include "core/text/DocumentFile.h"
#include "core/text/DocumentFormats.h"
#include "core/text/ZipUtils.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <algorithm>
#include <new>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

const QString kCannotOpen = QStringLiteral("Cannot open this file!");

// A book too large for the memory says how large it is, as a plain file does; one beyond the
// limit of unpacked books says that limit. Unpacking stops there, so its size may be unknown.
QString unpackFailureMessage(const MemberData &data, qint64 openable, qint64 memory)
{
    if (data.failure != ZipFailure::MemberTooLarge)
        return kCannotOpen;
    if (data.size > openable)
        return tooLargeMessage(data.size, memory);
    return tooLargeUnpackedMessage(data.size, MaxMemberSize);
}
const QString kNoMemory = QStringLiteral("There is not enough memory to open this file!");

} // namespace

QString TForm1::openingTitle(int percent) const
{
    const QString document = state.ArchiveMember.isEmpty()
                                 ? QStringLiteral("Opening file ") + state.FileName
                                 : QStringLiteral("Opening file [") + state.ArchiveMember +
                                       QStringLiteral("] from archive ") + state.FileName;
    return document + QStringLiteral(" ... %1% done").arg(percent);
}

void TForm1::RestoreAfterFailedOpen()
{
    state.LayoutCause.clear();
    setBusyPointer(false);
    // The book still shown keeps its whole identity, so that its reading position is still
    // written under its own name.
    state.FileName = state.PreviousFileName;
    state.ArchiveMember = shownDocument.archiveMember;
    state.MultiMemberArchive = shownDocument.multiMemberArchive;
    state.MemberPreselected = false;
    UpdateTitle();
    state.OpenFailed = true;
}

bool TForm1::readDocumentSource(QByteArray &raw, QString &ext, bool preselected,
                                std::optional<ConversionResult> &decoded)
{
    const qint64 memory = availableMemory ? availableMemory() : availablePhysicalMemory();
    const auto refuse = [this](const QString &message) {
        RestoreAfterFailedOpen();
        if (!message.isEmpty())
            prompts().notice(this, message);
        return false;
    };
    const Packing packing = PackingOf(state.FileName);
    if (packing == Packing::Compressed) {
        // The book is known by the compressed file's name, its kind by the name inside it. The
        // member of an archive shown before names no part of this file; a failure puts it back.
        state.ArchiveMember.clear();
        setProgressTitle(openingTitle(0));
        const qint64 openable = largestOpenableSize(memory);
        const MemberData data =
            DecompressBook(state.FileName, std::min(MaxMemberSize, openable), MaxMemberSize);
        if (!data.ok)
            return refuse(unpackFailureMessage(data, openable, memory));
        raw = data.bytes;
        ext = upperExtension(InnerBookName(state.FileName));
        state.MultiMemberArchive = false;
        return true;
    }
    if (!HoldsMembers(packing)) {
        // Reading is the first half of the percentages of an open, decoding the second.
        state.ArchiveMember.clear();
        auto progress = [this, pace = ProgressPace(progressTitleIntervalMs)](
                                  int percent) mutable {
            if (pace.due())
                setProgressTitle(openingTitle(percent));
        };
        // Plain text in UTF-8 is decoded as it is read, never holding the file's bytes whole.
        const bool plain = ext != u".RTF" && ext != u".HTM" && ext != u".HTML";
        PlainTextRead read;
        if (plain && codePageForOpen(ext).isEmpty())
            read = readPlainTextDocument(state.FileName, memory, progress, workThreads());
        else
            read.file = readDocumentFile(
                state.FileName, memory,
                [&progress](qint64 done, qint64 size) {
                    progress(static_cast<int>(done * 50 / std::max<qint64>(1, size)));
                },
                workThreads());
        FileRead &file = read.file;
        decoded = std::move(read.converted);
        if (!file.ok())
            return refuse(file.failure == FileReadFailure::TooLarge
                              ? tooLargeMessage(file.size, memory)
                              : kCannotOpen);
        raw = std::move(file.bytes);
        state.MultiMemberArchive = false;
        return true;
    }

    if (!preselected)
        setProgressTitle(QStringLiteral("Opening archive ") + state.FileName +
                         QStringLiteral(" ..."));
    // Listed on every path, a preselected member too: the archive's own section may be
    // written only when no other member shares it.
    const ArchiveListing listing = ListBookArchive(state.FileName);
    if (!listing.ok)
        return refuse(kCannotOpen); // an archive that lists nothing is no empty book
    state.MultiMemberArchive = listing.members.size() > 1;
    if (!preselected) {
        if (state.MultiMemberArchive) {
            state.ArchiveMember = prompts().chooseArchiveMember(this, listing.members);
            if (state.ArchiveMember.isEmpty())
                return refuse(QString());
        } else {
            state.ArchiveMember = listing.firstMember;
        }
    }
    setProgressTitle(QStringLiteral("Opening file [") + state.ArchiveMember +
                     QStringLiteral("] from archive ") + state.FileName + QStringLiteral(" ..."));
    const qint64 openable = largestOpenableSize(memory);
    const MemberData data =
        ExtractBookMember(state.FileName, state.ArchiveMember, std::min(MaxMemberSize, openable));
    if (!data.ok) {
        // A member that cannot be read must not open as an empty book whose page would then
        // overwrite the stored reading position.
        return refuse(unpackFailureMessage(data, openable, memory));
    }
    raw = data.bytes;
    ext = upperExtension(state.ArchiveMember);
    return true;
}

void TForm1::OpenDocument()
{
    StopReadingAloud(); // the voice reads the book on the pages, not one that is going
    state.LayoutCause = QStringLiteral("DateiLaden");
    setBusyPointer(true);
    state.OpenFailed = false;
    // The preselection serves one open only, whatever the file turns out to be.
    const bool preselected = state.MemberPreselected && !state.ArchiveMember.isEmpty();
    state.MemberPreselected = false;
    MenuHilfeAus();
    if (!TOCLeft->isChecked())
        SetTocPanelShown(false);

    QString ext = upperExtension(state.FileName);
    ConversionResult converted;
    QString codePage;
    try {
        // The book of the command line may have been read while the window was built.
        std::unique_ptr<BookPrefetch> prefetch = std::move(bookPrefetch);
        std::optional<ConversionResult> prefetched;
        if (prefetch && codePageForOpen(ext).isEmpty())
            prefetched = prefetch->take(state.FileName);
        prefetch.reset();
        if (prefetched) {
            // What readDocumentSource does for a plain file, read and decoded already.
            state.ArchiveMember.clear();
            state.MultiMemberArchive = false;
            converted = std::move(*prefetched);
        } else {
            // The bytes live only here: a large book should not hold them while it fits.
            QByteArray raw;
            std::optional<ConversionResult> decoded;
            if (!readDocumentSource(raw, ext, preselected, decoded))
                return;
            codePage = codePageForOpen(ext);
            if (decoded) {
                converted = std::move(*decoded);
            } else {
                const int readPercent = state.ArchiveMember.isEmpty() ? 50 : 0;
                converted = ConvertByExtension(
                    raw, ext, codePage,
                    [this, readPercent,
                     pace = ProgressPace(progressTitleIntervalMs)](int percent) mutable {
                        if (pace.due())
                            setProgressTitle(
                                openingTitle(readPercent + percent * (100 - readPercent) / 100));
                    },
                    workThreads());
            }
        }
    } catch (const std::bad_alloc &) {
        RestoreAfterFailedOpen();
        prompts().notice(this, kNoMemory);
        return;
    }
    if (!converted.ok) {
        RestoreAfterFailedOpen();
        prompts().notice(this, kCannotOpen);
        return;
    }
    QString shown = convertEastAsian(converted, ext);
    shownDocument = {state.ArchiveMember, state.MultiMemberArchive};
    // The loaded text is the working text until line breaks are removed, and then that text
    // plus where the lines were joined: neither the file's bytes nor a second copy stay held.
    state.LoadedText = CompactText::sharing(converted.text);
    converted.utf8 = QByteArray();
    state.WorkingText = shown.isNull() ? std::move(converted.text) : std::move(shown);
    state.BreaksRemoved = false;
    state.LoadedEncoding = converted.encoding;
    state.LoadedEncodingName = converted.encodingName;
    state.CodePage = codePage;
    const bool html = ext == QStringLiteral(".HTM") || ext == QStringLiteral(".HTML");
    if (html) {
        state.OptionRefitBlocked = true;
        ZWEntfernen->setChecked(false);
    }
    OriginalText->moveCursor(QTextCursor::Start);
    state.ReloadPending = true;
    clearToc();
    ladenDialogDir = QFileInfo(state.FileName).absolutePath() + u'/';
    LinkeSeite->clear();
    RechteSeite->clear();
    const bool firstOpen = !ini->sectionExists(state.FileName);
    LoadDocumentSettings();
    applyParagraphStyle(firstOpen, html);
    carryPlaceIntoReopen();
    showEastAsianChoices();
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
    state.GutenbergStartPending = false;
    state.TextModified = false;
    state.LayoutCause.clear();
#if defined(__GLIBC__)
    // What reading, decoding and joining freed goes back to the system, not kept for later.
    malloc_trim(0);
#endif
    setBusyPointer(false);
    if (converted.hiddenAfterNul > 0)
        prompts().notice(this, hiddenAfterNulNotice(converted.hiddenAfterNul));
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
                       QStringLiteral("Text Files (*.txt)"),
                       QStringLiteral("Zip Files (*.zip)"),
                       QStringLiteral(
                           "Compressed Files (*.gz *.bz2 *.xz *.tgz *.tbz2 *.tbz *.txz *.tar)"),
                       QStringLiteral("All Files (*)")};
    request.selectedFilter = 6;
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
                (state.PageCount == 1 ? QStringLiteral(" page)") : QStringLiteral(" pages)")) +
                readAloudTitleSuffix();
    }
    if (windowTitle() != title)
        setWindowTitle(title);
}
