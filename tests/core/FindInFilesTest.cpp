#include "core/text/FindInFiles.h"
#include "TestSupport.h"
#include "core/text/TextDecoding.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zip.h>

#include <utility>
#include <vector>

namespace {

QString fileWith(const QByteArray &bytes)
{
    static int counter = 0;
    const QString path = makeTempDir() + QStringLiteral("/doc%1.txt").arg(++counter);
    writeFileBytes(path, bytes);
    return path;
}

struct RuleCase
{
    const char *name;
    QString document;
    QString search;
    Qt::CaseSensitivity cs;
    bool found;
};

// Search texts here all hold a space after trimming, so both matchers apply the break rule.
const std::vector<RuleCase> &ruleCases()
{
    static const std::vector<RuleCase> cases = {
        {"words across a line end", "one two\r\nthree", "one two three", Qt::CaseSensitive, true},
        {"two spaces are not one", "one two  three", "one two three", Qt::CaseSensitive, false},
        {"lone LF", "one two\nthree", "one two three", Qt::CaseSensitive, true},
        {"lone CR", "one two\rthree", "one two three", Qt::CaseSensitive, true},
        {"run of empty lines", "a\r\n\r\n\r\nb c", "a b c", Qt::CaseSensitive, true},
        {"one-character lines", "a\r\nb\r\nc", "a b c", Qt::CaseSensitive, true},
        {"one-character lines joined", "a\r\nb\r\nc", "a bc", Qt::CaseSensitive, false},
        {"space before the run", "a \r\nb c", "a b c", Qt::CaseSensitive, true},
        {"space before the run adds none", "a \r\nb c", "a  b c", Qt::CaseSensitive, false},
        {"space after the run", "a\r\n b c", "a b c", Qt::CaseSensitive, true},
        {"run at the start", "\r\nab cd", " ab cd", Qt::CaseSensitive, true},
        {"run at the start before a space", "\n ab cd", "  ab cd", Qt::CaseSensitive, false},
        {"run at the end", "ab cd\r\n", "ab cd ", Qt::CaseSensitive, false},
        {"leading space meets a break", "a\r\nb c", " b c", Qt::CaseSensitive, true},
        {"tab is not a space", "a\tb c", "a b c", Qt::CaseSensitive, false},
        {"tab as typed", "a\tb c", "a\tb c", Qt::CaseSensitive, true},
        {"second candidate", "one one two", "one two", Qt::CaseSensitive, true},
        {"umlaut upper, insensitive", u"GR\u00dcNE WIESE"_qs, u"gr\u00fcne wiese"_qs,
         Qt::CaseInsensitive, true},
        {"umlaut lower, insensitive", u"gr\u00fcne wiese"_qs, u"GR\u00dcNE WIESE"_qs,
         Qt::CaseInsensitive, true},
        {"umlaut, sensitive", u"GR\u00dcNE WIESE"_qs, u"Gr\u00fcne Wiese"_qs, Qt::CaseSensitive,
         false},
        {"exact form, sensitive", u"Gr\u00fcne Wiese"_qs, u"Gr\u00fcne Wiese"_qs, Qt::CaseSensitive,
         true},
        {"sharp s stays one letter", u"STRA\u00dfE ZU"_qs, u"stra\u00dfe zu"_qs,
         Qt::CaseInsensitive, true},
        {"absent", "nothing here at all", "not there", Qt::CaseInsensitive, false},
    };
    return cases;
}

} // namespace

TEST(FindInFilesCoreTest, BothMatchersFollowTheBreakRule)
{
    for (const RuleCase &c : ruleCases()) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(TextContains(c.document, c.search, c.cs), c.found);
        EXPECT_EQ(StreamContains(c.search, fileWith(c.document.toUtf8()), c.cs),
                  c.found ? SearchOutcome::Found : SearchOutcome::NotFound);
        EXPECT_EQ(StreamContains(c.search, fileWith(c.document.toLatin1()), c.cs),
                  c.found ? SearchOutcome::Found : SearchOutcome::NotFound);
    }
}

TEST(FindInFilesCoreTest, StreamMatchesAcrossEveryBlockBoundary)
{
    for (const RuleCase &c : ruleCases()) {
        if (c.document.startsWith(u'\r') || c.document.startsWith(u'\n'))
            continue; // a prefix would put a character before the run
        const QByteArray utf8 = c.document.toUtf8();
        for (qsizetype cut = 0; cut <= utf8.size(); ++cut) {
            SCOPED_TRACE(std::string(c.name) + " cut " + std::to_string(cut));
            const QByteArray padded = QByteArray(1023 - cut, 'z') + ' ' + utf8;
            EXPECT_EQ(StreamContains(c.search, fileWith(padded), c.cs),
                      c.found ? SearchOutcome::Found : SearchOutcome::NotFound);
        }
    }
}

// The stream skips eight characters at a time to a possible first letter of the match; the
// first letter may stand at any place of such a group, after ASCII or other text, and a letter
// beyond ASCII may fold to it.
TEST(FindInFilesCoreTest, MatchStartsAtEveryPlaceOfASkippedGroup)
{
    const struct
    {
        const char *name;
        QString first; // the text's form of the first letter
        Qt::CaseSensitivity cs;
        bool found;
    } cases[] = {
        {"same case", QStringLiteral("S"), Qt::CaseSensitive, true},
        {"other case", QStringLiteral("s"), Qt::CaseInsensitive, true},
        {"other case, sensitive", QStringLiteral("s"), Qt::CaseSensitive, false},
        {"long s folds to S", u"\u017F"_qs, Qt::CaseInsensitive, true},
        {"long s, sensitive", u"\u017F"_qs, Qt::CaseSensitive, false},
    };
    for (const auto &c : cases) {
        for (const QString &filler : {QStringLiteral("x"), u"\u00E9"_qs, u"\u0436x"_qs}) {
            for (int before = 0; before < 20; ++before) {
                SCOPED_TRACE(std::string(c.name) + ", " + std::to_string(before) + " before");
                const QString text = filler.repeated(before) + c.first + QStringLiteral("tuff x");
                EXPECT_EQ(StreamContains(QStringLiteral("Stuff x"), fileWith(text.toUtf8()), c.cs),
                          c.found ? SearchOutcome::Found : SearchOutcome::NotFound);
            }
        }
    }
}

// The step-by-step procedure this replaces got these wrong.
TEST(FindInFilesCoreTest, StreamBreaksCountAsOneCharacterWhenAnAttemptFails)
{
    const struct
    {
        QByteArray document;
        QString search;
        bool found;
    } cases[] = {
        {"ab\r\nb", "bb", false},
        {"ab\r\nb", "b b", true},
        {" b\r\n\r\nbab", " ba", true},
        {"a\r\nb\r\nc", "a bc", false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.document.toStdString() + " / " + c.search.toStdString());
        EXPECT_EQ(StreamContains(c.search, fileWith(c.document), Qt::CaseSensitive),
                  c.found ? SearchOutcome::Found : SearchOutcome::NotFound);
    }
}

TEST(FindInFilesCoreTest, OneWordSearchIsAPlainSubstringInText)
{
    const struct
    {
        QString text;
        QString search;
        bool found;
    } cases[] = {
        {"sto\r\nry", "story", false}, {"sto\r\nry", "sto ry", true},
        {"a story.", "story", true},   {"two  spaces", " spaces", true},
        {"ab\r\nb", " b", false},      {"ab\r\nb", "b\r\nb", true},
        {"anything", "", false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.search.toStdString());
        EXPECT_EQ(TextContains(c.text, c.search, Qt::CaseSensitive), c.found);
    }
}

TEST(FindInFilesCoreTest, StreamDecodingFallsBackFromTheStart)
{
    const QByteArray umlautUtf8 = u"gr\u00fcn"_qs.toUtf8();
    const QByteArray umlaut1252 = "GR\xDCN";
    const struct
    {
        const char *name;
        QByteArray bytes;
        QString search;
        SearchOutcome outcome;
    } cases[] = {
        {"utf-8 split across blocks", QByteArray(1021, 'x') + " " + umlautUtf8 + " wiese",
         u"GR\u00dcN WIESE"_qs, SearchOutcome::Found},
        {"1252 after a late invalid byte", QByteArray(3000, 'x') + " " + umlaut1252 + " wiese",
         u"gr\u00fcn wiese"_qs, SearchOutcome::Found},
        {"1252 umlaut early, match later", umlaut1252 + QByteArray(3000, 'x') + " gr\xFCn wiese",
         u"GR\u00dcN WIESE"_qs, SearchOutcome::Found},
        {"utf-8 with byte-order mark", "\xEF\xBB\xBF" + umlautUtf8 + " wiese",
         u"gr\u00fcn wiese"_qs, SearchOutcome::Found},
        {"utf-16 LE",
         QByteArray("\xFF\xFE", 2) +
             QByteArray(reinterpret_cast<const char *>(u"a\r\nGR\u00dcN b"), 18),
         u"a gr\u00fcn b"_qs, SearchOutcome::Found},
        {"match after a NUL", QByteArray("abc\0def ghi", 11), "def ghi", SearchOutcome::Found},
        {"line separator", u"one\u2028two"_qs.toUtf8(), "one two", SearchOutcome::Found},
        {"paragraph separator", u"one \u2029two"_qs.toUtf8(), "one two", SearchOutcome::Found},
        {"empty search", "abc", "", SearchOutcome::NotFound},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(StreamContains(c.search, fileWith(c.bytes), Qt::CaseInsensitive), c.outcome);
    }
    EXPECT_EQ(StreamContains("a b", makeTempDir() + "/missing.txt", Qt::CaseInsensitive),
              SearchOutcome::Unreadable);
}

TEST(FindInFilesCoreTest, HostileTextsAreSearched)
{
    for (const HostileText &hostile : hostileTexts()) {
        SCOPED_TRACE(hostile.name);
        const QString text = hostile.text + QStringLiteral("\r\nxq yq");
        EXPECT_TRUE(TextContains(text, "xq yq", Qt::CaseInsensitive));
        EXPECT_EQ(StreamContains("XQ YQ", fileWith(text.toUtf8()), Qt::CaseInsensitive),
                  SearchOutcome::Found);
        EXPECT_FALSE(TextContains(hostile.text, "xq yq", Qt::CaseInsensitive));
    }
}

TEST(FindInFilesCoreTest, KeepGoingStopsALongSearch)
{
    const QString path = fileWith(QByteArray(10 * 1024, 'x'));
    int asked = 0;
    EXPECT_EQ(StreamContains("a b", path, Qt::CaseSensitive, [&asked] { return ++asked < 3; }),
              SearchOutcome::Stopped);
    EXPECT_EQ(asked, 3);
    asked = 0;
    EXPECT_EQ(StreamContains("a b", path, Qt::CaseSensitive, [&asked] { return ++asked > 0; }),
              SearchOutcome::NotFound);
    EXPECT_EQ(asked, 10); // once per block
    EXPECT_FALSE(TextContains(QString(20000, u'x') + " a b", "a b", Qt::CaseSensitive,
                              [] { return false; }));
}

TEST(FindInFilesCoreTest, WalkAndSortTheTree)
{
    const QString root = makeTempDir() + u'/';
    writeFileBytes(root + "a.txt", "alpha");
    writeFileBytes(root + ".hidden.txt", "alpha");
    QDir(root).mkpath("sub/deeper");
    QDir(root).mkpath(".git");
    writeFileBytes(root + "sub/book.txt", "alpha");
    writeFileBytes(root + "sub/deeper/Z.txt", "alpha");
    writeFileBytes(root + ".git/config", "alpha");
    writeZip(root + "arc.zip", {{"b.htm", "<p>x</p>"}, {"a.txt", "y"}, {"inner.zip", "z"}});
    writeFileBytes(root + "broken.zip", "not an archive");
    ASSERT_EQ(symlink(QFile::encodeName(root).constData(),
                      QFile::encodeName(root + "sub/loop").constData()),
              0);
    ASSERT_EQ(mkfifo(QFile::encodeName(root + "pipe").constData(), 0600), 0);

    const struct
    {
        SubFolders subFolders;
        FoundEntries expected;
    } cases[] = {
        {SubFolders::Skip, {{"a.txt", ""}, {"arc.zip", "a.txt"}, {"arc.zip", "b.htm"}}},
        {SubFolders::Walk,
         {{"a.txt", ""},
          {"arc.zip", "a.txt"},
          {"arc.zip", "b.htm"},
          {"sub/book.txt", ""},
          {"sub/deeper/Z.txt", ""}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(int(c.subFolders));
        const FoundEntries walked = WalkDirectory(root, c.subFolders);
        EXPECT_EQ(SortFoundEntries(walked, root), c.expected);
        for (const FoundEntry &e : walked)
            EXPECT_TRUE(e.path.startsWith(root));
    }
}

TEST(FindInFilesCoreTest, UnreadableFolderIsSkipped)
{
    const QString root = makeTempDir() + u'/';
    QDir(root).mkpath("locked");
    writeFileBytes(root + "locked/x.txt", "x");
    writeFileBytes(root + "open.txt", "x");
    ASSERT_EQ(chmod(QFile::encodeName(root + "locked").constData(), 0), 0);
    const FoundEntries expected = {{"open.txt", ""}};
    if (geteuid() != 0) {
        EXPECT_EQ(SortFoundEntries(WalkDirectory(root, SubFolders::Walk), root), expected);
    } else {
        // The super-user reads every folder: walk as nobody in a child process.
        ASSERT_EQ(chmod(QFile::encodeName(root).constData(), 0755), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const bool dropped = setgid(65534) == 0 && setuid(65534) == 0;
            const bool same =
                SortFoundEntries(WalkDirectory(root, SubFolders::Walk), root) == expected;
            _exit(!dropped ? 2 : same ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }
    chmod(QFile::encodeName(root + "locked").constData(), 0700);
}

TEST(FindInFilesCoreTest, SortOrdersPathThenMember)
{
    const QString folder = "/base/";
    const FoundEntries input = {
        {"/base/b.txt", ""},       {"/base/A.txt", ""},      {"/base/a.txt.bak", ""},
        {"/base/z.zip", "b?.txt"}, {"/base/z.zip", "B.txt"}, {"/base/z.zip", "a.txt"},
        {"/base/ lead.txt", ""},   {"/base/q?.txt", ""},     {"/base/sub/a.txt", ""},
        {"/base/sub.txt", ""},
    };
    const FoundEntries expected = {
        {" lead.txt", ""},  {"A.txt", ""},       {"a.txt.bak", ""}, {"b.txt", ""},
        {"q?.txt", ""},     {"sub.txt", ""},     {"sub/a.txt", ""}, {"z.zip", "a.txt"},
        {"z.zip", "B.txt"}, {"z.zip", "b?.txt"},
    };
    const FoundEntries sorted = SortFoundEntries(input, folder);
    ASSERT_EQ(sorted.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(sorted[i].path, expected[i].path);
        EXPECT_EQ(sorted[i].member, expected[i].member);
    }
}

TEST(FindInFilesCoreTest, EntriesAreConvertedByExtension)
{
    const QString root = makeTempDir() + u'/';
    writeZip(root + "arc.zip", {{"b.htm", "<p>alpha <b>beta</b></p>"},
                                {"a.txt", "\xDC"
                                          "BER alles"},
                                {"c.rtf", "{\\rtf1 first\\par second}"}});
    writeFileBytes(root + "page.html", "<b>fett</b> und <i>kursiv</i>");
    writeFileBytes(root + "plain.txt", "<b>fett</b> und");
    const struct
    {
        FoundEntry entry;
        QString search;
        SearchOutcome outcome;
    } cases[] = {
        {{"arc.zip", "b.htm"}, "alpha beta", SearchOutcome::Found},
        {{"arc.zip", "a.txt"}, u"\u00fcber"_qs, SearchOutcome::Found},
        {{"arc.zip", "c.rtf"}, "first second", SearchOutcome::Found},
        {{"arc.zip", "c.rtf"}, "par", SearchOutcome::NotFound},
        {{"arc.zip", "gone.txt"}, "a b", SearchOutcome::NotFound},
        {{"page.html", ""}, "fett und kursiv", SearchOutcome::Found},
        {{"plain.txt", ""}, "<b>fett</b> und", SearchOutcome::Found},
        {{"missing.txt", ""}, "a b", SearchOutcome::Unreadable},
        {{"missing.htm", ""}, "a b", SearchOutcome::Unreadable},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.entry.path.toStdString() + " " + c.entry.member.toStdString());
        EXPECT_EQ(EntryContains(root, c.entry, c.search, Qt::CaseInsensitive), c.outcome);
    }
}

// Converted entries end at their first NUL character, not byte, as the reader shows them.
TEST(FindInFilesCoreTest, Utf16EntriesAreSearchedUpToTheirNul)
{
    const auto utf16 = [](const QString &text) {
        QStringEncoder encoder(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
        return QByteArray(encoder.encode(text));
    };
    const QString page =
        QStringLiteral("<p>seen words") + QChar(0) + QStringLiteral("hidden words");
    const QString root = makeTempDir() + u'/';
    writeZip(root + "arc.zip", {{"le.txt", utf16(QStringLiteral("first line\r\nsecond"))},
                                {"le.htm", utf16(page)},
                                {"utf8.htm", page.toUtf8()}});
    writeFileBytes(root + "page.htm", utf16(page));
    writeFileBytes(root + "utf8.htm", page.toUtf8());
    const QString lines = QStringLiteral("first line\r\nsecond line of the text\r\nthird");
    QStringEncoder le(QStringEncoder::Utf16LE), be(QStringEncoder::Utf16BE);
    writeFileBytes(root + "le-nobom.txt", QByteArray(le.encode(lines)));
    writeFileBytes(root + "be-nobom.txt", QByteArray(be.encode(lines)));
    const struct
    {
        FoundEntry entry;
        QString search;
        SearchOutcome outcome;
    } cases[] = {
        {{"arc.zip", "le.txt"}, "line second", SearchOutcome::Found},
        {{"arc.zip", "le.htm"}, "seen words", SearchOutcome::Found},
        {{"arc.zip", "le.htm"}, "hidden words", SearchOutcome::NotFound},
        {{"arc.zip", "utf8.htm"}, "seen words", SearchOutcome::Found},
        {{"arc.zip", "utf8.htm"}, "hidden words", SearchOutcome::NotFound},
        {{"page.htm", ""}, "seen words", SearchOutcome::Found},
        {{"page.htm", ""}, "hidden words", SearchOutcome::NotFound},
        {{"utf8.htm", ""}, "seen words", SearchOutcome::Found},
        {{"utf8.htm", ""}, "hidden words", SearchOutcome::NotFound},
        {{"le-nobom.txt", ""}, "line second", SearchOutcome::Found},
        {{"be-nobom.txt", ""}, "of the text third", SearchOutcome::Found},
        {{"be-nobom.txt", ""}, "fourth", SearchOutcome::NotFound},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.entry.path.toStdString() + " " + c.entry.member.toStdString() + " / " +
                     c.search.toStdString());
        EXPECT_EQ(EntryContains(root, c.entry, c.search, Qt::CaseInsensitive), c.outcome);
    }
}

namespace {

QByteArray encodingFixture(const char *name)
{
    return readFileBytes(QStringLiteral(TAVOLEX_TEST_DATA "/encodings/") +
                         QString::fromLatin1(name));
}

} // namespace

TEST(FindInFilesCoreTest, FindsWordsInLegacyFiles)
{
    const struct
    {
        const char *file;
        QString search;
        SearchOutcome outcome;
    } cases[] = {
        {"russian.cp1251.txt", u"\u0431\u0438\u0431\u043b\u0438\u043e\u0442\u0435\u043a\u0438"_qs,
         SearchOutcome::Found},
        {"russian.koi8r.txt",
         u"\u0422\u042f\u0416\u0401\u041b\u0423\u042e \u0441\u0443\u043c\u043a\u0443"_qs,
         SearchOutcome::Found},
        {"russian.koi8r.txt", u"\u0441\u0443\u043c\u043a\u0430"_qs, SearchOutcome::NotFound},
        {"japanese.sjis.txt", u"\u5730\u56f3\u306e\u672c"_qs, SearchOutcome::Found},
        {"chinese.gb18030.txt", u"\u725b\u8089\u9762"_qs, SearchOutcome::Found},
        {"czech.iso88592.txt", u"\u0159ekl mu"_qs, SearchOutcome::Found},
        {"german.cp1252.txt", u"\u201eHors d\u2019\u0153uvre"_qs, SearchOutcome::Found},
        {"french.cp1252.txt", u"4 \u20ac \u2013 un peu cher"_qs, SearchOutcome::Found},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.file);
        EXPECT_EQ(StreamContains(c.search, fileWith(encodingFixture(c.file)), Qt::CaseInsensitive),
                  c.outcome);
    }
}

// The phrase sits past the first block and is split over lines, so the legacy decoding has to
// carry on across blocks.
TEST(FindInFilesCoreTest, FindsLegacyPhrasesBeyondTheFirstBlock)
{
    const QString endOfPart = u"\u041a\u043e\u043d\u0435\u0446\n\u0447\u0430\u0441\u0442\u0438"_qs;
    const struct
    {
        const char *original;
        QByteArray codec;
        QString phrase;
    } cases[] = {
        {"russian.utf8.txt", "KOI8-R", endOfPart},
        {"russian.utf8.txt", "WINDOWS-1251", endOfPart},
        {"japanese.utf8.txt", "SHIFT_JIS", u"\u7b2c\u4e00\u90e8\n\u304a\u308f\u308a"_qs},
        {"chinese.utf8.txt", "GB18030", u"\u7b2c\u4e00\u90e8\n\u5b8c"_qs},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.codec.toStdString());
        const QString text = QString::fromUtf8(encodingFixture(c.original)).repeated(4) + c.phrase;
        QByteArray bytes;
        ASSERT_TRUE(encodeWithCodec(text, c.codec, bytes));
        ASSERT_GT(bytes.size(), 1024);
        const QString path = fileWith(bytes);
        QString search = c.phrase;
        search.replace(u'\n', u' ');
        EXPECT_EQ(StreamContains(search, path, Qt::CaseInsensitive), SearchOutcome::Found);
        EXPECT_EQ(StreamContains(search + u'!', path, Qt::CaseInsensitive),
                  SearchOutcome::NotFound);
    }
}

// Find in files reads a file the way the reader would show it: where a legacy guess fails
// to decode, even late in the file, both fall back to Windows-1252.
TEST(FindInFilesCoreTest, StreamAgreesWithTheReaderOnLegacyFiles)
{
    const QByteArray sjis = encodingFixture("japanese.sjis.txt");
    const QByteArray koi8 = encodingFixture("russian.koi8r.txt");
    const QString inJapanese = u"\u99c5\u524d"_qs;
    const QString inRussian = u"\u041e\u0441\u0435\u043d\u043d\u0438\u0439"_qs;
    const QByteArray czech = encodingFixture("czech.iso88592.txt");
    const QString inCzech = u"m\u011bst\u011b"_qs;
    const struct
    {
        const char *name;
        QByteArray bytes;
        QString search;
    } cases[] = {
        {"Shift_JIS", sjis, inJapanese},
        {"Shift_JIS with a stray byte at the end", sjis.repeated(3) + "\x80", inJapanese},
        {"Shift_JIS cut inside its last character", sjis.left(sjis.lastIndexOf('\n') - 1),
         inJapanese},
        {"Shift_JIS, stray byte behind a NUL", sjis + '\0' + "\x80", inJapanese},
        {"KOI8-R", koi8, inRussian},
        {"ISO-8859-2", czech, inCzech},
        {"ISO-8859-2 guess over a Windows-only byte", czech + " \x96 ", inCzech},
        {"KOI8-R, Shift_JIS behind a NUL", koi8 + '\0' + sjis, inRussian},
        {"Windows-1252 reading", sjis.repeated(3) + "\x80", decodeWindows1252(sjis.left(4))},
        {"UTF-8 up to a late invalid byte",
         u"gr\u00fcn wiese "_qs.toUtf8() + QByteArray(3000, 'x') + "\xFF", u"gr\u00fcn"_qs},
        {"UTF-8 cut inside its last character", u"gr\u00fcn wiese \u00fc"_qs.toUtf8().chopped(1),
         u"gr\u00fcn"_qs},
        {"UTF-8 throughout", u"gr\u00fcn wiese "_qs.toUtf8() + QByteArray(3000, 'x'),
         u"gr\u00fcn"_qs},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const bool shown = decodeDocumentBytes(c.bytes).text.contains(c.search);
        EXPECT_EQ(StreamContains(c.search, fileWith(c.bytes), Qt::CaseSensitive),
                  shown ? SearchOutcome::Found : SearchOutcome::NotFound);
    }
}

TEST(FindInFilesCoreTest, KeepGoingStopsTheLegacyPasses)
{
    const QString text = QString::fromUtf8(encodingFixture("russian.utf8.txt")).repeated(8);
    QByteArray bytes;
    ASSERT_TRUE(encodeWithCodec(text, "KOI8-R", bytes));
    const qsizetype blocks = (bytes.size() + 1023) / 1024;
    const QString path = fileWith(bytes);
    for (int allowed : {1, 2, int(blocks) + 1}) {
        SCOPED_TRACE(allowed);
        int asked = 0;
        EXPECT_EQ(StreamContains(u"\u043d\u0435\u0442 \u0442\u0443\u0442"_qs, path,
                                 Qt::CaseSensitive, [&] { return ++asked < allowed; }),
                  SearchOutcome::Stopped);
        EXPECT_EQ(asked, allowed);
    }
}
