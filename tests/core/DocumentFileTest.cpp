#include "core/text/DocumentFile.h"
#include "BookGenerator.h"
#include "TestSupport.h"
#include "core/text/FindInFiles.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

constexpr qint64 kPlenty = qint64(1) << 40;

QString makeFifo(const QString &path)
{
    EXPECT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    return path;
}

// A bound socket leaves its file behind until it is removed.
QString makeSocket(const QString &path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    EXPECT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    EXPECT_LT(size_t(name.size()), sizeof address.sun_path);
    std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
    EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    ::close(fd);
    return path;
}

struct KindCase
{
    const char *what;
    QString path;
    FileKind kind;
    FileReadFailure failure;
};

// Every case answers at once: a FIFO that were opened for reading would block here for ever.
TEST(DocumentFileTest, OnlyRegularFilesAreRead)
{
    const QString dir = makeTempDir();
    writeFileBytes(dir + "/book.txt", "A book.\r\n");
    const QString fifo = makeFifo(dir + "/fifo.txt");
    ASSERT_TRUE(QFile::link(dir + "/book.txt", dir + "/link.txt"));
    ASSERT_TRUE(QFile::link(fifo, dir + "/fifo-link.txt"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), dir + "/zero-link.txt"));
    const std::vector<KindCase> cases = {
        {"a regular file", dir + "/book.txt", FileKind::Regular, FileReadFailure::None},
        {"a link to a regular file", dir + "/link.txt", FileKind::Regular, FileReadFailure::None},
        {"a folder", dir, FileKind::Folder, FileReadFailure::NotRegular},
        {"a missing file", dir + "/gone.txt", FileKind::Missing, FileReadFailure::CannotOpen},
        {"an empty path", QString(), FileKind::Missing, FileReadFailure::CannotOpen},
        {"a FIFO", fifo, FileKind::Special, FileReadFailure::NotRegular},
        {"a link to a FIFO", dir + "/fifo-link.txt", FileKind::Special,
         FileReadFailure::NotRegular},
        {"a socket", makeSocket(dir + "/socket"), FileKind::Special, FileReadFailure::NotRegular},
        {"an endless device", QStringLiteral("/dev/zero"), FileKind::Special,
         FileReadFailure::NotRegular},
        {"a link to an endless device", dir + "/zero-link.txt", FileKind::Special,
         FileReadFailure::NotRegular},
    };
    for (const KindCase &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(fileKindOf(c.path), c.kind);
        const FileRead read = readDocumentFile(c.path, kPlenty);
        EXPECT_EQ(read.failure, c.failure);
        EXPECT_EQ(read.bytes, c.failure == FileReadFailure::None ? "A book.\r\n" : "");
    }
}

TEST(DocumentFileTest, FileLargerThanTheMemoryCanTakeIsRefusedBeforeReading)
{
    const QString path = makeTempDir() + "/book.txt";
    writeFileBytes(path, QByteArray(1000, 'x'));
    struct Case
    {
        qint64 memory;
        FileReadFailure failure;
    };
    // Opening needs about 3.2 times the size: 3200 bytes for this book.
    for (const Case &c :
         {Case{3199, FileReadFailure::TooLarge}, Case{3200, FileReadFailure::None},
          Case{0, FileReadFailure::TooLarge}, Case{-1, FileReadFailure::TooLarge}}) {
        SCOPED_TRACE(c.memory);
        const FileRead read = readDocumentFile(path, c.memory);
        EXPECT_EQ(read.failure, c.failure);
        EXPECT_EQ(read.size, 1000);
        EXPECT_EQ(read.bytes.size(), c.failure == FileReadFailure::None ? 1000 : 0);
    }
    EXPECT_EQ(memoryNeededToOpen(1000), 3200);
    EXPECT_EQ(largestOpenableSize(3200), 1000);
    EXPECT_EQ(memoryNeededToOpen(qint64(1) << 62), std::numeric_limits<qint64>::max());
    EXPECT_GT(availablePhysicalMemory(), 0);
}

// A /proc file says it is empty and yet reads on: like a file that grows while it is read, it
// is read up to the size it had when opened.
TEST(DocumentFileTest, FileIsReadUpToTheSizeItHadWhenOpened)
{
    const QString status = QStringLiteral("/proc/self/status");
    if (!QFile::exists(status))
        GTEST_SKIP() << "no /proc";
    const FileRead read = readDocumentFile(status, kPlenty);
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(read.bytes.size(), read.size);
    EXPECT_EQ(read.size, QFileInfo(status).size());
}

// A large file is read in pieces on several threads: every byte must land at its place.
TEST(DocumentFileTest, LargeFileReadOnThreadsIsTheFileByteForByte)
{
    const QString path = makeTempDir() + "/book.txt";
    QByteArray bytes((qint64(40) << 20) + 5, Qt::Uninitialized);
    quint32 x = 1;
    for (char &c : bytes) {
        x = x * 1664525u + 1013904223u;
        c = char(x >> 24);
    }
    writeFileBytes(path, bytes);
    for (const int threads : {1, 3}) {
        SCOPED_TRACE(threads);
        qint64 last = 0;
        const FileRead read = readDocumentFile(
            path, kPlenty, [&last](qint64 done, qint64) { last = std::max(last, done); }, threads);
        ASSERT_TRUE(read.ok());
        EXPECT_TRUE(read.bytes == bytes);
        EXPECT_EQ(last, bytes.size());
    }
}

// A large book in UTF-8 is decoded as it is read, never held whole: its text must be what
// decoding the whole bytes gives, and anything that is not UTF-8 comes back as bytes.
TEST(DocumentFileTest, LargeUtf8IsDecodedAsReadWithTheWholeBytesResult)
{
    const qsizetype edge = qsizetype(4) << 20; // where parts are cut
    const QByteArray book = generateBookBytes(13, 9 << 20);
    ASSERT_GT(book.size(), 2 * edge + 4096);
    const auto at = [](QByteArray bytes, qsizetype where, const QByteArray &insert) {
        bytes.replace(where, insert.size(), insert);
        return bytes;
    };
    struct Case
    {
        const char *name;
        QByteArray bytes;
        bool inParts; // decoded as read; else the bytes come back whole
    };
    const Case cases[] = {
        {"CR LF book", book, true},
        {"byte-order mark", "\xEF\xBB\xBF" + book, true},
        {"LF book with blank lines first", "\n\n" + QByteArray(book).replace("\r\n", "\n"), true},
        {"characters and CR CR LF at the edges",
         at(at(book, edge - 1, "\xE2\x82\xAC\xF0\x9F\x93\x96"), 2 * edge - 1, "\r\r\n\r"), true},
        {"NUL, then text", at(book, edge + 77, QByteArray("\0", 1)), true},
        {"NUL padding at the end", book + QByteArray(5000, '\0'), true},
        {"not UTF-8 near the end", at(book, book.size() - 10, "caf\xE9"), false},
        {"UTF-16 with its mark", "\xFF\xFE" + QByteArray(book).replace("\r\n", "\r\0\n\0"), false},
        {"small book", book.first(1 << 20), false},
    };
    const QString path = makeTempDir() + "/book.txt";
    for (const Case &c : cases) {
        writeFileBytes(path, c.bytes);
        const ConversionResult whole = ConvertByExtension(c.bytes, QStringLiteral(".TXT"));
        for (const int threads : {1, 2, 4}) {
            SCOPED_TRACE(std::string(c.name) + ", threads " + std::to_string(threads));
            int last = -1;
            const PlainTextRead read = readPlainTextDocument(
                path, kPlenty, [&last](int percent) { last = std::max(last, percent); }, threads);
            ASSERT_TRUE(read.file.ok());
            ASSERT_EQ(read.converted.has_value(), c.inParts);
            if (!c.inParts) {
                EXPECT_TRUE(read.file.bytes == c.bytes);
                continue;
            }
            EXPECT_TRUE(read.file.bytes.isEmpty());
            ASSERT_TRUE(read.converted->ok);
            EXPECT_TRUE(read.converted->text == whole.text);
            EXPECT_EQ(read.converted->encoding, whole.encoding);
            EXPECT_EQ(read.converted->hiddenAfterNul, whole.hiddenAfterNul);
            EXPECT_EQ(last, 100);
        }
    }
}

TEST(DocumentFileTest, TooLargeMessageNamesTheSize)
{
    EXPECT_EQ(tooLargeMessage(5'000'000'000, 2'000'000'000),
              QStringLiteral("This file is too large to open: 4.7 GB (5000000000 bytes).\rOpening "
                             "it needs about 14.9 GB of memory; 1.9 GB are available."));
}

// Find in files lists what it will read: no FIFO, socket or device, linked or not.
TEST(DocumentFileTest, FindInFilesWalksPastSpecialFiles)
{
    const QString dir = makeTempDir() + "/";
    writeFileBytes(dir + "book.txt", "A book.\r\n");
    makeFifo(dir + "fifo.txt");
    makeSocket(dir + "socket.txt");
    ASSERT_TRUE(QFile::link(dir + "fifo.txt", dir + "fifo-link.txt"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), dir + "zero.html"));
    EXPECT_EQ(WalkDirectory(dir, SubFolders::Skip), FoundEntries({{dir + "book.txt", QString()}}));
}

} // namespace
