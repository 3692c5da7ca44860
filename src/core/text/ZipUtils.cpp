#include "core/text/ZipUtils.h"

#include <QFile>

#include <zip.h>

#include <algorithm>
#include <memory>
#include <optional>

namespace {

struct ArchiveDiscarder
{
    void operator()(zip_t *archive) const { zip_discard(archive); }
};
using ArchivePtr = std::unique_ptr<zip_t, ArchiveDiscarder>;

struct FileCloser
{
    void operator()(zip_file_t *file) const { zip_fclose(file); }
};
using FilePtr = std::unique_ptr<zip_file_t, FileCloser>;

struct OpenedArchive
{
    ArchivePtr archive;
    QString error;
};

class ZipError
{
public:
    ZipError() { zip_error_init(&error_); }
    ~ZipError() { zip_error_fini(&error_); }
    ZipError(const ZipError &) = delete;
    ZipError &operator=(const ZipError &) = delete;

    zip_error_t *get() { return &error_; }
    QString text() { return QString::fromUtf8(zip_error_strerror(&error_)); }

private:
    zip_error_t error_;
};

OpenedArchive openSource(zip_source_t *source, ZipError &error)
{
    if (!source)
        return {nullptr, error.text()};
    zip_t *archive = zip_open_from_source(source, ZIP_RDONLY, error.get());
    if (!archive) {
        zip_source_free(source);
        return {nullptr, error.text()};
    }
    return {ArchivePtr(archive), {}};
}

OpenedArchive openFile(const QString &archivePath)
{
    if (archivePath.isEmpty() || archivePath.contains(QChar(0)))
        return {nullptr, QStringLiteral("No such file")};
    ZipError error;
    const QByteArray name = QFile::encodeName(archivePath);
    zip_source_t *source = zip_source_file_create(name.constData(), 0, -1, error.get());
    // The library would take no bytes at all for an empty archive.
    zip_stat_t stat;
    if (source && zip_source_stat(source, &stat) == 0 && (stat.valid & ZIP_STAT_SIZE) &&
        stat.size == 0) {
        zip_source_free(source);
        zip_error_set(error.get(), ZIP_ER_NOZIP, 0);
        return {nullptr, error.text()};
    }
    return openSource(source, error);
}

// The buffer must outlive the archive; the callers keep it for the whole call.
OpenedArchive openBuffer(const QByteArray &bytes)
{
    ZipError error;
    if (bytes.isEmpty()) {
        zip_error_set(error.get(), ZIP_ER_NOZIP, 0);
        return {nullptr, error.text()};
    }
    return openSource(
        zip_source_buffer_create(bytes.constData(), zip_uint64_t(bytes.size()), 0, error.get()),
        error);
}

// Listing and extraction both go through here so that a listed name always finds its entry.
std::optional<QString> entryName(zip_t *archive, zip_uint64_t index)
{
    const char *name = zip_get_name(archive, index, ZIP_FL_ENC_GUESS);
    if (!name)
        return std::nullopt;
    return QString::fromUtf8(name);
}

std::optional<zip_uint64_t> findEntry(zip_t *archive, const QString &memberName)
{
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        if (entryName(archive, zip_uint64_t(i)) == memberName)
            return zip_uint64_t(i);
    }
    return std::nullopt;
}

ArchiveListing listMembers(const OpenedArchive &opened)
{
    ArchiveListing result;
    if (!opened.archive) {
        result.failure = ZipFailure::CannotOpenArchive;
        result.error = QStringLiteral("Cannot open the archive: %1").arg(opened.error);
        return result;
    }
    zip_t *archive = opened.archive.get();
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const std::optional<QString> name = entryName(archive, zip_uint64_t(i));
        // An unnamed entry cannot be asked for again, so it is never listed.
        if (!name || name->isEmpty())
            continue;
        // A folder entry is no member: "zip -r" puts one before the book it holds.
        if (name->endsWith(u'/') || name->endsWith(u'\\'))
            continue;
        if (result.members.isEmpty())
            result.firstMember = *name;
        result.members.append(*name);
    }
    if (result.members.isEmpty()) {
        result.failure = ZipFailure::NoMembers;
        result.error = QStringLiteral("The archive lists no members");
        return result;
    }
    result.ok = true;
    return result;
}

MemberData extractMember(const OpenedArchive &opened, const QString &memberName, qint64 sizeLimit)
{
    if (!opened.archive)
        return failedMember(ZipFailure::CannotOpenArchive,
                      QStringLiteral("Cannot open the archive: %1").arg(opened.error));
    zip_t *archive = opened.archive.get();
    const std::optional<zip_uint64_t> index = findEntry(archive, memberName);
    if (!index)
        return failedMember(ZipFailure::MemberNotFound,
                      QStringLiteral("The archive holds no member named \"%1\"").arg(memberName));

    const auto unreadable = [&](const char *why) {
        return failedMember(ZipFailure::MemberUnreadable,
                      QStringLiteral("Cannot read the member \"%1\": %2")
                          .arg(memberName, QString::fromUtf8(why)));
    };
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(archive, *index, 0, &stat) != 0)
        return unreadable(zip_strerror(archive));
    const bool sizeDeclared = (stat.valid & ZIP_STAT_SIZE) != 0;
    const qint64 limit = std::max<qint64>(sizeLimit, 0);
    if (sizeDeclared && stat.size > zip_uint64_t(limit)) {
        MemberData tooLarge = failedMember(ZipFailure::MemberTooLarge,
                                     QStringLiteral("The member \"%1\" is larger than %2 bytes")
                                         .arg(memberName, QString::number(limit)));
        tooLarge.size = qint64(std::min<zip_uint64_t>(stat.size, zip_uint64_t(INT64_MAX)));
        return tooLarge;
    }

    FilePtr file(zip_fopen_index(archive, *index, 0));
    if (!file)
        return unreadable(zip_strerror(archive));

    // One byte beyond the expected end is asked for, to catch data that keeps coming.
    const qint64 expected = sizeDeclared ? qint64(stat.size) : limit;
    QByteArray bytes;
    bytes.reserve(std::min<qint64>(expected, qint64(16) << 20));
    constexpr qint64 chunkSize = 64 * 1024;
    char chunk[chunkSize];
    while (true) {
        const qint64 wanted = std::min(chunkSize, expected + 1 - bytes.size());
        const zip_int64_t got = zip_fread(file.get(), chunk, zip_uint64_t(wanted));
        if (got < 0)
            return unreadable(zip_file_strerror(file.get()));
        if (got == 0)
            break;
        bytes.append(chunk, qsizetype(got));
        if (bytes.size() > expected) {
            if (!sizeDeclared)
                return failedMember(ZipFailure::MemberTooLarge,
                              QStringLiteral("The member \"%1\" is larger than %2 bytes")
                                  .arg(memberName, QString::number(limit)));
            return failedMember(ZipFailure::MemberTooLarge,
                          QStringLiteral("The member \"%1\" holds more than its declared %2 bytes")
                              .arg(memberName, QString::number(expected)));
        }
    }
    if (sizeDeclared && bytes.size() != expected)
        return failedMember(ZipFailure::MemberUnreadable,
                      QStringLiteral("The member \"%1\" ends before its declared %2 bytes")
                          .arg(memberName, QString::number(expected)));

    // Decoding ends the text at its first NUL character; cut here, UTF-16 would end at once.
    MemberData result;
    result.ok = true;
    result.bytes = std::move(bytes);
    return result;
}

} // namespace

QString ArchiveListing::memberList() const
{
    return members.join(QStringLiteral("\r\n"));
}

ArchiveListing ListArchiveMembers(const QString &archivePath)
{
    return listMembers(openFile(archivePath));
}

ArchiveListing ListArchiveMembersInMemory(const QByteArray &archive)
{
    return listMembers(openBuffer(archive));
}

MemberData ExtractMemberToMemory(const QString &archivePath, const QString &memberName,
                                 qint64 sizeLimit)
{
    return extractMember(openFile(archivePath), memberName, sizeLimit);
}

MemberData ExtractMemberInMemory(const QByteArray &archive, const QString &memberName,
                                 qint64 sizeLimit)
{
    return extractMember(openBuffer(archive), memberName, sizeLimit);
}
