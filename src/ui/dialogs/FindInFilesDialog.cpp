#include "ui/dialogs/FindInFilesDialog.h"

#include "core/base/ProgressPace.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

#include <algorithm>

namespace {

const QString kFind = QStringLiteral("Find");
const QString kStop = QStringLiteral("Stop");
const QString kAbort = QStringLiteral("Abort");

// Pending events run at most this often inside one entry; every entry step always runs them.
constexpr int PumpIntervalMs = 15;

void setHint(QWidget *widget, const QString &text)
{
    widget->setToolTip(text);
    widget->setToolTipDuration(80 * int(text.size()) + 2000);
}

template <typename Widget> Widget *place(Widget *widget, int x, int y, int w, int h)
{
    widget->setGeometry(x, y, w, h);
    return widget;
}

} // namespace

void CenterOverForeground(QWidget *window, int offset)
{
    const QWidget *foreground = QApplication::activeWindow();
    if (!foreground || foreground == window)
        foreground = window->parentWidget() ? window->parentWidget()->window() : nullptr;
    if (!foreground)
        return;
    const QRect outer = foreground->frameGeometry();
    window->move(outer.left() + (outer.width() - window->frameGeometry().width()) / 2,
                 outer.top() + offset);
}

TFIFForm::TFIFForm(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Find text in files"));
    createControls();
    hide();
}

void TFIFForm::createControls()
{
    setFixedSize(570, 353);
    QPalette teal = palette();
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
        teal.setColor(role, QColor(0, 128, 128));
    setPalette(teal);

    Label1 = place(new QLabel(QStringLiteral("Text to find"), this), 8, 6, 200, 16);
    FIFFind = place(new QLineEdit(this), 8, 22, 362, 24);
    FIFCSens = place(new QCheckBox(QStringLiteral("&Case sensitive"), this), 378, 24, 180, 20);
    Label4 = place(new QLabel(QStringLiteral("Directory"), this), 8, 52, 200, 16);
    FIFDir = place(new QLineEdit(this), 8, 68, 362, 24);
    FIFBrowse = place(new QPushButton(QStringLiteral("&Browse"), this), 378, 67, 68, 26);
    SubDirs = place(new QCheckBox(QStringLiteral("&Subdirectories"), this), 452, 70, 116, 20);
    FIFCSens->setFocusPolicy(Qt::ClickFocus);
    SubDirs->setFocusPolicy(Qt::ClickFocus);
    Label1->setBuddy(FIFFind);
    Label4->setBuddy(FIFDir);

    Found = place(new QTableWidget(1, 2, this), 8, 100, 554, 208);
    Found->setHorizontalHeaderLabels(
        {QStringLiteral("Found files/archives"), QStringLiteral("Files in archives")});
    Found->setColumnWidth(0, 283);
    Found->setColumnWidth(1, 249);
    Found->verticalHeader()->hide();
    Found->verticalHeader()->setDefaultSectionSize(16);
    Found->verticalHeader()->setMinimumSectionSize(16);
    Found->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Found->horizontalHeader()->setFixedHeight(18);
    Found->setSelectionBehavior(QAbstractItemView::SelectRows);
    Found->setSelectionMode(QAbstractItemView::SingleSelection);
    Found->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Found->setWordWrap(false);
    Found->setItem(0, 0, new QTableWidgetItem);
    Found->setItem(0, 1, new QTableWidgetItem);

    FIFStart = place(new QPushButton(QStringLiteral("&Find"), this), 8, 318, 84, 28);
    FIFStop = place(new QPushButton(QStringLiteral("Sto&p"), this), 100, 318, 84, 28);
    FIFAbort = place(new QPushButton(QStringLiteral("&Abort"), this), 192, 318, 84, 28);
    FIFClose = place(new QPushButton(QStringLiteral("E&xit"), this), 478, 318, 84, 28);
    setHint(FIFStart, QStringLiteral("Start searching [Alt+F]"));
    setHint(FIFStop, QStringLiteral("Stop searching [Alt+P]"));
    setHint(FIFAbort, QStringLiteral("Abort searching [Alt+A]"));
    setHint(FIFClose, QStringLiteral("Close this dialog [Alt+X]"));
    // Enter belongs to the key preview, never to a default button.
    for (QPushButton *button : {FIFBrowse, FIFStart, FIFStop, FIFAbort, FIFClose})
        button->setAutoDefault(false);

    connect(FIFBrowse, &QPushButton::clicked, this, &TFIFForm::FIFBrowseClick);
    connect(FIFStart, &QPushButton::clicked, this, &TFIFForm::FIFStartClick);
    connect(FIFStop, &QPushButton::clicked, this, &TFIFForm::FIFStopClick);
    connect(FIFAbort, &QPushButton::clicked, this, &TFIFForm::FIFAbortClick);
    connect(FIFClose, &QPushButton::clicked, this, &TFIFForm::FIFCloseClick);
    connect(Found, &QTableWidget::cellDoubleClicked, this, [this] { FoundDblClick(); });
    connect(FIFCSens, &QCheckBox::clicked, this, [this] { FIFStart->setFocus(); });
    connect(SubDirs, &QCheckBox::clicked, this, [this] { FIFStart->setFocus(); });

    for (QWidget *child : findChildren<QWidget *>())
        child->installEventFilter(this);
}

Prompts &TFIFForm::prompts()
{
    static QtPrompts real;
    return promptsImpl ? *promptsImpl : real;
}

void TFIFForm::loadFields(const Prompts::FindInFilesFields &fields)
{
    FIFDir->setText(fields.FIFDir);
    FIFFind->setText(fields.FIFFind);
    FIFCSens->setChecked(fields.FIFCSens);
    ChosenFile.clear();
    ChosenMember.clear();
    setWindowTitle(QStringLiteral("Find text in files"));
}

void TFIFForm::storeFields(Prompts::FindInFilesFields &fields) const
{
    fields.FIFDir = FIFDir->text();
    fields.FIFFind = FIFFind->text();
    fields.FIFCSens = FIFCSens->isChecked();
    fields.foundFile = ChosenFile;
    fields.foundMember = ChosenMember;
}

Prompts::FindInFilesClose TFIFForm::closeKind(int result) const
{
    if (result == QDialog::Accepted)
        return Prompts::FindInFilesClose::Ok;
    return result == AbortResult ? Prompts::FindInFilesClose::Abort
                                 : Prompts::FindInFilesClose::Cancel;
}

Prompts::FindInFilesClose TFIFForm::runModal(Prompts::FindInFilesFields &fields)
{
    loadFields(fields);
    const int result = exec();
    storeFields(fields);
    return closeKind(result);
}

void TFIFForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    CenterOverForeground(this, 100);
    if (FIFFind->text().isEmpty())
        FIFFind->setFocus();
    else
        FIFStart->setFocus();
}

void TFIFForm::FIFBrowseClick()
{
    QString folder = prompts().pickFolder(this, QStringLiteral("Select directory for searching"),
                                          FIFDir->text());
    if (folder.isEmpty())
        return;
    if (!folder.endsWith(u'/'))
        folder += u'/';
    FIFDir->setText(folder);
}

void TFIFForm::FIFStartClick()
{
    // A click on Find while a search runs would nest a second search inside the first.
    if (!SearchState.isEmpty())
        return;
    if (FIFFind->text().isEmpty()) {
        prompts().notice(this, QStringLiteral("Please enter text to find"));
        FIFFind->setFocus();
        return;
    }
    if (FIFDir->text().isEmpty()) {
        prompts().notice(this, QStringLiteral("Please specify a directory"));
        FIFDir->setFocus();
        return;
    }
    if (!FIFDir->text().endsWith(u'/'))
        FIFDir->setText(FIFDir->text() + u'/');
    const QString folder = FIFDir->text();
    // An empty folder is refused like a missing one: there is nothing in it to search.
    if (!FolderHoldsEntries(folder)) {
        prompts().notice(this, QStringLiteral("Please specify an existing directory"));
        FIFDir->setFocus();
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    setWindowTitle(QStringLiteral("Searching files ..."));
    const FoundEntries entries = SortFoundEntries(
        WalkDirectory(folder, SubDirs->isChecked() ? SubFolders::Walk : SubFolders::Skip), folder);
    if (entries.empty())
        prompts().notice(this, QStringLiteral("No files found!"));
    else
        searchEntries(entries);
    Found->setFocus();
    if (resultRowEmpty(0) && closeAfterSearch < 0)
        prompts().notice(this, QStringLiteral("No matches found!"));
    QApplication::restoreOverrideCursor();
    finishAfterSearch();
}

void TFIFForm::searchEntries(const FoundEntries &entries)
{
    setWindowTitle(QStringLiteral("Searching text in files ..."));
    SearchState = kFind;
    Found->setRowCount(1);
    Found->item(0, 0)->setText(QString());
    Found->item(0, 1)->setText(QString());
    int nextRow = 0;
    const QString folder = FIFDir->text();
    const QString searchText = FIFFind->text();
    const Qt::CaseSensitivity cs = FIFCSens->isChecked() ? Qt::CaseSensitive : Qt::CaseInsensitive;
    const KeepGoing keepGoing = [this] { return stillFinding(false); };
    const QString count = QString::number(entries.size());
    ProgressPace pace;
    EntrySearch search(folder, searchText, cs);
    for (size_t i = 0; i < entries.size(); ++i) {
        if (!stillFinding(true))
            break;
        const FoundEntry &entry = entries[i];
        QString caption = QStringLiteral("File %1/%2: %3").arg(i + 1).arg(count, entry.path);
        if (!entry.member.isEmpty())
            caption += QStringLiteral(" / ") + entry.member;
        if (pace.due())
            setWindowTitle(caption);
        // A member keeps a code page of its archive's only when it is the archive's one member,
        // as other settings of members do.
        const auto sameArchive = [&](size_t j) {
            return j < entries.size() && entries[j].path == entry.path;
        };
        const bool stored = entry.member.isEmpty() || (!sameArchive(i - 1) && !sameArchive(i + 1));
        const QString codePage = stored && codePageOf ? codePageOf(folder + entry.path) : QString();
        if (search.contains(entry, keepGoing, codePage) ==
            SearchOutcome::Found)
            addResultRow(nextRow++, entry);
    }
    if (SearchState == kFind)
        setWindowTitle(QStringLiteral("Done"));
    else if (SearchState == kStop)
        setWindowTitle(QStringLiteral("Stopped"));
    SearchState.clear();
}

bool TFIFForm::stillFinding(bool force)
{
    if (force || !sincePump.isValid() || sincePump.elapsed() >= PumpIntervalMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        sincePump.start();
    }
    return SearchState == kFind;
}

void TFIFForm::addResultRow(int row, const FoundEntry &entry)
{
    if (row >= Found->rowCount()) {
        Found->setRowCount(row + 1);
        Found->setItem(row, 0, new QTableWidgetItem);
        Found->setItem(row, 1, new QTableWidgetItem);
    }
    Found->item(row, 0)->setText(entry.path);
    Found->item(row, 1)->setText(entry.member);
}

bool TFIFForm::resultRowEmpty(int row) const
{
    if (row >= Found->rowCount())
        return true;
    const QTableWidgetItem *path = Found->item(row, 0);
    const QTableWidgetItem *member = Found->item(row, 1);
    return (!path || path->text().trimmed().isEmpty()) &&
           (!member || member->text().trimmed().isEmpty());
}

void TFIFForm::finishAfterSearch()
{
    if (closeAfterSearch >= 0) {
        const int result = closeAfterSearch;
        closeAfterSearch = -1;
        openAfterSearch = false;
        done(result);
        return;
    }
    if (openAfterSearch) {
        openAfterSearch = false;
        FoundDblClick();
    }
}

void TFIFForm::FIFStopClick()
{
    if (SearchState != kFind)
        return;
    setWindowTitle(QStringLiteral("Stopping ..."));
    SearchState = kStop;
}

void TFIFForm::FIFAbortClick()
{
    if (SearchState == kFind) {
        setWindowTitle(QStringLiteral("Aborting ..."));
        SearchState = kAbort;
    }
    if (SearchState.isEmpty())
        done(AbortResult);
    else
        closeAfterSearch = AbortResult;
}

void TFIFForm::FIFCloseClick()
{
    if (SearchState.isEmpty()) {
        done(QDialog::Rejected);
        return;
    }
    // Closing while searching ends the search first.
    SearchState = kAbort;
    closeAfterSearch = QDialog::Rejected;
}

void TFIFForm::FoundDblClick()
{
    if (!SearchState.isEmpty()) {
        openAfterSearch = true;
        return;
    }
    const int row = std::max(Found->currentRow(), 0);
    const QTableWidgetItem *path = Found->item(row, 0);
    if (!path || path->text().isEmpty()) {
        FIFStartClick();
        return;
    }
    const QTableWidgetItem *member = Found->item(row, 1);
    ChosenFile = FIFDir->text() + path->text();
    ChosenMember = member ? member->text() : QString();
    done(QDialog::Accepted);
}

bool TFIFForm::FormKeyDown(QKeyEvent *event)
{
    const int key = event->key();
    if (key == Qt::Key_Space && SearchState == kFind) {
        FIFStart->setFocus();
        FIFStopClick();
        return true;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        QWidget *focus = focusWidget();
        if (focus == Found) {
            FoundDblClick();
            return true;
        }
        if ((focus == FIFFind || focus == FIFDir) && SearchState.isEmpty()) {
            FIFStart->setFocus();
            FIFStartClick();
            return true;
        }
        return false;
    }
    if (key == Qt::Key_Escape) {
        FIFAbortClick();
        return true;
    }
    return false;
}

bool TFIFForm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress)
        return FormKeyDown(static_cast<QKeyEvent *>(event));
    return QDialog::eventFilter(watched, event);
}

void TFIFForm::keyPressEvent(QKeyEvent *event)
{
    if (!FormKeyDown(event))
        QDialog::keyPressEvent(event);
}

void TFIFForm::reject()
{
    FIFCloseClick();
}

void TFIFForm::closeEvent(QCloseEvent *event)
{
    if (!SearchState.isEmpty()) {
        event->ignore();
        FIFCloseClick();
        return;
    }
    QDialog::closeEvent(event);
}
