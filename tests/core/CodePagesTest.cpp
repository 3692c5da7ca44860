#include "core/text/CodePages.h"
#include "TestSupport.h"
#include "core/text/EastAsianGuess.h"
#include "core/text/FindInFiles.h"
#include "core/text/Saving.h"

#include <gtest/gtest.h>

#include <set>

namespace {

QByteArray fixture(const char *name)
{
    return readFileBytes(QStringLiteral(TAVOLEX_TEST_DATA "/encodings/") +
                         QString::fromLatin1(name));
}

QString original(const char *name)
{
    return QString::fromUtf8(fixture(name));
}

} // namespace

// Each code page of the menu reads a text iconv wrote in it, and writes it back byte for byte.
TEST(CodePages, EachCodePageReadsAndWritesItsFixture)
{
    const struct
    {
        const char *codePage;
        const char *file;
        const char *original;
        bool sameBytes; // written back as iconv wrote it
    } cases[] = {
        {"UTF-8", "greek.utf8.txt", "greek.utf8.txt", true},
        {"UTF-16", "russian.utf16.txt", "russian.utf8.txt", true},
        {"UTF-16", "greek.utf16be.txt", "greek.utf8.txt", false},
        {"Windows-1250", "czech.cp1250.txt", "czech.utf8.txt", true},
        {"Windows-1251", "russian.cp1251.txt", "russian.utf8.txt", true},
        {"Windows-1252", "french.cp1252.txt", "french.utf8.txt", true},
        {"Windows-1253", "greek.cp1253.txt", "greek.utf8.txt", true},
        {"Windows-1254", "turkish.cp1254.txt", "turkish.utf8.txt", true},
        {"Windows-1255", "hebrew.cp1255.txt", "hebrew.utf8.txt", true},
        {"Windows-1256", "arabic.cp1256.txt", "arabic.utf8.txt", true},
        {"Windows-1257", "lithuanian.cp1257.txt", "lithuanian.utf8.txt", true},
        {"ISO-8859-1", "finnish.iso88591.txt", "finnish.utf8.txt", true},
        {"ISO-8859-2", "czech.iso88592.txt", "czech.utf8.txt", true},
        {"ISO-8859-5", "russian.iso88595.txt", "russian.utf8.txt", true},
        {"ISO-8859-7", "greek.iso88597.txt", "greek.utf8.txt", true},
        {"ISO-8859-15", "estonian.iso885915.txt", "estonian.utf8.txt", true},
        {"KOI8-R", "russian.koi8r.txt", "russian.utf8.txt", true},
        {"KOI8-U", "ukrainian.koi8u.txt", "ukrainian.utf8.txt", true},
        {"CP866", "russian.cp866.txt", "russian.utf8.txt", true},
        {"GB18030", "chinese.gb18030.txt", "chinese.utf8.txt", true},
        {"Big5", "chinese-traditional.big5.txt", "chinese-traditional.utf8.txt", true},
        {"Shift_JIS", "japanese.sjis.txt", "japanese.utf8.txt", true},
        {"EUC-JP", "japanese.eucjp.txt", "japanese.utf8.txt", true},
        {"EUC-KR", "korean.euckr.txt", "korean.utf8.txt", true},
    };
    std::set<QString> covered;
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.codePage) + " " + c.file);
        const QString codePage = QString::fromLatin1(c.codePage);
        const QByteArray bytes = fixture(c.file);
        const QString text = original(c.original);
        ASSERT_FALSE(text.isEmpty());
        EXPECT_EQ(decodeInCodePage(bytes, codePage).text, text);
        QByteArray written;
        ASSERT_TRUE(encodeInCodePage(text, codePage, written));
        EXPECT_EQ(decodeInCodePage(written, codePage).text, text);
        if (c.sameBytes) {
            EXPECT_EQ(written, bytes);
        }
        EXPECT_EQ(codePageFromSetting(codePageSetting(codePage)), codePage);
        covered.insert(codePage);
    }
    EXPECT_EQ(covered.size(), size_t(codePageNames().size())) << "a code page without a fixture";
}

TEST(CodePages, ChosenCodePageShowsEveryByte)
{
    const struct
    {
        const char *name;
        QByteArray bytes;
        const char *codePage;
        QString text;
    } cases[] = {
        {"invalid UTF-8",
         "a\xFF"
         "b",
         "UTF-8", u"a\uFFFDb"_qs},
        {"cut-off Shift_JIS character", "ab\x82", "Shift_JIS", u"ab\uFFFD"_qs},
        {"cut-off GB18030 character", "\xC4\xE3\xBA", "GB18030", u"\u4F60\uFFFD"_qs},
        {"odd UTF-16 byte", QByteArray("\xFF\xFEh\0i", 5), "UTF-16", u"h\uFFFD"_qs},
        {"NUL ends the text", QByteArray("ab\0cd", 5), "KOI8-R", u"ab"_qs},
        {"UTF-8 mark skipped", "\xEF\xBB\xBFx", "UTF-8", u"x"_qs},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(decodeInCodePage(c.bytes, QString::fromLatin1(c.codePage)).text, c.text);
    }
    QByteArray out;
    EXPECT_FALSE(encodeInCodePage(u"\u4F60"_qs, QStringLiteral("KOI8-R"), out));
    EXPECT_EQ(codePageFromSetting(QStringLiteral("koi8-r")), QStringLiteral("KOI8-R"));
    EXPECT_EQ(codePageFromSetting(QStringLiteral("Automatic")), QString());
    EXPECT_EQ(codePageFromSetting(QStringLiteral("x-unknown")), QString());
}

// When the detector gives up, East Asian text is still read in its code page; Latin text with
// accents is not taken for it.
TEST(CodePages, EastAsianFallback)
{
    // Every accented letter followed by a letter: all of it decodes as GB18030 and Big5.
    const QByteArray germanWords = QByteArray("\xDC"
                                              "ber die Br\xFC"
                                              "cke gehen M\xE4"
                                              "nner und sch\xF6"
                                              "ne H\xE4"
                                              "user, gr\xFC"
                                              "ne W\xE4"
                                              "lder. ")
                                       .repeated(8);
    const struct
    {
        const char *name;
        QByteArray bytes;
        const char *guess; // of guessEastAsianCodePage; empty for none
    } cases[] = {
        {"generated GB18030", fixture("chinese-generated.gb18030.txt"), "GB18030"},
        {"GB18030", fixture("chinese.gb18030.txt"), "GB18030"},
        {"Big5", fixture("chinese-traditional.big5.txt"), "BIG5"},
        {"Shift_JIS", fixture("japanese.sjis.txt"), "SHIFT_JIS"},
        {"EUC-JP", fixture("japanese.eucjp.txt"), "EUC-JP"},
        {"EUC-KR", fixture("korean.euckr.txt"), "EUC-KR"},
        {"German Windows-1252", fixture("german.cp1252.txt"), ""},
        {"French Windows-1252", fixture("french.cp1252.txt"), ""},
        {"Finnish Latin-1", fixture("finnish.iso88591.txt"), ""},
        {"German words that decode as GB18030", germanWords, ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(guessEastAsianCodePage(c.bytes), QByteArray(c.guess));
    }

    // Through the whole decision: the detector has no answer for these.
    const DecodedText generated = decodeDocumentBytes(fixture("chinese-generated.gb18030.txt"));
    EXPECT_EQ(generated.text, original("chinese-generated.utf8.txt"));
    EXPECT_EQ(generated.encodingName, QByteArray("GB18030"));
    const DecodedText german = decodeDocumentBytes(germanWords);
    EXPECT_EQ(german.encoding, TextEncoding::Windows1252);
    EXPECT_EQ(german.text, decodeWindows1252(germanWords));
    // Too short for any guess, as before.
    const QByteArray shortGb = fixture("chinese.gb18030.txt").left(12);
    EXPECT_EQ(decodeDocumentBytes(shortGb).encoding, TextEncoding::Windows1252);
}

TEST(CodePages, FindInFilesReadsAsTheReaderDoes)
{
    const QString folder = makeTempDir() + u'/';
    writeFileBytes(folder + QStringLiteral("generated.txt"),
                   fixture("chinese-generated.gb18030.txt"));
    // Too short for the detector: read automatically as Windows-1252.
    writeFileBytes(folder + QStringLiteral("short.txt"), "\xE4\xEE\xEC \xE4\xEE\xEC");
    const QString generated = original("chinese-generated.utf8.txt");
    const QString phrase = generated.mid(generated.indexOf(u'\n') + 3, 6);
    const FoundEntry gbEntry{QStringLiteral("generated.txt"), {}};
    const FoundEntry shortEntry{QStringLiteral("short.txt"), {}};
    EXPECT_EQ(EntryContains(folder, gbEntry, phrase, Qt::CaseSensitive), SearchOutcome::Found);
    EXPECT_EQ(EntryContains(folder, shortEntry, u"дом"_qs, Qt::CaseSensitive),
              SearchOutcome::NotFound);
    EXPECT_EQ(EntryContains(folder, shortEntry, u"дом дом"_qs, Qt::CaseSensitive, {},
                            QStringLiteral("KOI8-R")),
              SearchOutcome::NotFound);
    EXPECT_EQ(EntryContains(folder, shortEntry, u"дом дом"_qs, Qt::CaseSensitive, {},
                            QStringLiteral("Windows-1251")),
              SearchOutcome::Found);
}

TEST(CodePages, SavedInTheChosenCodePageOnlyWhenItReadsBack)
{
    const QString russian = original("russian.utf8.txt");
    const struct
    {
        const char *name;
        QString text;
        const char *codePage;
        bool remembered;
        SaveEncoding encoding;
    } cases[] = {
        {"remembered", russian, "KOI8-R", true, SaveEncoding::ChosenCodePage},
        // KOI8-R is what the detector finds in it as well.
        {"found again", russian, "KOI8-R", false, SaveEncoding::ChosenCodePage},
        {"not found again", u"\u0416\u0416"_qs, "CP866", false, SaveEncoding::Utf8},
        {"not held by it", u"\u0416 \u4F60"_qs, "KOI8-R", true, SaveEncoding::Utf8},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const SaveBytes saved = encodeForSavingInCodePage(
            c.text, QString::fromLatin1(c.codePage), c.remembered, TextEncoding::Other, "KOI8-R");
        EXPECT_EQ(saved.encoding, c.encoding);
        const QString back =
            saved.encoding == SaveEncoding::ChosenCodePage
                ? decodeInCodePage(saved.bytes, QString::fromLatin1(c.codePage)).text
                : decodeDocumentBytes(saved.bytes).text;
        EXPECT_EQ(back, c.text);
    }
}
