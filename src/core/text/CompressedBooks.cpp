#include "core/text/CompressedBooks.h"

#include <QFile>
#include <QSet>

#include <archive.h>
#include <archive_entry.h>
#include <zlib.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <limits>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qint64 ChunkSize = 64 * 1024;
constexpr qint64 Unlimited = std::numeric_limits<qint64>::max();

const QLatin1StringView tarSuffixes[] = {
    QLatin1StringView(".tar"),     QLatin1StringView(".tar.gz"), QLatin1StringView(".tgz"),
    QLatin1StringView(".tar.bz2"), QLatin1StringView(".tbz2"),   QLatin1StringView(".tbz"),
    QLatin1StringView(".tar.xz"),  QLatin1StringView(".txz"),
};
const QLatin1StringView compressedSuffixes[] = {
    QLatin1StringView(".gz"),
    QLatin1StringView(".bz2"),
    QLatin1StringView(".xz"),
};

QStringView fileNameOf(const QString &path)
{
    return QStringView(path).sliced(path.lastIndexOf(u'/') + 1);
}

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// The file's bytes, or for a gzip file the bytes it unpacks to. libarchive's own gzip reader
// never compares the CRC, so a damaged stream would open as a garbled book; zlib's does.
class PackedFile
{
public:
    PackedFile() = default;
    PackedFile(const PackedFile &) = delete;
    PackedFile &operator=(const PackedFile &) = delete;
    ~PackedFile()
    {
        if (gz)
            gzclose_r(gz);
        if (fd >= 0)
            ::close(fd);
    }

    bool open(const QString &path)
    {
        if (path.isEmpty() || path.contains(QChar(0)))
            return fail(QStringLiteral("No such file"));
        // Not blocking: a FIFO named like a book must not hang the program.
        fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0)
            return fail(systemError());
        struct stat info;
        if (::fstat(fd, &info) != 0)
            return fail(systemError());
        if (!S_ISREG(info.st_mode))
            return fail(QStringLiteral("Not a regular file"));
        unsigned char magic[2];
        if (::pread(fd, magic, 2, 0) != 2 || magic[0] != 0x1f || magic[1] != 0x8b)
            return true;
        const int copy = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
        gz = copy >= 0 ? gzdopen(copy, "rb") : nullptr;
        if (!gz) {
            if (copy >= 0)
                ::close(copy);
            return fail(QStringLiteral("Cannot unpack the gzip stream"));
        }
        gzbuffer(gz, 128 * 1024);
        return true;
    }

    bool gzipped() const { return gz != nullptr; }

    // -1 on damage or a read error.
    qint64 read(char *buffer, qint64 size)
    {
        if (gz) {
            const int got = gzread(gz, buffer, unsigned(std::min<qint64>(size, INT_MAX)));
            // A stream cut short ends without an error from gzread itself.
            int code = Z_OK;
            const char *message = gzerror(gz, &code);
            if (got >= 0 && code == Z_OK)
                return got;
            fail(QString::fromUtf8(message));
            return -1;
        }
        for (;;) {
            const ssize_t got = ::read(fd, buffer, size_t(size));
            if (got >= 0)
                return got;
            if (errno != EINTR) {
                fail(systemError());
                return -1;
            }
        }
    }

    QString error;

private:
    bool fail(const QString &why)
    {
        error = why;
        return false;
    }

    int fd = -1;
    gzFile gz = nullptr;
};

struct ArchiveFree
{
    void operator()(archive *handle) const { archive_read_free(handle); }
};
using ArchivePtr = std::unique_ptr<archive, ArchiveFree>;

// Listing and extraction both name entries here, so that a listed name always finds its entry.
QString entryName(archive_entry *entry)
{
    if (const char *utf8 = archive_entry_pathname_utf8(entry))
        return QString::fromUtf8(utf8);
    const char *raw = archive_entry_pathname(entry);
    return raw ? QString::fromUtf8(raw) : QString();
}

// Only a regular file holds a book; a hard link's bytes are those of an earlier entry.
bool isMember(archive_entry *entry, const QString &name)
{
    return archive_entry_filetype(entry) == AE_IFREG && !archive_entry_hardlink(entry) &&
           !name.isEmpty() && !name.endsWith(u'/') && !name.endsWith(u'\\');
}

// The unpacked bytes of a compressed book, or of one tar member, read as they are unpacked.
class Unpacker : public ByteStream
{
public:
    Unpacker(const QString &path, Packing packing, qint64 sizeLimit)
        : path(path), tar(packing == Packing::Tar), limit(sizeLimit), block(ChunkSize)
    {
    }

    // For a tar archive, positioned before its first entry.
    bool open()
    {
        handle.reset();
        file = std::make_unique<PackedFile>();
        total = 0;
        declaredSize = -1;
        inEntry = false;
        atEnd = false;
        if (!file->open(path))
            return fail(ZipFailure::CannotOpenArchive, file->error);
        if (!tar && file->gzipped())
            return true;
        handle.reset(archive_read_new());
        if (!handle)
            return fail(ZipFailure::CannotOpenArchive, QStringLiteral("Out of memory"));
        archive_read_support_filter_bzip2(handle.get());
        archive_read_support_filter_xz(handle.get());
        if (tar)
            archive_read_support_format_tar(handle.get());
        else
            archive_read_support_format_raw(handle.get());
        if (archive_read_open(handle.get(), this, nullptr, &Unpacker::feed, nullptr) != ARCHIVE_OK)
            return archiveFailure(ZipFailure::CannotOpenArchive);
        if (tar)
            return true;
        archive_entry *entry = nullptr;
        if (archive_read_next_header(handle.get(), &entry) != ARCHIVE_OK)
            return archiveFailure(ZipFailure::CannotOpenArchive);
        // The raw reader takes any bytes; only the filter below it shows they were packed.
        if (archive_filter_count(handle.get()) < 2)
            return fail(ZipFailure::CannotOpenArchive, QStringLiteral("The file is not packed"));
        return true;
    }

    // The next tar entry: 1 with its header read, 0 at the end, -1 on damage.
    int nextEntry(archive_entry *&entry, QString &name)
    {
        inEntry = false;
        if (atEnd)
            return 0;
        const int result = archive_read_next_header(handle.get(), &entry);
        if (result == ARCHIVE_EOF) {
            atEnd = true;
            return 0;
        }
        if (result < ARCHIVE_WARN) {
            archiveFailure(ZipFailure::MemberUnreadable);
            return -1;
        }
        inEntry = true;
        name = entryName(entry);
        return 1;
    }

    bool findMember(const QString &member)
    {
        archive_entry *entry = nullptr;
        QString name;
        for (;;) {
            const int next = nextEntry(entry, name);
            if (next < 0)
                return false;
            if (next == 0)
                return fail(ZipFailure::MemberNotFound,
                            QStringLiteral("The archive holds no member named \"%1\"").arg(member));
            if (isMember(entry, name) && name == member) {
                if (archive_entry_size_is_set(entry))
                    declaredSize = archive_entry_size(entry);
                return true;
            }
        }
    }

    qint64 read(char *buffer, qint64 size) override
    {
        if (total > limit)
            return -1;
        const qint64 got = handle ? qint64(archive_read_data(handle.get(), buffer, size_t(size)))
                                  : file->read(buffer, size);
        if (got < 0) {
            if (handle)
                archiveFailure(ZipFailure::MemberUnreadable);
            else
                fail(ZipFailure::MemberUnreadable, file->error);
            return -1;
        }
        total += got;
        if (total > limit) {
            fail(ZipFailure::MemberTooLarge,
                 QStringLiteral("The book is larger than %1 bytes").arg(limit));
            return -1;
        }
        return got;
    }

    bool rewind() override { return open() && (member.isEmpty() || findMember(member)); }

    // The checks of a packed stream follow the data they cover; reading on to its end proves
    // the member read before it.
    bool readToEnd()
    {
        std::vector<char> sink(ChunkSize);
        if (handle) {
            la_ssize_t got = 0;
            while (inEntry &&
                   (got = archive_read_data(handle.get(), sink.data(), sink.size())) > 0) {
            }
            if (got < 0)
                return archiveFailure(ZipFailure::MemberUnreadable);
            archive_entry *entry = nullptr;
            QString name;
            int next;
            while ((next = nextEntry(entry, name)) > 0) {
            }
            if (next < 0)
                return false;
        }
        if (file->gzipped()) {
            qint64 got;
            while ((got = file->read(sink.data(), ChunkSize)) > 0) {
            }
            if (got < 0)
                return fail(ZipFailure::MemberUnreadable, file->error);
        }
        return true;
    }

    ZipFailure failure = ZipFailure::None;
    QString error;
    qint64 declaredSize = -1;
    // Remembered for rewind.
    QString member;

private:
    static la_ssize_t feed(archive *handle, void *self, const void **buffer)
    {
        auto *unpacker = static_cast<Unpacker *>(self);
        const qint64 got =
            unpacker->file->read(unpacker->block.data(), qint64(unpacker->block.size()));
        if (got < 0) {
            archive_set_error(handle, EIO, "%s", unpacker->file->error.toUtf8().constData());
            return -1;
        }
        *buffer = unpacker->block.data();
        return la_ssize_t(got);
    }

    bool fail(ZipFailure why, const QString &text)
    {
        failure = why;
        error = text;
        return false;
    }

    bool archiveFailure(ZipFailure why)
    {
        const char *text = archive_error_string(handle.get());
        return fail(why, text ? QString::fromUtf8(text) : QStringLiteral("Damaged data"));
    }

    QString path;
    bool tar;
    qint64 limit;
    qint64 total = 0;
    // Whether entry data may be read, and whether the last entry was seen.
    bool inEntry = false;
    bool atEnd = false;
    std::vector<char> block;
    std::unique_ptr<PackedFile> file;
    ArchivePtr handle;
};

MemberData tooLarge(qint64 size, qint64 limit)
{
    MemberData result =
        failedMember(ZipFailure::MemberTooLarge,
               QStringLiteral("The book is larger than %1 bytes").arg(QString::number(limit)));
    result.size = size;
    return result;
}

// Reading stops after limit bytes; past them the bytes are only counted, up to measureUpTo.
MemberData unpackWhole(Unpacker &unpacker, qint64 limit, qint64 measureUpTo)
{
    QByteArray bytes;
    if (unpacker.declaredSize >= 0)
        bytes.reserve(qsizetype(std::min<qint64>(unpacker.declaredSize, qint64(16) << 20)));
    std::vector<char> sink;
    qint64 counted = 0;
    for (;;) {
        const bool keeping = counted <= limit;
        qint64 got;
        if (keeping) {
            const qsizetype used = bytes.size();
            bytes.resize(used + ChunkSize);
            got = unpacker.read(bytes.data() + used, ChunkSize);
            bytes.resize(used + std::max<qint64>(got, 0));
        } else {
            if (sink.empty()) {
                bytes = QByteArray();
                sink.resize(ChunkSize);
            }
            got = unpacker.read(sink.data(), ChunkSize);
        }
        if (got < 0)
            return failedMember(unpacker.failure, unpacker.error);
        if (got == 0)
            break;
        counted += got;
        if (counted > limit && counted > measureUpTo)
            return tooLarge(-1, limit);
    }
    if (counted > limit)
        return tooLarge(counted, limit);
    MemberData result;
    result.ok = true;
    result.bytes = std::move(bytes);
    return result;
}

} // namespace

Packing PackingOf(const QString &fileName)
{
    const QStringView name = fileNameOf(fileName);
    if (name.endsWith(QLatin1StringView(".zip"), Qt::CaseInsensitive))
        return Packing::Zip;
    for (const QLatin1StringView suffix : tarSuffixes) {
        if (name.endsWith(suffix, Qt::CaseInsensitive))
            return Packing::Tar;
    }
    for (const QLatin1StringView suffix : compressedSuffixes) {
        if (name.endsWith(suffix, Qt::CaseInsensitive))
            return Packing::Compressed;
    }
    return Packing::None;
}

QString InnerBookName(const QString &fileName)
{
    if (PackingOf(fileName) != Packing::Compressed)
        return fileName;
    return fileName.left(fileName.lastIndexOf(u'.'));
}

ArchiveListing ListTarMembers(const QString &archivePath)
{
    ArchiveListing result;
    Unpacker unpacker(archivePath, Packing::Tar, Unlimited);
    const auto fail = [&result, &unpacker] {
        result.failure = unpacker.failure == ZipFailure::CannotOpenArchive
                             ? ZipFailure::CannotOpenArchive
                             : ZipFailure::MemberUnreadable;
        result.error = QStringLiteral("Cannot read the archive: %1").arg(unpacker.error);
        result.members.clear();
        result.firstMember.clear();
        return result;
    };
    if (!unpacker.open())
        return fail();
    QSet<QString> seen;
    archive_entry *entry = nullptr;
    QString name;
    int next;
    while ((next = unpacker.nextEntry(entry, name)) > 0) {
        if (!isMember(entry, name) || seen.contains(name))
            continue;
        seen.insert(name);
        if (result.members.isEmpty())
            result.firstMember = name;
        result.members.append(name);
    }
    // A damaged archive lists nothing, though its first members may have been read.
    if (next < 0 || !unpacker.readToEnd())
        return fail();
    if (result.members.isEmpty()) {
        result.failure = ZipFailure::NoMembers;
        result.error = QStringLiteral("The archive lists no members");
        return result;
    }
    result.ok = true;
    return result;
}

MemberData ExtractTarMember(const QString &archivePath, const QString &memberName, qint64 sizeLimit)
{
    const qint64 limit = std::max<qint64>(sizeLimit, 0);
    Unpacker unpacker(archivePath, Packing::Tar, Unlimited);
    if (!unpacker.open() || !unpacker.findMember(memberName))
        return failedMember(unpacker.failure, unpacker.error);
    // The header tells the size: nothing is unpacked for a member that would not be kept.
    if (unpacker.declaredSize > limit)
        return tooLarge(unpacker.declaredSize, limit);
    MemberData data = unpackWhole(unpacker, limit, 0);
    if (data.ok && !unpacker.readToEnd())
        return failedMember(unpacker.failure, unpacker.error);
    return data;
}

MemberData DecompressBook(const QString &path, qint64 sizeLimit, qint64 measureUpTo)
{
    Unpacker unpacker(path, Packing::Compressed, Unlimited);
    if (!unpacker.open())
        return failedMember(unpacker.failure, unpacker.error);
    return unpackWhole(unpacker, std::max<qint64>(sizeLimit, 0), measureUpTo);
}

ArchiveListing ListBookArchive(const QString &archivePath)
{
    if (PackingOf(archivePath) == Packing::Tar)
        return ListTarMembers(archivePath);
    return ListArchiveMembers(archivePath);
}

MemberData ExtractBookMember(const QString &archivePath, const QString &memberName,
                             qint64 sizeLimit)
{
    if (PackingOf(archivePath) == Packing::Tar)
        return ExtractTarMember(archivePath, memberName, sizeLimit);
    return ExtractMemberToMemory(archivePath, memberName, sizeLimit);
}

std::unique_ptr<ByteStream> OpenUnpackedStream(const QString &path, const QString &member,
                                               qint64 sizeLimit)
{
    const Packing packing = member.isEmpty() ? Packing::Compressed : Packing::Tar;
    auto unpacker = std::make_unique<Unpacker>(path, packing, std::max<qint64>(sizeLimit, 0));
    unpacker->member = member;
    if (!unpacker->rewind())
        return nullptr;
    if (unpacker->declaredSize > sizeLimit)
        return nullptr;
    return unpacker;
}

// Replaying a member from memory spares unpacking the archive again up to it; beyond this
// much the member is unpacked again instead.
constexpr qsizetype ReplayLimit = qsizetype(8) << 20;

class TarPass::Member : public ByteStream
{
public:
    Member(Unpacker &live, const QString &path, const QString &name, qint64 declared, qint64 limit)
        : live(live), path(path), name(name), declared(declared), limit(limit)
    {
    }

    qint64 read(char *buffer, qint64 size) override
    {
        if (again)
            return again->read(buffer, size);
        if (replayAt < recorded.size()) {
            const qsizetype count = qsizetype(std::min<qint64>(size, recorded.size() - replayAt));
            std::memcpy(buffer, recorded.constData() + replayAt, size_t(count));
            replayAt += count;
            return count;
        }
        if (declared > limit || total > limit)
            return -1;
        const qint64 got = live.read(buffer, size);
        if (got < 0)
            return -1;
        total += got;
        if (total > limit)
            return -1;
        if (recording && recorded.size() + got <= ReplayLimit) {
            recorded.append(buffer, qsizetype(got));
        } else if (recording) {
            recording = false;
            recorded = QByteArray();
        }
        replayAt = recorded.size();
        return got;
    }

    bool rewind() override
    {
        if (again)
            return again->rewind();
        if (recording) {
            replayAt = 0;
            return true;
        }
        again = OpenUnpackedStream(path, name, limit);
        return again != nullptr;
    }

private:
    Unpacker &live;
    QString path;
    QString name;
    qint64 declared;
    qint64 limit;
    qint64 total = 0;
    bool recording = true;
    QByteArray recorded;
    qsizetype replayAt = 0;
    std::unique_ptr<ByteStream> again;
};

class TarPass::State
{
public:
    explicit State(const QString &path) : path(path), unpacker(path, Packing::Tar, Unlimited)
    {
        broken = !unpacker.open();
    }

    QString path;
    Unpacker unpacker;
    QSet<QString> seen;
    QString name;
    qint64 declared = -1;
    bool broken = false;
    std::unique_ptr<Member> member;
};

TarPass::TarPass(const QString &archivePath) : state(std::make_unique<State>(archivePath)) {}

TarPass::~TarPass() = default;

bool TarPass::next()
{
    State &s = *state;
    s.member.reset();
    s.name.clear();
    s.declared = -1;
    if (s.broken)
        return false;
    archive_entry *entry = nullptr;
    QString name;
    for (;;) {
        const int next = s.unpacker.nextEntry(entry, name);
        if (next <= 0) {
            s.broken = next < 0;
            return false;
        }
        if (!isMember(entry, name) || s.seen.contains(name))
            continue;
        s.seen.insert(name);
        s.name = name;
        if (archive_entry_size_is_set(entry))
            s.declared = archive_entry_size(entry);
        return true;
    }
}

bool TarPass::failed() const
{
    return state->broken;
}

const QString &TarPass::name() const
{
    return state->name;
}

qint64 TarPass::declaredSize() const
{
    return state->declared;
}

ByteStream &TarPass::member(qint64 sizeLimit)
{
    State &s = *state;
    if (!s.member)
        s.member = std::make_unique<Member>(s.unpacker, s.path, s.name, s.declared,
                                            std::max<qint64>(sizeLimit, 0));
    return *s.member;
}
