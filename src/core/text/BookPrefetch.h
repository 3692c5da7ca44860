#pragma once

#include "core/text/DocumentFormats.h"

#include <QString>

#include <memory>
#include <optional>
#include <thread>

// The book named on the command line, read and decoded on a thread of its own while the window
// is being built: on two cores the open then costs little more than the fit. Only plain text in
// the automatic code page is read ahead; archives, compressed books, HTML and RTF are not.
class BookPrefetch
{
public:
    // Nothing when path names no regular file of plain text.
    static std::unique_ptr<BookPrefetch> start(const QString &path);
    ~BookPrefetch();
    BookPrefetch(const BookPrefetch &) = delete;
    BookPrefetch &operator=(const BookPrefetch &) = delete;

    // Waits for the reading to end. The text when path is still the file that was read (the same
    // file, size and modification time) and it was read and decoded; else nothing, and the
    // caller reads the file itself.
    std::optional<ConversionResult> take(const QString &path);

    struct Identity
    {
        quint64 device = 0;
        quint64 inode = 0;
        qint64 size = -1;
        qint64 modifiedNs = 0;
        bool operator==(const Identity &) const = default;
    };

private:
    BookPrefetch() = default;
    Identity identity;
    std::optional<ConversionResult> result;
    std::thread worker;
};

// Nothing for a path that names no regular file.
std::optional<BookPrefetch::Identity> fileIdentity(const QString &path);
