#include "ui/Tavolex1.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTimer>
#include <QUrl>

QString TForm1::droppedFile(const QMimeData *data)
{
    if (!data || !data->hasUrls())
        return {};
    for (const QUrl &url : data->urls()) {
        if (!url.isLocalFile())
            continue;
        const QString path = url.toLocalFile();
        // A folder is no book; the drop is refused rather than reported after the fact. A
        // device or FIFO is taken, to be refused by the open with its message.
        const QFileInfo info(path);
        if (info.exists() && !info.isDir())
            return path;
    }
    return {};
}

void TForm1::dragEnterEvent(QDragEnterEvent *event)
{
    // While the editor is open the page text is being changed; a drop there inserts text.
    if (OriginalText->isVisible() || droppedFile(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent *event)
{
    const QString path = OriginalText->isVisible() ? QString() : droppedFile(event->mimeData());
    if (path.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    // The sender waits for the drop to finish; a long book is opened after it has.
    QTimer::singleShot(0, this, [this, path] { OpenDroppedFile(path); });
}

void TForm1::OpenDroppedFile(const QString &path)
{
    if (!mayOpenOverEdits())
        return;
    MenuHilfeAus();
    if (!QFileInfo::exists(path))
        return;
    openFileFromUser(LongPathName(path));
}
