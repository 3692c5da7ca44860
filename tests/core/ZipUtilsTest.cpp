#include "core/text/ZipUtils.h"
#include "TestSupport.h"
#include "core/text/DocumentFormats.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QStringEncoder>

#include <gtest/gtest.h>
#include <zip.h>

#include <stdexcept>
#include <vector>

#include <sys/stat.h>

namespace {

enum class Method { Store, Deflate };

struct TestEntry
{
    QByteArray name;
    QByteArray data;
    Method method = Method::Deflate;
    bool folder = false;
    zip_uint16_t encryption = ZIP_EM_NONE;
    zip_flags_t nameEncoding = ZIP_FL_ENC_UTF_8;
};

TestEntry folderEntry(const QByteArray &name)
{
    TestEntry e;
    e.name = name;
    e.folder = true;
    return e;
}

TestEntry fileEntry(const QByteArray &name, const QByteArray &data, Method method = Method::Deflate)
{
    TestEntry e;
    e.name = name;
    e.data = data;
    e.method = method;
    return e;
}

QByteArray readWholeSource(zip_source_t *source)
{
    if (zip_source_open(source) != 0)
        throw std::runtime_error("cannot reopen the archive buffer");
    QByteArray bytes;
    char chunk[4096];
    zip_int64_t got;
    while ((got = zip_source_read(source, chunk, sizeof chunk)) > 0)
        bytes.append(chunk, qsizetype(got));
    zip_source_close(source);
    return bytes;
}

// Entries are written in the given order, which is also their order in the central directory.
QByteArray buildArchive(const std::vector<TestEntry> &entries)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t *target = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_t *archive = zip_open_from_source(target, ZIP_TRUNCATE, &error);
    zip_error_fini(&error);
    if (!archive)
        throw std::runtime_error("cannot create an archive");
    zip_source_keep(target);
    for (const TestEntry &e : entries) {
        zip_int64_t index;
        if (e.folder) {
            index = zip_dir_add(archive, e.name.constData(), e.nameEncoding);
        } else {
            zip_source_t *data =
                zip_source_buffer(archive, e.data.constData(), zip_uint64_t(e.data.size()), 0);
            index = zip_file_add(archive, e.name.constData(), data, e.nameEncoding);
            if (index >= 0)
                zip_set_file_compression(archive, zip_uint64_t(index),
                                         e.method == Method::Store ? ZIP_CM_STORE : ZIP_CM_DEFLATE,
                                         0);
            if (index >= 0 && e.encryption != ZIP_EM_NONE)
                zip_file_set_encryption(archive, zip_uint64_t(index), e.encryption, "secret");
        }
        if (index < 0)
            throw std::runtime_error(zip_strerror(archive));
    }
    if (zip_close(archive) != 0)
        throw std::runtime_error(zip_strerror(archive));
    const QByteArray bytes = readWholeSource(target);
    zip_source_free(target);
    return bytes;
}

quint32 readLe32(const QByteArray &bytes, qsizetype at)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.constData() + at);
    return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
}

quint16 readLe16(const QByteArray &bytes, qsizetype at)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.constData() + at);
    return quint16(p[0] | p[1] << 8);
}

void writeLe32(QByteArray &bytes, qsizetype at, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = char((value >> (8 * i)) & 0xFF);
}

// Rewrites the uncompressed size of the first entry in its local header and its central
// directory record, leaving the data as it is.
QByteArray withDeclaredSize(QByteArray archive, quint32 size)
{
    writeLe32(archive, 22, size);
    const qsizetype central = archive.indexOf("PK\x01\x02");
    if (central < 0)
        throw std::runtime_error("no central directory");
    writeLe32(archive, central + 24, size);
    return archive;
}

// Offset and length of the first entry's data, from its local header.
std::pair<qsizetype, qsizetype> firstEntryData(const QByteArray &archive)
{
    const qsizetype start = 30 + readLe16(archive, 26) + readLe16(archive, 28);
    return {start, qsizetype(readLe32(archive, 18))};
}

const QString strasse = QStringLiteral(u"Bücher/Straße.txt");
const QString japanese = QStringLiteral(u"日本.txt");
// "\201" is "ü" in the DOS code page that unflagged names are read in.
const QString uber = QStringLiteral(u"über.txt");

QByteArray emptyArchive()
{
    return QByteArray("PK\x05\x06", 4) + QByteArray(18, '\0');
}

QString writeArchiveFile(const QByteArray &archive, const QString &name = "test.zip")
{
    const QString path = makeTempDir() + "/" + name;
    writeFileBytes(path, archive);
    return path;
}

QByteArray bookText(int paragraphs)
{
    QByteArray text;
    for (int i = 0; i < paragraphs; ++i)
        text += "Paragraph " + QByteArray::number(i) +
                " of a long book, with words that repeat and repeat.\r\n";
    return text;
}

struct ListingCase
{
    const char *what;
    std::vector<TestEntry> entries;
    QString first;
    QString list;
};

TEST(ZipUtilsTest, ListsMembersInArchiveOrderWithTheirStoredNames)
{
    TestEntry cp437 = fileEntry("\201ber.txt", "x");
    cp437.nameEncoding = ZIP_FL_ENC_CP437;
    const std::vector<ListingCase> cases = {
        {"one member", {fileEntry("book.txt", "text")}, "book.txt", "book.txt"},
        {"a folder entry first is no member",
         {folderEntry("books/"), fileEntry("books/a.txt", "a"), fileEntry("books/b.txt", "b")},
         "books/a.txt",
         "books/a.txt\r\nbooks/b.txt"},
        {"one book in its folder, as zip -r makes it",
         {folderEntry("novel/"), fileEntry("novel/book.txt", "text")},
         "novel/book.txt",
         "novel/book.txt"},
        {"later folder skipped",
         {fileEntry("a.txt", "a"), folderEntry("sub/"), fileEntry("sub/b.txt", "b")},
         "a.txt",
         "a.txt\r\nsub/b.txt"},
        {"archive order, not sorted",
         {fileEntry("z.txt", "z", Method::Store), fileEntry("a.txt", "a"),
          fileEntry("m/k.txt", "k", Method::Store)},
         "z.txt",
         "z.txt\r\na.txt\r\nm/k.txt"},
        {"backslash folder skipped",
         {fileEntry("a.txt", "a"), fileEntry("dos\\", ""), fileEntry("dos\\b.txt", "b")},
         "a.txt",
         "a.txt\r\ndos\\b.txt"},
        {"names differing in case",
         {fileEntry("Book.txt", "upper"), fileEntry("book.txt", "lower")},
         "Book.txt",
         "Book.txt\r\nbook.txt"},
        {"UTF-8 names",
         {fileEntry(strasse.toUtf8(), "s"), fileEntry(japanese.toUtf8(), "j")},
         strasse,
         strasse + "\r\n" + japanese},
        {"CP437 name", {cp437}, uber, uber},
        {"name with a line break",
         {fileEntry("one\r\ntwo.txt", "x")},
         "one\r\ntwo.txt",
         "one\r\ntwo.txt"},
    };
    for (const ListingCase &c : cases) {
        SCOPED_TRACE(c.what);
        const QByteArray archive = buildArchive(c.entries);
        const ArchiveListing fromMemory = ListArchiveMembersInMemory(archive);
        const ArchiveListing fromFile = ListArchiveMembers(writeArchiveFile(archive));
        for (const ArchiveListing &listing : {fromMemory, fromFile}) {
            ASSERT_TRUE(listing.ok) << listing.error.toStdString();
            EXPECT_EQ(listing.failure, ZipFailure::None);
            EXPECT_TRUE(listing.error.isEmpty());
            EXPECT_EQ(listing.firstMember, c.first);
            EXPECT_EQ(listing.memberList(), c.list);
        }
    }
}

TEST(ZipUtilsTest, ListedMembersAreSeparateEvenWhenNamesHoldLineBreaks)
{
    const ArchiveListing listing = ListArchiveMembersInMemory(
        buildArchive({fileEntry("one\r\ntwo.txt", "x"), fileEntry("three.txt", "y")}));
    ASSERT_TRUE(listing.ok);
    EXPECT_EQ(listing.members, QStringList({"one\r\ntwo.txt", "three.txt"}));
    EXPECT_NE(listing.memberList(), listing.firstMember);
}

struct ExtractionCase
{
    QString member;
    bool ok;
    QByteArray bytes;
    ZipFailure failure;
    QString error;
};

TEST(ZipUtilsTest, ExtractsTheNamedMemberWhole)
{
    const QByteArray longText = bookText(400);
    TestEntry cp437 = fileEntry("\201ber.txt", "cp437 name");
    cp437.nameEncoding = ZIP_FL_ENC_CP437;
    const QByteArray archive = buildArchive({
        fileEntry("plain.txt", "Hello, reader.\r\n", Method::Store),
        fileEntry("long.txt", longText),
        fileEntry("nul.txt", QByteArray("abc\0def", 7)),
        fileEntry("stored-nul.txt", QByteArray("xy\0\0z", 5), Method::Store),
        fileEntry("leading-nul.txt", QByteArray("\0abc", 4)),
        fileEntry("empty.txt", ""),
        folderEntry("sub/"),
        fileEntry("Book.txt", "upper case"),
        fileEntry("book.txt", "lower case"),
        fileEntry(strasse.toUtf8(), "utf-8 name"),
        cp437,
        fileEntry("binary.bin", QByteArray("\x01\xFF\xFE\x80", 4), Method::Store),
    });
    ASSERT_GT(longText.size(), 20000);
    const std::vector<ExtractionCase> cases = {
        {"plain.txt", true, "Hello, reader.\r\n", ZipFailure::None, ""},
        {"long.txt", true, longText, ZipFailure::None, ""},
        {"nul.txt", true, QByteArray("abc\0def", 7), ZipFailure::None, ""},
        {"stored-nul.txt", true, QByteArray("xy\0\0z", 5), ZipFailure::None, ""},
        {"leading-nul.txt", true, QByteArray("\0abc", 4), ZipFailure::None, ""},
        {"empty.txt", true, "", ZipFailure::None, ""},
        {"sub/", true, "", ZipFailure::None, ""},
        {"Book.txt", true, "upper case", ZipFailure::None, ""},
        {"book.txt", true, "lower case", ZipFailure::None, ""},
        {strasse, true, "utf-8 name", ZipFailure::None, ""},
        {uber, true, "cp437 name", ZipFailure::None, ""},
        {"binary.bin", true, QByteArray("\x01\xFF\xFE\x80", 4), ZipFailure::None, ""},
        {"BOOK.TXT", false, "", ZipFailure::MemberNotFound,
         "The archive holds no member named \"BOOK.TXT\""},
        {"sub", false, "", ZipFailure::MemberNotFound, "The archive holds no member named \"sub\""},
        {"", false, "", ZipFailure::MemberNotFound, "The archive holds no member named \"\""},
        {QString::fromLatin1("\201ber.txt"), false, "", ZipFailure::MemberNotFound,
         QString::fromLatin1("The archive holds no member named \"\201ber.txt\"")},
    };
    const QString path = writeArchiveFile(archive);
    for (const ExtractionCase &c : cases) {
        SCOPED_TRACE(c.member.toStdString());
        for (const MemberData &data :
             {ExtractMemberInMemory(archive, c.member), ExtractMemberToMemory(path, c.member)}) {
            EXPECT_EQ(data.ok, c.ok);
            EXPECT_EQ(data.bytes, c.bytes);
            EXPECT_EQ(data.failure, c.failure);
            EXPECT_EQ(data.error, c.error);
        }
    }
}

// A NUL ends a text as a character, not as a byte: UTF-16 holds a NUL byte in every ASCII letter.
TEST(ZipUtilsTest, MemberTextEndsAtItsFirstNulCharacter)
{
    const auto utf16 = [](QStringEncoder::Encoding encoding, const QString &text) {
        QStringEncoder encoder(encoding, QStringEncoder::Flag::WriteBom);
        return QByteArray(encoder.encode(text));
    };
    const QString lines = QStringLiteral("first line\r\nsecond");
    const QString cut = QStringLiteral("seen") + QChar(0) + QStringLiteral("hidden");
    const struct
    {
        const char *member;
        QByteArray bytes;
        QString text;
    } cases[] = {
        {"le.txt", utf16(QStringEncoder::Utf16LE, lines), lines},
        {"be.txt", utf16(QStringEncoder::Utf16BE, lines), lines},
        {"le.htm", utf16(QStringEncoder::Utf16LE, QStringLiteral("<p>alpha <b>beta</b>")),
         QStringLiteral("alpha BETA")},
        {"le-nul.txt", utf16(QStringEncoder::Utf16LE, cut), QStringLiteral("seen")},
        {"utf8-nul.txt", cut.toUtf8(), QStringLiteral("seen")},
        {"cp1252-nul.txt",
         QByteArray("s\xE9"
                    "en\0hidden",
                    11),
         QStringLiteral("s\u00e9en")},
    };
    std::vector<TestEntry> entries;
    for (const auto &c : cases)
        entries.push_back(fileEntry(c.member, c.bytes));
    const QString path = writeArchiveFile(buildArchive(entries));
    for (const auto &c : cases) {
        SCOPED_TRACE(c.member);
        const MemberData data = ExtractMemberToMemory(path, QString::fromLatin1(c.member));
        ASSERT_TRUE(data.ok);
        EXPECT_EQ(ConvertByExtension(data.bytes, upperExtension(c.member)).text, c.text);
    }
}

struct BrokenArchiveCase
{
    const char *what;
    QByteArray archive;
    ZipFailure failure;
    QString error; // exact, or a prefix when it ends in ": "
};

void expectError(const QString &actual, const QString &expected)
{
    if (expected.endsWith(": ")) {
        EXPECT_TRUE(actual.startsWith(expected)) << actual.toStdString();
        EXPECT_GT(actual.size(), expected.size()) << "the library's reason is missing";
    } else {
        EXPECT_EQ(actual, expected);
    }
}

TEST(ZipUtilsTest, ArchivesThatListNothingFail)
{
    const QByteArray good =
        buildArchive({fileEntry("a.txt", bookText(50)), fileEntry("b.txt", "b")});
    const std::vector<BrokenArchiveCase> cases = {
        {"no bytes", QByteArray(), ZipFailure::CannotOpenArchive, "Cannot open the archive: "},
        {"empty archive", emptyArchive(), ZipFailure::NoMembers, "The archive lists no members"},
        {"only an unnamed entry", buildArchive({fileEntry("", "x")}), ZipFailure::NoMembers,
         "The archive lists no members"},
        {"only folders", buildArchive({folderEntry("a/"), folderEntry("b/"), folderEntry("a/c/")}),
         ZipFailure::NoMembers, "The archive lists no members"},
        {"truncated to half", good.left(good.size() / 2), ZipFailure::CannotOpenArchive,
         "Cannot open the archive: "},
        {"end record cut", good.left(good.size() - 1), ZipFailure::CannotOpenArchive,
         "Cannot open the archive: "},
        {"plain text", "This is a plain text, not an archive.\r\n", ZipFailure::CannotOpenArchive,
         "Cannot open the archive: "},
        {"signature only", "PK\x03\x04", ZipFailure::CannotOpenArchive,
         "Cannot open the archive: "},
    };
    for (const BrokenArchiveCase &c : cases) {
        SCOPED_TRACE(c.what);
        const QString path = writeArchiveFile(c.archive);
        for (const ArchiveListing &listing :
             {ListArchiveMembersInMemory(c.archive), ListArchiveMembers(path)}) {
            EXPECT_FALSE(listing.ok);
            EXPECT_EQ(listing.failure, c.failure);
            expectError(listing.error, c.error);
            EXPECT_TRUE(listing.firstMember.isEmpty());
            EXPECT_TRUE(listing.members.isEmpty());
        }
        for (const MemberData &data :
             {ExtractMemberInMemory(c.archive, "a.txt"), ExtractMemberToMemory(path, "a.txt")}) {
            EXPECT_FALSE(data.ok);
            EXPECT_TRUE(data.bytes.isEmpty());
        }
    }
}

TEST(ZipUtilsTest, PathsThatAreNoArchiveFileFail)
{
    const QString dir = makeTempDir();
    // Neither may be read: a FIFO would wait for a writer, the device never ends.
    const QString fifo = dir + "/fifo.zip";
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString device = dir + "/zero.zip";
    ASSERT_TRUE(QFile::link("/dev/zero", device));
    const std::vector<QString> paths = {
        dir + "/missing.zip", dir, QString(), QString::fromUtf16(u"a\0b.zip", 7), fifo, device};
    for (const QString &path : paths) {
        SCOPED_TRACE(path.toStdString());
        const ArchiveListing listing = ListArchiveMembers(path);
        EXPECT_FALSE(listing.ok);
        EXPECT_EQ(listing.failure, ZipFailure::CannotOpenArchive);
        expectError(listing.error, "Cannot open the archive: ");
        const MemberData data = ExtractMemberToMemory(path, "a.txt");
        EXPECT_FALSE(data.ok);
        EXPECT_EQ(data.failure, ZipFailure::CannotOpenArchive);
    }
}

TEST(ZipUtilsTest, MembersThatCannotBeReadFailButStayListed)
{
    const QByteArray text = bookText(200);
    std::vector<std::pair<const char *, QByteArray>> archives;

    for (zip_uint16_t method : {zip_uint16_t(ZIP_EM_AES_256), zip_uint16_t(ZIP_EM_TRAD_PKWARE)}) {
        if (!zip_encryption_method_supported(method, 1))
            continue;
        TestEntry secret = fileEntry("secret.txt", text);
        secret.encryption = method;
        archives.emplace_back(method == ZIP_EM_AES_256 ? "AES-256" : "traditional encryption",
                              buildArchive({secret, fileEntry("open.txt", "open")}));
    }
    for (Method method : {Method::Store, Method::Deflate}) {
        QByteArray archive =
            buildArchive({fileEntry("secret.txt", text, method), fileEntry("open.txt", "open")});
        const auto [start, length] = firstEntryData(archive);
        for (qsizetype i = length / 2; i < length / 2 + 8; ++i)
            archive[start + i] = char(archive[start + i] ^ 0x5A);
        archives.emplace_back(
            method == Method::Store ? "damaged stored data" : "damaged deflated data", archive);
    }
    {
        // Compression method 99 with no AES header behind it: a method nobody can read.
        QByteArray archive = buildArchive(
            {fileEntry("secret.txt", text, Method::Store), fileEntry("open.txt", "open")});
        archive[8] = 77;
        archive[archive.indexOf("PK\x01\x02") + 10] = 77;
        archives.emplace_back("unknown compression method", archive);
    }
    ASSERT_GE(archives.size(), 4u);

    for (const auto &[what, archive] : archives) {
        SCOPED_TRACE(what);
        const ArchiveListing listing = ListArchiveMembersInMemory(archive);
        ASSERT_TRUE(listing.ok);
        EXPECT_EQ(listing.memberList(), "secret.txt\r\nopen.txt");
        const MemberData secret = ExtractMemberInMemory(archive, "secret.txt");
        EXPECT_FALSE(secret.ok);
        EXPECT_EQ(secret.failure, ZipFailure::MemberUnreadable);
        expectError(secret.error, "Cannot read the member \"secret.txt\": ");
        EXPECT_TRUE(secret.bytes.isEmpty());
        const MemberData open = ExtractMemberInMemory(archive, "open.txt");
        EXPECT_TRUE(open.ok) << open.error.toStdString();
        EXPECT_EQ(open.bytes, "open");
    }
}

struct SizeCase
{
    const char *what;
    QByteArray archive;
    qint64 limit;
    bool ok;
    QByteArray bytes;
    ZipFailure failure;
    QString error;
};

TEST(ZipUtilsTest, OversizedOrLyingMembersAreRefused)
{
    const QByteArray tenThousand = QByteArray(10000, 'x');
    const QByteArray zeros = QByteArray(8 << 20, '\0');
    const QByteArray stored = buildArchive({fileEntry("big.txt", tenThousand, Method::Store)});
    const QByteArray deflated = buildArchive({fileEntry("big.txt", tenThousand)});
    const QByteArray bomb = buildArchive({fileEntry("big.txt", zeros)});
    const QByteArray percent = buildArchive({fileEntry("big%2%1.txt", tenThousand)});
    ASSERT_LT(bomb.size(), 64 * 1024);
    const std::vector<SizeCase> cases = {
        {"at the limit", deflated, 10000, true, tenThousand, ZipFailure::None, ""},
        {"one byte over the limit", deflated, 9999, false, "", ZipFailure::MemberTooLarge,
         "The member \"big.txt\" is larger than 9999 bytes"},
        {"name holding place markers", percent, 100, false, "", ZipFailure::MemberTooLarge,
         "The member \"big%2%1.txt\" is larger than 100 bytes"},
        {"zero limit", stored, 0, false, "", ZipFailure::MemberTooLarge,
         "The member \"big.txt\" is larger than 0 bytes"},
        {"bomb under the default limit", bomb, MaxMemberSize, true, zeros, ZipFailure::None, ""},
        {"bomb over a small limit", bomb, 1 << 20, false, "", ZipFailure::MemberTooLarge,
         "The member \"big.txt\" is larger than 1048576 bytes"},
        {"stored data past its declared size", withDeclaredSize(stored, 100), 1 << 20, false, "",
         ZipFailure::MemberTooLarge,
         "The member \"big.txt\" holds more than its declared 100 bytes"},
        {"deflated data past its declared size", withDeclaredSize(deflated, 100), 1 << 20, false,
         "", ZipFailure::MemberTooLarge,
         "The member \"big.txt\" holds more than its declared 100 bytes"},
        {"bomb declaring a small size", withDeclaredSize(bomb, 1000), MaxMemberSize, false, "",
         ZipFailure::MemberTooLarge,
         "The member \"big.txt\" holds more than its declared 1000 bytes"},
        {"data short of its declared size", withDeclaredSize(deflated, 20000), 1 << 20, false, "",
         ZipFailure::MemberUnreadable,
         "The member \"big.txt\" ends before its declared 20000 bytes"},
    };
    for (const SizeCase &c : cases) {
        SCOPED_TRACE(c.what);
        const MemberData data = ExtractMemberInMemory(
            c.archive, c.archive == percent ? "big%2%1.txt" : "big.txt", c.limit);
        EXPECT_EQ(data.ok, c.ok);
        EXPECT_EQ(data.failure, c.failure);
        EXPECT_EQ(data.error, c.error);
        EXPECT_EQ(data.bytes, c.bytes);
    }
}

TEST(ZipUtilsTest, ReadsAnArchiveMadeByTheZipCommand)
{
    const QString zip = QStandardPaths::findExecutable("zip");
    if (zip.isEmpty())
        GTEST_SKIP() << "zip is not installed";
    const QString dir = makeTempDir();
    const QByteArray book = bookText(300);
    const QByteArray fairyTale = "Es war einmal.\nAnd then\0 the rest";
    QDir(dir).mkpath("sub");
    writeFileBytes(dir + "/book.txt", book);
    writeFileBytes(dir + QStringLiteral(u"/sub/Märchen.txt"), fairyTale);
    writeFileBytes(dir + "/short.txt", "short");

    QProcess process;
    process.setWorkingDirectory(dir);
    process.start(zip, {"-q", "-X", "made.zip", "book.txt", "sub",
                        QStringLiteral(u"sub/Märchen.txt"), "short.txt"});
    ASSERT_TRUE(process.waitForFinished(30000));
    ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();

    const QString path = dir + "/made.zip";
    const ArchiveListing listing = ListArchiveMembers(path);
    ASSERT_TRUE(listing.ok) << listing.error.toStdString();
    EXPECT_EQ(listing.firstMember, "book.txt");
    EXPECT_EQ(listing.memberList(), QStringLiteral(u"book.txt\r\nsub/Märchen.txt\r\nshort.txt"));

    const MemberData bookData = ExtractMemberToMemory(path, "book.txt");
    ASSERT_TRUE(bookData.ok) << bookData.error.toStdString();
    EXPECT_EQ(bookData.bytes, book);
    const MemberData taleData = ExtractMemberToMemory(path, listing.members[1]);
    ASSERT_TRUE(taleData.ok) << taleData.error.toStdString();
    EXPECT_EQ(taleData.bytes, "Es war einmal.\nAnd then");
    const MemberData shortData = ExtractMemberToMemory(path, "short.txt");
    EXPECT_EQ(shortData.bytes, "short");
}

TEST(ZipUtilsTest, HostileBytesNeverPassForAnArchive)
{
    std::vector<QByteArray> inputs;
    for (const HostileText &h : hostileTexts())
        inputs.push_back(h.text.toUtf8());
    QRandomGenerator random(20240601);
    for (int i = 0; i < 50; ++i) {
        QByteArray bytes(qsizetype(random.bounded(1, 4096)), '\0');
        for (char &b : bytes)
            b = char(random.bounded(256));
        inputs.push_back(bytes);
        // An end record in front of the garbage makes the library look further.
        inputs.push_back(bytes + emptyArchive());
    }
    for (const QByteArray &bytes : inputs) {
        const ArchiveListing listing = ListArchiveMembersInMemory(bytes);
        EXPECT_FALSE(listing.ok);
        EXPECT_FALSE(listing.error.isEmpty());
        const MemberData data = ExtractMemberInMemory(bytes, "a");
        EXPECT_FALSE(data.ok);
        EXPECT_FALSE(data.error.isEmpty());
    }
}

TEST(ZipUtilsTest, MutatedArchivesGiveSoundResults)
{
    const QByteArray text = bookText(40);
    const QByteArray good = buildArchive({fileEntry("a.txt", text), folderEntry("d/"),
                                          fileEntry("d/b.txt", text, Method::Store),
                                          fileEntry("c.txt", QByteArray("c\0c", 3))});
    QRandomGenerator random(7);
    int listed = 0;
    for (int round = 0; round < 2000; ++round) {
        QByteArray archive = good;
        const int flips = int(random.bounded(1, 6));
        for (int i = 0; i < flips; ++i)
            archive[qsizetype(random.bounded(int(archive.size())))] = char(random.bounded(256));
        const ArchiveListing listing = ListArchiveMembersInMemory(archive);
        if (!listing.ok) {
            EXPECT_FALSE(listing.error.isEmpty());
            continue;
        }
        ++listed;
        EXPECT_FALSE(listing.firstMember.isEmpty());
        EXPECT_EQ(listing.members.value(0), listing.firstMember);
        for (const QString &member : listing.members) {
            const MemberData data = ExtractMemberInMemory(archive, member, 1 << 16);
            if (data.ok) {
                EXPECT_FALSE(ConvertByExtension(data.bytes, ".TXT").text.contains(QChar(0)));
                EXPECT_LE(data.bytes.size(), 1 << 16);
            } else {
                EXPECT_NE(data.failure, ZipFailure::None);
                EXPECT_FALSE(data.error.isEmpty());
            }
        }
    }
    EXPECT_GT(listed, 100) << "the mutations should leave many archives listable";
}

} // namespace
