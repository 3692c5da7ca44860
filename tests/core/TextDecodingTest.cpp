#include "core/text/TextDecoding.h"
#include "TestSupport.h"
#include "core/text/CodePages.h"
#include "core/text/DocumentFormats.h"
#include "core/text/TvxUtils.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

TEST(TextDecoding, ChoosesEncodingByBomThenUtf8ThenWindows1252)
{
    struct Case
    {
        const char *name;
        QByteArray bytes;
        QString text;
        TextEncoding encoding;
    };
    const Case cases[] = {
        {"ascii", "plain", QStringLiteral("plain"), TextEncoding::Utf8},
        {"utf-8", "caf\xC3\xA9", QStringLiteral("caf\u00E9"), TextEncoding::Utf8},
        {"utf-8 bom", "\xEF\xBB\xBFx\xC3\xA4", QStringLiteral("x\u00E4"), TextEncoding::Utf8Bom},
        {"utf-16le bom", QByteArray("\xFF\xFEh\0i\0", 6), QStringLiteral("hi"),
         TextEncoding::Utf16LE},
        {"utf-16be bom", QByteArray("\xFE\xFF\0h\0i", 6), QStringLiteral("hi"),
         TextEncoding::Utf16BE},
        {"latin bytes", "caf\xE9 \x96 \x80", QStringLiteral("caf\u00E9 \u2013 \u20AC"),
         TextEncoding::Windows1252},
        {"overlong utf-8 is not utf-8", "\xC0\xAF", QStringLiteral("\u00C0\u00AF"),
         TextEncoding::Windows1252},
        {"truncated utf-8 sequence", "ab\xE2\x82", QStringLiteral("ab\u00E2\u201A"),
         TextEncoding::Windows1252},
        {"utf-8 surrogate is invalid", "\xED\xA0\x80", QStringLiteral("\u00ED\u00A0\u20AC"),
         TextEncoding::Windows1252},
        {"nul ends text", QByteArray("abc\0\xE9\xE9", 6), QStringLiteral("abc"),
         TextEncoding::Utf8},
        {"nul in utf-16", QByteArray("\xFF\xFEh\0\0\0i\0", 8), QStringLiteral("h"),
         TextEncoding::Utf16LE},
        {"undefined 1252 codes survive", "\x81\x8D", QStringLiteral("\u0081\u008D"),
         TextEncoding::Windows1252},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const DecodedText d = decodeDocumentBytes(c.bytes);
        EXPECT_EQ(d.text, c.text);
        EXPECT_EQ(d.encoding, c.encoding);
    }
}

TEST(TextDecoding, LinesAreRejoinedWithCrLf)
{
    struct Case
    {
        const char *name;
        QString in;
        QString out;
    };
    const Case cases[] = {
        {"LF only", QStringLiteral("a\nb\n\nc"), QStringLiteral("a\r\nb\r\n\r\nc\r\n")},
        {"CR LF", QStringLiteral("a\r\nb\r\n"), QStringLiteral("a\r\nb\r\n")},
        {"lone CR", QStringLiteral("a\rb"), QStringLiteral("a\r\nb\r\n")},
        {"LF CR is two breaks", QStringLiteral("a\n\rb"), QStringLiteral("a\r\n\r\nb\r\n")},
        {"CR CR LF is one break", QStringLiteral("a\r\r\nb\r\r\n"), QStringLiteral("a\r\nb\r\n")},
        {"CR CR CR LF is two", QStringLiteral("a\r\r\r\nb"), QStringLiteral("a\r\n\r\nb\r\n")},
        {"empty", QString(), QString()},
        {"single break", QStringLiteral("\n"), QStringLiteral("\r\n")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(joinLinesWithCrLf(c.in), c.out);
    }
}

TEST(TextDecoding, PlainDocumentsLfEqualsCrLf)
{
    const ConversionResult lf = ConvertByExtension("one\ntwo\n\nthree\n", QStringLiteral(".TXT"));
    const ConversionResult crlf =
        ConvertByExtension("one\r\ntwo\r\n\r\nthree\r\n", QStringLiteral(".TXT"));
    EXPECT_TRUE(lf.ok);
    EXPECT_EQ(lf.text, crlf.text);
    EXPECT_EQ(lf.text, QStringLiteral("one\r\ntwo\r\n\r\nthree"));
}

// The page control starts a line at each of these; the line fitter only at CR LF.
TEST(TextDecoding, EveryLineBreakBecomesCrLf)
{
    const struct
    {
        const char *name;
        QByteArray bytes;
        const char *ext;
        QString text;
    } cases[] = {
        {"lone CR", "one\rtwo", ".TXT", u"one\r\ntwo"_qs},
        {"line separator", u"one\u2028two"_qs.toUtf8(), ".TXT", u"one\r\ntwo"_qs},
        {"paragraph separators", u"one\u2029\u2029two"_qs.toUtf8(), ".TXT", u"one\r\n\r\ntwo"_qs},
        {"CR, then a separator", u"one\r\u2028two"_qs.toUtf8(), ".TXT", u"one\r\n\r\ntwo"_qs},
        {"separator, then CR LF", u"one\u2028\r\ntwo"_qs.toUtf8(), ".TXT", u"one\r\n\r\ntwo"_qs},
        {"CR CR LF in UTF-8", "one\r\r\ntwo\r\r\n\r\r\nthree", ".TXT",
         u"one\r\ntwo\r\n\r\nthree"_qs},
        {"CR CR LF in Windows-1252", "caf\xE9\r\r\ntwo\r\r\n\r\r\nthree", ".TXT",
         u"caf\u00E9\r\ntwo\r\n\r\nthree"_qs},
        // Long lines of CR LF breaks, the one break to change far into them.
        {"lone LF after CR LF lines", QByteArray("caf\xE9 au lait\r\n").repeated(9) + "end\nx",
         ".TXT", u"caf\u00E9 au lait\r\n"_qs.repeated(9) + u"end\r\nx"_qs},
        {"CR CR LF far into a line", QByteArray("caf\xE9 au lait ").repeated(5) + "\r\r\nx", ".TXT",
         u"caf\u00E9 au lait "_qs.repeated(5) + u"\r\nx"_qs},
        {"lone CR far into a line", QByteArray("caf\xE9 au lait ").repeated(5) + "\rx", ".TXT",
         u"caf\u00E9 au lait "_qs.repeated(5) + u"\r\nx"_qs},
        {"referenced in HTML", "a&#8232;b&#x2029;c", ".HTM", u"a\r\nb\r\nc"_qs},
        {"escaped in RTF", "{\\rtf1 a\\u8232?b}", ".RTF", u"a\r\nb"_qs},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ConvertByExtension(c.bytes, QString::fromLatin1(c.ext)).text, c.text);
    }
}

TEST(TextDecoding, TrimDocumentText)
{
    EXPECT_EQ(TrimDocumentText(QStringLiteral("\r\n\r\n  a b \t\r\n ")), QStringLiteral("  a b"));
    EXPECT_EQ(TrimDocumentText(QStringLiteral(" \t\r\n")), QString());
    EXPECT_EQ(TrimDocumentText(QString()), QString());
}

TEST(TextDecoding, UpperExtension)
{
    EXPECT_EQ(upperExtension(QStringLiteral("/a/book.Zip")), QStringLiteral(".ZIP"));
    EXPECT_EQ(upperExtension(QStringLiteral("/a.b/book")), QString());
    EXPECT_EQ(upperExtension(QStringLiteral("/a/x.tar.gz")), QStringLiteral(".GZ"));
    EXPECT_EQ(upperExtension(QStringLiteral("/a/.hidden")), QStringLiteral(".HIDDEN"));
}

TEST(TextDecoding, HostileTextsSurviveDecoding)
{
    for (const HostileText &h : hostileTexts()) {
        SCOPED_TRACE(h.name);
        const DecodedText d = decodeDocumentBytes(h.text.toUtf8());
        QString expected = h.text;
        truncateAtNul(expected);
        if (expected.startsWith(QChar(0xFEFF)))
            expected.remove(0, 1); // read as a byte-order mark
        if (h.text.contains(QChar(0xD800)))
            continue; // a lone surrogate cannot be written as UTF-8
        EXPECT_EQ(d.text, expected);
    }
}

namespace {

QByteArray encodingFixture(const char *name)
{
    return readFileBytes(QStringLiteral(TAVOLEX_TEST_DATA "/encodings/") +
                         QString::fromLatin1(name));
}

struct LegacyFixture
{
    const char *file;
    const char *original;
    TextEncoding encoding;
    QByteArray encodingName;
};

const std::vector<LegacyFixture> &legacyFixtures()
{
    static const std::vector<LegacyFixture> fixtures = {
        {"russian.cp1251.txt", "russian.utf8.txt", TextEncoding::Other, "WINDOWS-1251"},
        {"russian.koi8r.txt", "russian.utf8.txt", TextEncoding::Other, "KOI8-R"},
        {"czech.iso88592.txt", "czech.utf8.txt", TextEncoding::Other, "ISO-8859-2"},
        {"japanese.sjis.txt", "japanese.utf8.txt", TextEncoding::Other, "windows-31j"},
        {"chinese.gb18030.txt", "chinese.utf8.txt", TextEncoding::Other, "GB18030"},
        {"german.cp1252.txt", "german.utf8.txt", TextEncoding::Windows1252, {}},
        {"french.cp1252.txt", "french.utf8.txt", TextEncoding::Windows1252, {}},
    };
    return fixtures;
}

} // namespace

TEST(TextDecoding, LegacyFilesDecodeToTheirOriginals)
{
    for (const LegacyFixture &f : legacyFixtures()) {
        SCOPED_TRACE(f.file);
        const QByteArray bytes = encodingFixture(f.file);
        const QString original = QString::fromUtf8(encodingFixture(f.original));
        ASSERT_FALSE(bytes.isEmpty());
        ASSERT_FALSE(isValidUtf8(bytes));
        for (const DecodedText &d : {decodeDocumentBytes(bytes), decodeHtmlBytes(bytes)}) {
            EXPECT_EQ(d.text, original);
            EXPECT_EQ(d.encoding, f.encoding);
            EXPECT_EQ(d.encodingName, f.encodingName);
        }
    }
}

// On a word or two of accented Latin text the detector names DOS, Central European, Nordic
// or Vietnamese code pages; such texts were always read as Windows-1252.
TEST(TextDecoding, ShortWesternTextIsNotTakenForAnotherCodePage)
{
    const struct
    {
        const char *name;
        QByteArray bytes;
        QString text;
    } cases[] = {
        {"detector says ISO-8859-2", "Caf\xE9", QStringLiteral("Caf\u00e9")},
        {"detector says IBM852",
         "na\xEFve fa\xE7"
         "ade",
         QStringLiteral("na\u00efve fa\u00e7ade")},
        {"detector says WINDOWS-1258", "\x84Hallo\x93", QStringLiteral("\u201eHallo\u201c")},
        {"detector says ISO-8859-10", "se\xF1or", QStringLiteral("se\u00f1or")},
        {"detector says ISO-8859-15", "\xC6r\xF8", QStringLiteral("\u00c6r\u00f8")},
        {"detector says ISO-8859-3", "abc\xFF", QStringLiteral("abc\u00ff")},
        {"detector says ISO-8859-4",
         "El ni\xF1o comi\xF3 pi\xF1"
         "as.",
         QStringLiteral("El ni\u00f1o comi\u00f3 pi\u00f1as.")},
        {"Cyrillic words below the evidence needed", "\xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0",
         QStringLiteral("\u00cf\u00f0\u00e8\u00e2\u00e5\u00f2, \u00ec\u00e8\u00f0")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const DecodedText d = decodeDocumentBytes(c.bytes);
        EXPECT_EQ(d.text, c.text);
        EXPECT_EQ(d.encoding, TextEncoding::Windows1252);
        EXPECT_EQ(d.encodingName, QByteArray());
    }
}

TEST(TextDecoding, LegacyAnswerThatDoesNotDecodeFallsBackToWindows1252)
{
    const QByteArray sjis = encodingFixture("japanese.sjis.txt");
    const QByteArray gb = encodingFixture("chinese.gb18030.txt");
    const QByteArray czech = encodingFixture("czech.iso88592.txt");
    const qsizetype sentenceEnd = czech.indexOf(". ");
    const struct
    {
        const char *name;
        QByteArray bytes;
    } cases[] = {
        {"Shift_JIS cut inside its last character", sjis.left(sjis.lastIndexOf('\n') - 1)},
        {"Shift_JIS with a stray byte", sjis + "\x80"},
        {"GB18030 with a stray byte", gb + "\xFF"},
        // The detector still says ISO-8859-2, where an en dash byte is a C1 control.
        {"Latin-2 guess over a Windows-only byte",
         czech.left(sentenceEnd) + " \x96 " + czech.mid(sentenceEnd)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const DecodedText d = decodeDocumentBytes(c.bytes);
        EXPECT_EQ(d.encoding, TextEncoding::Windows1252);
        EXPECT_EQ(d.text, decodeWindows1252(c.bytes));
    }
}

TEST(TextDecoding, NulEndsALegacyTextBeforeTheGuess)
{
    const QByteArray koi8 = encodingFixture("russian.koi8r.txt");
    const QString original = QString::fromUtf8(encodingFixture("russian.utf8.txt"));
    const qsizetype cut = koi8.indexOf('\n');
    // Shift_JIS behind the NUL would not decode as KOI8-R's neighbours do; it must not count.
    const DecodedText d =
        decodeDocumentBytes(koi8.left(cut) + '\0' + encodingFixture("japanese.sjis.txt"));
    EXPECT_EQ(d.encoding, TextEncoding::Other);
    EXPECT_EQ(d.encodingName, QByteArray("KOI8-R"));
    EXPECT_EQ(d.text, original.left(original.indexOf(u'\n')));
}

TEST(TextDecoding, HtmlMetaCharsetBeatsTheGuess)
{
    const QByteArray koi8 = encodingFixture("russian.koi8r.txt");
    const QByteArray sjis = encodingFixture("japanese.sjis.txt");
    const QString russian = QString::fromUtf8(encodingFixture("russian.utf8.txt"));
    const QString japanese = QString::fromUtf8(encodingFixture("japanese.utf8.txt"));
    const struct
    {
        const char *name;
        QByteArray head;
        QByteArray body;
        TextEncoding encoding;
        QByteArray encodingName;
        QString text; // empty: the body read as Windows-1252
    } cases[] = {
        {"declared KOI8-R", "<meta charset=koi8-r>", koi8, TextEncoding::Other, "koi8-r", russian},
        {"no declaration", "<p>", koi8, TextEncoding::Other, "KOI8-R", russian},
        {"unknown declaration", "<meta charset=x-none>", sjis, TextEncoding::Other, "windows-31j",
         japanese},
        {"declared UTF-16", "<meta charset=utf-16>", sjis, TextEncoding::Other, "windows-31j",
         japanese},
        {"declared Latin-1 over Cyrillic bytes",
         "<meta charset=iso-8859-1>",
         koi8,
         TextEncoding::Windows1252,
         {},
         {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const DecodedText d = decodeHtmlBytes(c.head + c.body);
        EXPECT_EQ(d.encoding, c.encoding);
        EXPECT_EQ(d.encodingName, c.encodingName);
        EXPECT_EQ(d.text, QString::fromLatin1(c.head) +
                              (c.text.isEmpty() ? decodeWindows1252(c.body) : c.text));
    }
}

// Every prefix is a short input; a wrong guess would show characters the file never held.
TEST(TextDecoding, PrefixesOfLegacyFilesDecodeToPrefixesOrWindows1252)
{
    for (const LegacyFixture &f : legacyFixtures()) {
        const QByteArray bytes = encodingFixture(f.file);
        const QString original = QString::fromUtf8(encodingFixture(f.original));
        for (qsizetype n = 0; n <= bytes.size(); ++n) {
            SCOPED_TRACE(std::string(f.file) + " prefix " + std::to_string(n));
            const QByteArray prefix = bytes.left(n);
            const DecodedText d = decodeDocumentBytes(prefix);
            if (d.encoding == TextEncoding::Other) {
                EXPECT_EQ(d.encodingName, f.encodingName);
                EXPECT_TRUE(original.startsWith(d.text));
            } else if (d.encoding == TextEncoding::Windows1252) {
                EXPECT_EQ(d.text, decodeWindows1252(prefix));
            } else {
                EXPECT_EQ(d.encoding, TextEncoding::Utf8);
                EXPECT_EQ(d.text, QString::fromLatin1(prefix));
            }
        }
    }
}

TEST(TextDecoding, HostileTextsSurviveTheLegacyPath)
{
    for (const HostileText &h : hostileTexts()) {
        SCOPED_TRACE(h.name);
        // A leading invalid byte keeps the text away from the UTF-8 reading.
        for (const QByteArray &codec : {QByteArray("KOI8-R"), QByteArray("SHIFT_JIS")}) {
            QByteArray bytes;
            if (!encodeWithCodec(h.text, codec, bytes))
                bytes = h.text.toUtf8();
            const DecodedText d = decodeDocumentBytes("\xFF" + bytes);
            EXPECT_FALSE(d.text.contains(QChar(0)));
            EXPECT_TRUE(d.text.startsWith(QChar(0xFF)) || d.encoding == TextEncoding::Other);
        }
    }
}

TEST(TextDecoding, CodecStreamMatchesTheWholeTextDecoding)
{
    const struct
    {
        const char *file;
        QByteArray codec;
    } cases[] = {
        {"japanese.sjis.txt", "SHIFT_JIS"},
        {"chinese.gb18030.txt", "GB18030"},
        {"russian.koi8r.txt", "KOI8-R"},
    };
    for (const auto &c : cases) {
        const QByteArray bytes = encodingFixture(c.file);
        QString whole;
        ASSERT_TRUE(decodeWithCodec(bytes, c.codec, whole)) << c.file;
        for (qsizetype piece = 1; piece <= 7; ++piece) {
            SCOPED_TRACE(std::string(c.file) + " pieces of " + std::to_string(piece));
            CodecStream stream(c.codec);
            ASSERT_TRUE(stream.isValid());
            QString out;
            bool clean = true;
            for (qsizetype at = 0; at < bytes.size(); at += piece)
                clean = stream.decode(QByteArrayView(bytes).sliced(at).first(
                                          std::min(piece, bytes.size() - at)),
                                      out) &&
                        clean;
            EXPECT_TRUE(clean && stream.finish());
            EXPECT_EQ(out, whole);
        }
    }
}

TEST(TextDecoding, CodecStreamNoticesATextCutInsideACharacter)
{
    for (const char *file : {"japanese.sjis.txt", "chinese.gb18030.txt"}) {
        SCOPED_TRACE(file);
        const QByteArray bytes = encodingFixture(file);
        const QByteArray codec = decodeDocumentBytes(bytes).encodingName;
        const QByteArray cut = bytes.left(bytes.lastIndexOf('\n') - 1);
        CodecStream stream(codec);
        QString out;
        EXPECT_TRUE(stream.decode(cut, out));
        EXPECT_FALSE(stream.finish());
        QString whole;
        EXPECT_FALSE(decodeWithCodec(cut, codec, whole));
    }
}

// Codecs only iconv knows are streamed by iconv, which must carry split characters over.
TEST(TextDecoding, IconvStreamCarriesSplitCharactersAndReportsBadOnes)
{
    const QByteArray codec = "SHIFT_JISX0213";
    ASSERT_FALSE(QStringDecoder(codec.constData()).isValid());
    const QString original = QString::fromUtf8(encodingFixture("japanese.utf8.txt"));
    QByteArray bytes;
    ASSERT_TRUE(encodeWithCodec(original, codec, bytes));
    for (qsizetype piece = 1; piece <= 3; ++piece) {
        SCOPED_TRACE(piece);
        CodecStream stream(codec);
        QString out;
        bool clean = true;
        for (qsizetype at = 0; at < bytes.size(); at += piece)
            clean = stream.decode(
                        QByteArrayView(bytes).sliced(at).first(std::min(piece, bytes.size() - at)),
                        out) &&
                    clean;
        EXPECT_TRUE(clean && stream.finish());
        EXPECT_EQ(out, original);
    }
    CodecStream cut(codec);
    QString out;
    EXPECT_TRUE(cut.decode(QByteArrayView(bytes).first(1), out));
    EXPECT_FALSE(cut.finish());
    CodecStream bad(codec);
    EXPECT_FALSE(bad.decode("ab\x80"
                            "cd",
                            out));
    EXPECT_FALSE(CodecStream("x-no-such-codec").isValid());
}

// On short Windows-1251 texts the detector names Mac Cyrillic ("Глава" became "√лава"), IBM866
// or IBM855; texts really written in those code pages keep them.
TEST(TextDecoding, ShortWindows1251TextIsNotTakenForARarerCyrillicCodePage)
{
    const QString tale = QStringLiteral(
        "Глава первая. Жили-были старик со старухой у самого синего моря. Старик ловил неводом "
        "рыбу, а старуха пряла свою пряжу.");
    const struct
    {
        const char *name;
        QString text;
        QByteArray codec;
    } cases[] = {
        {"detector says MAC-CYRILLIC", QStringLiteral("Жена Жена ЧАСТЬ Царь Зима Чай поле"),
         "WINDOWS-1251"},
        {"detector says MAC-CYRILLIC, capitals", QStringLiteral("ЖИЗНЬ старик Глава кот Эхо"),
         "WINDOWS-1251"},
        {"Mac Cyrillic text", tale, "MAC-CYRILLIC"},
        {"IBM866 text", tale, "IBM866"},
        {"IBM855 text", tale, "IBM855"},
        {"KOI8-R text", tale, "KOI8-R"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QByteArray bytes;
        ASSERT_TRUE(encodeWithCodec(c.text, c.codec, bytes));
        const DecodedText d = decodeDocumentBytes(bytes);
        EXPECT_EQ(d.encodingName.toUpper(), c.codec);
        EXPECT_EQ(d.text, c.text);
    }
}

// Without a byte-order mark UTF-16 was read up to its first zero byte: one character.
TEST(TextDecoding, Utf16WithoutByteOrderMarkIsRecognisedByItsZeroBytes)
{
    const auto utf16 = [](const QString &text, bool little) {
        QStringEncoder encoder(little ? QStringEncoder::Utf16LE : QStringEncoder::Utf16BE);
        return QByteArray(encoder.encode(text));
    };
    const QString chinese = QStringLiteral("第一章\r\n她笑着点了点头。\r\n他们走了很久，终于到了。\r\n"
                                           "天黑了，月亮出来了。\r\n");
    const struct
    {
        const char *name;
        QByteArray bytes;
        TextEncoding encoding;
        QString text;
    } cases[] = {
        {"English, little-endian", utf16(QStringLiteral("Chapter 1\r\nCall me."), true),
         TextEncoding::Utf16LE, QStringLiteral("Chapter 1\r\nCall me.")},
        {"English, big-endian", utf16(QStringLiteral("Chapter 1\r\nCall me."), false),
         TextEncoding::Utf16BE, QStringLiteral("Chapter 1\r\nCall me.")},
        {"one letter", utf16(QStringLiteral("C"), true), TextEncoding::Utf16LE,
         QStringLiteral("C")},
        {"Russian, little-endian", utf16(QStringLiteral("Глава 1\r\nЖили-были дед да баба."), true),
         TextEncoding::Utf16LE, QStringLiteral("Глава 1\r\nЖили-были дед да баба.")},
        {"Chinese lines, big-endian", utf16(chinese, false), TextEncoding::Utf16BE, chinese},
        {"NUL in UTF-16 still ends the text", utf16(QStringLiteral("ab") + QChar(0) + "cd", true),
         TextEncoding::Utf16LE, QStringLiteral("ab")},
        // Single-byte texts with a NUL or two keep reading as before.
        {"UTF-8 with a NUL", QByteArray("abc\0def", 7), TextEncoding::Utf8, QStringLiteral("abc")},
        {"NUL after three letters", QByteArray("abc\0", 4), TextEncoding::Utf8,
         QStringLiteral("abc")},
        {"Latin text with two NULs", QByteArray("Hello\0there, wor\0ld", 20), TextEncoding::Utf8,
         QStringLiteral("Hello")},
        {"NUL padding", QByteArray("text\0\0\0\0\0\0", 10), TextEncoding::Utf8,
         QStringLiteral("text")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const DecodedText d = decodeDocumentBytes(c.bytes);
        EXPECT_EQ(d.encoding, c.encoding);
        EXPECT_EQ(d.text, c.text);
        const ConversionResult converted = ConvertByExtension(c.bytes, QStringLiteral(".TXT"));
        EXPECT_EQ(converted.encoding, c.encoding);
        EXPECT_EQ(converted.text, TrimDocumentText(c.text));
    }
}

TEST(TextDecoding, WhatANulHidesIsCountedAndNamed)
{
    const QByteArray tail(3 * 1024 * 1024, 'x');
    const QByteArray utf16Hidden = QByteArray("a\0b\0c\0\0\0d\0e\0", 12);
    const struct
    {
        const char *name;
        QByteArray bytes;
        QString extension;
        qint64 hidden;
    } cases[] = {
        {"no NUL", "plain text", ".TXT", 0},
        {"UTF-8", QByteArray("abc\0defg", 8), ".TXT", 4},
        {"Windows-1252", QByteArray("caf\xE9\0\xE9t\xE9", 8), ".TXT", 3},
        {"NUL padding hides nothing", QByteArray("abc\0\0\0", 6), ".TXT", 0},
        {"a NUL at the very end", QByteArray("abc\0", 4), ".TXT", 0},
        {"UTF-16 counts whole units", utf16Hidden, ".TXT", 4},
        {"HTML", QByteArray("<p>x\0<p>y", 9), ".HTML", 4},
        {"megabytes", QByteArray("abc", 3) + '\0' + tail, ".TXT", tail.size()},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ConvertByExtension(c.bytes, c.extension).hiddenAfterNul, c.hidden);
    }
    EXPECT_EQ(hiddenAfterNulNotice(2202009),
              QStringLiteral("The text ends at a NUL character; 2.1 MB after it are not shown"));
    EXPECT_EQ(hiddenAfterNulNotice(1),
              QStringLiteral("The text ends at a NUL character; 1 byte after it is not shown"));
    EXPECT_EQ(hiddenAfterNulNotice(3000),
              QStringLiteral("The text ends at a NUL character; 2.9 KB after it are not shown"));
}

TEST(TextDecoding, ShiftJisBooksReadAsWindows31j)
{
    // NEC and IBM extensions of an Aozora Bunko file: circled and Roman numerals, the full-width
    // tilde of Windows, a kanji of the IBM rows.
    const QString original = QString::fromUtf8(
        "\u3000親譲りの無鉄砲で小供の時から損ばかりしている。①小学校に居る時分学校の二階から飛び"
        "降りて一週間ほど腰を抜かした事がある。Ⅲなぜそんな無闇をしたと聞く人があるかも知れぬ。"
        "～別段深い理由でもない。新築の二階から首を出していたら、同級生の一人が冗談に、"
        "いくら威張っても、そこから飛び降りる事は出来まい。弱虫やーい。と囃したからである。"
        "髙橋さんは﨑の方へ行った。\r\n");
    QByteArray bytes;
    ASSERT_TRUE(encodeWithCodec(original.repeated(4), "windows-31j", bytes));
    const DecodedText decoded = decodeDocumentBytes(bytes);
    EXPECT_EQ(decoded.text, original.repeated(4));
    EXPECT_EQ(decoded.encodingName, QByteArray("windows-31j"));
    EXPECT_EQ(codePageInUse(decoded.encoding, decoded.encodingName), QStringLiteral("Shift_JIS"));
}
