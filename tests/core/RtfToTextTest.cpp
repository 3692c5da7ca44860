#include "TestSupport.h"

#include "core/text/DocumentFormats.h"
#include "core/text/RtfToText.h"
#include "core/text/TextDecoding.h"

#include <gtest/gtest.h>

#include <QFile>

namespace {

struct Case
{
    const char *name;
    QByteArray rtf;
    QString expected;
};

QString u8(const char *s)
{
    return QString::fromUtf8(s);
}

QByteArray doc(const char *body)
{
    return QByteArray("{\\rtf1\\ansi ") + body + "}";
}

void runCases(const std::vector<Case> &cases)
{
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(RtfToText(c.rtf), c.expected);
    }
}

// How a producer writes any text: ASCII as is, everything else as "\uN?".
QByteArray encodeAsRtf(const QString &text)
{
    QByteArray out = "{\\rtf1\\ansi\\uc1 ";
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            out += "\\par\r\n";
        } else if (c == u'\t') {
            out += "\\tab ";
        } else if (c == u'\\' || c == u'{' || c == u'}') {
            out += '\\';
            out += char(c);
        } else if (c >= 0x20 && c < 0x80) {
            out += char(c);
        } else {
            out += "\\u" + QByteArray::number(static_cast<qint16>(c)) + "?";
        }
    }
    return out + "}";
}

// What a reader should make of any text: CR LF line ends, no other control characters,
// no lone surrogates.
QString expectedReading(const QString &text)
{
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            out += u"\r\n";
        } else if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            out += c;
            out += text[++i];
        } else if (c.isSurrogate()) {
            out += QChar(QChar::ReplacementCharacter);
        } else if (c.unicode() >= 0x20 || c == u'\t') {
            out += c;
        }
    }
    return out;
}

void expectWellFormed(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == u'\r') {
            ASSERT_TRUE(i + 1 < text.size() && text[i + 1] == u'\n') << "lone CR at " << i;
        } else if (c == u'\n') {
            ASSERT_TRUE(i > 0 && text[i - 1] == u'\r') << "lone LF at " << i;
        } else {
            ASSERT_TRUE(c >= 0x20 || c == u'\t') << "control character " << int(c) << " at " << i;
        }
    }
}

QByteArray fixture(const char *name)
{
    return readFileBytes(QStringLiteral(TAVOLEX_TEST_DATA "/rtf/") + QLatin1String(name));
}

QString expectedFixture(const char *name)
{
    QString text = QString::fromUtf8(fixture(name));
    text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return TrimDocumentText(text);
}

TEST(RtfToText, BreaksTabsAndTables)
{
    runCases({
        {"par", doc(R"(one\par two)"), u8("one\r\ntwo")},
        {"par without space", doc(R"(one\par\par two)"), u8("one\r\n\r\ntwo")},
        {"line", doc(R"(a\line b)"), u8("a\r\nb")},
        {"section and page", doc(R"(a\sect b\page c)"), u8("a\r\nb\r\nc")},
        {"backslash newline", doc("a\\\nb\\\r\nc"), u8("a\r\nb\r\nc")},
        {"source line breaks are no text", doc("a\r\nb\nc\rd"), u8("abcd")},
        {"tab word and literal tab", doc("a\\tab b\tc"), u8("a\tb\tc")},
        {"table rows drop the last cell's tab",
         doc(R"(\trowd\cellx100\cellx200 a\cell b\cell\row\trowd c\cell \cell\row after)"),
         u8("a\tb\r\nc\t\r\nafter")},
        {"nested cell", doc(R"(a\nestcell b)"), u8("a\tb")},
    });
}

TEST(RtfToText, ControlWordSyntax)
{
    runCases({
        {"space delimiter is consumed once", doc(R"(\b bold\b0  x)"), u8("bold x")},
        {"unknown word with parameter", doc(R"(\foo123 x\bar-5y)"), u8("xy")},
        {"overlong word", doc((QByteArray("\\") + QByteArray(40, 'z') + " x").constData()),
         u8("x")},
        {"escaped specials", doc(R"(\\ \{ \})"), u8("\\ { }")},
        {"empty groups", doc("<<&&;;{}\\\\>>"), u8("<<&&;;\\>>")},
        {"control characters are ignored",
         QByteArray("{\\rtf1 a\x01"
                    "b\x1f"
                    "c\0d}",
                    15),
         u8("abcd")},
        {"text after the document ends", doc("a") + "b", u8("a")},
        {"blanks and BOM before the header", "\xEF\xBB\xBF \r\n{\\rtf1 a}", u8("a")},
    });
}

TEST(RtfToText, SpecialCharacters)
{
    runCases({
        {"quotes and dashes", doc(R"(\emdash\endash\lquote\rquote\ldblquote\rdblquote\bullet)"),
         u8("—–‘’“”•")},
        {"no-break space", doc(R"(a\~b)"), QStringLiteral(u"a\u00A0b")},
        {"optional hyphen", doc(R"(co\-op)"), u8("coop")},
        {"non-breaking hyphen", doc(R"(x\_y)"), u8("x-y")},
        {"unknown symbols", doc(R"(a\|\:b)"), u8("ab")},
    });
}

TEST(RtfToText, CodePagesAndFonts)
{
    runCases({
        {"windows-1252 by default", doc(R"(caf\'e9 \'80\'93)"), u8("café €“")},
        {"raw high bytes", doc("caf\xe9"), u8("café")},
        {"ansicpg", R"({\rtf1\ansi\ansicpg1251 \'cf\'f0\'e8)", u8("При")},
        {"unknown ansicpg keeps 1252", R"({\rtf1\ansi\ansicpg12345 \'e9})", u8("é")},
        {"utf-8 code page", R"({\rtf1\ansi\ansicpg65001 \'d0\'9f\'d1\'80})", u8("Пр")},
        {"font charset over ansicpg",
         R"({\rtf1\ansi\ansicpg1252\deff0{\fonttbl{\f0\fcharset0 A;}{\f1\fcharset204 B;}})"
         R"(\f1\'cf\'f0\f0\'e9})",
         u8("Прé")},
        {"charset 0 is 1252 under another ansicpg",
         R"({\rtf1\ansi\ansicpg1251{\fonttbl{\f0\fcharset0 A;}{\f1\fcharset204 B;}})"
         R"(\f0 caf\'e9 \f1\'e9})",
         u8("café й")},
        {"default font",
         R"({\rtf1\ansi\deff1{\fonttbl{\f0\fcharset0 A;}{\f1\fcharset161 B;}}\'e1})", u8("α")},
        {"flat font table", R"({\rtf1\ansi{\fonttbl\f0\fcharset0 A;\f1\fcharset204 B;}\f1\'cf})",
         u8("П")},
        {"cpg in the font table", R"({\rtf1\ansi{\fonttbl{\f3\cpg1253 G;}}\f3\'e1})", u8("α")},
        {"font is group-scoped",
         R"({\rtf1\ansi{\fonttbl{\f0\fcharset0 A;}{\f1\fcharset204 B;}}\f0{\f1\'cf}\'cf})",
         u8("ПÏ")},
        {"plain returns to the default font",
         R"({\rtf1\ansi\deff0{\fonttbl{\f0\fcharset0 A;}{\f1\fcharset204 B;}}\f1\'cf\plain\'cf})",
         u8("ПÏ")},
        {"unknown font uses the document code page", R"({\rtf1\ansi\ansicpg1251\f9\'cf})", u8("П")},
        {"control bytes from escapes", doc(R"(a\'0d\'0a\'00b)"), u8("ab")},
        {"lone hex digit", doc(R"(a\'4)"), u8("a")},
        {"no hex digit", doc(R"(a\'zb)"), u8("azb")},
    });
}

TEST(RtfToText, EveryCharsetMapsToItsCodePage)
{
    struct CharsetCase
    {
        int charset;
        const char *escapes;
        const char *expected;
    };
    const CharsetCase cases[] = {
        {0, R"(\'e9)", "é"},        {161, R"(\'e1)", "α"},
        {162, R"(\'fe)", "ş"},      {177, R"(\'e0)", "א"},
        {178, R"(\'c7)", "ا"},      {186, R"(\'e0)", "ą"},
        {204, R"(\'cf)", "П"},      {238, R"(\'b9)", "ą"},
        {222, R"(\'a1)", "ก"},      {163, R"(\'e0)", "à"},
        {77, R"(\'8e)", "é"},       {128, R"(\'82\'a0)", "あ"},
        {128, R"(\'83e)", "テ"},    {134, R"(\'c4\'e3\'ba\'c3)", "你好"},
        {129, R"(\'c7\'d1)", "한"}, {136, R"(\'a4\'a4)", "中"},
    };
    for (const CharsetCase &c : cases) {
        SCOPED_TRACE(c.charset);
        const QByteArray rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset" +
                               QByteArray::number(c.charset) + " X;}}\\f0 " + c.escapes + "}";
        EXPECT_EQ(RtfToText(rtf), u8(c.expected));
    }
}

TEST(RtfToText, DoubleByteCodePages)
{
    const char *header =
        R"({\rtf1\ansi\ansicpg932{\fonttbl{\f0\fcharset128 M;}{\f1\fcharset0 A;}})";
    runCases({
        {"pairs across words", QByteArray(header) + R"(\f0\'82\'b1\'82\'f1 \'82\'c9\'82\'bf})",
         u8("こん にち")},
        {"lead byte before a font change", QByteArray(header) + R"(\f0\'82\'a0\'82\f1\'e9})",
         u8("あ\uFFFDé")},
        {"single-byte character", QByteArray(header) + R"(\f0\'b1\'82\'a0})", u8("ｱあ")},
        {"invalid pair", QByteArray(header) + R"(\f0\'85\'40\'82\'a0})", u8("\uFFFD@あ")},
        {"ascii keeps its place", QByteArray(header) + R"(\f0 a\'82\'a0b{\b c}})", u8("aあbc")},
    });
}

TEST(RtfToText, UnicodeEscapes)
{
    runCases({
        {"positive", doc(R"(\u1055?\u1088?)"), u8("Пр")},
        {"negative", doc(R"(\u-10179?\u-8704?)"), u8("😀")},
        {"value above 32767", doc(R"(\u65533?)"), u8("\uFFFD")},
        {"skips a hex fallback", doc(R"(\u1055\'cf x)"), u8("П x")},
        {"uc2 skips both bytes", doc(R"(\uc2\u12354\'82\'a0 x)"), u8("あ x")},
        {"uc0 skips nothing", doc(R"(\uc0\u1055 X)"), u8("ПX")},
        {"uc is group-scoped", doc(R"({\uc2 \u1055 ab}\u1055 cd)"), u8("ППd")},
        {"skipping ends at a group", doc(R"(\uc3\u1055{x}y)"), u8("Пxy")},
        {"skipping ends at a control word", doc(R"(\u1055\par x)"), u8("П\r\nx")},
        {"escaped brace counts as one", doc(R"(\u1055\{x)"), u8("Пx")},
        {"NUL and control values", doc(R"(a\u0 \u13 \u9?b)"), u8("ab")},
        {"lone surrogates", doc(R"(\u-10179?x\u-8704?)"), u8("\uFFFDx\uFFFD")},
        {"no parameter", doc(R"(\u x)"), u8("x")},
    });
}

TEST(RtfToText, BinaryData)
{
    runCases({
        {"bin skips its bytes", doc("a\\bin3 {}\\b"), u8("ab")},
        {"bin with NUL bytes", QByteArray("{\\rtf1 a{\\pict\\bin4 \0}\0\\}b}", 27), u8("ab")},
        {"bin beyond the end", doc("a\\bin999 xyz"), u8("a")},
        {"bin without count", doc("a\\bin b"), u8("ab")},
        {"negative bin", doc("a\\bin-5 b"), u8("ab")},
    });
}

TEST(RtfToText, HiddenTextFieldsAndDestinations)
{
    runCases({
        {"hidden text", doc(R"(a{\v hidden}b\v c\v0 d)"), u8("abd")},
        {"hidden paragraph mark", doc(R"(a{\v \par}b)"), u8("ab")},
        {"plain shows text again", doc(R"(\v x\plain y)"), u8("y")},
        {"field shows its result",
         doc(R"(See {\field{\*\fldinst HYPERLINK "http://x.org/" }{\fldrslt {\ul here}}}.)"),
         u8("See here.")},
        {"unstarred field instruction", doc(R"({\field{\fldinst PAGE}{\fldrslt 7}})"), u8("7")},
        {"header destinations",
         R"({\rtf1\ansi{\fonttbl{\f0 Arial;}}{\colortbl;\red0\green0\blue0;})"
         R"({\stylesheet{\s0 Normal;}}{\info{\title T}{\author A}}{\*\generator G;})"
         R"({\*\themedata 0a}{\*\datastore 0b}{\*\latentstyles x}{\*\listtable x})"
         R"({\listoverridetable x}{\*\rsidtbl x}{\*\xmlnstbl x}{\*\mmathPr x}Body})",
         u8("Body")},
        {"headers and footers",
         doc(R"({\header H}{\headerl H}{\headerr H}{\headerf H}{\footer F}{\footerl F})"
             R"({\footerr F}{\footerf F}Body)"),
         u8("Body")},
        {"pictures and objects",
         doc(R"(a{\pict\pngblip 89504e47}{\*\shppict{\pict 00}}{\nonshppict{\pict 00}})"
             R"({\object{\*\objdata 0102}{\result{\pict 00}}}b)"),
         u8("ab")},
        {"unknown starred destination", doc(R"({\*\foo {a}{b\par}}c)"), u8("c")},
        {"unknown unstarred group shows", doc(R"({\foo a}b)"), u8("ab")},
        {"star before text", doc(R"({\* a}b)"), u8("b")},
        {"list text is shown", doc(R"({\listtext 1.\tab}Item)"), u8("1.\tItem")},
        {"upr shows the unicode part", doc(R"({\upr{ansi}{\*\ud{uni}}}!)"), u8("uni!")},
        {"ud outside upr in a skipped group", doc(R"({\info{\*\ud{x}}}y)"), u8("y")},
        {"footnote moves to the end",
         doc(R"(a{\super\chftn}{\footnote\pard{\super\chftn} note\par}b\par)"),
         u8("a[1]b\r\n\r\n[1] note\r\n")},
        {"starred footnotes in order",
         doc(R"(x{\chftn}{\*\footnote\chftn  one}y{\chftn}{\*\footnote\chftn  two}z)"),
         u8("x[1]y[2]z\r\n\r\n[1] one\r\n[2] two")},
        {"footnote in a skipped group", doc(R"({\header{\footnote n}}t)"), u8("t")},
    });
}

TEST(RtfToText, FinalParagraphMarks)
{
    const QByteArray withFinalPar = doc(R"(one\par two\par)");
    EXPECT_EQ(RtfToText(withFinalPar), u8("one\r\ntwo\r\n"));
    EXPECT_EQ(TrimDocumentText(RtfToText(withFinalPar)), u8("one\r\ntwo"));
    EXPECT_EQ(TrimDocumentText(RtfToText(doc(R"(one\par two)"))), u8("one\r\ntwo"));
}

TEST(RtfToText, NotRtfIsPlainText)
{
    runCases({
        {"utf-8 text", "plain text\nline", u8("plain text\r\nline\r\n")},
        {"windows-1252 text", "caf\xe9\r\n", u8("café\r\n")},
        {"rtf header not at the start", "x {\\rtf1 a}", u8("x {\\rtf1 a}\r\n")},
        {"empty", "", QString()},
        {"text ends at NUL", QByteArray("ab\0{\\rtf1 c}", 12), u8("ab\r\n")},
    });
}

// The long document from which a chunking interpreter would lose or double text at its cuts.
TEST(RtfToText, LongDocumentLosesAndDoublesNothing)
{
    QByteArray rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fcharset0 Serif;}}\\pard ";
    QStringList paragraphs;
    for (int i = 0; rtf.size() < 150000; ++i) {
        const QByteArray n = QByteArray::number(i);
        QByteArray para = "Paragraph " + n + " {\\b starts} here, caf\\'e9 " + n + ";";
        QString text = u8("Paragraph ") + QString::fromLatin1(n) + u8(" starts here, café ") +
                       QString::fromLatin1(n) + u8(";");
        for (int w = 0; w < 40; ++w) {
            para += " word" + QByteArray::number(w);
            text += u8(" word") + QString::number(w);
        }
        rtf += para + "\\par\r\n";
        paragraphs << text;
    }
    rtf += "}";
    ASSERT_GT(rtf.size(), 150000);
    EXPECT_EQ(TrimDocumentText(RtfToText(rtf)), paragraphs.join(u8("\r\n")));
}

// The header's code page and groups that straddle the 65000th character still hold.
TEST(RtfToText, HeaderAndGroupsHoldAcrossTheWholeDocument)
{
    QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fcharset204 Cyr;}}"
                     "{\\colortbl;\\red0\\green0\\blue0;}\\pard ";
    QString expected;
    while (rtf.size() < 64900) {
        rtf += "\\'cf\\'f0\\'e8\\'e2\\'e5\\'f2 filler\\par\r\n";
        expected += u8("Привет filler\r\n");
    }
    rtf += "{\\v hidden text";
    while (rtf.size() < 65200)
        rtf += " still hidden\\par ";
    rtf += "}{\\field{\\*\\fldinst HYPERLINK \"";
    while (rtf.size() < 66000)
        rtf += "padding";
    rtf += "\" }{\\fldrslt \\'f1\\'f1\\'fb\\'eb\\'ea\\'e0}}\\par\r\n";
    expected += u8("ссылка\r\n");
    rtf += "\\'ea\\'ee\\'ed\\'e5\\'f6\\par }";
    expected += u8("конец\r\n");
    ASSERT_GT(rtf.size(), 65000);
    EXPECT_EQ(RtfToText(rtf), expected);
}

TEST(RtfToText, TruncatedDocumentsYieldAPrefix)
{
    const QByteArray rtf = fixture("cyrillic-1251.rtf");
    ASSERT_FALSE(rtf.isEmpty());
    const QString full = RtfToText(rtf);
    for (qsizetype cut = 5; cut < 4000; ++cut) {
        // A cut word may read as another one ("\pard" cut to "\par"), hence the trim.
        const QString part = TrimDocumentText(RtfToText(rtf.left(cut)));
        ASSERT_TRUE(full.startsWith(part)) << "cut at " << cut;
    }
}

TEST(RtfToText, UnbalancedAndDeepDocuments)
{
    const QByteArray deep(100000, '{');
    const QByteArray deepClose(100000, '}');
    runCases({
        {"extra closing braces end the document", doc("a}}}b"), u8("a")},
        {"missing closing braces", "{\\rtf1 {{{a", u8("a")},
        {"backslash at the end", "{\\rtf1 a\\", u8("a")},
        {"escape at the end", "{\\rtf1 a\\'", u8("a")},
        {"unicode at the end", "{\\rtf1 a\\u", u8("a")},
        {"star at the end", "{\\rtf1 a{\\*", u8("a")},
        {"deep nesting closed", "{\\rtf1 " + deep + "deep" + deepClose + " after}",
         u8("deep after")},
        {"deep nesting left open", "{\\rtf1 " + deep + "deep", u8("deep")},
        {"state inside too-deep groups ends with them",
         "{\\rtf1 " + QByteArray(5000, '{') + "\\v x" + QByteArray(5000, '}') + "shown}",
         u8("shown")},
    });
}

TEST(RtfToText, HostileTexts)
{
    for (const HostileText &h : hostileTexts()) {
        SCOPED_TRACE(h.name);
        const QByteArray utf8 = h.text.toUtf8();

        const QString plain = RtfToText(utf8);
        expectWellFormed(plain);
        EXPECT_FALSE(plain.contains(QChar(0)));

        // Raw bytes inside RTF are read in the document's code page.
        const QByteArray raw = "{\\rtf1\\ansi " + utf8 + "}";
        const QString rawText = RtfToText(raw);
        expectWellFormed(rawText);
        if (!utf8.contains('\\') && !utf8.contains('{') && !utf8.contains('}')) {
            QString expected;
            for (const QChar c : decodeWindows1252(utf8))
                if (c.unicode() >= 0x20 || c == u'\t')
                    expected += c;
            EXPECT_EQ(rawText, expected);
        }

        const QString escaped = RtfToText(encodeAsRtf(h.text));
        EXPECT_EQ(escaped, expectedReading(h.text));
    }
}

TEST(RtfToText, ProducerFixtures)
{
    struct FixtureCase
    {
        const char *rtf;
        const char *text;
        qsizetype minimumSize;
    };
    const FixtureCase cases[] = {
        {"cyrillic-1251.rtf", "cyrillic-1251.txt", 65001},
        {"cyrillic-lo.rtf", "cyrillic-lo.txt", 65001},
        {"mixed.rtf", "mixed.txt", 0},
    };
    for (const FixtureCase &c : cases) {
        SCOPED_TRACE(c.rtf);
        const QByteArray rtf = fixture(c.rtf);
        ASSERT_GE(rtf.size(), std::max<qsizetype>(c.minimumSize, 1));
        const QString text = TrimDocumentText(RtfToText(rtf));
        EXPECT_EQ(text, expectedFixture(c.text));
        expectWellFormed(text);
    }
}

} // namespace
