#pragma once

#include "core/text/DocumentFormats.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

// What a path names, symbolic links followed.
enum class FileKind {
    Missing,
    Folder,
    Regular,
    // A device, FIFO or socket: never read, since reading may block or never end.
    Special,
};

FileKind fileKindOf(const QString &path);

// Opening a book holds its bytes, its decoded text and the fitted lines at once.
qint64 memoryNeededToOpen(qint64 size);
// The largest book that fits into the given memory.
qint64 largestOpenableSize(qint64 memoryAvailable);
// Physical memory the program may still take, in bytes.
qint64 availablePhysicalMemory();

enum class FileReadFailure { None, NotRegular, CannotOpen, TooLarge, ReadError };

struct [[nodiscard]] FileRead
{
    FileReadFailure failure = FileReadFailure::None;
    // The size the file had when it was opened; known for TooLarge as well.
    qint64 size = 0;
    QByteArray bytes;

    bool ok() const { return failure == FileReadFailure::None; }
};

// Reads a regular file up to the size it had when opened; a larger file than the memory can
// take is refused before anything is read.
// progress(bytesRead, size) is called on the calling thread as the bytes come in; a large file
// is read on up to `threads` threads.
FileRead readDocumentFile(const QString &path, qint64 memoryAvailable,
                          const std::function<void(qint64 done, qint64 size)> &progress = {},
                          int threads = 1);

// A file of plain text in the automatic code page. A large one in UTF-8 is read and decoded part
// by part, so that its bytes are never held whole beside its text: `converted` is then its text,
// as ConvertByExtension would give it. Otherwise `file` holds the bytes (or why they could not
// be read) for ConvertByExtension.
struct PlainTextRead
{
    FileRead file;
    std::optional<ConversionResult> converted;
};
// progress(percent) runs on the calling thread: for bytes read whole, reading is 0-50.
PlainTextRead readPlainTextDocument(const QString &path, qint64 memoryAvailable,
                                    const std::function<void(int percent)> &progress = {},
                                    int threads = 1);

// The message for a file refused by its size.
QString tooLargeMessage(qint64 size, qint64 memoryAvailable);
// For a book unpacked from an archive or a compressed file beyond the limit every such book
// has (limit bytes): its size, or -1 when it was not unpacked to its end.
QString tooLargeUnpackedMessage(qint64 size, qint64 limit);
