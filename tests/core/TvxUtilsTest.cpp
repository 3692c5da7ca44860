#include "core/text/TvxUtils.h"
#include "TestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

namespace {

struct Case
{
    const char *name;
    QString page;
    QString expected;
};

QString qs(const char *text)
{
    return QString::fromUtf8(text);
}

QString codeChar(int windows1252Code)
{
    return decodeWindows1252(QByteArray(1, static_cast<char>(windows1252Code)));
}

QString ref(const QString &key)
{
    return u'&' + key + u';';
}

void expectCases(const std::vector<Case> &cases)
{
    for (const Case &c : cases)
        EXPECT_EQ(HtmlToText(c.page), c.expected) << c.name;
}

const QString del(QChar(0x7F));

} // namespace

TEST(HtmlToText, ExamplesOfTheConversion)
{
    expectCases({
        {"head with title, body with one paragraph",
         qs("<html><head><title>Title</title><style>p {}</style></head><body>"
            "<p>Hello&nbsp;&amp; <b>bye</b></body></html>"),
         qs("\r\n\r\nHello & BYE")},
        {"page without body emits its title",
         qs("<html><head><title>Title</title></head><p>Text</html>"), qs("Title\r\n\r\nText")},
        {"text, P, text", qs("one<p>two"), qs("one\r\n\r\ntwo")},
        {"text, BR, P, text", qs("one<br><p>two"), qs("one\r\n\r\ntwo")},
        {"two list items at the start", qs("<li>first<li>second"), qs("\r\n- first\r\n- second")},
        {"list item after a line break", qs("a<br><li>b"), qs("a\r\n- b")},
        {"TD after text", qs("a<td>b"), qs("a\tb")},
        {"TD after a line break", qs("a<tr><td>b"), qs("a\r\nb")},
        {"TD at the very start", qs("<td>b"), qs("\tb")},
        {"HR", qs("a<hr>b"), qs("a\r\n____\r\nb")},
        {"TR", qs("a<tr>b"), qs("a\r\nb")},
        {"headings", qs("a<h1>T</H1>b<h6>U</h6>"), qs("a\r\n\r\nT\r\n\r\nb\r\n\r\nU\r\n\r\n")},
        {"DIV and TABLE after a line break", qs("a<br><div>b<br><table>c"),
         qs("a\r\n\r\nb\r\n\r\nc")},
        {"closing block tags emit nothing", qs("a</p>b</div>c</td>d</li>e</tr>f"), qs("abcdef")},
        {"unknown tags emit nothing", qs("a<ul>b<blockquote>c<img src=x>d<!-- x -->e"),
         qs("abcde")},
        {"BR, space, slash", qs("a<br />b"), qs("a\r\nb")},
        {"tag text starting with a space", qs("a< br>b"), qs("ab")},
        {"attributes", qs("a<p class=\"x\">b"), qs("a\r\n\r\nb")},
        {"tag names are upper-cased", qs("a<Br>b<bR>c"), qs("a\r\nb\r\nc")},
        {"tag runs to the first >", qs("a<!-- x > y -->b"), qs("a y -->b")},
        {"< and & inside a tag", qs("a<x<y&z>b"), qs("ab")},
        {"unclosed tag swallows the rest", qs("a<p b c"), qs("a")},
        {"break, space, text", qs("text<br> more"), qs("text\r\n more")},
        {"space between paragraphs comes before the breaks", qs("a</p> <p>b"), qs("a \r\n\r\nb")},
        {"runs of white space", qs("a \t\r\n  b\n\nc"), qs("a b c")},
        {"leading spaces of the body dropped", qs("<body> \r\n x</body>"), qs("x")},
        {"PRE keeps white space", qs("<pre>a \t\r\n  b</pre>"), qs("a \t\r\n  b")},
        {"text after PRE starts a line, without its space", qs("<pre>a </pre> b"),
         qs("a \r\nb")},
        {"PRE starts a line", qs("<p>x<pre>a\n b</pre>y"), qs("\r\n\r\nx\r\na\n b\r\ny")},
        {"PRE opening with its own break", qs("x<pre>\na</pre>"), qs("x\na")},
        {"PRE after a line break", qs("x<br><pre>a</pre><p>y"), qs("x\r\na\r\n\r\ny")},
        {"definition list", qs("x<dl><dt>Term<dd>Meaning</dl>after"),
         qs("x\r\n\r\n\r\nTerm\r\n\r\nMeaning\r\n\r\nafter")},
        {"body ends at /BODY", qs("<body>a</body>b"), qs("a")},
        {"head produces nothing", qs("<head>t&amp;<p></head><body>x"), qs("x")},
        {"BODY found in any case", qs("t<Body>x"), qs("x")},
        {"page ends at NUL", QStringLiteral("ab") + QChar(0) + qs("cd<p>"), qs("ab")},
        {"BODY behind a NUL is not seen", QStringLiteral("x") + QChar(0) + qs("<body>"), qs("x")},
        {"script text dropped", qs("<body>x<script>var y;</script>z"), qs("xz")},
        {"script holding <", qs("<body>x<script>a<b</script>z</script>w</body>"), qs("xw")},
        {"script before body", qs("<script>s</script>t"), qs("t")},
    });
}

TEST(HtmlToText, TagNameEndsAtWhiteSpaceOrSlash)
{
    expectCases({
        {"BODY broken across lines",
         qs("<HTML><HEAD><TITLE>T</TITLE></HEAD><BODY\nCLASS=\"book\">words</BODY>"), qs("words")},
        {"tab", qs("a<br\tclass=x>b"), qs("a\r\nb")},
        {"CR LF", qs("a<p\r\nclass=x>b"), qs("a\r\n\r\nb")},
        {"form feed", qs("a<br\f>b"), qs("a\r\nb")},
        {"BR closed by a slash", qs("a<br/>b"), qs("a\r\nb")},
        {"HR closed by a slash", qs("a<hr/>b"), qs("a\r\n____\r\nb")},
        {"closing tag keeps its slash", qs("<b>x</b\n>y</b/>z"), qs("Xyz")},
        {"tag text starting with a line break", qs("a<\nbr>b"), qs("ab")},
    });
}

TEST(HtmlToText, EmphasisUpperCasesPerCharacter)
{
    expectCases({
        {"accented letter in I", qs("<i>\u00e9</i>"), qs("\u00c9")},
        {"each emphasis tag",
         qs("<i>a</i><em>b</em><dfn>c</dfn><var>d</var><cite>e</cite>"
            "<b>f</b><strong>g</strong>h"),
         qs("ABCDEFGh")},
        {"flags are switches, not counters", qs("<b><b>x</b>y</b>"), qs("Xy")},
        {"different flags are separate", qs("<b><i>x</b>y</i>z"), qs("XYz")},
        {"sharp s keeps its length", qs("<b>stra\u00dfe</b>"), qs("STRA\u00dfE")},
        {"y with diaeresis", qs("<b>\u00ff</b>"), qs("\u0178")},
        {"Cyrillic", qs("<strong>\u043a\u043e\u0442</strong>"), qs("\u041a\u041e\u0422")},
        {"surrogate pair unchanged", qs("<b>\U0001F4D6x</b>"), qs("\U0001F4D6X")},
        {"inside PRE", qs("<pre><b>a\nb</b></pre>"), qs("A\nB")},
        {"references are not upper-cased", qs("<b>&eacute;&amp;</b>"), qs("\u00e9&")},
        {"closing tag with attributes", qs("<b>x</b class=y>y"), qs("Xy")},
    });
}

TEST(HtmlToText, ReferencesAreTextBetweenSpaces)
{
    expectCases({
        {"amp between spaces", qs("Rock &amp; roll"), qs("Rock & roll")},
        {"numeric between spaces", qs("C &#8212; D"), qs("C \u2014 D")},
        {"named letter between spaces", qs("K &eacute; L"), qs("K \u00e9 L")},
        {"two spaces after a reference still one", qs("a &lt;  b"), qs("a < b")},
        {"nbsp then space", qs("a&nbsp; b"), qs("a  b")},
        {"space then nbsp then space", qs("a &nbsp; b"), qs("a   b")},
        {"nbsp at the start", qs("&nbsp; x"), qs("  x")},
        {"zwj between spaces gives one space", qs("a &zwj; b"), qs("a b")},
        {"reference before the body", qs("&amp;<body>x"), qs("x")},
        {"reference inside script", qs("<script>&amp;</script>x"), qs("x")},
        {"reference in PRE", qs("<pre>&lt;&gt;</pre>"), qs("<>")},
        {"euro", ref(qs("euro")), qs("\u20ac")},
        {"zwj gives nothing", qs("a&zwj;b"), qs("ab")},
        {"unknown name", ref(qs("foo")), del},
        {"names are case-sensitive", ref(qs("AMP")), del},
    });
}

TEST(HtmlToText, AmpersandWithoutReferenceNoLongerSwallowsThePage)
{
    const QString longName = QString(32, u'a');
    expectCases({
        {"AT&T then a later semicolon", qs("AT&T <b>x</b>;"), qs("AT&T X;")},
        {"ampersand between spaces", qs("a & b"), qs("a & b")},
        {"ampersand before a tag", qs("Q&A<br>next"), qs("Q&A\r\nnext")},
        {"ampersand at the end", qs("a&"), qs("a&")},
        {"name open at the end", qs("x &abc"), qs("x &abc")},
        {"double ampersand", qs("&&amp;"), qs("&&")},
        {"empty reference", qs("a&;b"), qs("a&;b")},
        {"33rd character ends the attempt", ref(longName + u'a'), u'&' + longName + qs("a;")},
        {"32 characters are still a reference", ref(longName), del},
        {"digits and number sign collected", qs("&#12a b"), qs("&#12a b")},
        {"line break after the ampersand", qs("a&\nb"), qs("a& b")},
    });
}

TEST(HtmlToText, FailedReferenceIsOrdinaryText)
{
    expectCases({
        {"upper-cased in emphasis", qs("<b>at&t</b>"), qs("AT&T")},
        {"white space after it collapses", qs("&abc   d"), qs("&abc d")},
        {"spaces before it collapse", qs("a   &b c"), qs("a &b c")},
        {"leading ampersand keeps following space", qs("<body>& x"), qs("& x")},
        {"copied unchanged in PRE", qs("<pre>x&y  z\n</pre>"), qs("x&y  z\n")},
        {"dropped before the body", qs("AT&T<body>x"), qs("x")},
        {"dropped inside script", qs("<body><script>a&b c</script>d"), qs("d")},
        {"tag right after it still works", qs("&abc<b>d</b>"), qs("&abcD")},
        {"makes last-was-space false", qs("&x<br> y"), qs("&x\r\n y")},
        {"TD after it emits a tab", qs("&x<td>y"), qs("&x\ty")},
    });
}

TEST(HtmlToText, NumericReferencesResolveToTheirCharacter)
{
    expectCases({
        {"decimal", ref(qs("#65")), qs("A")},
        {"leading zeros", ref(qs("#039")), qs("'")},
        {"hexadecimal", ref(qs("#x41")), qs("A")},
        {"upper-case X", ref(qs("#X41")), qs("A")},
        {"hex digits in either case", ref(qs("#xe9")) + ref(qs("#xE9")), qs("\u00e9\u00e9")},
        {"beyond the BMP", ref(qs("#x1F4D6")), qs("\U0001F4D6")},
        {"largest scalar value", ref(qs("#x10FFFF")), qs("\U0010FFFF")},
        {"table row wins: 160", ref(qs("#160")), qs(" ")},
        {"table row wins in hex", ref(qs("#xA0")), qs(" ")},
        {"table row wins with zeros", ref(qs("#08211")), qs("\u2013")},
        {"table row giving nothing", ref(qs("#x200D")), QString()},
        {"en dash row", ref(qs("#8211")), qs("\u2013")},
        {"150 read as Windows-1252", ref(qs("#150")), qs("\u2013")},
        {"128 read as Windows-1252", ref(qs("#128")), qs("\u20ac")},
        {"159 read as Windows-1252", ref(qs("#x9F")), qs("\u0178")},
        {"zero", ref(qs("#0")), del},
        {"surrogate", ref(qs("#xD800")), del},
        {"above Unicode", ref(qs("#x110000")), del},
        {"huge decimal", ref(qs("#99999999999999999999999999")), del},
        {"number sign alone", ref(qs("#")), del},
        {"x without digits", ref(qs("#x")), del},
        {"letters after digits", ref(qs("#12a")), del},
        {"hex letters in decimal", ref(qs("#1F")), del},
        {"not emphasised", qs("<b>&#xe9;</b>"), qs("\u00e9")},
    });
}

TEST(HtmlEntityTable, HoldsEveryRowOnce)
{
    // Expectations written independently of the table: the HTML 4 Latin-1 names in code order.
    const QStringList latin1 =
        qs("nbsp iexcl cent pound curren yen brvbar sect uml copy ordf laquo not shy reg macr "
           "deg plusmn sup2 sup3 acute micro para middot cedil sup1 ordm raquo frac14 frac12 "
           "frac34 iquest Agrave Aacute Acirc Atilde Auml Aring AElig Ccedil Egrave Eacute Ecirc "
           "Euml Igrave Iacute Icirc Iuml ETH Ntilde Ograve Oacute Ocirc Otilde Ouml times "
           "Oslash Ugrave Uacute Ucirc Uuml Yacute THORN szlig agrave aacute acirc atilde auml "
           "aring aelig ccedil egrave eacute ecirc euml igrave iacute icirc iuml eth ntilde "
           "ograve oacute ocirc otilde ouml divide oslash ugrave uacute ucirc uuml yacute thorn "
           "yuml")
            .split(u' ');
    ASSERT_EQ(latin1.size(), 96);

    QHash<QString, QString> expected;
    const auto add = [&](const QString &key, const QString &value) {
        ASSERT_FALSE(expected.contains(key)) << key.toStdString();
        expected.insert(key, value);
    };
    for (const auto &[name, number, value] :
         {std::tuple{"quot", 34, "\""}, {"amp", 38, "&"}, {"lt", 60, "<"}, {"gt", 62, ">"}}) {
        add(qs(name), qs(value));
        add(u'#' + QString::number(number), qs(value));
    }
    for (int i = 0; i < 96; ++i) {
        const int code = 160 + i;
        const QString value = code == 160 ? qs(" ") : QString(QChar(code));
        add(latin1[i], value);
        add(u'#' + QString::number(code), value);
    }
    for (const auto &[name, code] :
         {std::pair{"brkbar", 166}, {"die", 168}, {"hibar", 175}, {"Dstrok", 208}})
        add(qs(name), QString(QChar(code)));

    struct Outside
    {
        const char *name;
        int number;
        int code; // Windows-1252 code, or -1 when text holds the result
        const char *text;
    };
    const Outside outside[] = {
        {"OElig", 338, 140, ""},   {"oelig", 339, 156, ""},   {"Scaron", 352, 138, ""},
        {"scaron", 353, 154, ""},  {"Yuml", 376, 159, ""},    {"fnof", 402, 131, ""},
        {"circ", 710, 136, ""},    {"tilde", 732, 152, ""},   {"ensp", 8194, -1, " "},
        {"emsp", 8195, -1, " "},   {"thinsp", 8201, -1, " "}, {"zwnj", 8204, -1, " "},
        {"zwj", 8205, -1, ""},     {"ndash", 8211, 150, ""},  {"mdash", 8212, 151, ""},
        {"lsquo", 8216, 145, ""},  {"rsquo", 8217, 146, ""},  {"sbquo", 8218, 130, ""},
        {"ldquo", 8220, 147, ""},  {"rdquo", 8221, 148, ""},  {"bdquo", 8222, 132, ""},
        {"dagger", 8224, 134, ""}, {"Dagger", 8225, 135, ""}, {"bull", 8226, 149, ""},
        {"hellip", 8230, 133, ""}, {"permil", 8240, 137, ""}, {"prime", 8242, -1, "'"},
        {"Prime", 8243, -1, ""},   {"lsaquo", 8249, 139, ""}, {"rsaquo", 8250, 155, ""},
        {"frasl", 8260, -1, "/"},  {"euro", 8364, 128, ""},   {"trade", 8482, 153, ""},
        {"empty", 8709, 216, ""},  {"minus", 8722, -1, "-"},  {"lowast", 8727, -1, "*"},
        {"sim", 8764, -1, "~"},    {"sdot", 8901, 183, ""},   {"lang", 9001, -1, "<"},
        {"rang", 9002, -1, ">"},
    };
    ASSERT_EQ(std::size(outside), 40u);
    for (const Outside &o : outside) {
        const QString value = o.code >= 0 ? codeChar(o.code) : qs(o.text);
        add(qs(o.name), value);
        add(u'#' + QString::number(o.number), value);
    }
    ASSERT_EQ(expected.size(), HtmlEntityCount);

    QSet<QString> seen;
    for (const HtmlEntityRow &row : HtmlEntityTable) {
        const QString key = row.key.toString();
        EXPECT_FALSE(seen.contains(key)) << "duplicate key " << key.toStdString();
        seen.insert(key);
        ASSERT_TRUE(expected.contains(key)) << "unexpected key " << key.toStdString();
        EXPECT_EQ(row.replacement.toString(), expected.value(key)) << key.toStdString();
        EXPECT_LE(row.replacement.size(), 1) << key.toStdString();
    }
    for (auto it = expected.cbegin(); it != expected.cend(); ++it)
        EXPECT_EQ(HtmlToText(qs("<body>") + ref(it.key())), it.value()) << it.key().toStdString();
}

TEST(HtmlToText, HostileTextsGiveSensibleOutput)
{
    static const QRegularExpression blanks(qs("[ \t\r\n]+"));
    for (const HostileText &h : hostileTexts()) {
        QString text = h.text;
        truncateAtNul(text);
        const QString out = HtmlToText(h.text);
        EXPECT_FALSE(out.contains(QChar(0))) << h.name;
        if (text.contains(u'<') || text.contains(u'&'))
            continue;
        QString collapsed = text;
        collapsed.replace(blanks, qs(" "));
        if (collapsed.startsWith(u' '))
            collapsed.remove(0, 1);
        EXPECT_EQ(out, collapsed) << h.name;
        EXPECT_EQ(HtmlToText(qs("<body><pre>") + h.text), text) << h.name;
        EXPECT_EQ(HtmlToText(qs("<b>") + h.text).size(), collapsed.size()) << h.name;
    }
    EXPECT_EQ(HtmlToText(qs("<<&&;;{}\\\\>>")), qs(">"));
    EXPECT_EQ(HtmlToText(qs("&").repeated(100000)), qs("&").repeated(100000));
    EXPECT_EQ(HtmlToText(qs("<").repeated(100000)), QString());
    EXPECT_EQ(HtmlToText(qs("<hr>").repeated(1000)).size(), 8000);
}

namespace {

// Whether a browser would show words: letters outside tags, comments, scripts and style sheets,
// within the body when the page has one.
bool showsWords(QString page)
{
    using RE = QRegularExpression;
    static const RE hidden(qs("<!--.*?-->|<(script|style)\\b.*?</\\1\\s*>"),
                           RE::CaseInsensitiveOption | RE::DotMatchesEverythingOption);
    static const RE body(qs("<body[\\s/>]"), RE::CaseInsensitiveOption);
    static const RE tagOrReference(qs("<[^>]*>|&[#a-zA-Z0-9]+;"));
    static const RE letter(qs("\\p{L}"));
    page.remove(hidden);
    if (const QRegularExpressionMatch m = body.match(page); m.hasMatch())
        page.remove(0, m.capturedStart());
    page.remove(tagOrReference);
    return page.contains(letter);
}

} // namespace

TEST(HtmlToText, RealPagesUnderUsrShareDoc)
{
    QStringList pages;
    QDirIterator it(qs("/usr/share/doc"), {qs("*.html"), qs("*.htm")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        pages << it.next();
    if (pages.isEmpty())
        GTEST_SKIP() << "no HTML under /usr/share/doc";
    pages.sort();
    static const QRegularExpression lessThanReference(
        qs("&(lt|lang|#0*60|#x0*3c|#0*9001|#x0*2329);"), QRegularExpression::CaseInsensitiveOption);
    int withWords = 0;
    for (const QString &path : std::as_const(pages)) {
        SCOPED_TRACE(path.toStdString());
        const DecodedText decoded = decodeHtmlBytes(readFileBytes(path));
        const QString text = HtmlToText(decoded.text);
        // A "<" reaches the text only through a reference.
        qsizetype references = 0;
        for (auto match = lessThanReference.globalMatch(decoded.text); match.hasNext();
             match.next())
            ++references;
        EXPECT_LE(text.count(u'<'), references);
        EXPECT_FALSE(text.contains(QChar(0)));
        EXPECT_LE(text.size(), 2 * decoded.text.size() + 8);
        if (showsWords(decoded.text)) {
            ++withWords;
            EXPECT_FALSE(text.trimmed().isEmpty()) << "the page's words are lost";
        }
    }
    EXPECT_GT(withWords, 0);
}

namespace {

QByteArray cp1251Privet()
{
    return QByteArray("\xCF\xF0\xE8\xE2\xE5\xF2");
}
QByteArray koi8Privet()
{
    return QByteArray("\xF0\xD2\xC9\xD7\xC5\xD4");
}
const QString privet = QString::fromUtf8("\u041f\u0440\u0438\u0432\u0435\u0442");

} // namespace

TEST(DecodeHtmlBytes, ChoosesTheEncoding)
{
    struct DecodeCase
    {
        const char *name;
        QByteArray bytes;
        TextEncoding encoding;
        QByteArray encodingName;
        QString text;
    };
    const QByteArray filler(2048, ' ');
    const std::vector<DecodeCase> cases = {
        {"UTF-8 byte-order mark",
         QByteArray("\xEF\xBB\xBF<p>\xC3\xA9"),
         TextEncoding::Utf8Bom,
         {},
         qs("<p>\u00e9")},
        {"UTF-16 mark beats a meta charset",
         QByteArray("\xFF\xFE<\0m\0e\0t\0a\0 \0c\0h\0a\0r\0s\0e\0t\0=\0k\0o\0i\0\x38\0>\0", 40),
         TextEncoding::Utf16LE,
         {},
         qs("<meta charset=koi8>")},
        {"valid UTF-8 beats a meta charset",
         QByteArray("<meta charset=\"windows-1251\"><p>\xC3\xA9"),
         TextEncoding::Utf8,
         {},
         qs("<meta charset=\"windows-1251\"><p>\u00e9")},
        {"meta charset windows-1251",
         "<html><head><meta charset=\"windows-1251\"></head><body>" + cp1251Privet(),
         TextEncoding::Other, "windows-1251",
         qs("<html><head><meta charset=\"windows-1251\"></head><body>") + privet},
        {"http-equiv koi8-r",
         "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=KOI8-R\">" + koi8Privet(),
         TextEncoding::Other, "KOI8-R",
         qs("<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=KOI8-R\">") + privet},
        {"spaces and single quotes", "<meta charset = 'koi8-r' />" + koi8Privet(),
         TextEncoding::Other, "koi8-r", qs("<meta charset = 'koi8-r' />") + privet},
        {"unknown charset",
         QByteArray("<meta charset=\"x-no-such-set\">\x96"),
         TextEncoding::Windows1252,
         {},
         qs("<meta charset=\"x-no-such-set\">\u2013")},
        {"Latin-1 label read as Windows-1252",
         QByteArray("<meta charset=iso-8859-1>\x96"),
         TextEncoding::Windows1252,
         {},
         qs("<meta charset=iso-8859-1>\u2013")},
        {"meta after 2,048 bytes ignored",
         filler + "<meta charset=koi8-r>" + koi8Privet(),
         TextEncoding::Windows1252,
         {},
         QString::fromLatin1(filler) + qs("<meta charset=koi8-r>") +
             decodeWindows1252(koi8Privet())},
        {"declared UTF-8 that is not",
         QByteArray("<meta charset=utf-8>\xE9t\xE9"),
         TextEncoding::Windows1252,
         {},
         qs("<meta charset=utf-8>\u00e9t\u00e9")},
        {"no declaration", QByteArray("caf\xE9"), TextEncoding::Windows1252, {}, qs("caf\u00e9")},
        {"text ends at NUL, meta behind it unseen",
         QByteArray("ab\xE9\0<meta charset=koi8-r>", 25),
         TextEncoding::Windows1252,
         {},
         qs("ab\u00e9")},
    };
    for (const DecodeCase &c : cases) {
        const DecodedText decoded = decodeHtmlBytes(c.bytes);
        EXPECT_EQ(decoded.text, c.text) << c.name;
        EXPECT_EQ(decoded.encoding, c.encoding) << c.name;
        EXPECT_EQ(decoded.encodingName, c.encodingName) << c.name;
    }
}
