#include "DictionaryFiles.h"
#include "TestSupport.h"
#include "core/dict/DictData.h"
#include "core/dict/DictdDictionary.h"
#include "core/dict/DictionaryShelf.h"
#include "core/dict/StarDictDictionary.h"

#include <QFileInfo>

#include <sys/stat.h>

#include <gtest/gtest.h>

using namespace dictfiles;

namespace {

const Entries kEnglish = {
    {"walk", "to go on foot"},
    {"Polish", "of Poland"},
    {"polish", "to make smooth and shiny"},
    {"ice cream", "a frozen dessert"},
    {"city", "a large town"},
    {"stop", "to cease moving"},
    {"big", "large"},
};

template <size_t N>
QByteArray bytes(const char (&text)[N])
{
    return QByteArray(text, N - 1);
}

QString hitsText(const LookupResult &result)
{
    QStringList lines;
    for (const DictionaryHit &hit : result.hits)
        lines.append(hit.dictionary + u'|' + hit.asked + u'|' + hit.form + u'|' + hit.headword);
    return lines.join(u'\n');
}

} // namespace

TEST(DictionaryTest, DictdNumbersAreBase64MostSignificantFirst)
{
    const struct
    {
        const char *digits;
        std::optional<quint64> value;
    } cases[] = {
        {"A", 0},         {"B", 1},          {"a", 26},   {"0", 52},  {"+", 62}, {"/", 63},
        {"BA", 64},       {"CTS75", 38612729}, {"//", 4095}, {"", std::nullopt},
        {"A=", std::nullopt}, {"AAAAAAAAAAA", std::nullopt}, {"A B", std::nullopt},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.digits);
        EXPECT_EQ(decodeDictdNumber(c.digits), c.value);
    }
}

TEST(DictionaryTest, DictzipReadsAcrossChunkEdges)
{
    QByteArray text;
    for (int i = 0; text.size() < 1000; ++i)
        text += QByteArray::number(i) + ' ';
    text.truncate(1000);
    const QString folder = makeTempDir();
    writeFileBytes(folder + QStringLiteral("/t.dict.dz"), dictzip(text, 64));
    DictData data;
    QString error;
    ASSERT_TRUE(data.open(folder + QStringLiteral("/t.dict.dz"), error)) << error.toStdString();
    EXPECT_EQ(data.size(), 1000u);
    const struct
    {
        quint64 offset;
        quint32 length;
        bool ok;
    } cases[] = {
        {0, 10, true},   {60, 10, true},  {64, 64, true},   {63, 130, true}, {0, 1000, true},
        {990, 10, true}, {1000, 0, true}, {995, 10, false}, {5000, 1, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(QStringLiteral("%1+%2").arg(c.offset).arg(c.length).toStdString());
        const auto bytes = data.read(c.offset, c.length, error);
        ASSERT_EQ(bytes.has_value(), c.ok);
        if (c.ok) {
            EXPECT_EQ(*bytes, text.mid(qsizetype(c.offset), c.length));
        }
    }
}

TEST(DictionaryTest, BothFormatsFindEntriesWhateverTheCase)
{
    const QString folder = makeTempDir();
    writeDictd(folder, QStringLiteral("small"), "Small English", kEnglish);
    writeDictd(folder, QStringLiteral("plain"), "Plain English", kEnglish, 0);
    writeStarDict(folder, QStringLiteral("star"), "Star English", kEnglish, {{"ambulate", 0}});
    writeStarDict(folder, QStringLiteral("starplain"), "Star Plain", kEnglish, {}, 0);
    std::vector<std::unique_ptr<Dictionary>> dictionaries;
    dictionaries.push_back(std::make_unique<DictdDictionary>(folder, QStringLiteral("small")));
    dictionaries.push_back(std::make_unique<DictdDictionary>(folder, QStringLiteral("plain")));
    dictionaries.push_back(std::make_unique<StarDictDictionary>(folder, QStringLiteral("star")));
    dictionaries.push_back(std::make_unique<StarDictDictionary>(folder, QStringLiteral("starplain")));
    const struct
    {
        const char *word;
        int count;
        const char *headword;
        const char *definition;
    } cases[] = {
        {"walk", 1, "walk", "to go on foot"},
        {"WALK", 1, "walk", "to go on foot"},
        {"polish", 2, "Polish", "of Poland"},
        {"ice cream", 1, "ice cream", "a frozen dessert"},
        {"stop", 1, "stop", "to cease moving"},
        {"zebra", 0, "", ""},
        {"", 0, "", ""},
    };
    for (const auto &dictionary : dictionaries) {
        SCOPED_TRACE(dictionary->id().toStdString());
        ASSERT_TRUE(dictionary->open()) << dictionary->error().toStdString();
        EXPECT_TRUE(dictionary->name().endsWith(QLatin1String("English")) ||
                    dictionary->name() == QLatin1String("Star Plain"));
        for (const auto &c : cases) {
            SCOPED_TRACE(c.word);
            const QList<DictEntry> entries = dictionary->lookup(QString::fromUtf8(c.word));
            ASSERT_EQ(entries.size(), c.count);
            if (c.count > 0) {
                EXPECT_EQ(entries.first().headword, QString::fromUtf8(c.headword));
                EXPECT_TRUE(entries.first().definition.contains(QString::fromUtf8(c.definition)))
                    << entries.first().definition.toStdString();
            }
        }
    }
    // A synonym finds its entry, shown under the entry's headword.
    const QList<DictEntry> synonym = dictionaries[2]->lookup(QStringLiteral("Ambulate"));
    ASSERT_EQ(synonym.size(), 1);
    EXPECT_EQ(synonym.first().headword, QStringLiteral("walk"));
}

TEST(DictionaryTest, StarDictFieldsBecomeText)
{
    const struct
    {
        const char *name;
        QByteArray data;
        const char *types;
        const char *text;
    } cases[] = {
        {"one plain field", "to go", "m", "to go"},
        {"phonetic then meaning", bytes("w\xc9\x94k\0to go"), "tm", "[w\xc9\x94k]\nto go"},
        {"markup taken out", "<b>walk</b><br>to go &amp; come", "h", "walk\nto go & come"},
        {"typed fields", bytes("mto go\0gon <i>foot</i>\0"), "", "to go\non foot"},
        {"a picture is left out", bytes("P\0\0\0\3abcmtext\0"), "", "text"},
        {"a size past the end", bytes("P\0\0\1\0ab"), "", ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(starDictEntryText(c.data, QString::fromLatin1(c.types)), QString::fromUtf8(c.text));
    }
}

TEST(DictionaryTest, LookupTriesBaseFormsAndShowsWhichWasFound)
{
    const QString folder = makeTempDir();
    writeDictd(folder, QStringLiteral("small"), "Small English", kEnglish);
    DictionaryShelf shelf({folder}, {});
    shelf.startLoading(QLocale::English);
    const struct
    {
        const char *selection;
        const char *hits; // dictionary|asked|form|headword per line
    } cases[] = {
        {"walk", "Small English|walk|walk|walk"},
        {"\u201cWalked,\u201d", "Small English|Walked|Walk|walk"},
        {"walking.", "Small English|walking|walk|walk"},
        {"stopped", "Small English|stopped|stop|stop"},
        {"cities", "Small English|cities|city|city"},
        {"Polish", "Small English|Polish|Polish|Polish\nSmall English|Polish|Polish|polish"},
        {"(ice\ncream)", "Small English|ice cream|ice cream|ice cream"},
        {"big walks", "Small English|big|big|big\nSmall English|walks|walk|walk"},
        {"one two three four five six big", ""},
        {"zebra", ""},
        {"...", ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.selection);
        EXPECT_EQ(hitsText(shelf.lookup(QString::fromUtf8(c.selection))), QString::fromUtf8(c.hits));
    }
}

TEST(DictionaryTest, BookLanguageDictionariesComeFirstAndSwitchedOffOnesAreLeftOut)
{
    const QString folder = makeTempDir();
    writeDictd(folder, QStringLiteral("gcide"), "English", {{"rot", "decay"}});
    writeDictd(folder, QStringLiteral("freedict-deu-eng"), "German-English", {{"rot", "red"}});
    DictionaryShelf shelf({folder}, {});
    shelf.startLoading(QLocale::English);
    EXPECT_EQ(hitsText(shelf.lookup(QStringLiteral("rot"))),
              QStringLiteral("English|rot|rot|rot\nGerman-English|rot|rot|rot"));
    shelf.setBookLanguage(QLocale::German);
    EXPECT_EQ(hitsText(shelf.lookup(QStringLiteral("rot"))),
              QStringLiteral("German-English|rot|rot|rot\nEnglish|rot|rot|rot"));
    shelf.setDisabled(disabledDictionaries(QStringLiteral("freedict-deu-eng=off;gcide=on")));
    EXPECT_EQ(hitsText(shelf.lookup(QStringLiteral("rot"))), QStringLiteral("English|rot|rot|rot"));
    QList<InstalledDictionary> list = shelf.installed();
    ASSERT_EQ(list.size(), 2);
    EXPECT_EQ(storedDictionaryChoice(list), QStringLiteral("freedict-deu-eng=off;gcide=on"));
}

TEST(DictionaryTest, DamagedDictionariesAreSkippedWithTheirName)
{
    const Entries entries = {{"walk", QByteArray(300, 'w')}, {"zebra", "a striped horse"}};
    const auto good = [&](const QString &folder) {
        writeDictd(folder, QStringLiteral("good"), "Good One", entries);
    };
    const auto cut = [](const QString &path, qsizetype keep) {
        writeFileBytes(path, readFileBytes(path).left(keep));
    };
    const struct
    {
        const char *name;
        std::function<void(const QString &)> damage;
        const char *reason;
    } cases[] = {
        {"truncated dictzip",
         [&](const QString &f) {
             writeDictd(f, QStringLiteral("bad"), "Bad One", entries);
             const QString p = f + QStringLiteral("/bad.dict.dz");
             cut(p, readFileBytes(p).size() / 2);
         },
         "truncated"},
        {"wrong offset in the index",
         [&](const QString &f) {
             writeDictd(f, QStringLiteral("bad"), "Bad One", entries);
             writeFileBytes(f + QStringLiteral("/bad.index"), "walk\tBAAA\tB\n");
         },
         "points past"},
        {"index line cut short",
         [&](const QString &f) {
             writeDictd(f, QStringLiteral("bad"), "Bad One", entries);
             const QString p = f + QStringLiteral("/bad.index");
             cut(p, readFileBytes(p).size() - 4);
         },
         "cut short"},
        {"bad chunk table",
         [&](const QString &f) {
             writeDictd(f, QStringLiteral("bad"), "Bad One", entries);
             const QString p = f + QStringLiteral("/bad.dict.dz");
             QByteArray bytes = readFileBytes(p);
             bytes[22] = char(0x7f); // the first chunk's size
             writeFileBytes(p, bytes);
         },
         "bad"},
        {"chunk that does not inflate",
         [&](const QString &f) {
             writeDictd(f, QStringLiteral("bad"), "Bad One", entries);
             const QString p = f + QStringLiteral("/bad.dict.dz");
             QByteArray bytes = readFileBytes(p);
             for (int i = 45; i < 70; ++i)
                 bytes[i] = char(0xff);
             writeFileBytes(p, bytes);
         },
         "inflate"},
        {"no definitions file",
         [&](const QString &f) { writeFileBytes(f + QStringLiteral("/bad.index"), "walk\tA\tB\n"); },
         "no .dict"},
        {"StarDict index cut short",
         [&](const QString &f) {
             writeStarDict(f, QStringLiteral("bad"), "Bad One", entries);
             const QString p = f + QStringLiteral("/bad.idx");
             cut(p, readFileBytes(p).size() - 3);
         },
         "bytes"},
        {"StarDict synonym of no entry",
         [&](const QString &f) {
             writeStarDict(f, QStringLiteral("bad"), "Bad One", entries, {{"stroll", 7}});
         },
         ".syn"},
        {"a pipe as the definitions",
         [&](const QString &f) {
             writeDictd(f, QStringLiteral("bad"), "Bad One", entries);
             const QString p = f + QStringLiteral("/bad.dict.dz");
             QFile::remove(p);
             ASSERT_EQ(mkfifo(QFile::encodeName(p).constData(), 0600), 0);
         },
         "cannot read"},
        {"not a StarDict ifo",
         [&](const QString &f) {
             writeStarDict(f, QStringLiteral("bad"), "Bad One", entries);
             writeFileBytes(f + QStringLiteral("/bad.ifo"), "hello\n");
         },
         "not a StarDict"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString folder = makeTempDir();
        good(folder);
        c.damage(folder);
        DictionaryShelf shelf({folder}, {});
        shelf.startLoading(QLocale::English);
        const LookupResult result = shelf.lookup(QStringLiteral("walk"));
        ASSERT_EQ(result.hits.size(), 1) << hitsText(result).toStdString();
        EXPECT_EQ(result.hits.first().dictionary, QStringLiteral("Good One"));
        ASSERT_EQ(result.skipped.size(), 1);
        EXPECT_TRUE(result.skipped.first().startsWith(QLatin1String("bad")) ||
                    result.skipped.first().startsWith(QLatin1String("Bad One")));
        EXPECT_TRUE(result.skipped.first().contains(QLatin1String(c.reason)))
            << result.skipped.first().toStdString();
        EXPECT_TRUE(lookupHint(result).contains(result.skipped.first()));
    }
}

TEST(DictionaryTest, NothingInstalledSaysWhatToInstall)
{
    DictionaryShelf shelf({makeTempDir()}, {});
    const LookupResult result = shelf.lookup(QStringLiteral("walk"));
    EXPECT_TRUE(result.hits.isEmpty());
    EXPECT_TRUE(lookupHint(result).contains(QLatin1String("dict-gcide")));
}

TEST(DictionaryTest, WordsAndTheirEnglishBaseForms)
{
    const struct
    {
        const char *word;
        const char *forms;
    } cases[] = {
        {"walks", "walk"},         {"boxes", "box|boxe"},       {"cities", "city"},
        {"walked", "walk|walke"},  {"loved", "lov|love"},       {"stopped", "stop|stopp|stoppe"},
        {"carried", "carry"},      {"walking", "walk|walke"},   {"running", "run|runn|runne"},
        {"John's", "John"},        {"John\u2019s", "John"},     {"glass", ""},
        {"is", ""},                {"walk", ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.word);
        EXPECT_EQ(englishBaseForms(QString::fromUtf8(c.word)).join(u'|'), QString::fromUtf8(c.forms));
    }
    const struct
    {
        const char *text;
        int pos;
        const char *word;
    } at[] = {
        {"He walked home.", 4, "walked"}, {"He walked home.", 2, ""},
        {"don't stop", 1, "don't"},       {"well-known fact", 6, "well-known"},
        {"'quoted'", 0, ""},              {"'quoted'", 3, "quoted"},
        {"end", 3, ""},                   {"\u00e9t\u00e9 fini", 1, "\u00e9t\u00e9"},
    };
    for (const auto &c : at) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(wordAt(QString::fromUtf8(c.text), c.pos), QString::fromUtf8(c.word));
    }
    EXPECT_EQ(cleanLookupText(QStringLiteral("  \u00ab\u00a0Walk!\u00bb ")), QStringLiteral("Walk"));
    EXPECT_EQ(cleanLookupText(QStringLiteral("\"ice \u2029 cream,\"")), QStringLiteral("ice cream"));
}

TEST(DictionaryTest, InstalledDictionariesAndHunspell)
{
    if (QFileInfo::exists(QStringLiteral("/usr/share/dictd/gcide.index"))) {
        DictdDictionary gcide(QStringLiteral("/usr/share/dictd"), QStringLiteral("gcide"));
        ASSERT_TRUE(gcide.open()) << gcide.error().toStdString();
        EXPECT_TRUE(gcide.name().contains(QLatin1String("Collaborative"))) << gcide.name().toStdString();
        const QList<DictEntry> entries = gcide.lookup(QStringLiteral("walk"));
        ASSERT_FALSE(entries.isEmpty());
        EXPECT_EQ(entries.first().headword, QStringLiteral("Walk"));
        EXPECT_TRUE(entries.first().definition.startsWith(QLatin1String("Walk")));
    }
    if (QFileInfo::exists(QStringLiteral("/usr/share/dictd/wn.index")) &&
        QFileInfo::exists(QStringLiteral("/usr/share/dictd/gcide.index"))) {
        DictionaryShelf shelf({QStringLiteral("/usr/share/dictd")});
        shelf.startLoading(QLocale::English);
        const LookupResult result = shelf.lookup(QStringLiteral("\u201cPieces,\u201d"));
        QSet<QString> names;
        for (const DictionaryHit &hit : result.hits) {
            names.insert(hit.dictionary);
            EXPECT_EQ(hit.form, QStringLiteral("piece"));
        }
        EXPECT_GE(names.size(), 2) << hitsText(result).toStdString();
        EXPECT_TRUE(result.skipped.isEmpty()) << result.skipped.join(u'\n').toStdString();
    }
    if (!hunspellDictionaryFor(QLocale::English, DictionaryShelf::standardHunspellFolders()).isEmpty()) {
        auto stemmer = makeStemmer(QLocale::English, DictionaryShelf::standardHunspellFolders());
        ASSERT_NE(stemmer, nullptr);
        EXPECT_TRUE(stemmer->stems(QStringLiteral("walked")).contains(QStringLiteral("walk")));
        EXPECT_TRUE(stemmer->stems(QStringLiteral("mice")).contains(QStringLiteral("mouse")) ||
                    !stemmer->stems(QStringLiteral("cities")).isEmpty());
    }
    EXPECT_EQ(makeStemmer(QLocale::Tongan, {}), nullptr);
}
