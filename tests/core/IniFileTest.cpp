#include "core/book/IniFile.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <csignal>
#include <random>
#include <sys/resource.h>

namespace {

using WriteResult = IniFile::WriteResult;

QString freshIni()
{
    return makeTempDir() + QStringLiteral("/Tavolex.ini");
}

QString iniWith(const QByteArray &bytes)
{
    const QString path = freshIni();
    writeFileBytes(path, bytes);
    return path;
}

struct ReadCase
{
    const char *name;
    QByteArray file;
    QString section;
    QString key;
    QString expected; // "<default>" when the key must read as absent
};

TEST(IniFileTest, ReadsHandEditedFiles)
{
    const QString absent = QStringLiteral("<default>");
    const std::vector<ReadCase> cases = {
        {"plain", "[Options]\nQuick find=No\n", "Options", "Quick find", "No"},
        {"names ignore case", "[OPTIONS]\nquick FIND=No\n", "options", "Quick Find", "No"},
        {"CR LF", "[S]\r\na=1\r\nb=2\r\n", "S", "a", "1"},
        {"CR LF last", "[S]\r\na=1\r\nb=2\r\n", "S", "b", "2"},
        {"blanks around =", "[S]\n  Page   =   12  \n", "S", "Page", "12"},
        {"tab blanks", "[S]\n\tPage\t=\t12\t\n", "S", "Page", "12"},
        {"blanks around header name", "  [  Options ]  \nk=v\n", "Options", "k", "v"},
        {"duplicate key reads first", "[S]\nk=first\nk=second\n", "S", "k", "first"},
        {"duplicate section reads first", "[S]\nk=1\n[T]\n[s]\nk=2\n", "S", "k", "1"},
        {"key before first section", "k=0\n[S]\nj=1\n", "S", "k", absent},
        {"BOM at start", "\xEF\xBB\xBF[Options]\nk=v\n", "Options", "k", "v"},
        {"value after first =", "[S]\nk=a=b=c\n", "S", "k", "a=b=c"},
        {"quoted value", "[S]\nk=\"  spaced  \"\n", "S", "k", "  spaced  "},
        {"one quote only", "[S]\nk=\"open\n", "S", "k", "\"open"},
        {"empty value", "[S]\nk=\n", "S", "k", ""},
        {"line without =", "[S]\nSymbol\n", "S", "Symbol", ""},
        {"comment line", "[S]\n;k=1\nk=2\n", "S", "k", "2"},
        {"header from first [ to last ]", "[/b/[x]=y].txt]\nk=v\n", "/b/[x]=y].txt", "k", "v"},
        {"text after last ]", "[S] ; note\nk=v\n", "S", "k", "v"},
        {"[ without ] is no header", "[S]\n[broken\nk=v\n", "S", "k", "v"},
        {"no final line end", "[S]\nk=v", "S", "k", "v"},
        {"missing key", "[S]\nk=v\n", "S", "other", absent},
        {"missing section", "[S]\nk=v\n", "T", "k", absent},
        {"empty file", "", "S", "k", absent},
        {"key of next section", "[S]\n[T]\nk=v\n", "S", "k", absent},
        {"single-byte line",
         "[S]\nk=Gr\xF6\xDF"
         "e\nu=\xC3\xBC\n",
         "S", "k",
         QString::fromUtf8("Gr\xC3\xB6\xC3\x9F"
                           "e")},
        {"UTF-8 beside single-byte line",
         "[S]\nk=Gr\xF6\xDF"
         "e\nu=\xC3\xBC\n",
         "S", "u", QString::fromUtf8("\xC3\xBC")},
        {"UTF-16 LE", QByteArray("\xFF\xFE[\0S\0]\0\n\0k\0=\0v\0\n\0", 18), "S", "k", "v"},
    };
    for (const ReadCase &c : cases) {
        const IniFile ini(iniWith(c.file));
        EXPECT_EQ(ini.readString(c.section, c.key, absent), c.expected) << c.name;
    }
}

TEST(IniFileTest, LongValuesAreCutOnReading)
{
    IniFile ini(freshIni());
    const QString longValue = QString(3000, u'v');
    ASSERT_EQ(ini.writeString("S", "k", longValue), WriteResult::Written);
    EXPECT_EQ(ini.readString("S", "k", {}), longValue.left(IniFile::MaxValueLength));
    EXPECT_TRUE(readFileBytes(ini.path()).contains(longValue.toUtf8()));

    // A cut never leaves half a surrogate pair.
    const QString pairAtLimit = QString(IniFile::MaxValueLength - 1, u'x') +
                                QString::fromUtf8("\xF0\x9F\x93\x96") + QStringLiteral("tail");
    ASSERT_EQ(ini.writeString("S", "k", pairAtLimit), WriteResult::Written);
    EXPECT_EQ(ini.readString("S", "k", {}), pairAtLimit.left(IniFile::MaxValueLength - 1));
}

struct WriteCase
{
    const char *name;
    QByteArray before;
    QString section;
    QString key;
    QString value;
    QByteArray after;
};

TEST(IniFileTest, WritesInPlaceAppendsKeysAndSections)
{
    const std::vector<WriteCase> cases = {
        {"first write creates the file", "", "S", "k", "v", "[S]\nk=v\n"},
        {"replace", "[S]\na=1\nb=2\n", "S", "b", "3", "[S]\na=1\nb=3\n"},
        {"replace keeps the file's spelling", "[s]\nPAGE=1\n", "S", "page", "2", "[s]\nPAGE=2\n"},
        {"replace the first of duplicates", "[S]\nk=1\nk=2\n", "S", "k", "3", "[S]\nk=3\nk=2\n"},
        {"replace tidies hand spacing", "[S]\n  Page = 5 \n", "S", "Page", "6", "[S]\nPage=6\n"},
        {"new key at end of its section", "[S]\na=1\n\n[T]\nx=1\n", "S", "c", "2",
         "[S]\na=1\nc=2\n\n[T]\nx=1\n"},
        {"new key after the last key, before a comment", "[S]\na=1\n;note\n", "S", "b", "2",
         "[S]\na=1\nb=2\n;note\n"},
        {"empty header gets the key", "[Options]\n[T]\nx=1\n", "Options", "k", "v",
         "[Options]\nk=v\n[T]\nx=1\n"},
        {"new section at the end", "[S]\na=1\n", "T", "x", "1", "[S]\na=1\n\n[T]\nx=1\n"},
        {"no second blank line", "[S]\na=1\n\n", "T", "x", "1", "[S]\na=1\n\n[T]\nx=1\n"},
        {"no final line end", "[S]\na=1", "S", "b", "2", "[S]\na=1\nb=2\n"},
        {"no final line end, new section", "[S]\na=1", "T", "x", "1", "[S]\na=1\n\n[T]\nx=1\n"},
        {"CR LF file keeps CR LF", "[S]\r\na=1\r\n", "S", "b", "2", "[S]\r\na=1\r\nb=2\r\n"},
        {"CR LF replace", "[S]\r\na=1\r\nb=2\r\n", "S", "a", "9", "[S]\r\na=9\r\nb=2\r\n"},
        {"keys before first section kept", "k=0\n[S]\na=1\n", "S", "a", "2", "k=0\n[S]\na=2\n"},
        {"BOM kept", "\xEF\xBB\xBF[S]\na=1\n", "S", "a", "2", "\xEF\xBB\xBF[S]\na=2\n"},
        {"BOM only", "\xEF\xBB\xBF", "S", "a", "2", "\xEF\xBB\xBF[S]\na=2\n"},
        {"duplicate section: first one written", "[S]\nk=1\n[s]\nk=2\n", "S", "k", "3",
         "[S]\nk=3\n[s]\nk=2\n"},
        {"value needing quotes", "", "S", "k", " x ", "[S]\nk=\" x \"\n"},
        {"key needing quotes", "", "S", "a=b", "v", "[S]\n\"a=b\"=v\n"},
        {"name needing quotes", "", " S ", "k", "v", "[\" S \"]\nk=v\n"},
        {"single-byte line rewritten as UTF-8", "[S]\nk=\xF6\n", "S", "k",
         QString::fromUtf8("\xC3\xBC"), "[S]\nk=\xC3\xBC\n"},
        {"UTF-16 file becomes UTF-8", QByteArray("\xFF\xFE[\0S\0]\0\n\0k\0=\0v\0\n\0", 18), "S",
         "k", "w", "[S]\nk=w\n"},
    };
    for (const WriteCase &c : cases) {
        IniFile ini(c.before.isEmpty() ? freshIni() : iniWith(c.before));
        EXPECT_EQ(ini.writeString(c.section, c.key, c.value), WriteResult::Written) << c.name;
        EXPECT_EQ(readFileBytes(ini.path()), c.after) << c.name;
        EXPECT_EQ(ini.readString(c.section, c.key, "<default>"), c.value) << c.name;
    }
}

TEST(IniFileTest, WriteStringsKeepsOrderAndWritesOnce)
{
    IniFile ini(iniWith("[Doc]\nPage=3\n"));
    const QList<IniEntry> entries = {{"Fontname", "Serif"}, {"Page", "4"}, {"Lines", "30"}};
    ASSERT_EQ(ini.writeStrings("Doc", entries), WriteResult::Written);
    EXPECT_EQ(readFileBytes(ini.path()), "[Doc]\nPage=4\nFontname=Serif\nLines=30\n");
    ASSERT_EQ(ini.writeStrings("New", entries), WriteResult::Written);
    EXPECT_EQ(
        readFileBytes(ini.path()),
        "[Doc]\nPage=4\nFontname=Serif\nLines=30\n\n[New]\nFontname=Serif\nPage=4\nLines=30\n");

    // One bad entry refuses the whole batch.
    const QByteArray before = readFileBytes(ini.path());
    EXPECT_EQ(ini.writeStrings("Doc", {{"Page", "5"}, {"Bad", "a\nb"}}), WriteResult::InvalidText);
    EXPECT_EQ(readFileBytes(ini.path()), before);
}

// Texts that are not hostile in general but are to this file format.
std::vector<std::pair<const char *, QString>> formatTexts()
{
    std::vector<std::pair<const char *, QString>> texts = {
        {"brackets", "/books/[1] a]b.txt"},
        {"closing bracket last", "/books/a]"},
        {"opening bracket first", "[x"},
        {"whole header", "[x]"},
        {"equals", "/books/a=b=c.txt"},
        {"leading blank", " /books/a.txt"},
        {"trailing blanks", "/books/a.txt \t "},
        {"quoted", "\"quoted\""},
        {"two quotes", "\"\""},
        {"one quote", "\""},
        {"quote and equals", "a\"=b"},
        {"leading quote", "\"abc"},
        {"semicolon first", ";not a comment"},
        {"non-ASCII", QString::fromUtf8("/b\xC3\xBC"
                                        "cher/\xE2\x80\x9C"
                                        "x\xE2\x80\x9D.txt")},
    };
    for (const HostileText &h : hostileTexts())
        texts.emplace_back(h.name, h.text);
    return texts;
}

bool hasLineBreakOrLoneSurrogate(const QString &s)
{
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] == u'\n' || s[i] == u'\r' || s[i].isLowSurrogate())
            return true;
        if (s[i].isHighSurrogate() && (i + 1 == s.size() || !s[++i].isLowSurrogate()))
            return true;
    }
    return false;
}

TEST(IniFileTest, EveryWritableTextReadsBackUnchanged)
{
    for (const auto &[name, text] : formatTexts()) {
        const bool writable = !hasLineBreakOrLoneSurrogate(text);
        const QString cut = text.left(IniFile::MaxValueLength);

        IniFile asValue(iniWith("[S]\nother=1\n"));
        EXPECT_EQ(asValue.writeString("S", "k", text),
                  writable ? WriteResult::Written : WriteResult::InvalidText)
            << name;
        EXPECT_EQ(asValue.readString("S", "k", "<default>"), writable ? cut : "<default>") << name;
        EXPECT_EQ(asValue.readString("S", "other", {}), "1") << name;

        const bool validName = writable && !text.isEmpty();
        EXPECT_EQ(isValidSectionName(text), validName) << name;

        IniFile asKey(iniWith("[S]\nother=1\n"));
        EXPECT_EQ(asKey.writeString("S", text, "v"),
                  validName ? WriteResult::Written : WriteResult::InvalidText)
            << name;
        EXPECT_EQ(asKey.readString("S", text, "<default>"), validName ? "v" : "<default>") << name;
        EXPECT_EQ(asKey.readSectionKeys("S"),
                  validName && text.toUtf8().size() < IniFile::MaxListBytes
                      ? QStringList({"other", text})
                      : QStringList({"other"}))
            << name;

        IniFile asSection(iniWith("[S]\nother=1\n"));
        EXPECT_EQ(asSection.writeString(text, "k", "v"),
                  validName ? WriteResult::Written : WriteResult::InvalidText)
            << name;
        EXPECT_EQ(asSection.readString(text, "k", "<default>"), validName ? "v" : "<default>")
            << name;
        EXPECT_EQ(asSection.sectionExists(text), validName) << name;
        EXPECT_EQ(asSection.readString("S", "other", {}), "1") << name;
    }
}

TEST(IniFileTest, ManyAwkwardSectionsInOneFileStayApart)
{
    IniFile ini(freshIni());
    std::vector<QString> names;
    for (const auto &[name, text] : formatTexts()) {
        if (isValidSectionName(text) && text.size() < 1000)
            names.push_back(text);
    }
    for (size_t i = 0; i < names.size(); ++i) {
        ASSERT_EQ(ini.writeStrings(names[i], {{names[i], QString::number(i)}, {"Page", "1"}}),
                  WriteResult::Written);
    }
    for (size_t i = 0; i < names.size(); ++i) {
        ASSERT_EQ(ini.writeString(names[i], "Page", QString::number(i + 100)),
                  WriteResult::Written);
    }
    for (size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(ini.readString(names[i], names[i], {}), QString::number(i))
            << names[i].toStdString();
        EXPECT_EQ(ini.readString(names[i], "Page", {}), QString::number(i + 100));
        EXPECT_EQ(ini.readSectionKeys(names[i]), QStringList({names[i], "Page"}));
    }
}

TEST(IniFileTest, SectionExistsOnlyWithKeys)
{
    struct Case
    {
        const char *file;
        bool exists;
    };
    const std::vector<Case> cases = {
        {"[Options]\n", false},
        {"[Options]\n\n;comment\n[Colors]\nText=clBlack\n", false},
        {"[Options]\nk=\n", true},
        {"[Options]\nSymbol\n", true},
        {"", false},
        {"Options=1\n", false},
    };
    for (const Case &c : cases) {
        const IniFile ini(iniWith(c.file));
        EXPECT_EQ(ini.sectionExists("options"), c.exists) << c.file;
    }
    const IniFile ini(iniWith("[S]\na=\nB\n"));
    EXPECT_TRUE(ini.valueExists("s", "A"));
    EXPECT_TRUE(ini.valueExists("S", "b"));
    EXPECT_FALSE(ini.valueExists("S", "c"));
    EXPECT_FALSE(ini.valueExists("T", "a"));
}

TEST(IniFileTest, ListSectionsReadAsKeyNames)
{
    const IniFile ini(
        iniWith("[Excluded Paths]\n/media/floppy/=\n  /tmp/ = ignored\n/media/floppy/=\n"
                ";/skip/=\n/no/equals\n\n[Next]\n/other/=\n"));
    EXPECT_EQ(ini.readSectionKeys("excluded paths"),
              QStringList({"/media/floppy/", "/tmp/", "/media/floppy/", "/no/equals"}));
    EXPECT_TRUE(ini.readSectionKeys("Missing").isEmpty());

    // Only whole names that fit the list size are read.
    QByteArray file = "[Excluded Fonts]\n";
    QStringList expected;
    qsizetype used = 1;
    for (int i = 0; used + 100 <= IniFile::MaxListBytes; ++i) {
        const QString name =
            QStringLiteral("Font %1 ").arg(i, 4, 10, QChar(u'0')).leftJustified(99, u'x');
        file += name.toUtf8() + "=\n";
        expected.append(name);
        used += 100;
    }
    file += QByteArray(100, 'z') + "=\n";
    const IniFile list(iniWith(file));
    EXPECT_EQ(list.readSectionKeys("Excluded Fonts"), expected);
}

TEST(IniFileTest, DeleteKeyAndEraseSection)
{
    IniFile ini(iniWith("[S]\na=1\nk=1\nb=2\nK=3\n\n[T]\nk=1\n\n[s]\nk=4\n"));
    ASSERT_EQ(ini.deleteKey("S", "k"), WriteResult::Written);
    EXPECT_EQ(readFileBytes(ini.path()), "[S]\na=1\nb=2\n\n[T]\nk=1\n\n[s]\nk=4\n");
    EXPECT_EQ(ini.readString("S", "k", "<default>"), "<default>");
    ASSERT_EQ(ini.deleteKey("S", "missing"), WriteResult::Written);
    ASSERT_EQ(ini.deleteKey("Missing", "k"), WriteResult::Written);
    EXPECT_EQ(readFileBytes(ini.path()), "[S]\na=1\nb=2\n\n[T]\nk=1\n\n[s]\nk=4\n");

    ASSERT_EQ(ini.eraseSection("s"), WriteResult::Written);
    EXPECT_EQ(readFileBytes(ini.path()), "[T]\nk=1\n\n");
    EXPECT_FALSE(ini.sectionExists("S"));
    ASSERT_EQ(ini.eraseSection("T"), WriteResult::Written);
    EXPECT_EQ(readFileBytes(ini.path()), "");
}

TEST(IniFileTest, HandEditsBetweenOperationsAreSeen)
{
    IniFile ini(freshIni());
    ASSERT_EQ(ini.writeStrings("Doc", {{"Page", "10"}, {"Lines", "30"}}), WriteResult::Written);
    EXPECT_EQ(ini.readString("Doc", "Page", {}), "10");

    // Same size, so only the content tells the edit apart.
    writeFileBytes(ini.path(), "[Doc]\nPage=77\nLines=30\n");
    EXPECT_EQ(ini.readString("Doc", "Page", {}), "77");
    ASSERT_EQ(ini.writeString("Doc", "Lines", "31"), WriteResult::Written);
    EXPECT_EQ(readFileBytes(ini.path()), "[Doc]\nPage=77\nLines=31\n");

    // A copy of the object is no less up to date.
    const IniFile copy = ini;
    writeFileBytes(ini.path(), "[Doc]\nPage=78\nLines=31\n");
    EXPECT_EQ(copy.readString("Doc", "Page", {}), "78");
    QFile::remove(ini.path());
    EXPECT_EQ(copy.readString("Doc", "Page", "1"), "1");
}

TEST(IniFileTest, RefusedWritesAreReportedAndLeaveTheFileAlone)
{
    EXPECT_EQ(unableToWriteMessage("/opt/tavolex/Tavolex.ini"),
              "Unable to write to /opt/tavolex/Tavolex.ini");

    const QString dir = makeTempDir();
    writeFileBytes(dir + "/plain", "x");
    IniFile underFile(dir + "/plain/Tavolex.ini");
    EXPECT_EQ(underFile.writeString("S", "k", "v"), WriteResult::Refused);

    QDir(dir).mkdir("folder");
    IniFile folder(dir + "/folder");
    EXPECT_EQ(folder.writeString("S", "k", "v"), WriteResult::Refused);
    EXPECT_EQ(folder.readString("S", "k", "d"), "d");

    const QByteArray content = "[S]\nk=1\n";
    const QString readOnlyPath = iniWith(content);
    QFile::setPermissions(readOnlyPath, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    IniFile readOnly(readOnlyPath);
    EXPECT_EQ(readOnly.writeString("S", "k", "2"), WriteResult::Refused);
    EXPECT_EQ(readOnly.writeString("T", "k", "2"), WriteResult::Refused);
    EXPECT_EQ(readOnly.deleteKey("S", "k"), WriteResult::Refused);
    EXPECT_EQ(readOnly.eraseSection("S"), WriteResult::Refused);
    EXPECT_EQ(readFileBytes(readOnlyPath), content);
    EXPECT_EQ(readOnly.readString("S", "k", {}), "1");

    // A write cut short by the platform, as on a full disk, leaves the old file whole.
    const QString cutShortPath = iniWith(content);
    IniFile cutShort(cutShortPath);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit oldLimit{};
    getrlimit(RLIMIT_FSIZE, &oldLimit);
    rlimit small = oldLimit;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const WriteResult bigWrite = cutShort.writeString("S", "k", QString(10000, u'x'));
    setrlimit(RLIMIT_FSIZE, &oldLimit);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(bigWrite, WriteResult::Refused);
    EXPECT_EQ(readFileBytes(cutShortPath), content);
    EXPECT_EQ(QDir(QFileInfo(cutShortPath).absolutePath()).entryList(QDir::Files | QDir::Hidden),
              QStringList({"Tavolex.ini"}));

    // A folder that does not exist yet is made on the first write.
    IniFile nested(dir + "/config/tavolex/Tavolex.ini");
    EXPECT_EQ(nested.writeString("S", "k", "v"), WriteResult::Written);
    EXPECT_EQ(nested.readString("S", "k", {}), "v");
}

TEST(IniFileTest, WritesReplaceTheFileWholeAndKeepItsPermissions)
{
    const QString path = iniWith("[S]\nk=1\n");
    const QFile::Permissions mode = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
    const QFile::Permissions modeBits = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                        QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                        QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    QFile::setPermissions(path, mode);
    IniFile ini(path);
    for (int i = 0; i < 20; ++i)
        ASSERT_EQ(ini.writeString("S", "k", QString::number(i)), WriteResult::Written);
    EXPECT_EQ(QFile::permissions(path) & modeBits, mode);
    EXPECT_EQ(QDir(QFileInfo(path).absolutePath()).entryList(QDir::Files | QDir::Hidden),
              QStringList({"Tavolex.ini"}));

    // A settings file that is a symbolic link is written through and stays a link.
    const QString dir = makeTempDir();
    writeFileBytes(dir + "/real.ini", "[S]\nk=1\n");
    ASSERT_TRUE(QFile::link(dir + "/real.ini", dir + "/Tavolex.ini"));
    IniFile linked(dir + "/Tavolex.ini");
    ASSERT_EQ(linked.writeString("S", "k", "2"), WriteResult::Written);
    EXPECT_TRUE(QFileInfo(dir + "/Tavolex.ini").isSymLink());
    EXPECT_EQ(readFileBytes(dir + "/real.ini"), "[S]\nk=2\n");
}

// The object keeps what it learnt from its own writes; a fresh object parses the file anew.
// Both must answer alike after any sequence of writes.
TEST(IniFileTest, KnowledgeFromOwnWritesMatchesAFreshRead)
{
    const QStringList sections = {"Options", "OPTIONS", "/b/[1].txt", "/b/a=b.txt", " /b/c ",
                                  "Recent",  "Doc 1",   "Doc 2",      "Doc 3"};
    const QStringList keys = {"Page", "page", "Lines", "a=b", " k ", "Recent 1"};
    IniFile ini(iniWith("[Doc 2]\nPage=1\n\n[Options]\nk=v\n[doc 2]\nPage=2\n"));
    std::mt19937 random(7);
    auto pick = [&](const QStringList &list) { return list[int(random() % list.size())]; };
    for (int step = 0; step < 300; ++step) {
        const QString section = pick(sections);
        const QString key = pick(keys);
        WriteResult result = WriteResult::Written;
        switch (random() % 10) {
        case 0:
            result = ini.deleteKey(section, key);
            break;
        case 1:
            result = ini.eraseSection(section);
            break;
        case 2:
            result = ini.writeStrings(section, {{key, "x"}, {pick(keys), QString::number(step)}});
            break;
        default:
            result = ini.writeString(section, key, QString::number(step));
        }
        ASSERT_EQ(result, WriteResult::Written);
        const IniFile fresh(ini.path());
        for (const QString &s : sections) {
            ASSERT_EQ(ini.sectionExists(s), fresh.sectionExists(s)) << step;
            ASSERT_EQ(ini.readSectionKeys(s), fresh.readSectionKeys(s)) << step;
            for (const QString &k : keys)
                ASSERT_EQ(ini.readString(s, k, "-"), fresh.readString(s, k, "-")) << step;
        }
    }
}

} // namespace
