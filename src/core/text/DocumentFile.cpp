#include "core/text/DocumentFile.h"

#include "core/base/ParallelWork.h"
#include "core/text/DocumentFormats.h"

#include <QFile>
#include <QLocale>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qint64 kMaxInt64 = std::numeric_limits<qint64>::max();

bool encodable(const QString &path)
{
    return !path.isEmpty() && !path.contains(QChar(0));
}

class Descriptor
{
public:
    explicit Descriptor(int fd) : fd(fd) {}
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;

    const int fd;
};

FileRead failedRead(FileReadFailure failure, qint64 size = 0)
{
    FileRead result;
    result.failure = failure;
    result.size = size;
    return result;
}

QString dataSize(qint64 bytes)
{
    return QLocale::c().formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
}

// MemAvailable of /proc/meminfo in bytes, or -1.
qint64 memAvailableFromProc()
{
    std::FILE *meminfo = std::fopen("/proc/meminfo", "re");
    if (!meminfo)
        return -1;
    qint64 result = -1;
    char line[256];
    while (std::fgets(line, sizeof line, meminfo)) {
        long long kilobytes = 0;
        if (std::sscanf(line, "MemAvailable: %lld kB", &kilobytes) == 1) {
            result = kilobytes >= kMaxInt64 / 1024 ? kMaxInt64 : qint64(kilobytes) * 1024;
            break;
        }
    }
    std::fclose(meminfo);
    return result;
}

} // namespace

FileKind fileKindOf(const QString &path)
{
    if (!encodable(path))
        return FileKind::Missing;
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return FileKind::Missing;
    if (S_ISDIR(info.st_mode))
        return FileKind::Folder;
    return S_ISREG(info.st_mode) ? FileKind::Regular : FileKind::Special;
}

qint64 memoryNeededToOpen(qint64 size)
{
    if (size <= 0)
        return 0;
    if (size > kMaxInt64 / 16)
        return kMaxInt64;
    return size * 16 / 5;
}

qint64 largestOpenableSize(qint64 memoryAvailable)
{
    if (memoryAvailable <= 0)
        return 0;
    return memoryAvailable / 16 * 5 + memoryAvailable % 16 * 5 / 16;
}

qint64 availablePhysicalMemory()
{
    const qint64 fromProc = memAvailableFromProc();
    if (fromProc >= 0)
        return fromProc;
    const long pages = ::sysconf(_SC_AVPHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (pages < 0 || pageSize <= 0)
        return kMaxInt64;
    return qint64(pages) > kMaxInt64 / pageSize ? kMaxInt64 : qint64(pages) * pageSize;
}

namespace {

// Opens path for reading when it is a regular file no larger than the memory can take; failure
// says why not.
int openDocumentFile(const QString &path, qint64 memoryAvailable, FileRead &failure)
{
    if (!encodable(path)) {
        failure = failedRead(FileReadFailure::CannotOpen);
        return -1;
    }
    const QByteArray name = QFile::encodeName(path);
    // Opening some devices has effects of its own; they are not even opened.
    struct stat info;
    if (::stat(name.constData(), &info) != 0) {
        failure = failedRead(FileReadFailure::CannotOpen);
        return -1;
    }
    if (!S_ISREG(info.st_mode)) {
        failure = failedRead(FileReadFailure::NotRegular);
        return -1;
    }
    // Without O_NONBLOCK a FIFO put in the file's place since would block the open.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        failure = failedRead(FileReadFailure::CannotOpen);
        return -1;
    }
    FileRead checked;
    if (::fstat(fd, &info) != 0)
        checked = failedRead(FileReadFailure::ReadError);
    else if (!S_ISREG(info.st_mode))
        checked = failedRead(FileReadFailure::NotRegular);
    else if (info.st_size > largestOpenableSize(memoryAvailable))
        checked = failedRead(FileReadFailure::TooLarge, info.st_size);
    if (!checked.ok()) {
        ::close(fd);
        failure = checked;
        return -1;
    }
    failure = FileRead();
    failure.size = info.st_size;
    return fd;
}

} // namespace

FileRead readDocumentFile(const QString &path, qint64 memoryAvailable,
                          const std::function<void(qint64, qint64)> &progress, int threads)
{
    FileRead opened;
    const Descriptor file(openDocumentFile(path, memoryAvailable, opened));
    if (file.fd < 0)
        return opened;
    const qint64 size = opened.size;
    FileRead result;
    result.size = size;
    try {
        result.bytes.resize(size);
    } catch (const std::bad_alloc &) {
        return failedRead(FileReadFailure::TooLarge, size);
    }
    // Pieces small enough for the progress of a large book to move, read on several threads:
    // most of the time goes into the first touch of the buffer's pages.
    constexpr qint64 piece = qint64(16) << 20;
    const int pieces = int((size + piece - 1) / piece);
    std::vector<qint64> got(size_t(pieces), 0);
    std::atomic<bool> failed{false};
    parallelFor(
        pieces, threads,
        [&](int k, int) {
            const qint64 from = k * piece;
            const qint64 wanted = std::min(size - from, piece);
            qint64 &have = got[size_t(k)];
            while (have < wanted && !failed) {
                const ssize_t n = ::pread(file.fd, result.bytes.data() + from + have,
                                          size_t(wanted - have), off_t(from + have));
                if (n < 0 && errno == EINTR)
                    continue;
                if (n < 0)
                    failed = true;
                if (n <= 0)
                    break;
                have += n;
            }
        },
        [&](int done) {
            if (progress)
                progress(std::min(size, done * piece), size);
        });
    if (failed)
        return failedRead(FileReadFailure::ReadError, size);
    // A file that grows meanwhile is read up to the size it had, so the read always ends; one
    // that shrinks is read up to its first short piece.
    qint64 total = 0;
    for (int k = 0; k < pieces; ++k) {
        total += got[size_t(k)];
        if (got[size_t(k)] < std::min(size - k * piece, piece))
            break;
    }
    result.bytes.truncate(total);
    return result;
}

PlainTextRead readPlainTextDocument(const QString &path, qint64 memoryAvailable,
                                    const std::function<void(int percent)> &progress, int threads)
{
    PlainTextRead result;
    {
        const Descriptor file(openDocumentFile(path, memoryAvailable, result.file));
        if (file.fd < 0)
            return result;
        constexpr qint64 kInPartsFrom = qint64(8) << 20;
        if (result.file.size >= kInPartsFrom) {
            const qint64 size = result.file.size;
            const Utf8PartRead read = [&file, size](qsizetype from, qsizetype count, char *into) {
                if (count < 0 || from < 0 || from + count > size)
                    return false;
                qsizetype have = 0;
                while (have < count) {
                    const ssize_t n = ::pread(file.fd, into + have, size_t(count - have),
                                              off_t(from + have));
                    if (n < 0 && errno == EINTR)
                        continue;
                    if (n <= 0)
                        return false;
                    have += n;
                }
                return true;
            };
            result.converted = ConvertUtf8Parts(size, read, progress, threads);
            // A file that could not be read to its end this way (it shrank, say) is read whole.
            if (result.converted && result.converted->ok)
                return result;
            result.converted.reset();
        }
    }
    // Reading is the first half of the percentages, decoding the second.
    result.file = readDocumentFile(
        path, memoryAvailable,
        [&progress](qint64 done, qint64 size) {
            if (progress)
                progress(static_cast<int>(done * 50 / std::max<qint64>(1, size)));
        },
        threads);
    return result;
}

QString tooLargeMessage(qint64 size, qint64 memoryAvailable)
{
    return QStringLiteral("This file is too large to open: %1 (%2 bytes).\rOpening it needs "
                          "about %3 of memory; %4 are available.")
        .arg(dataSize(size), QString::number(size), dataSize(memoryNeededToOpen(size)),
             dataSize(std::max<qint64>(memoryAvailable, 0)));
}

QString tooLargeUnpackedMessage(qint64 size, qint64 limit)
{
    const QString what = size < 0 ? QStringLiteral("it unpacks to more than %1 (%2 bytes)")
                                        .arg(dataSize(limit), QString::number(limit))
                                  : QStringLiteral("%1 (%2 bytes)")
                                        .arg(dataSize(size), QString::number(size));
    return QStringLiteral("This file is too large to open: %1.\rA book unpacked from an archive "
                          "or a compressed file may hold at most %2.")
        .arg(what, dataSize(limit));
}
