#include "ui/Tavolex1.h"

#include "core/book/TableOfContents.h"
#include "core/book/FindInBook.h"
#include "ui/pages/KeyPoll.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QFrame>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>

#include <algorithm>

namespace {

const QString kShowOptions = QStringLiteral("Show &Options");
const QString kHideOptions = QStringLiteral("Hide &Options");

void setHint(QWidget *w, const QString &text)
{
    const QString shown = displayMessageText(text);
    w->setToolTip(shown);
    w->setToolTipDuration(80 * static_cast<int>(shown.size()) + 2000);
}

QPushButton *makeFindButton(QWidget *parent, const QString &caption, int left, int width)
{
    auto *button = new QPushButton(caption, parent);
    button->setGeometry(left, 0, width, 16);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

void clearSelection(QPlainTextEdit *page)
{
    QTextCursor cursor = page->textCursor();
    cursor.clearSelection();
    page->setTextCursor(cursor);
}

// The find text selects itself on focus; the options caption follows the options strip.
class FindPanelFilter : public QObject
{
public:
    explicit FindPanelFilter(TForm1 *form) : QObject(form), form(form) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == form->FindText && event->type() == QEvent::FocusIn) {
            form->FindText->selectAll();
            // A click places the caret after the focus arrives.
            if (static_cast<QFocusEvent *>(event)->reason() == Qt::MouseFocusReason)
                QTimer::singleShot(0, form->FindText, &QLineEdit::selectAll);
        } else if (watched == form->FindOptionsPanel &&
                   (event->type() == QEvent::Show || event->type() == QEvent::Hide)) {
            form->setFindOptionsCaption(form->FindOptionsPanel->isVisible() ? kHideOptions
                                                                            : kShowOptions);
        }
        return false;
    }

private:
    TForm1 *form;
};

} // namespace

void TForm1::buildFindPanel()
{
    Finden->setFrameShape(QFrame::NoFrame);
    Finden->setAttribute(Qt::WA_NoMousePropagation);
    FindOptionsPanel->setAttribute(Qt::WA_NoMousePropagation);
    FindOptionsPanel->resize(440, 20);

    FindOptions = makeFindButton(Finden, kShowOptions, 0, 86);
    setFindOptionsCaption(kShowOptions);
    setHint(FindOptions, QStringLiteral("Show or hide options [Alt+O]"));
    FindText = new QLineEdit(Finden);
    FindText->setObjectName(QStringLiteral("FindText"));
    setHint(FindText, QStringLiteral("Enter text, then use 'Find' or 'In Files'.\r[Space] to stop "
                                     "searching, [Esc] to stop and close"));
    FindStart = makeFindButton(Finden, QStringLiteral("Find"), 328, 34);
    setHint(FindStart, QStringLiteral("Find text in the current book [Return]\r[Space] to stop "
                                      "searching, [Esc] to stop and close"));
    FindInFiles = makeFindButton(Finden, QStringLiteral("In Files"), 363, 42);
    setHint(FindInFiles, QStringLiteral("Find text in files [Shift+Return]"));
    FindDone = makeFindButton(Finden, QStringLiteral("Done"), 406, 34);
    setHint(FindDone, QStringLiteral("Close the find dialog [Esc]"));
    layoutFindBar();

    FindCSens = new QCheckBox(QStringLiteral("&Case sensitive"), FindOptionsPanel);
    FindCSens->setObjectName(QStringLiteral("FindCSens"));
    FindCSens->setChecked(false);
    FindCSens->setFocusPolicy(Qt::NoFocus);
    FindCSens->move(91, 1);
    FindCSens->resize(FindCSens->sizeHint().width(), 18);

    connect(FindOptions, &QAbstractButton::clicked, this, &TForm1::FindOptionsClick);
    connect(FindStart, &QAbstractButton::clicked, this, [this] { FindStartClick(FindStart); });
    connect(FindInFiles, &QAbstractButton::clicked, this, [this] { FindStartClick(FindInFiles); });
    connect(FindDone, &QAbstractButton::clicked, this, &TForm1::FindDoneClick);
    auto *filter = new FindPanelFilter(this);
    FindText->installEventFilter(filter);
    FindOptionsPanel->installEventFilter(filter);
}

void TForm1::layoutFindBar()
{
    // At its designed 440 pixels: options 0, text 87 (240 wide), Find 328, In Files 363,
    // Done 406; the buttons keep their distances from the right edge.
    const int width = Finden->width();
    FindText->setGeometry(87, 0, std::max(width - 200, 0), 16);
    FindStart->move(std::max(width - 112, 87), 0);
    FindInFiles->move(FindStart->x() + 35, 0);
    FindDone->move(FindInFiles->x() + 43, 0);
}

void TForm1::setFindOptionsCaption(const QString &caption)
{
    FindOptions->setText(caption);
    // Alt+O belongs to the keyboard commands, which honour the shortcut switch.
    FindOptions->setShortcut(QKeySequence());
}

void TForm1::SuchenClick()
{
    state.MenuCommandActive = true;
    MenuHilfeAus();
    ResetCommandLabels(nullptr);
    Finden->show();
    Finden->raise();
    FindText->setFocus(Qt::OtherFocusReason);
}

void TForm1::FindStartClick(QObject *sender)
{
    if (sender == FindInFiles || state.FileName.isEmpty()) {
        if (sender != FindInFiles &&
            !prompts().confirm(this, QStringLiteral("No text opened, start searching in files?")))
            return;
        StartFindInFiles();
    } else {
        if (trimBlanks(FindText->text()).isEmpty())
            return;
        FindInBook(FindText->text(),
                   FindCSens->isChecked() ? Qt::CaseSensitive : Qt::CaseInsensitive);
    }
    FindOptionsPanel->hide();
    setFindOptionsCaption(kShowOptions);
}

void TForm1::FindDoneClick()
{
    CloseFindPanel();
}

void TForm1::CloseFindPanel()
{
    for (QPlainTextEdit *page : {LinkeSeite, RechteSeite})
        page->moveCursor(QTextCursor::Start);
    FindOptionsPanel->hide();
    setFindOptionsCaption(kShowOptions);
    Finden->hide();
}

void TForm1::FindOptionsClick()
{
    FindOptionsPanel->setVisible(!FindOptionsPanel->isVisible());
    if (FindOptionsPanel->isVisible())
        FindOptionsPanel->raise();
    setFindOptionsCaption(FindOptionsPanel->isVisible() ? kHideOptions : kShowOptions);
}

void TForm1::StartFindInFiles()
{
    Prompts::FindInFilesFields &fields = findInFilesFields;
    if (fields.FIFDir.isEmpty() && !state.FileName.isEmpty())
        fields.FIFDir = QFileInfo(state.FileName).absolutePath() + u'/';
    if (fields.FIFDir.isEmpty())
        fields.FIFDir = state.BaseDirectory;
    if (!fields.FIFDir.isEmpty() && !fields.FIFDir.endsWith(u'/'))
        fields.FIFDir += u'/';
    fields.FIFFind = FindText->text();
    fields.FIFCSens = FindCSens->isChecked();
    fields.foundFile.clear();
    fields.foundMember.clear();
    const Prompts::FindInFilesClose closed = prompts().findInFiles(this, fields);
    if (closed != Prompts::FindInFilesClose::Abort) {
        FindText->setText(fields.FIFFind);
        FindCSens->setChecked(fields.FIFCSens);
    }
    if (closed == Prompts::FindInFilesClose::Ok && !fields.foundFile.isEmpty()) {
        state.PreviousFileName = state.FileName;
        state.FileName = fields.foundFile;
        state.ArchiveMember = fields.foundMember;
        state.MemberPreselected = true;
        setProgressTitle(QStringLiteral("Opening file ") + state.FileName + QStringLiteral(" ..."));
        OpenDocument();
        AddToRecent();
    }
    CloseFindPanel();
}

void TForm1::FindInBook(const QString &text, Qt::CaseSensitivity cs)
{
    const bool rightFocus = state.FocusPage == QLatin1String("Rechts");
    QPlainTextEdit *focusPage = rightFocus ? RechteSeite : LinkeSeite;
    clearSelection(rightFocus ? LinkeSeite : RechteSeite);
    // A repeated search goes on after the previous hit.
    QTextCursor caret = focusPage->textCursor();
    caret.setPosition(caret.selectionEnd());
    focusPage->setTextCursor(caret);
    const int y = caret.blockNumber();
    const int x = caret.positionInBlock();
    const int lpp = state.LinesPerPage;
    FindStartPoint start;
    start.column = x + 1;
    if (rightFocus) {
        start.line = state.CurrentPage * lpp + state.RightTrim.BlankLines + y + 1;
        start.page = state.CurrentPage + 1;
    } else {
        start.line = (state.CurrentPage - 1) * lpp + state.LeftTrim.BlankLines + y + 1;
        start.page = state.CurrentPage;
    }

    BookLines book;
    book.line = [this](int n) { return ::FittedLine(state.pieces, n); };
    book.joinsNext = [this](int n) { return ::FittedLineJoinsNext(state.pieces, n); };
    book.totalLines = state.TotalLines;
    book.linesPerPage = lpp;
    const LayoutHold hold(*this);
    KeyPoll poll(this, keyPollIntervalMs);
    QString savedTitle;
    FindHooks hooks;
    hooks.pollKey = [&poll] {
        const int key = poll.takeKey();
        if (poll.closeRequested())
            return FindKey::Escape;
        switch (key) {
        case 0:
            return FindKey::None;
        case Qt::Key_Space:
            return FindKey::Space;
        case Qt::Key_Escape:
            return FindKey::Escape;
        default:
            return FindKey::Other;
        }
    };
    hooks.progress = [this, pace = ProgressPace(progressTitleIntervalMs)](int page) mutable {
        if (pace.due())
            setProgressTitle(
                QStringLiteral("Searching on page %1 of %2").arg(page).arg(state.PageCount));
    };
    hooks.askRestart = [this] {
        const auto answer = prompts().question(
            this,
            QStringLiteral("Text not found.\rStart again from the beginning?\r(No closes the "
                           "Find dialog)"),
            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        if (answer == QMessageBox::Yes)
            state.FocusPage = QStringLiteral("Links");
        return answer == QMessageBox::Yes  ? RestartAnswer::Yes
               : answer == QMessageBox::No ? RestartAnswer::No
                                           : RestartAnswer::Cancel;
    };
    hooks.scanning = [this, &savedTitle](bool on) {
        if (on)
            savedTitle = windowTitle();
        else
            setWindowTitle(savedTitle);
        setBusyPointer(on);
    };
    const FindResult result = ::FindInBook(book, text, cs, start, hooks);

    switch (result.end) {
    case FindEnd::Closed:
    case FindEnd::EscapeStopped:
        CloseFindPanel();
        return;
    case FindEnd::Cancelled:
    case FindEnd::SpaceStopped:
        return;
    case FindEnd::Hit:
        break;
    }
    const int p = result.page;
    const bool withinPage = result.match.endPage == p;
    if (withinPage && p == state.CurrentPage + 1) {
        state.FocusPage = QStringLiteral("Rechts");
    } else if (p != state.CurrentPage) {
        // Also a hit that starts on the right page and runs on: its page goes to the left.
        state.CurrentPage = p;
        ShowSpread();
        state.FocusPage = QStringLiteral("Links");
    }
    showHit(result.match, p);
}

int TForm1::pagePosition(int page, int offset) const
{
    // The control shows the trimmed page text with every CR LF as one line break.
    const TrimRecord &trim = page == state.CurrentPage ? state.LeftTrim : state.RightTrim;
    const int lpp = state.LinesPerPage;
    QString text;
    const int firstLine = (page - 1) * lpp + 1;
    for (int n = firstLine; n <= std::min(page * lpp, state.TotalLines); ++n) {
        if (n > firstLine)
            text += QStringLiteral("\r\n");
        text += ::FittedLine(state.pieces, n);
    }
    const int first = trim.FirstChar - 1;
    const int kept = std::max(0, trim.LastChar - trim.FirstChar + 1);
    const int t = std::clamp(offset - first, 0, kept);
    int pairs = 0;
    for (int i = first; i + 1 < first + t; ++i) {
        if (text[i] == u'\r' && text[i + 1] == u'\n') {
            ++pairs;
            ++i;
        }
    }
    return t - pairs;
}

void TForm1::showHit(const FindMatch &match, int p)
{
    const int q = match.endPage;
    const int endOffset = q == p ? match.startOffset + match.length : match.length;
    const auto select = [](QPlainTextEdit *page, int from, int to) {
        QTextCursor cursor(page->document());
        const int last = page->document()->characterCount() - 1;
        cursor.setPosition(std::clamp(from, 0, last));
        cursor.setPosition(std::clamp(to, 0, last), QTextCursor::KeepAnchor);
        page->setTextCursor(cursor);
    };
    if (state.FocusPage == QLatin1String("Rechts")) {
        RechteSeite->setFocus(Qt::OtherFocusReason);
        RechteSeiteEnter();
        select(RechteSeite, pagePosition(p, match.startOffset), pagePosition(p, endOffset));
        return;
    }
    LinkeSeite->setFocus(Qt::OtherFocusReason);
    LinkeSeiteEnter();
    const int leftEnd = LinkeSeite->document()->characterCount() - 1;
    select(LinkeSeite, pagePosition(p, match.startOffset),
           q == p ? pagePosition(p, endOffset) : leftEnd);
    if (q > p) {
        const int rightEnd = RechteSeite->document()->characterCount() - 1;
        select(RechteSeite, 0, p + 1 < q ? rightEnd : pagePosition(p + 1, endOffset));
    }
}
