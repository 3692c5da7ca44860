#include "ui/Tavolex1.h"

#include "core/text/Saving.h"

#include <QCheckBox>
#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace {

const QString kEditorTitle = QStringLiteral(
    "Internal editor - Press Esc or click the close button to exit, then use 'Save as' to save "
    "your changes");

// Esc in the editor leaves it; the window's own key preview is off while editing.
class EditorKeyFilter : public QObject
{
public:
    explicit EditorKeyFilter(TForm1 *form) : QObject(form), form(form) {}

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() != Qt::Key_Escape)
            return false;
        form->OriginalTextKeyDown(key->key());
        return true;
    }

private:
    TForm1 *form;
};

// The editor's text with CR LF line ends; its plain-text form would turn no-break spaces
// into spaces.
QString editorText(const QPlainTextEdit *editor)
{
    QString text = editor->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
    return text;
}

} // namespace

void TForm1::SpeichernDialogTypeChange(int filterIndex)
{
    saveDialogSuffix = saveSuffixForFilter(filterIndex);
}

void TForm1::SpeichernClick()
{
    if (state.FileName.isEmpty())
        return;
    state.MenuCommandActive = true;
    MenuHilfeAus();
    ResetCommandLabels(nullptr);

    Prompts::FileDialogRequest request;
    request.title = QStringLiteral("Save as ...");
    request.filters = {QStringLiteral("Text files (*.txt)"),
                       QStringLiteral("Tavolex files (*.tvx)"), QStringLiteral("All files (*)")};
    request.selectedFilter = 0;
    SpeichernDialogTypeChange(0);
    request.defaultSuffix = saveDialogSuffix;
    request.fileName = saveDialogPrefill(state.FileName, state.ArchiveMember);
    request.directory = QFileInfo(request.fileName).absolutePath();
    request.suffixForFilter = [this](int index) {
        SpeichernDialogTypeChange(index);
        return saveDialogSuffix;
    };
    int chosenFilter = 0;
    const QString chosen = prompts().saveFile(this, request, &chosenFilter);
    if (chosen.isEmpty())
        return;
    const QString name = LongPathName(chosen);
    if (QFileInfo::exists(name) &&
        !prompts().confirm(this, savesOverNotation(name)
                                     ? overwriteNotationQuestion(name)
                                     : QStringLiteral("File ") + name +
                                           QStringLiteral(" already exists! Overwrite?")))
        return;

    bool withoutBreaks = false;
    if (!(shownSource() == state.WorkingText) && ZWEntfernen->isChecked()) {
        withoutBreaks =
            prompts().question(this,
                               QStringLiteral("The 'Remove line breaks' option is currently "
                                              "active.\rWould you like to save the text without "
                                              "single line breaks?"),
                               QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    }

    setProgressTitle(QStringLiteral("Saving file ") + name + QStringLiteral(" ..."));
    // Converted characters are for reading: the file gets the ones it was written in.
    const bool marked = state.EastAsian.converted || !state.EastAsian.marks.ruby.isEmpty();
    const QString text = marked          ? eastAsianTextForSaving(withoutBreaks)
                         : withoutBreaks ? state.WorkingText
                                         : state.LoadedText.toString();
    QString error;
    // The new file keeps the code page only where its settings can be written.
    const bool remembered = !IsExcludedFile(name) && !state.MultiMemberArchive;
    const SaveBytes saved = encodeForSavingInCodePage(
        text, state.CodePage, remembered, state.LoadedEncoding, state.LoadedEncodingName);
    if (!writeFileAtomically(name, saved.bytes, &error)) {
        // Nothing names the file that was never written.
        UpdateTitle();
        prompts().notice(this, QStringLiteral("Cannot save file ") + name + QStringLiteral("!"));
        return;
    }

    state.FileName = name;
    // Written otherwise, the new file is read by the automatic decision, in what it holds now.
    if (saved.encoding != SaveEncoding::ChosenCodePage)
        state.CodePage.clear();
    if (saved.encoding == SaveEncoding::Utf8) {
        state.LoadedEncoding = TextEncoding::Utf8;
        state.LoadedEncodingName.clear();
    }
    if (withoutBreaks) {
        state.LoadedText = CompactText::sharing(text);
        eastAsianTextReplaced();
    }
    AddToRecent();
    if (withoutBreaks) {
        state.OptionRefitBlocked = true;
        ZWEntfernen->setChecked(false);
        state.OptionRefitBlocked = false;
        prompts().notice(this,
                         QStringLiteral("The text has been saved without single line breaks, "
                                        "and the\r 'Remove single line breaks' option has been "
                                        "deactivated."));
    }
    UpdateTitle();
    SaveDocumentSettings();
    showCodePageInUse();
    state.TextModified = false;
}

void TForm1::KopierenClick()
{
    if (state.FileName.isEmpty())
        return;
    state.MenuCommandActive = true;
    MenuHilfeAus();
    ResetCommandLabels(nullptr);
    const QPlainTextEdit *page = nullptr;
    if (state.FocusPage == QStringLiteral("Links"))
        page = LinkeSeite;
    else if (state.FocusPage == QStringLiteral("Rechts"))
        page = RechteSeite;
    if (!page)
        return;
    // The control's block of the selection start is a fitted line, after the trimmed blank lines.
    const QTextCursor cursor = page->textCursor();
    const int block = page->document()->findBlock(cursor.selectionStart()).blockNumber();
    const bool right = page == RechteSeite;
    const TrimRecord &trim = right ? state.RightTrim : state.LeftTrim;
    const int firstLine = firstLineOfPage(state.CurrentPage + (right ? 1 : 0), state.LinesPerPage) +
                          trim.BlankLines + std::max(0, block);
    const QString lines = selectionLinesForCopy(cursor.selectedText(), firstLine, [this](int line) {
        return line < state.TotalLines && ::FittedLineJoinsNext(state.pieces, line);
    });
    QGuiApplication::clipboard()->setText(JoinSelectionLines(lines));
}

bool TForm1::editorShown() const
{
    return !OriginalText->isHidden();
}

void TForm1::BearbeitenClick()
{
    if (state.FileName.isEmpty())
        return;
    state.MenuCommandActive = true;
    MenuHilfeAus();
    ResetCommandLabels(nullptr);
    CloseFindPanel();

    setBusyPointer(true);
    setProgressTitle(QStringLiteral("Opening internal editor - please wait ..."));
    if (!editorKeyFilter) {
        editorKeyFilter = new EditorKeyFilter(this);
        OriginalText->installEventFilter(editorKeyFilter);
        OriginalText->setFont(QFont(QStringLiteral("Arial"), 8));
        OriginalText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        OriginalText->setTabChangesFocus(false);
        connect(OriginalText->document(), &QTextDocument::contentsChange, this,
                [this](int position, int, int added) { limitEditorText(position, added); });
    }
    editorLimit = editorMaxLength(state.LoadedText.size());
    OriginalText->setPlainText(state.LoadedText.toString());
    editorStartText = editorText(OriginalText);
    OriginalText->moveCursor(QTextCursor::Start);
    OriginalText->setGeometry(rect());
    OriginalText->raise();
    OriginalText->show();
    OriginalText->setFocus();
    setProgressTitle(kEditorTitle);
    setKeyPreview(false);
    setBusyPointer(false);
}

void TForm1::limitEditorText(int position, int added)
{
    QTextDocument *doc = OriginalText->document();
    const qsizetype excess = doc->characterCount() - 1 - editorLimit;
    if (excess <= 0 || added <= 0)
        return;
    // Whatever was just typed or pasted beyond the limit is dropped.
    const qsizetype cut = std::min<qsizetype>(excess, added);
    QTextCursor cursor(doc);
    cursor.setPosition(static_cast<int>(position + added - cut));
    cursor.setPosition(static_cast<int>(position + added), QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
}

void TForm1::OriginalTextKeyDown(int key)
{
    if (key == Qt::Key_Escape)
        leaveEditor();
}

void TForm1::leaveEditor()
{
    OriginalText->hide();
    const QString edited = editorText(OriginalText);
    if (edited != editorStartText) {
        state.TextModified = true;
        const bool aozora = state.EastAsian.aozora;
        const QString before = aozora ? state.LoadedText.toString() : QString();
        const AozoraBook marks = aozora ? state.EastAsian.marks : AozoraBook();
        state.WorkingText = edited;
        state.LoadedText = CompactText::sharing(state.WorkingText);
        eastAsianTextReplaced();
        if (aozora)
            carryEastAsianMarksThroughEdit(marks, before);
        if (state.EastAsian.converted)
            state.WorkingText = state.EastAsian.shown.toString();
        state.BreaksRemoved = false;
        FitLines();
    } else {
        UpdateTitle();
    }
    setKeyPreview(true);
    (state.FocusPage == QStringLiteral("Rechts") ? RechteSeite : LinkeSeite)->setFocus();
}

bool TForm1::FormCloseQuery()
{
    if (editorShown()) {
        leaveEditor();
        return false;
    }
    if (state.TextModified &&
        !prompts().confirm(this, QStringLiteral("Edited text has not been saved!\rExit program?")))
        return false;
    state.Closing = true;
    return true;
}

void TForm1::BeendenClick()
{
    ResetCommandLabels(nullptr);
    if (state.FileName.isEmpty() ||
        prompts().question(this, QStringLiteral("Exit Tavolex?"),
                           QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes)
        close();
}
