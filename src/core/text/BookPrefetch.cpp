#include "core/text/BookPrefetch.h"

#include "core/text/CompressedBooks.h"
#include "core/text/DocumentFile.h"
#include "core/base/ParallelWork.h"

#include <QFile>

#include <sys/stat.h>

std::optional<BookPrefetch::Identity> fileIdentity(const QString &path)
{
    struct stat info;
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &info) != 0 ||
        !S_ISREG(info.st_mode))
        return std::nullopt;
    return BookPrefetch::Identity{quint64(info.st_dev), quint64(info.st_ino), qint64(info.st_size),
                                  qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
}

std::unique_ptr<BookPrefetch> BookPrefetch::start(const QString &path)
{
    const QString ext = upperExtension(path);
    if (PackingOf(path) != Packing::None || ext == u".RTF" || ext == u".HTM" || ext == u".HTML")
        return nullptr;
    const std::optional<Identity> before = fileIdentity(path);
    if (!before)
        return nullptr;
    std::unique_ptr<BookPrefetch> prefetch(new BookPrefetch);
    prefetch->identity = *before;
    prefetch->worker = std::thread([p = prefetch.get(), path, ext] {
        try {
            // A large book still wants every core once the window is up.
            const int threads = usableThreadCount();
            PlainTextRead read =
                readPlainTextDocument(path, availablePhysicalMemory(), {}, threads);
            if (read.converted) {
                p->result = std::move(read.converted);
                return;
            }
            if (!read.file.ok())
                return;
            ConversionResult converted = ConvertByExtension(read.file.bytes, ext, {}, {}, threads);
            if (converted.ok)
                p->result = std::move(converted);
        } catch (const std::bad_alloc &) {
            // The open reads the file again and says what went wrong.
        }
    });
    return prefetch;
}

BookPrefetch::~BookPrefetch()
{
    if (worker.joinable())
        worker.join();
}

std::optional<ConversionResult> BookPrefetch::take(const QString &path)
{
    if (worker.joinable())
        worker.join();
    std::optional<ConversionResult> taken = std::move(result);
    result.reset();
    if (fileIdentity(path) != std::optional<Identity>(identity))
        return std::nullopt;
    return taken;
}
