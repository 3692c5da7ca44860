#pragma once

#include "core/text/ByteStream.h"
#include "core/text/ZipUtils.h"

#include <QString>

#include <memory>

// How a file holds its book, as its name tells (case ignored):
// Zip - ".zip"; Tar - ".tar", ".tar.gz", ".tgz", ".tar.bz2", ".tbz2", ".tbz", ".tar.xz", ".txz";
// Compressed - any other name ending in ".gz", ".bz2" or ".xz", one book packed alone.
enum class Packing { None, Zip, Tar, Compressed };

Packing PackingOf(const QString &fileName);

// Zip and Tar files hold members to choose from.
inline bool HoldsMembers(Packing packing)
{
    return packing == Packing::Zip || packing == Packing::Tar;
}

// The name of the book a compressed file holds: "novel.html.gz" holds "novel.html". Other names
// are returned as they are.
QString InnerBookName(const QString &fileName);

// The members of a tar archive, plain or compressed: its regular files in archive order, each
// name once. Folders, links and special files are no members.
ArchiveListing ListTarMembers(const QString &archivePath);

// The first member of that name. A member whose header declares more than sizeLimit bytes is
// refused before anything is read.
MemberData ExtractTarMember(const QString &archivePath, const QString &memberName,
                            qint64 sizeLimit = MaxMemberSize);

// The whole book of a compressed file. Its size is known only once it has been unpacked, so
// reading stops after sizeLimit bytes; a file that holds more gives MemberTooLarge, with its
// size when it ends within measureUpTo bytes (unpacked and counted, not kept) and -1 otherwise.
MemberData DecompressBook(const QString &path, qint64 sizeLimit = MaxMemberSize,
                          qint64 measureUpTo = 0);

// ZIP and tar archives alike, by the archive's name.
ArchiveListing ListBookArchive(const QString &archivePath);
MemberData ExtractBookMember(const QString &archivePath, const QString &memberName,
                             qint64 sizeLimit = MaxMemberSize);

// The unpacked bytes of a compressed file (member empty) or of a tar member, read as they are
// unpacked. Reading beyond sizeLimit bytes, or damaged data, gives -1. Null when the file
// cannot be opened, is not compressed, or holds no such member.
std::unique_ptr<ByteStream> OpenUnpackedStream(const QString &path, const QString &member,
                                               qint64 sizeLimit = MaxMemberSize);

// A tar archive read once from its start, member after member in archive order, so that work
// on every member costs one unpacking of the archive, not one per member.
class TarPass
{
public:
    explicit TarPass(const QString &archivePath);
    ~TarPass();
    TarPass(const TarPass &) = delete;
    TarPass &operator=(const TarPass &) = delete;

    // Moves to the next member (as ListTarMembers names them, a repeated name skipped); false at
    // the end or when the archive cannot be read on (failed() tells which).
    bool next();
    bool failed() const;
    const QString &name() const;
    // The size the member's header declares, -1 when it declares none.
    qint64 declaredSize() const;
    // The current member's bytes, valid until next(). Reading beyond sizeLimit gives -1; a
    // rewind replays what was read, or unpacks the archive again up to the member when more
    // than a few megabytes were read.
    ByteStream &member(qint64 sizeLimit = MaxMemberSize);

private:
    class Member;
    class State;
    std::unique_ptr<State> state;
};
