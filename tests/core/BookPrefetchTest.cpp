#include "core/text/BookPrefetch.h"

#include "TestSupport.h"

#include <QDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

namespace {

void setModified(const QString &path, qint64 seconds)
{
    const timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
}

} // namespace

// The text read ahead is the text the open would read, and only while the file is the one read.
TEST(BookPrefetchTest, TextIsTakenOnlyWhileTheFileIsTheOneRead)
{
    const QString dir = makeTempDir();
    const QByteArray book = "Caf\xC3\xA9 one.\r\nTwo \xE2\x80\x94 three.\n";
    struct Case
    {
        const char *name;
        std::function<void(const QString &)> meanwhile;
        bool taken;
    };
    const Case cases[] = {
        {"unchanged", [](const QString &) {}, true},
        {"rewritten longer", [&](const QString &p) { writeFileBytes(p, book + "more"); }, false},
        {"same size, newer",
         [&](const QString &p) {
             writeFileBytes(p, QByteArray(book).replace("one", "two"));
             setModified(p, 2000000000);
         },
         false},
        {"replaced by another file",
         [&](const QString &p) {
             writeFileBytes(p + ".new", book);
             setModified(p + ".new", 1000000000);
             ASSERT_TRUE(QFile::remove(p));
             ASSERT_TRUE(QFile::rename(p + ".new", p));
         },
         false},
        {"removed", [](const QString &p) { ASSERT_TRUE(QFile::remove(p)); }, false},
    };
    int n = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir + QStringLiteral("/book%1.txt").arg(++n);
        writeFileBytes(path, book);
        setModified(path, 1000000000);
        std::unique_ptr<BookPrefetch> prefetch = BookPrefetch::start(path);
        ASSERT_TRUE(prefetch);
        c.meanwhile(path);
        const std::optional<ConversionResult> text = prefetch->take(path);
        ASSERT_EQ(text.has_value(), c.taken);
        if (text) {
            EXPECT_EQ(text->text, ConvertByExtension(book, QStringLiteral(".TXT")).text);
        }
    }
}

TEST(BookPrefetchTest, OnlyPlainTextFilesAreReadAhead)
{
    const QString dir = makeTempDir();
    for (const char *name : {"a.txt", "a", "notes.log"}) {
        writeFileBytes(dir + u'/' + QString::fromLatin1(name), "text");
        EXPECT_TRUE(BookPrefetch::start(dir + u'/' + QString::fromLatin1(name))) << name;
    }
    for (const char *name : {"a.zip", "a.htm", "a.HTML", "a.rtf", "a.txt.gz", "a.tar"}) {
        writeFileBytes(dir + u'/' + QString::fromLatin1(name), "text");
        EXPECT_FALSE(BookPrefetch::start(dir + u'/' + QString::fromLatin1(name))) << name;
    }
    ASSERT_TRUE(QDir().mkpath(dir + QStringLiteral("/folder.txt")));
    EXPECT_FALSE(BookPrefetch::start(dir + QStringLiteral("/folder.txt")));
    EXPECT_FALSE(BookPrefetch::start(dir + QStringLiteral("/missing.txt")));
    EXPECT_FALSE(BookPrefetch::start(QString()));
}
