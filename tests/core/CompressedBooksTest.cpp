#include "core/text/CompressedBooks.h"
#include "PackingSupport.h"
#include "TestSupport.h"
#include "core/text/DocumentFormats.h"
#include "core/text/FindInFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <vector>

// Readable failure messages for entry lists.
void PrintTo(const FoundEntry &entry, std::ostream *os)
{
    *os << entry.path.toStdString() << " | " << entry.member.toStdString();
}

namespace {

// Long enough to cross every block and chunk boundary; Cyrillic shows the bytes pass unchanged.
QByteArray bookBytes(const char *word)
{
    QByteArray text;
    for (int i = 1; i <= 6000; ++i)
        text += QByteArray(word) + " \xd0\x93\xd0\xbb\xd0\xb0\xd0\xb2\xd0\xb0 line " +
                QByteArray::number(i) + "\r\n";
    return text;
}

const QByteArray kHtml = "<html><body><p>The <b>old</b> man</p><p>and the sea</p></body></html>";

// Everything a stream gives in pieces of the size find in files reads; empty on failure.
std::optional<QByteArray> readStream(ByteStream &stream)
{
    QByteArray all;
    char block[1000];
    for (;;) {
        const qint64 got = stream.read(block, sizeof block);
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            return all;
        all.append(block, got);
    }
}

std::optional<QByteArray> streamOf(const QString &path, const QString &member = {},
                                   qint64 limit = MaxMemberSize)
{
    const std::unique_ptr<ByteStream> stream = OpenUnpackedStream(path, member, limit);
    if (!stream)
        return std::nullopt;
    return readStream(*stream);
}

long peakResidentKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

const QStringList kCompressions = {QStringLiteral("gz"), QStringLiteral("bz2"),
                                   QStringLiteral("xz")};

} // namespace

TEST(CompressedBooksTest, NamesTellHowTheBookIsPacked)
{
    const struct
    {
        const char *name;
        Packing packing;
        const char *inner;
    } cases[] = {
        {"/b/book.txt.gz", Packing::Compressed, "/b/book.txt"},
        {"/b/Novel.HTML.BZ2", Packing::Compressed, "/b/Novel.HTML"},
        {"/b/book.xz", Packing::Compressed, "/b/book"},
        {"/b/books.tar.gz", Packing::Tar, "/b/books.tar.gz"},
        {"/b/books.TGZ", Packing::Tar, "/b/books.TGZ"},
        {"/b/books.tar.bz2", Packing::Tar, "/b/books.tar.bz2"},
        {"/b/books.tar.xz", Packing::Tar, "/b/books.tar.xz"},
        {"/b/books.tar", Packing::Tar, "/b/books.tar"},
        {"/b/books.Zip", Packing::Zip, "/b/books.Zip"},
        {"/b.gz/book.txt", Packing::None, "/b.gz/book.txt"},
        {"/b/book.gzip", Packing::None, "/b/book.gzip"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(PackingOf(QString::fromUtf8(c.name)), c.packing);
        EXPECT_EQ(InnerBookName(QString::fromUtf8(c.name)), QString::fromUtf8(c.inner));
    }
}

// Whichever the compression, the book inside comes back byte for byte, whole or as a stream read
// twice over, and the name inside decides its conversion.
TEST(CompressedBooksTest, CompressedBooksUnpackToTheBookInside)
{
    const QString dir = makeTempDir();
    const QByteArray text = bookBytes("Word");
    for (const QString &suffix : kCompressions) {
        for (const char *inner : {"book.txt", "novel.html"}) {
            const QString path = dir + u'/' + QLatin1StringView(inner) + u'.' + suffix;
            SCOPED_TRACE(path.toStdString());
            const bool html = QByteArray(inner).endsWith(".html");
            const QByteArray original = html ? kHtml : text;
            writeFileBytes(path, compressed(original, suffix));

            const MemberData data = DecompressBook(path);
            ASSERT_TRUE(data.ok) << data.error.toStdString();
            EXPECT_EQ(data.bytes, original);
            const std::unique_ptr<ByteStream> stream = OpenUnpackedStream(path, {});
            ASSERT_TRUE(stream);
            EXPECT_EQ(readStream(*stream), original);
            ASSERT_TRUE(stream->rewind());
            EXPECT_EQ(readStream(*stream), original);

            const QString converted =
                ConvertByExtension(data.bytes, upperExtension(InnerBookName(path))).text;
            if (html) {
                EXPECT_EQ(converted.simplified(), QStringLiteral("The OLD man and the sea"))
                    << converted.toStdString();
            } else {
                EXPECT_TRUE(converted.startsWith(QString::fromUtf8(text.left(40))));
            }
        }
    }
}

// Nothing of a damaged stream is taken for the book, wherever the damage lies.
TEST(CompressedBooksTest, DamagedOrFalseStreamsAreRefused)
{
    const QString dir = makeTempDir();
    const QByteArray text = bookBytes("Damaged");
    struct Damage
    {
        const char *name;
        std::function<QByteArray(QByteArray)> apply;
    };
    const Damage damages[] = {
        {"truncated", [](QByteArray b) { return b.left(b.size() / 2); }},
        {"cut before its last byte", [](QByteArray b) { return b.left(b.size() - 1); }},
        {"a bit flipped in the middle",
         [](QByteArray b) {
             b[b.size() / 2] = char(b[b.size() / 2] ^ 0x10);
             return b;
         }},
        // Where the check sums lie: the gzip CRC, the bzip2 stream CRC, the xz block check.
        {"a bit flipped near the end",
         [](QByteArray b) {
             const qsizetype at = b.startsWith("\x1f\x8b") ? b.size() - 8
                                  : b.startsWith("BZh")    ? b.size() - 3
                                                           : b.size() - 20;
             b[at] = char(b[at] ^ 0x01);
             return b;
         }},
        {"not compressed at all", [&text](QByteArray) { return text; }},
        {"empty", [](QByteArray) { return QByteArray(); }},
    };
    for (const QString &suffix : kCompressions) {
        const QByteArray packed = compressed(text, suffix);
        for (const Damage &damage : damages) {
            const QString path = dir + QStringLiteral("/book.txt.") + suffix;
            SCOPED_TRACE(path.toStdString() + ", " + damage.name);
            writeFileBytes(path, damage.apply(packed));
            const MemberData data = DecompressBook(path);
            EXPECT_FALSE(data.ok);
            EXPECT_TRUE(data.bytes.isEmpty());
            EXPECT_FALSE(streamOf(path).has_value());
        }
    }
    for (const QString &missing : {dir + QStringLiteral("/missing.txt.gz"), dir}) {
        EXPECT_EQ(DecompressBook(missing).failure, ZipFailure::CannotOpenArchive);
        EXPECT_EQ(OpenUnpackedStream(missing, {}), nullptr);
    }
}

// A tiny file that unpacks to 2 GiB stops at the limit, in time and memory.
TEST(CompressedBooksTest, BombsStopAtTheLimit)
{
    const QString dir = makeTempDir();
    const qint64 MiB = qint64(1) << 20;
    for (const QString &suffix : kCompressions) {
        // Concatenated streams unpack to their bytes one after another.
        const QByteArray piece = compressed(QByteArray(MiB, '\0'), suffix);
        const QString bomb = dir + QStringLiteral("/bomb.txt.") + suffix;
        const QString three = dir + QStringLiteral("/three.txt.") + suffix;
        writeFileBytes(bomb, piece.repeated(2048));
        writeFileBytes(three, piece.repeated(3));
        SCOPED_TRACE(bomb.toStdString());
        ASSERT_LT(QFile(bomb).size(), 16 * MiB);
        const long before = peakResidentKiB();

        const struct
        {
            const char *name;
            QString path;
            qint64 limit;
            qint64 measureUpTo;
            bool ok;
            qint64 size;
        } cases[] = {
            {"bomb", bomb, MiB, 0, false, -1},
            {"bomb, measured up to a bound", bomb, MiB, 8 * MiB, false, -1},
            {"book over the limit", three, MiB, 0, false, -1},
            {"book over the limit, measured", three, MiB, 8 * MiB, false, 3 * MiB},
            {"book at the limit", three, 3 * MiB, 0, true, -1},
        };
        for (const auto &c : cases) {
            SCOPED_TRACE(c.name);
            const MemberData data = DecompressBook(c.path, c.limit, c.measureUpTo);
            EXPECT_EQ(data.ok, c.ok) << data.error.toStdString();
            EXPECT_EQ(data.failure, c.ok ? ZipFailure::None : ZipFailure::MemberTooLarge);
            EXPECT_EQ(data.size, c.size);
            EXPECT_EQ(data.bytes.size(), c.ok ? c.limit : 0);
        }
        const std::unique_ptr<ByteStream> stream = OpenUnpackedStream(bomb, {}, MiB);
        ASSERT_TRUE(stream);
        EXPECT_FALSE(readStream(*stream).has_value());
        EXPECT_LT(peakResidentKiB() - before, 256 * 1024);
    }
}

// Tar archives list their regular files in archive order, each once, plain or compressed.
TEST(CompressedBooksTest, TarArchivesListAndExtractTheirBooks)
{
    const QString dir = makeTempDir();
    const QString books = dir + QStringLiteral("/books");
    const QByteArray a = bookBytes("Alpha");
    const QByteArray chapter = bookBytes("Chapter");
    writeFileBytes(books + QStringLiteral("/novel/a.txt"), a);
    writeFileBytes(books + QStringLiteral("/novel/sub/b.html"), kHtml);
    writeFileBytes(books + u"/novel/Глава.txt"_qs, chapter);
    writeFileBytes(books + QStringLiteral("/one.txt"), a);
    ASSERT_TRUE(QFile::link(QStringLiteral("a.txt"), books + QStringLiteral("/novel/link.txt")));
    ASSERT_EQ(::link(QFile::encodeName(books + QStringLiteral("/novel/a.txt")).constData(),
                     QFile::encodeName(books + QStringLiteral("/novel/hard.txt")).constData()),
              0);
    const QStringList several = {
        QStringLiteral("novel"),
        QStringLiteral("novel/a.txt"),
        QStringLiteral("novel/sub"),
        QStringLiteral("novel/sub/b.html"),
        u"novel/Глава.txt"_qs,
        QStringLiteral("novel/link.txt"),
        QStringLiteral("novel/hard.txt"),
        QStringLiteral("novel/sub"),
    };
    const QStringList members = {QStringLiteral("novel/a.txt"), QStringLiteral("novel/sub/b.html"),
                                 u"novel/Глава.txt"_qs};
    const QList<QByteArray> contents = {a, kHtml, chapter};

    const struct
    {
        const char *name;
        const char *compression;
    } kinds[] = {
        {".tar", ""}, {".tar.gz", "gz"}, {".tgz", "gz"}, {".tar.bz2", "bz2"}, {".tar.xz", "xz"}};
    for (const auto &kind : kinds) {
        SCOPED_TRACE(kind.name);
        const QString many = dir + QStringLiteral("/many") + QLatin1StringView(kind.name);
        const QString one = dir + QStringLiteral("/one") + QLatin1StringView(kind.name);
        writeTar(many, books, several, QString::fromLatin1(kind.compression));
        writeTar(one, books, {QStringLiteral("one.txt")}, QString::fromLatin1(kind.compression));
        ASSERT_EQ(PackingOf(many), Packing::Tar);

        const ArchiveListing listing = ListBookArchive(many);
        ASSERT_TRUE(listing.ok) << listing.error.toStdString();
        EXPECT_EQ(listing.members, members);
        EXPECT_EQ(listing.firstMember, members.first());
        for (qsizetype i = 0; i < members.size(); ++i) {
            SCOPED_TRACE(members[i].toStdString());
            const MemberData data = ExtractBookMember(many, members[i]);
            ASSERT_TRUE(data.ok) << data.error.toStdString();
            EXPECT_EQ(data.bytes, contents[i]);
            EXPECT_EQ(streamOf(many, members[i]), contents[i]);
        }
        const ArchiveListing single = ListBookArchive(one);
        ASSERT_TRUE(single.ok) << single.error.toStdString();
        EXPECT_EQ(single.members, QStringList{QStringLiteral("one.txt")});
        EXPECT_EQ(single.firstMember, single.memberList());
    }
}

TEST(CompressedBooksTest, TarArchivesThatCannotGiveTheBookFail)
{
    const QString dir = makeTempDir();
    const QString books = dir + QStringLiteral("/books");
    const QByteArray text = bookBytes("Tar");
    writeFileBytes(books + QStringLiteral("/book.txt"), text);
    QDir().mkpath(books + QStringLiteral("/empty"));
    // Sparse, so that neither tar nor the test writes its 2 GiB.
    QFile huge(books + QStringLiteral("/huge.txt"));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly) && huge.resize(qint64(2) << 30));
    huge.close();

    const QString good = dir + QStringLiteral("/good.tar.gz");
    writeTar(good, books, {QStringLiteral("book.txt")}, QStringLiteral("gz"));
    const QString gz = dir + QStringLiteral("/damaged.tar.gz");
    QByteArray damaged = readFileBytes(good);
    damaged[damaged.size() / 2] = char(damaged[damaged.size() / 2] ^ 0x10);
    writeFileBytes(gz, damaged);
    const QString xz = dir + QStringLiteral("/cut.tar.xz");
    writeTar(xz, books, {QStringLiteral("book.txt")}, QStringLiteral("xz"));
    writeFileBytes(xz, readFileBytes(xz).chopped(100));
    const QString folders = dir + QStringLiteral("/folders.tar");
    writeTar(folders, books, {QStringLiteral("empty")});
    const QString notTar = dir + QStringLiteral("/text.tar");
    writeFileBytes(notTar, text);
    const QString bomb = dir + QStringLiteral("/bomb.tar.xz");
    runTool(
        books, QStringLiteral("tar"),
        {QStringLiteral("-cSJf"), bomb, QStringLiteral("book.txt"), QStringLiteral("huge.txt")});
    ASSERT_LT(QFile(bomb).size(), 1 << 20);

    const struct
    {
        const char *name;
        QString path;
        QString member;
        qint64 limit;
        ZipFailure listed; // None: listed
        ZipFailure extracted;
        qint64 size;
        // A stream is not read on beyond its member, to the check sums after it.
        bool noStream;
    } cases[] = {
        {"no such member", good, "other.txt", MaxMemberSize, ZipFailure::None,
         ZipFailure::MemberNotFound, -1, true},
        {"member over the limit", good, "book.txt", text.size() - 1, ZipFailure::None,
         ZipFailure::MemberTooLarge, text.size(), false},
        {"member declaring 2 GiB", bomb, "huge.txt", MaxMemberSize, ZipFailure::None,
         ZipFailure::MemberTooLarge, qint64(2) << 30, true},
        {"damaged gzip stream", gz, "book.txt", MaxMemberSize, ZipFailure::MemberUnreadable,
         ZipFailure::MemberUnreadable, -1, false},
        {"truncated xz stream", xz, "book.txt", MaxMemberSize, ZipFailure::MemberUnreadable,
         ZipFailure::MemberUnreadable, -1, false},
        {"only a folder", folders, "empty", MaxMemberSize, ZipFailure::NoMembers,
         ZipFailure::MemberNotFound, -1, true},
        {"no tar at all", notTar, "book.txt", MaxMemberSize, ZipFailure::CannotOpenArchive,
         ZipFailure::CannotOpenArchive, -1, true},
    };
    const long before = peakResidentKiB();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        // Damage may show as soon as the archive is opened.
        const auto sameFailure = [](ZipFailure got, ZipFailure expected) {
            return got == expected || (expected == ZipFailure::MemberUnreadable &&
                                       got == ZipFailure::CannotOpenArchive);
        };
        const ArchiveListing listing = ListBookArchive(c.path);
        EXPECT_EQ(listing.ok, c.listed == ZipFailure::None);
        EXPECT_PRED2(sameFailure, listing.failure, c.listed);
        const MemberData data = ExtractBookMember(c.path, c.member, c.limit);
        EXPECT_FALSE(data.ok);
        EXPECT_PRED2(sameFailure, data.failure, c.extracted) << data.error.toStdString();
        EXPECT_EQ(data.size, c.size);
        EXPECT_TRUE(data.bytes.isEmpty());
        if (c.noStream) {
            EXPECT_FALSE(streamOf(c.path, c.member).has_value());
        }
    }
    EXPECT_LT(peakResidentKiB() - before, 256 * 1024);
}

// Find in files sees a compressed book as the book inside it and a tar member as a ZIP member;
// plain text is searched as it is unpacked, legacy code pages reading it again from the start.
TEST(CompressedBooksTest, FindInFilesSearchesInsidePackedBooks)
{
    const QString root = makeTempDir() + u'/';
    const QByteArray phrase = "The old man\r\nand the sea.\r\n";
    const QByteArray filler = bookBytes("Filler");
    writeFileBytes(root + "book.txt.gz", compressed(filler + phrase, QStringLiteral("gz")));
    writeFileBytes(root + "novel.html.bz2",
                   compressed("<p>the old <i>man</i><br>and the sea</p>", QStringLiteral("bz2")));
    const QByteArray russian =
        readFileBytes(QStringLiteral(TAVOLEX_TEST_DATA "/encodings/russian.cp1251.txt"));
    ASSERT_FALSE(russian.isEmpty());
    writeFileBytes(root + "russian.txt.xz", compressed(russian, QStringLiteral("xz")));
    QByteArray damaged = compressed(phrase + filler, QStringLiteral("gz"));
    damaged[damaged.size() - 8] = char(damaged[damaged.size() - 8] ^ 1);
    writeFileBytes(root + "damaged.txt.gz", damaged);
    writeFileBytes(root + "plain.txt.gz", phrase);
    const QString packing = makeTempDir();
    writeFileBytes(packing + "/tar/a.txt", filler);
    writeFileBytes(packing + "/tar/b.txt", filler + phrase);
    writeFileBytes(packing + "/tar/inner.txt.gz", compressed(phrase, QStringLiteral("gz")));
    writeTar(root + "books.tar.xz", packing,
             {QStringLiteral("tar"), QStringLiteral("tar/a.txt"), QStringLiteral("tar/b.txt"),
              QStringLiteral("tar/inner.txt.gz")},
             QStringLiteral("xz"));

    const FoundEntries entries = SortFoundEntries(WalkDirectory(root, SubFolders::Skip), root);
    const auto entry = [](const char *path, const char *member = "") {
        return FoundEntry{QString::fromUtf8(path), QString::fromUtf8(member)};
    };
    const FoundEntries expected =
        SortFoundEntries({entry("book.txt.gz"), entry("novel.html.bz2"), entry("russian.txt.xz"),
                          entry("damaged.txt.gz"), entry("plain.txt.gz"),
                          entry("books.tar.xz", "tar/a.txt"), entry("books.tar.xz", "tar/b.txt")},
                         root);
    EXPECT_EQ(entries, expected);

    const struct
    {
        const char *path;
        const char *member;
        QString search;
        SearchOutcome outcome;
    } cases[] = {
        {"book.txt.gz", "", "old man and the sea", SearchOutcome::Found},
        {"book.txt.gz", "", "old man and the river", SearchOutcome::NotFound},
        {"novel.html.bz2", "", "old man and the sea", SearchOutcome::Found},
        {"russian.txt.xz", "", u"\u0431\u0438\u0431\u043b\u0438\u043e\u0442\u0435\u043a\u0438"_qs,
         SearchOutcome::Found},
        {"books.tar.xz", "tar/b.txt", "old man and the sea", SearchOutcome::Found},
        {"books.tar.xz", "tar/a.txt", "old man and the sea", SearchOutcome::NotFound},
        {"books.tar.xz", "tar/none.txt", "old man and the sea", SearchOutcome::NotFound},
        {"damaged.txt.gz", "", "old man and the sea", SearchOutcome::Unreadable},
        {"plain.txt.gz", "", "old man and the sea", SearchOutcome::Unreadable},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.path) + " " + c.member);
        EXPECT_EQ(EntryContains(root, entry(c.path, c.member), c.search, Qt::CaseInsensitive),
                  c.outcome);
    }
}

namespace {

// Bytes this process has asked read() for so far, from the page cache or the disk.
qint64 bytesReadSoFar()
{
    QFile io(QStringLiteral("/proc/self/io"));
    if (!io.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : io.readAll().split('\n')) {
        if (line.startsWith("rchar:"))
            return line.mid(6).trimmed().toLongLong();
    }
    return -1;
}

} // namespace

// Searching every member of a tar archive reads the archive about once, with the outcomes each
// member gives searched alone, in whatever order the members are sorted.
TEST(CompressedBooksTest, FindInFilesReadsATarArchiveOnce)
{
    const QString dir = makeTempDir();
    const QString books = dir + QStringLiteral("/books/");
    const QString root = dir + QStringLiteral("/root/");
    QDir().mkpath(root);
    QStringList names;
    const QByteArray filler = QByteArray("Plain words of a chapter.\n").repeated(160);
    for (int i = 0; i < 300; ++i) {
        QByteArray text = filler;
        if (i % 7 == 3)
            text += "the lost key\n";
        names << QStringLiteral("chapter%1.txt").arg(i);
        writeFileBytes(books + names.last(), text);
    }
    // Read again from its start once an invalid UTF-8 byte shows it is Windows-1251.
    const QByteArray russian = QByteArray("\xC2 \xEB\xE5\xF1\xF3 \xF0\xEE\xE4\xE8\xEB\xE0\xF1\xFC "
                                          "\xB8\xEB\xEE\xF7\xEA\xE0.\n")
                                   .repeated(40);
    writeFileBytes(books + "legacy.txt", filler + russian + "the lost \xEA\xEB\xFE\xF7 key\n");
    writeFileBytes(books + "page.html", "<p>the <b>lost</b> key</p>");
    names << QStringLiteral("legacy.txt") << QStringLiteral("page.html");
    writeTar(root + "book.tar", books, names);

    const FoundEntries entries = SortFoundEntries(WalkDirectory(root, SubFolders::Walk), root);
    ASSERT_EQ(entries.size(), size_t(names.size()));
    for (const QString &phrase :
         {QStringLiteral("the lost key"), u"lost \u043a\u043b\u044e\u0447 key"_qs}) {
        SCOPED_TRACE(phrase.toStdString());
        std::vector<SearchOutcome> alone;
        for (const FoundEntry &entry : entries)
            alone.push_back(EntryContains(root, entry, phrase, Qt::CaseInsensitive));
        const qint64 before = bytesReadSoFar();
        EntrySearch once(root, phrase, Qt::CaseInsensitive);
        std::vector<SearchOutcome> together;
        for (const FoundEntry &entry : entries)
            together.push_back(once.contains(entry));
        const qint64 read = bytesReadSoFar() - before;
        EXPECT_EQ(together, alone);
        EXPECT_GE(std::count(alone.begin(), alone.end(), SearchOutcome::Found), 1);
        ASSERT_GE(before, 0);
        EXPECT_LT(read, 3 * QFileInfo(root + "book.tar").size());
    }
}
