#include "ui/Tavolex1.h"

#include "core/book/IniFile.h"
#include "core/book/RecentFiles.h"
#include "core/book/SettingsValues.h"
#include "ui/dialogs/TvxDialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QCursor>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>

#include <algorithm>

namespace {

const QString kLast = QStringLiteral("Last");
const QString kLastReadFile = QStringLiteral("Last read file");
const QString kRecent = QStringLiteral("Recent");
const QString kBaseDirectory = QStringLiteral("Base Directory");
const QString kInitialDir = QStringLiteral("InitialDir");
constexpr int kRecentLineHeight = 13;

RecentFiles readRecentFiles(const QListWidget *list, const QStringList &prefixes)
{
    RecentFiles files;
    for (int i = 0; i < list->count(); ++i)
        files.shown << list->item(i)->text();
    files.prefixes = prefixes;
    return files;
}

void showRecentFiles(QListWidget *list, QStringList &prefixes, const RecentFiles &files)
{
    const int selected = list->currentRow();
    while (list->count() > files.size())
        delete list->takeItem(list->count() - 1);
    for (int i = 0; i < files.size(); ++i) {
        if (i < list->count()) {
            list->item(i)->setText(files.shown.at(i));
        } else {
            auto *item = new QListWidgetItem(files.shown.at(i), list);
            item->setSizeHint(QSize(0, kRecentLineHeight));
        }
    }
    prefixes = files.prefixes;
    if (selected < list->count())
        list->setCurrentRow(selected);
}

// Writes the changes in order, consecutive keys of one section in one file write; a refused
// write is reported and ends the writing.
bool applyRecentKeyChanges(TForm1 &form, const QList<RecentKeyChange> &changes)
{
    IniFile &ini = form.settings();
    for (qsizetype i = 0; i < changes.size();) {
        const RecentKeyChange &change = changes.at(i);
        IniFile::WriteResult result = IniFile::WriteResult::Written;
        if (change.kind == RecentKeyChange::Kind::Delete) {
            result = ini.deleteKey(change.section, change.key);
            ++i;
        } else {
            QList<IniEntry> entries;
            while (i < changes.size() && changes.at(i).kind == RecentKeyChange::Kind::Write &&
                   changes.at(i).section == change.section) {
                entries << IniEntry{changes.at(i).key, changes.at(i).value};
                ++i;
            }
            result = ini.writeStrings(change.section, entries);
        }
        if (!form.checkSettingsWrite(result == IniFile::WriteResult::Written))
            return false;
    }
    return true;
}

QLabel *panelText(QFrame *panel, const QString &text, bool bold)
{
    auto *label = new QLabel(text, panel);
    label->setTextFormat(Qt::PlainText);
    QFont font = label->font();
    font.setBold(bold);
    label->setFont(font);
    return label;
}

} // namespace

void TForm1::buildRecentPanel()
{
    Recent->move(Recent->x(), 16);
    Recent->setFrameShape(QFrame::Panel);
    Recent->setFrameShadow(QFrame::Raised);
    QFont small = Recent->font();
    small.setPointSize(8);
    Recent->setFont(small);
    QPalette teal = Recent->palette();
    const QColor tealColour(0x00, 0x80, 0x80);
    teal.setColor(QPalette::WindowText, tealColour);
    teal.setColor(QPalette::Text, tealColour);
    Recent->setPalette(teal);

    const int inner = Recent->width() - 12;
    RecentTitle = panelText(Recent, QStringLiteral("RECENT FILES LIST"), true);
    RecentTitle->setGeometry(6, 4, inner, 15);
    RecentTitle->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    RecentHelpLine = panelText(
        Recent, QStringLiteral("Click: Open file / Shift+Click: Remove file from list"), false);
    RecentHelpLine->setGeometry(6, 20, inner, 14);
    // The line must fit the fixed panel in whatever font the desktop gives.
    QFont helpFont = RecentHelpLine->font();
    while (helpFont.pointSize() > 5 &&
           QFontMetrics(helpFont).horizontalAdvance(RecentHelpLine->text()) > inner) {
        helpFont.setPointSize(helpFont.pointSize() - 1);
    }
    RecentHelpLine->setFont(helpFont);
    RecentHelpLine->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);

    RecentList = new QListWidget(Recent);
    RecentList->setGeometry(6, 37, inner, RecentFiles::MaxEntries * kRecentLineHeight + 4);
    RecentList->setUniformItemSizes(true);
    RecentList->setFrameShape(QFrame::NoFrame);
    RecentList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    RecentList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    RecentList->setFocusPolicy(Qt::NoFocus);
    RecentList->setSelectionMode(QAbstractItemView::SingleSelection);
    RecentList->setTextElideMode(Qt::ElideNone);
    RecentList->setMouseTracking(true);
    QPalette listPalette = RecentList->palette();
    listPalette.setColor(QPalette::Base, Recent->palette().color(QPalette::Window));
    RecentList->setPalette(listPalette);

    RecentFull = panelText(Recent, QString(), false);
    RecentFull->setGeometry(6, 176, inner, 28);
    RecentFull->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    RecentFull->setFrameShape(QFrame::NoFrame);

    BaseDirCaption = panelText(Recent, QStringLiteral("Base directory:"), false);
    BaseDirCaption->setGeometry(6, 204, inner / 2, 14);
    SetBaseDir = panelText(Recent, QStringLiteral("Set to current path"), true);
    SetBaseDir->setGeometry(6 + inner / 2, 204, inner - inner / 2, 14);
    SetBaseDir->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    SetBaseDir->setCursor(Qt::PointingHandCursor);
    BaseDir = panelText(Recent, state.BaseDirectory, false);
    BaseDir->setGeometry(6, 218, inner, 13);

    RecentShow->setToolTip(
        QStringLiteral("Open a recently used file (replacing the current file in memory)"));
    Letzte->setToolTip(
        QStringLiteral("Left click: Show list of recent files - Right click: Open latest"));
    Letzte->setAttribute(Qt::WA_NoMousePropagation);
    // Placed over "<< BM >>" while no book is open; see-through, both captions would show.
    Letzte->setAutoFillBackground(true);

    auto *relay = new EventRelay(this, [this](QObject *watched, QEvent *event) {
        const bool onList = watched == RecentList->viewport();
        if (event->type() == QEvent::MouseButtonPress) {
            auto *mouse = static_cast<QMouseEvent *>(event);
            if (watched == Letzte) {
                LetzteMouseDown(mouse->button());
                return true;
            }
            const QPoint pos = onList ? mouse->position().toPoint() : QPoint(-1, -1);
            RecentListMouseDown(onList ? RecentList : watched, mouse->button(), mouse->modifiers(),
                                pos);
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease && watched == SetBaseDir) {
            auto *mouse = static_cast<QMouseEvent *>(event);
            if (mouse->button() == Qt::LeftButton &&
                SetBaseDir->rect().contains(mouse->position().toPoint()))
                SetBaseDirClick();
            return true;
        }
        if (event->type() == QEvent::MouseMove && watched != Letzte) {
            auto *mouse = static_cast<QMouseEvent *>(event);
            RecentListMouseMove(onList ? RecentList : watched,
                                onList ? mouse->position().toPoint() : QPoint(-1, -1));
        }
        // Double clicks on the list would otherwise reach the list's own handling.
        return onList && event->type() == QEvent::MouseButtonDblClick;
    });
    Letzte->installEventFilter(relay);
    for (QWidget *w : {static_cast<QWidget *>(Recent), static_cast<QWidget *>(RecentTitle),
                       static_cast<QWidget *>(RecentHelpLine), RecentList->viewport(),
                       static_cast<QWidget *>(RecentFull), static_cast<QWidget *>(BaseDirCaption),
                       static_cast<QWidget *>(SetBaseDir), static_cast<QWidget *>(BaseDir)}) {
        w->setMouseTracking(true);
        w->setAttribute(Qt::WA_NoMousePropagation);
        w->installEventFilter(relay);
    }
}

void TForm1::LoadRecentList()
{
    BaseDir->setText(state.BaseDirectory);
    showRecentFiles(RecentList, state.RecentPrefixes, RecentFiles());
    const QString last = ini->readString(kLast, kLastReadFile, QString());
    if (last.isEmpty()) {
        Letzte->setToolTip(QString());
        Letzte->setText(QString());
        return;
    }
    const QString hint = displayMessageText(
        QStringLiteral("Left click: Show list of recent files\rRight click: Open ") + last);
    Letzte->setToolTip(hint);
    Letzte->setToolTipDuration(80 * int(hint.size()) + 2000);
    Letzte->show();
    Letzte->raise();
    QStringList values;
    for (int k = 1; k < RecentFiles::MaxEntries; ++k)
        values << ini->readString(kRecent, recentKeyName(k), QString());
    showRecentFiles(RecentList, state.RecentPrefixes,
                    loadRecentFiles(last, values, state.BaseDirectory));
    if (RecentList->count() != state.RecentPrefixes.size())
        prompts().notice(this, QStringLiteral("Error reading recent file list"));
}

void TForm1::AddToRecent()
{
    if (IsExcludedFile(state.FileName))
        return;
    if (!ini->sectionExists(kBaseDirectory) || state.BaseDirectory.isEmpty()) {
        state.BaseDirectory = directoryOf(state.FileName);
        ladenDialogDir = state.BaseDirectory;
        BaseDir->setText(state.BaseDirectory);
        if (!writeSetting(kBaseDirectory, kInitialDir, state.BaseDirectory))
            return;
    }
    RecentFiles files = readRecentFiles(RecentList, state.RecentPrefixes);
    const QList<RecentKeyChange> changes =
        recordRecentFile(files, state.FileName, state.BaseDirectory);
    showRecentFiles(RecentList, state.RecentPrefixes, files);
    RecentList->setCurrentRow(0);
    applyRecentKeyChanges(*this, changes);
}

void TForm1::OpenLatest()
{
    const QString latest = ini->readString(kLast, kLastReadFile, QString());
    if (latest.isEmpty())
        return;
    if (!QFileInfo::exists(latest)) {
        prompts().notice(this, QStringLiteral("File ") + latest +
                                   QStringLiteral(" doesn't exist (any more)!"));
        return;
    }
    if (!mayOpenOverEdits())
        return;
    // The path is entry 1 already; the list stays as it is.
    state.PreviousFileName = state.FileName;
    state.FileName = latest;
    setProgressTitle(QStringLiteral("Opening file ") + latest + QStringLiteral(" ..."));
    OpenDocument();
}

void TForm1::RecentShowClick()
{
    showRecentPanel(RecentShow);
}

void TForm1::showRecentPanel(QObject *origin)
{
    if (RecentList->count() == 0)
        return;
    state.MenuCommandActive = true;
    MenuHilfeAus(nullptr, -1, -1);
    Recent->hide();
    if (Contents->isVisible() && !TOCLeft->isChecked())
        SetTocPanelShown(false);
    ResetCommandLabels(nullptr);
    if (origin != Lesezeichen && PointerOutsidePanel(Recent)) {
        const QPoint target(Recent->x() + Recent->width() / 2,
                            Recent->y() + RecentList->y() + kRecentLineHeight / 2);
        QCursor::setPos(mapToGlobal(target));
    }
    Recent->raise();
    Recent->show();
}

void TForm1::LetzteMouseDown(Qt::MouseButton button)
{
    if (button == Qt::RightButton)
        OpenLatest();
    else if (button == Qt::LeftButton)
        showRecentPanel(Letzte);
}

void TForm1::openFromRecentCommand(const QString &path, bool recordOnSuccess)
{
    state.PreviousFileName = state.FileName;
    state.FileName = path;
    setProgressTitle(QStringLiteral("Opening file ") + path + QStringLiteral(" ..."));
    OpenDocument();
    if (recordOnSuccess && !state.OpenFailed)
        AddToRecent();
}

void TForm1::RecentListMouseDown(QObject *sender, Qt::MouseButton button,
                                 Qt::KeyboardModifiers modifiers, QPoint pos)
{
    // Elsewhere on the panel a press acts as on a page, with no pointer position.
    const auto asPageClick = [this, sender, button] {
        Mausklick(qobject_cast<QWidget *>(sender), button,
                  button == Qt::RightButton ? QCursor::pos() : QPoint(-1, -1));
    };
    if (sender != RecentList || button != Qt::LeftButton) {
        if (sender != SetBaseDir)
            asPageClick();
        return;
    }
    QListWidgetItem *item = RecentList->itemAt(pos);
    if (!item) {
        Recent->hide();
        return;
    }
    const int row = RecentList->row(item);
    if (modifiers & Qt::ShiftModifier) {
        if (RecentList->count() < 2) {
            asPageClick();
            return;
        }
        RecentFiles files = readRecentFiles(RecentList, state.RecentPrefixes);
        const QList<RecentKeyChange> changes = removeRecentFile(files, row, state.BaseDirectory);
        showRecentFiles(RecentList, state.RecentPrefixes, files);
        applyRecentKeyChanges(*this, changes);
        return;
    }
    Recent->hide();
    const QString path = state.RecentPrefixes.value(row) + item->text();
    if (path.isEmpty())
        return;
    if (!QFileInfo::exists(path)) {
        prompts().notice(this, QStringLiteral("File ") + path +
                                   QStringLiteral(" does not exist (any more)!"));
        return;
    }
    if (!mayOpenOverEdits())
        return;
    openFromRecentCommand(path, true);
}

void TForm1::RecentListMouseMove(QObject *sender, QPoint pos)
{
    if (Menu->isVisible() || Hilfe->isVisible())
        MenuHilfeAus(Contents, std::max(0, pos.x()), std::max(0, pos.y()));
    if (sender != RecentList)
        return;
    QListWidgetItem *item = RecentList->itemAt(pos);
    if (!item) {
        RecentFull->clear();
        return;
    }
    const QString full = state.RecentPrefixes.value(RecentList->row(item)) + item->text();
    const QFontMetricsF metrics(RecentFull->font());
    const TwoLines lines =
        splitForTwoLines(full, RecentFull->contentsRect().width() - 7,
                         [&metrics](const QString &t) { return metrics.horizontalAdvance(t); });
    RecentFull->setText(lines.first + u'\n' + lines.second);
}

void TForm1::SetBaseDirClick()
{
    if (state.FileName.isEmpty())
        return;
    state.BaseDirectory = directoryOf(state.FileName);
    ladenDialogDir = state.BaseDirectory;
    writeSetting(kBaseDirectory, kInitialDir, state.BaseDirectory);
    BaseDir->setText(state.BaseDirectory);
    RecentFiles files = readRecentFiles(RecentList, state.RecentPrefixes);
    rebaseRecentFiles(files, state.BaseDirectory);
    showRecentFiles(RecentList, state.RecentPrefixes, files);
}

void TForm1::OpenHelptxtClick()
{
    const QStringList candidates = helpFileCandidates(programDir);
    const auto found = std::find_if(candidates.begin(), candidates.end(),
                                    [](const QString &path) { return QFileInfo::exists(path); });
    if (found == candidates.end()) {
        prompts().notice(this, QStringLiteral("File ") + candidates.first() +
                                   QStringLiteral(" not found!"));
        return;
    }
    const QString path = *found;
    if (!mayOpenOverEdits())
        return;
    MenuHilfeAus(nullptr, -1, -1);
    Recent->hide();
    openFromRecentCommand(path, true);
}
