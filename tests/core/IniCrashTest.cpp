#include "core/book/IniFile.h"

#include "TestSupport.h"

#include <QDir>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <csignal>
#include <iostream>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QByteArray documentSection(int i, const QByteArray &page)
{
    const QByteArray n = QByteArray::number(i);
    return "[/home/reader/Books/Author " + n + "/Title " + n + ".txt]\n" +
           "Fontname=Liberation Serif\nFontsize=12\nRemove line breaks=Yes\n"
           "Check punctuation marks=No\nCheck indentation=Yes\nPage=" +
           page +
           "\nTotal lines=48213\nLines=31\nBookmark 1=17\nBookmark 2=\nBookmark 3=\n"
           "Automatically create TOC=No\nPreceding blank lines=3\n"
           "Section header size=5\nCount blank lines=Yes\nTOC on left side=No\n\n";
}

// A writer process turning pages as fast as it can is killed at random moments; the file must
// always be the old or the new one, whole.
TEST(IniCrashTest, KilledWriterNeverLeavesABrokenFile)
{
    constexpr int sections = 300;
    constexpr int target = 150;
    QByteArray before;
    for (int i = 0; i < target; ++i)
        before += documentSection(i, QByteArray::number(i + 1));
    const QByteArray targetSection = documentSection(target, "1");
    const qsizetype pageAt = targetSection.indexOf("Page=") + 5;
    before += targetSection.left(pageAt);
    QByteArray after = targetSection.mid(pageAt + 1);
    for (int i = target + 1; i < sections; ++i)
        after += documentSection(i, QByteArray::number(i + 1));

    const QString dir = makeTempDir();
    const QString path = dir + "/Tavolex.ini";
    writeFileBytes(path, before + "1" + after);
    const QString section = QStringLiteral("/home/reader/Books/Author %1/Title %1.txt").arg(target);

    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> delayMicros(0, 4000);
    qint64 lastPage = 1;
    int leftovers = 0;
    for (int run = 0; run < 250; ++run) {
        const qint64 firstPage = lastPage + 1;
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(ready[0]);
            IniFile ini(path);
            for (qint64 page = firstPage;; ++page) {
                if (ini.writeString(section, "Page", QString::number(page)) !=
                    IniFile::WriteResult::Written)
                    _exit(3);
                // The kill is timed from the first write done, so that it falls among writes.
                if (page == firstPage && write(ready[1], "w", 1) != 1)
                    _exit(4);
            }
        }
        close(ready[1]);
        char signal = 0;
        const ssize_t got = read(ready[0], &signal, 1);
        close(ready[0]);
        ASSERT_EQ(got, 1) << "the writer failed before its first write";
        usleep(useconds_t(delayMicros(random)));
        ASSERT_EQ(kill(child, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
            << "the writer stopped by itself, status " << status;

        const QByteArray bytes = readFileBytes(path);
        ASSERT_TRUE(bytes.startsWith(before)) << "run " << run;
        ASSERT_TRUE(bytes.endsWith(after)) << "run " << run;
        const QByteArray page =
            bytes.mid(before.size(), bytes.size() - before.size() - after.size());
        bool isNumber = false;
        const qint64 value = page.toLongLong(&isNumber);
        ASSERT_TRUE(isNumber) << "run " << run << ": Page is '" << page.toStdString() << "'";
        ASSERT_GE(value, lastPage) << "run " << run;
        lastPage = value;

        const IniFile ini(path);
        ASSERT_EQ(ini.readString(section, "Page", {}), QString::fromLatin1(page));
        ASSERT_EQ(ini.readString("/home/reader/Books/Author 0/Title 0.txt", "TOC on left side", {}),
                  "No");
        ASSERT_EQ(ini.readSectionKeys("/home/reader/Books/Author 299/Title 299.txt").size(), 16);

        // Temporary files of killed writes are all that may be left beside the file.
        const QStringList others = QDir(dir)
                                       .entryList(QDir::Files | QDir::Hidden)
                                       .filter(QRegularExpression("^(?!Tavolex\\.ini$)"));
        for (const QString &name : others) {
            ASSERT_TRUE(name.startsWith(".Tavolex.ini.") && name.endsWith(".tmp"))
                << name.toStdString();
            QFile::remove(dir + "/" + name);
            ++leftovers;
        }
    }
    EXPECT_GT(lastPage, 250);
    std::cout << "pages written: " << lastPage - 1
              << ", temporary files left by kills: " << leftovers << "\n";
}

} // namespace
