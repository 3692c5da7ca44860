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
    // The first entry, even when it is a folder; equal to memberList() exactly when the
    // archive lists one member.
    QString firstMember;
    // The first entry, then every later file entry, in archive order.
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
    QString error;
};

ArchiveListing ListArchiveMembers(const QString &archivePath);
ArchiveListing ListArchiveMembersInMemory(const QByteArray &archive);

// memberName is a name exactly as listed (case-sensitive).
MemberData ExtractMemberToMemory(const QString &archivePath, const QString &memberName,
                                 qint64 sizeLimit = MaxMemberSize);
MemberData ExtractMemberInMemory(const QByteArray &archive, const QString &memberName,
                                 qint64 sizeLimit = MaxMemberSize);
