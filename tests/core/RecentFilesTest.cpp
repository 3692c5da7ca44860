#include "core/book/RecentFiles.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

using Kind = RecentKeyChange::Kind;
const QString kBase = QStringLiteral("/home/ann/Books/");

RecentKeyChange write(const char *section, const QString &key, const QString &value)
{
    return {Kind::Write, QString::fromLatin1(section), key, value};
}

RecentKeyChange last(const QString &value)
{
    return write("Last", QStringLiteral("Last read file"), value);
}

RecentKeyChange recent(int k, const QString &value)
{
    return write("Recent", recentKeyName(k), value);
}

QString book(int n)
{
    return kBase + QStringLiteral("b%1.txt").arg(n);
}

// Entries 1..n hold book(1)..book(n).
RecentFiles listOf(int n, const QString &base = kBase)
{
    RecentFiles list;
    for (int i = 1; i <= n; ++i)
        list.append(book(i), base);
    return list;
}

QStringList fullPaths(const RecentFiles &list)
{
    QStringList paths;
    for (int i = 0; i < list.size(); ++i)
        paths << list.fullPath(i);
    return paths;
}

} // namespace

TEST(SplitRecentName, CutsTheBaseOnlyFromLongerPathsStartingWithItExactly)
{
    struct Case
    {
        QString path, base, prefix, shown;
    } cases[] = {
        {kBase + "Twain/Tom.txt", kBase, kBase, "Twain/Tom.txt"},
        {"/home/ann/books/x.txt", kBase, "", "/home/ann/books/x.txt"}, // other case
        {"/home/ann/Other/y.txt", kBase, "", "/home/ann/Other/y.txt"},
        {kBase, kBase, "", kBase}, // the base itself is not longer than the base
        {"/home/ann/Book", kBase, "", "/home/ann/Book"},
        {kBase + "a.txt", "", "", kBase + "a.txt"},
        {"", kBase, "", ""},
    };
    for (const Case &c : cases) {
        const RecentName name = SplitRecentName(c.path, c.base);
        EXPECT_EQ(name.prefix, c.prefix) << c.path.toStdString();
        EXPECT_EQ(name.shown, c.shown) << c.path.toStdString();
    }
    for (const HostileText &h : hostileTexts()) {
        for (const QString &path : {h.text, kBase + h.text}) {
            const RecentName name = SplitRecentName(path, kBase);
            EXPECT_EQ(name.prefix + name.shown, path) << h.name;
        }
    }
}

TEST(RecentFiles, RecordingKeepsTheListOrderAndWritesEveryKey)
{
    struct Case
    {
        const char *what;
        int listed;
        QString opened;
        QStringList expected;
    } cases[] = {
        {"first document", 0, book(1), {book(1)}},
        {"new document in a short list", 3, book(9), {book(9), book(1), book(2), book(3)}},
        {"entry 1 again", 3, book(1), {book(1), book(2), book(3)}},
        {"entry 4 moves up, 5-10 stay",
         10,
         book(4),
         {book(4), book(1), book(2), book(3), book(5), book(6), book(7), book(8), book(9),
          book(10)}},
        {"full list drops entry 10",
         10,
         book(11),
         {book(11), book(1), book(2), book(3), book(4), book(5), book(6), book(7), book(8),
          book(9)}},
        {"same name in other case is another file",
         2,
         kBase + "B1.txt",
         {kBase + "B1.txt", book(1), book(2)}},
    };
    for (const Case &c : cases) {
        RecentFiles list = listOf(c.listed);
        const QList<RecentKeyChange> changes = recordRecentFile(list, c.opened, kBase);
        EXPECT_EQ(fullPaths(list), c.expected) << c.what;
        EXPECT_EQ(list.shown.size(), list.prefixes.size()) << c.what;
        QList<RecentKeyChange> keys{last(c.expected.first())};
        for (int k = 1; k < c.expected.size(); ++k)
            keys << recent(k, c.expected.at(k));
        EXPECT_EQ(changes, keys) << c.what;
    }
}

TEST(RecentFiles, OnlyMovedEntriesAreSplitAgainstTheNewBase)
{
    // Written while no base was set: every entry is shown in full.
    RecentFiles list = listOf(5, QString());
    recordRecentFile(list, book(3), kBase);
    EXPECT_EQ(list.shown, (QStringList{"b3.txt", "b1.txt", "b2.txt", book(4), book(5)}));
    EXPECT_EQ(list.prefixes, (QStringList{kBase, kBase, kBase, "", ""}));
    EXPECT_EQ(fullPaths(list), (QStringList{book(3), book(1), book(2), book(4), book(5)}));
}

TEST(RecentFiles, RemovalRewritesTheKeysFromThePositionOnAndDeletesTheLast)
{
    const RecentKeyChange deleteRecent2{Kind::Delete, "Recent", "Recent 2", {}};
    struct Case
    {
        const char *what;
        int listed;
        int index;
        QStringList expected;
        QList<RecentKeyChange> changes;
    } cases[] = {
        {"entry 1 of three",
         3,
         0,
         {book(2), book(3)},
         {last(book(2)), recent(1, book(3)), deleteRecent2}},
        {"entry 2 of three", 3, 1, {book(1), book(3)}, {recent(1, book(3)), deleteRecent2}},
        {"entry 3 of three", 3, 2, {book(1), book(2)}, {deleteRecent2}},
        {"entry 1 of two",
         2,
         0,
         {book(2)},
         {last(book(2)), RecentKeyChange{Kind::Delete, "Recent", "Recent 1", {}}}},
        {"the only entry stays", 1, 0, {book(1)}, {}},
        {"no such entry", 3, 3, {book(1), book(2), book(3)}, {}},
    };
    for (const Case &c : cases) {
        RecentFiles list = listOf(c.listed);
        EXPECT_EQ(removeRecentFile(list, c.index, kBase), c.changes) << c.what;
        EXPECT_EQ(fullPaths(list), c.expected) << c.what;
        EXPECT_EQ(list.shown.size(), list.prefixes.size()) << c.what;
    }
}

TEST(RecentFiles, LoadingSkipsEmptyKeysAndNeedsALastReadFile)
{
    const QStringList values{book(2), "", book(3), "", "", "", "", "", book(4)};
    EXPECT_EQ(fullPaths(loadRecentFiles(book(1), values, kBase)),
              (QStringList{book(1), book(2), book(3), book(4)}));
    EXPECT_TRUE(loadRecentFiles(QString(), values, kBase).isEmpty());
    const RecentFiles loaded = loadRecentFiles("/elsewhere/x.txt", {book(2)}, kBase);
    EXPECT_EQ(loaded.shown, (QStringList{"/elsewhere/x.txt", "b2.txt"}));
    EXPECT_EQ(loaded.prefixes, (QStringList{"", kBase}));
}

TEST(RecentFiles, RebasingChangesTheShownNamesOnly)
{
    RecentFiles list;
    for (const char *path : {"/data/texts/a.txt", "/home/ann/Books/b.txt", "/data/texts/sub/c.txt",
                             "/data/textsX/d.txt"})
        list.append(QString::fromLatin1(path), kBase);
    const QStringList before = fullPaths(list);
    rebaseRecentFiles(list, "/data/texts/");
    EXPECT_EQ(fullPaths(list), before);
    EXPECT_EQ(list.shown,
              (QStringList{"a.txt", "/home/ann/Books/b.txt", "sub/c.txt", "/data/textsX/d.txt"}));
}

TEST(RecentFiles, DirectoryOfKeepsTheTrailingSlash)
{
    EXPECT_EQ(directoryOf("/home/ann/Books/a.txt"), "/home/ann/Books/");
    EXPECT_EQ(directoryOf("/a.txt"), "/");
    EXPECT_EQ(directoryOf("a.txt"), "");
}

TEST(RecentFiles, TwoLinesCutAfterTheFirstCharacterReachingTheLimit)
{
    // Ten pixels a character.
    const auto width = [](const QString &t) { return 10.0 * double(t.size()); };
    struct Case
    {
        QString text;
        double limit;
        QString first, second;
    } cases[] = {
        {"abcdefgh", 35, "abcd", "efgh"},
        {"abcdefgh", 40, "abcd", "efgh"},
        {"abcdefgh", 80, "abcdefgh", ""},
        {"abcdefgh", 81, "abcdefgh", ""},
        {"abc", 0, "", "abc"},
        {"", 10, "", ""},
    };
    for (const Case &c : cases) {
        const TwoLines lines = splitForTwoLines(c.text, c.limit, width);
        EXPECT_EQ(lines.first, c.first) << c.text.toStdString() << " " << c.limit;
        EXPECT_EQ(lines.second, c.second) << c.text.toStdString() << " " << c.limit;
    }
    const QString pairs = QString::fromUtf8("ab\xF0\x9F\x98\x80"
                                            "cd");
    const TwoLines split = splitForTwoLines(pairs, 30, width);
    EXPECT_EQ(split.first + split.second, pairs);
    EXPECT_FALSE(split.first.back().isHighSurrogate());
    for (const HostileText &h : hostileTexts()) {
        const TwoLines lines = splitForTwoLines(h.text, 200, width);
        EXPECT_EQ(lines.first + lines.second, h.text) << h.name;
    }
}
