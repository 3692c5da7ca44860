#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Members larger than this are refused unless the caller passes another limit: a tiny archive
// can inflate to gigabytes.
inline constexpr qint64 MaxMemberSize = qint64(1) << 30;

enum class ZipFailure {
    None,
    CannotOpenArchive,
    NoMembers,
    MemberNotFound,
    MemberUnreadable,
    MemberTooLarge,
};

struct [[nodiscard]] ArchiveListing
{
    bool ok = false;
    ZipFailure failure = ZipFailure::None;
    // The first file entry; equal to memberList() exactly when the archive lists one member.
    QString firstMember;
    // Every file entry in archive order; folder entries are no members.
    QStringList members;
    QString error;

    QString memberList() const;
};

struct [[nodiscard]] MemberData
{
    bool ok = false;
    ZipFailure failure = ZipFailure::None;
    // The member's whole content; NUL bytes included.
    QByteArray bytes;
    // For MemberTooLarge: the size the archive declares for the member, -1 when it declares none.
    qint64 size = -1;
    QString error;
};

// A result that failed for `failure`, with the message `error`.
inline MemberData failedMember(ZipFailure failure, const QString &error)
{
    MemberData result;
    result.failure = failure;
    result.error = error;
    return result;
}

ArchiveListing ListArchiveMembers(const QString &archivePath);
ArchiveListing ListArchiveMembersInMemory(const QByteArray &archive);

// memberName is a name exactly as listed (case-sensitive).
MemberData ExtractMemberToMemory(const QString &archivePath, const QString &memberName,
                                 qint64 sizeLimit = MaxMemberSize);
MemberData ExtractMemberInMemory(const QByteArray &archive, const QString &memberName,
                                 qint64 sizeLimit = MaxMemberSize);
