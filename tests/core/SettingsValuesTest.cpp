#include "core/book/SettingsValues.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

using WriteResult = IniFile::WriteResult;

TEST(SettingsValuesTest, SwitchesAreReadByTheTestOfTheirKey)
{
    struct Case
    {
        const char *fileLine; // in [Options], or empty for an absent key
        const char *key;
        const char *absentDefault;
        SwitchTest test;
        bool on;
    };
    const std::vector<Case> cases = {
        {"Auto-open=", "Auto-open", "No", SwitchTest::OnUnlessNo, true},
        {"", "Auto-open", "No", SwitchTest::OnUnlessNo, false},
        {"Auto-open=No", "Auto-open", "No", SwitchTest::OnUnlessNo, false},
        {"Automatically fit=no", "Automatically fit", "Yes", SwitchTest::OnUnlessNo, true},
        {"Automatically fit=NO", "Automatically fit", "Yes", SwitchTest::OnUnlessNo, true},
        {"Automatically fit=No", "Automatically fit", "Yes", SwitchTest::OnUnlessNo, false},
        {"Automatically fit = No ", "Automatically fit", "Yes", SwitchTest::OnUnlessNo, false},
        {"Automatically fit=Off", "Automatically fit", "Yes", SwitchTest::OnUnlessNo, true},
        {"", "Automatically fit", "Yes", SwitchTest::OnUnlessNo, true},
        {"Menu/Help on click=yes", "Menu/Help on click", "No", SwitchTest::OnOnlyIfYes, false},
        {"Menu/Help on click=Yes", "Menu/Help on click", "No", SwitchTest::OnOnlyIfYes, true},
        {"Menu/Help on click=", "Menu/Help on click", "No", SwitchTest::OnOnlyIfYes, false},
        {"Menu/Help on click=Yes please", "Menu/Help on click", "No", SwitchTest::OnOnlyIfYes,
         false},
        {"", "Large Menu", "No", SwitchTest::OnOnlyIfYes, false},
    };
    for (const Case &c : cases) {
        const QString path = makeTempDir() + "/Tavolex.ini";
        writeFileBytes(path, QByteArray("[Options]\n") + c.fileLine + "\n");
        const IniFile ini(path);
        EXPECT_EQ(readSwitch(ini.readString("Options", c.key, c.absentDefault), c.test), c.on)
            << c.fileLine << " / " << c.key;
    }
    EXPECT_EQ(switchText(true), "Yes");
    EXPECT_EQ(switchText(false), "No");
}

TEST(SettingsValuesTest, IntegersAndTheirConversionError)
{
    struct Case
    {
        QString text;
        std::optional<int> value;
    };
    const std::vector<Case> cases = {
        {"0", 0},
        {"10", 10},
        {"007", 7},
        {"-5", -5},
        {"+7", 7},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"2147483648", std::nullopt},
        {"-2147483649", std::nullopt},
        {"99999999999999999999", std::nullopt},
        {"$00E7E7E7", 0x00E7E7E7},
        {"$ff", 255},
        {"$FFFFFFFF", -1},
        {"$100000000", std::nullopt},
        {"$", std::nullopt},
        {"-$10", std::nullopt},
        {"", std::nullopt},
        {"-", std::nullopt},
        {"+", std::nullopt},
        {"1.5", std::nullopt},
        {" 1", std::nullopt},
        {"1 ", std::nullopt},
        {"0x10", std::nullopt},
        {"abc", std::nullopt},
        {QString::fromUtf8("\xEF\xBC\x91"), std::nullopt}, // a full-width digit one
    };
    for (const Case &c : cases) {
        EXPECT_EQ(parseInteger(c.text), c.value) << c.text.toStdString();
        if (c.value) {
            EXPECT_EQ(toInteger(c.text), *c.value);
        } else {
            try {
                toInteger(c.text);
                ADD_FAILURE() << "no error for " << c.text.toStdString();
            } catch (const ConversionError &e) {
                EXPECT_EQ(e.message(), "'" + c.text + "' is not a valid integer value");
                EXPECT_EQ(QString::fromStdString(e.what()), e.message());
            }
        }
    }
    EXPECT_EQ(invalidIntegerMessage("x%1y"), "'x%1y' is not a valid integer value");
    for (const HostileText &h : hostileTexts()) {
        EXPECT_FALSE(parseInteger(h.text)) << h.name;
        EXPECT_EQ(invalidIntegerMessage(h.text), "'" + h.text + "' is not a valid integer value");
    }
}

TEST(SettingsValuesTest, ColoursReadAndWritten)
{
    struct Case
    {
        QString text;
        std::optional<quint32> bgr;
    };
    const std::vector<Case> cases = {
        {"clBlack", 0x000000},       {"clMaroon", 0x000080},     {"clRed", 0x0000FF},
        {"clBlue", 0xFF0000},        {"clWhite", 0xFFFFFF},      {"CLRED", 0x0000FF},
        {"$00B8DCDC", 0xB8DCDC},     {"$00E7E7E7", 0xE7E7E7},    {"255", 0x0000FF},
        {"clBtnFace", 0xF0F0F0},     {"$FF00000F", 0xF0F0F0},    {"-16777201", 0xF0F0F0},
        {"$8000000F", 0xF0F0F0},     {"-2147483633", 0xF0F0F0},  {"$80000018", 0xE1FFFF},
        {"clInfoBk", 0xE1FFFF},      {"clWindowText", 0x000000}, {"clHighlight", 0xD77800},
        {"clNone", 0xFFFFFF},        {"$1FFFFFFF", 0xFFFFFF},    {"$02123456", 0x123456},
        {"clReddish", std::nullopt}, {"", std::nullopt},         {"#FF0000", std::nullopt},
    };
    for (const Case &c : cases) {
        const auto colour = parseColour(c.text);
        ASSERT_EQ(colour.has_value(), c.bgr.has_value()) << c.text.toStdString();
        if (c.bgr) {
            EXPECT_EQ(colour->bgr, *c.bgr) << c.text.toStdString();
            EXPECT_EQ(toColour(c.text), *colour);
        } else {
            try {
                toColour(c.text);
                ADD_FAILURE() << "no error for " << c.text.toStdString();
            } catch (const ConversionError &e) {
                EXPECT_EQ(e.message(), "'" + c.text + "' is not a valid integer value");
            }
        }
    }

    const QStringList standard = {
        "clBlack",  "clMaroon", "clGreen", "clOlive",  "clNavy", "clPurple",  "clTeal", "clGray",
        "clSilver", "clRed",    "clLime",  "clYellow", "clBlue", "clFuchsia", "clAqua", "clWhite"};
    for (const QString &name : standard)
        EXPECT_EQ(colourText(toColour(name)), name);
    EXPECT_EQ(colourText(toColour("$00E7E7E7")), "$00E7E7E7");
    EXPECT_EQ(colourText(ColourValue::fromRgb(1, 2, 3)), "$00030201");
    EXPECT_EQ(colourText(toColour("clBtnFace")), "$00F0F0F0");
    const ColourValue c = toColour("$00B8DCDA");
    EXPECT_EQ(c.red(), 0xDA);
    EXPECT_EQ(c.green(), 0xDC);
    EXPECT_EQ(c.blue(), 0xB8);
    for (const HostileText &h : hostileTexts())
        EXPECT_FALSE(parseColour(h.text)) << h.name;
}

TEST(SettingsValuesTest, WhichDocumentsAreExcluded)
{
    struct Case
    {
        const char *name;
        QString path;
        QStringList excluded;
        QStringList included;
        bool result;
    };
    const QStringList floppy = {"/media/floppy/"};
    const std::vector<Case> cases = {
        {"nothing listed", "/home/u/a.txt", {}, {}, false},
        {"built-in floppy entry", "/media/floppy/a.txt", floppy, {}, true},
        {"elsewhere", "/home/u/a.txt", floppy, {}, false},
        {"prefix longer than path", "/media/flop", floppy, {}, false},
        {"star", "/home/u/a.txt", {"*"}, {}, true},
        {"star with included prefix", "/home/u/Books/a.txt", {"*"}, {"/home/u/Books/"}, false},
        {"star, outside included prefix", "/home/u/Other/a.txt", {"*"}, {"/home/u/Books/"}, true},
        {"case-sensitive include", "/home/u/books/a.txt", {"*"}, {"/home/u/Books/"}, true},
        {"case-sensitive exclude", "/Media/floppy/a.txt", floppy, {}, false},
        {"include overrides exclude", "/tmp/x/a.txt", {"/tmp/"}, {"/tmp/x/"}, false},
        {"Unnamed.txt everywhere", "/home/u/Books/Unnamed.txt", {}, {"/home/u/Books/"}, true},
        {"Unnamed.txt alone", "Unnamed.txt", {}, {}, true},
        {"unnamed.txt is another name", "/home/u/unnamed.txt", {}, {}, false},
        {"Unnamed.txt in a folder name", "/home/Unnamed.txt/a.txt", {}, {}, false},
        {"Unnamed.txt.bak", "/home/u/Unnamed.txt.bak", {}, {}, false},
        {"empty exclusion prefix", "/home/u/a.txt", {""}, {}, true},
    };
    for (const Case &c : cases)
        EXPECT_EQ(IsExcludedFile(c.path, c.excluded, c.included), c.result) << c.name;
    for (const HostileText &h : hostileTexts()) {
        EXPECT_EQ(IsExcludedFile(h.text, {"*"}, {}), true) << h.name;
        EXPECT_EQ(IsExcludedFile(h.text, {}, {}), false) << h.name;
    }
}

TEST(SettingsValuesTest, FirstStartCreatesTheNineSectionsThenPunctuation)
{
    const QString dir = makeTempDir();
    IniFile ini(dir + "/Tavolex.ini");
    ASSERT_EQ(writeStartupContent(ini, "/opt/tavolex"), WriteResult::Written);
    const QByteArray expected = "[Base Directory]\nInitialDir=\n\n"
                                "[Last]\nLast read file=\n\n"
                                "[Recent]\nRecent 1=\n\n"
                                "[Options]\nDefault font name=Times New Roman\n"
                                "Default font size=10\n"
                                "Punctuation=.:;!?\xC2\xBF\xC2\xA1\xE2\x80\xB9\xE2\x80\xBA\xC2\xAB"
                                "\xC2\xBB\"\xE2\x80\x9C\xE2\x80\x9D\xE2\x80\x9E\xE2\x80\x98\xE2\x80"
                                "\x99\xC2\xB4'\n\n"
                                "[Colors]\nText=clBlack\nBackground=$00E7E7E7\n\n"
                                "[Page margins]\nApply=No\n\n"
                                "[Excluded Fonts]\nSymbol=\n\n"
                                "[Excluded Paths]\n/media/floppy/=\n\n"
                                "[Included Paths]\n/opt/tavolex/=\n";
    EXPECT_EQ(readFileBytes(ini.path()), expected);
    EXPECT_EQ(builtInPunctuation().size(), 19);
    EXPECT_EQ(ini.readString("Options", "Punctuation", {}), builtInPunctuation());
    EXPECT_EQ(ini.readSectionKeys("Included Paths"), QStringList({"/opt/tavolex/"}));

    // A second start finds everything in place.
    ASSERT_EQ(writeStartupContent(ini, "/opt/tavolex/"), WriteResult::Written);
    EXPECT_EQ(readFileBytes(ini.path()), expected);
}

TEST(SettingsValuesTest, LaterStartsRecreateOnlyEmptiedSections)
{
    struct Case
    {
        const char *name;
        QByteArray before;
        QByteArray after;
    };
    const QByteArray rest = "[Base Directory]\nInitialDir=/b/\n[Last]\nLast read file=\n"
                            "[Recent]\nRecent 1=\n[Colors]\nText=clRed\n[Page margins]\nApply=Yes\n"
                            "[Excluded Fonts]\nWingdings=\n[Excluded Paths]\n*=\n"
                            "[Included Paths]\n/books/=\n";
    const QByteArray punctuation = "Punctuation=" + builtInPunctuation().toUtf8() + "\n";
    const std::vector<Case> cases = {
        {"empty Options header gets its defaults", "[Options]\n" + rest,
         "[Options]\nDefault font name=Times New Roman\nDefault font size=10\n" + punctuation +
             rest},
        {"Options with keys gets only Punctuation", "[Options]\nQuick find=No\n" + rest,
         "[Options]\nQuick find=No\n" + punctuation + rest},
        {"Punctuation already there", "[Options]\nPunctuation=.!\n" + rest,
         "[Options]\nPunctuation=.!\n" + rest},
        {"missing sections appended in order, then Punctuation",
         "[Options]\nPunctuation=.!\n[Colors]\nText=clRed\n",
         "[Options]\nPunctuation=.!\n[Colors]\nText=clRed\n\n"
         "[Base Directory]\nInitialDir=\n\n[Last]\nLast read file=\n\n[Recent]\nRecent 1=\n\n"
         "[Page margins]\nApply=No\n\n[Excluded Fonts]\nSymbol=\n\n"
         "[Excluded Paths]\n/media/floppy/=\n\n[Included Paths]\n/opt/tavolex/=\n"},
    };
    for (const Case &c : cases) {
        const QString path = makeTempDir() + "/Tavolex.ini";
        writeFileBytes(path, c.before);
        IniFile ini(path);
        ASSERT_EQ(writeStartupContent(ini, "/opt/tavolex"), WriteResult::Written) << c.name;
        EXPECT_EQ(readFileBytes(path), c.after) << c.name;
    }

    // A refused write stops the start-up content at once.
    const QString dir = makeTempDir();
    writeFileBytes(dir + "/file", "x");
    IniFile refused(dir + "/file/Tavolex.ini");
    EXPECT_EQ(writeStartupContent(refused, "/opt/tavolex"), WriteResult::Refused);
}

TEST(SettingsValuesTest, SettingsFileLocation)
{
    struct Case
    {
        const char *name;
        FolderAccess access;
        QStringList environment;
        QString expected;
    };
    const std::vector<Case> cases = {
        {"writable program folder",
         FolderAccess::Writable,
         {"HOME=/home/u"},
         "/opt/tavolex/Tavolex.ini"},
        {"XDG_CONFIG_HOME",
         FolderAccess::ReadOnly,
         {"HOME=/home/u", "XDG_CONFIG_HOME=/cfg"},
         "/cfg/tavolex/Tavolex.ini"},
        {"XDG_CONFIG_HOME with a slash",
         FolderAccess::ReadOnly,
         {"XDG_CONFIG_HOME=/cfg/"},
         "/cfg/tavolex/Tavolex.ini"},
        {"HOME when XDG_CONFIG_HOME is unset",
         FolderAccess::ReadOnly,
         {"HOME=/home/u"},
         "/home/u/.config/tavolex/Tavolex.ini"},
        {"HOME when XDG_CONFIG_HOME is empty",
         FolderAccess::ReadOnly,
         {"HOME=/home/u", "XDG_CONFIG_HOME="},
         "/home/u/.config/tavolex/Tavolex.ini"},
        {"relative XDG_CONFIG_HOME is ignored",
         FolderAccess::ReadOnly,
         {"HOME=/home/u", "XDG_CONFIG_HOME=cfg"},
         "/home/u/.config/tavolex/Tavolex.ini"},
        {"nothing set", FolderAccess::ReadOnly, {}, "/opt/tavolex/Tavolex.ini"},
    };
    for (const Case &c : cases) {
        QProcessEnvironment env;
        for (const QString &pair : c.environment)
            env.insert(pair.section(u'=', 0, 0), pair.section(u'=', 1));
        EXPECT_EQ(settingsFilePath("/opt/tavolex", c.access, env), c.expected) << c.name;
    }
    // A packaged program in /usr/bin keeps root's settings in root's home, not beside itself.
    QProcessEnvironment rootEnv;
    rootEnv.insert("HOME", "/root");
    for (const QString dir : {"/usr/bin", "/usr/bin/", "/usr/../usr/bin"})
        EXPECT_EQ(settingsFilePath(dir, FolderAccess::Writable, rootEnv),
                  QString("/root/.config/tavolex/Tavolex.ini"))
            << dir.toStdString();
    EXPECT_EQ(settingsFilePath("/usr/local/bin", FolderAccess::Writable, rootEnv),
              QString("/usr/local/bin/Tavolex.ini"));

    const QString dir = makeTempDir();
    EXPECT_EQ(folderAccess(dir), FolderAccess::Writable);
    EXPECT_EQ(folderAccess(dir + "/missing"), FolderAccess::ReadOnly);
    writeFileBytes(dir + "/file", "x");
    EXPECT_EQ(folderAccess(dir + "/file"), FolderAccess::ReadOnly);
}

} // namespace
