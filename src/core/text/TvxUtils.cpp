#include "core/text/TvxUtils.h"

#include <QHash>

#include <algorithm>

const std::array<HtmlEntityRow, HtmlEntityCount> HtmlEntityTable{{
    {u"#34", u"\""},        {u"quot", u"\""},      {u"#38", u"&"},         {u"amp", u"&"},
    {u"#60", u"<"},         {u"lt", u"<"},         {u"#62", u">"},         {u"gt", u">"},
    {u"nbsp", u" "},        {u"#160", u" "},       {u"iexcl", u"\u00A1"},  {u"#161", u"\u00A1"},
    {u"cent", u"\u00A2"},   {u"#162", u"\u00A2"},  {u"pound", u"\u00A3"},  {u"#163", u"\u00A3"},
    {u"curren", u"\u00A4"}, {u"#164", u"\u00A4"},  {u"yen", u"\u00A5"},    {u"#165", u"\u00A5"},
    {u"brvbar", u"\u00A6"}, {u"#166", u"\u00A6"},  {u"sect", u"\u00A7"},   {u"#167", u"\u00A7"},
    {u"uml", u"\u00A8"},    {u"#168", u"\u00A8"},  {u"copy", u"\u00A9"},   {u"#169", u"\u00A9"},
    {u"ordf", u"\u00AA"},   {u"#170", u"\u00AA"},  {u"laquo", u"\u00AB"},  {u"#171", u"\u00AB"},
    {u"not", u"\u00AC"},    {u"#172", u"\u00AC"},  {u"shy", u"\u00AD"},    {u"#173", u"\u00AD"},
    {u"reg", u"\u00AE"},    {u"#174", u"\u00AE"},  {u"macr", u"\u00AF"},   {u"#175", u"\u00AF"},
    {u"deg", u"\u00B0"},    {u"#176", u"\u00B0"},  {u"plusmn", u"\u00B1"}, {u"#177", u"\u00B1"},
    {u"sup2", u"\u00B2"},   {u"#178", u"\u00B2"},  {u"sup3", u"\u00B3"},   {u"#179", u"\u00B3"},
    {u"acute", u"\u00B4"},  {u"#180", u"\u00B4"},  {u"micro", u"\u00B5"},  {u"#181", u"\u00B5"},
    {u"para", u"\u00B6"},   {u"#182", u"\u00B6"},  {u"middot", u"\u00B7"}, {u"#183", u"\u00B7"},
    {u"cedil", u"\u00B8"},  {u"#184", u"\u00B8"},  {u"sup1", u"\u00B9"},   {u"#185", u"\u00B9"},
    {u"ordm", u"\u00BA"},   {u"#186", u"\u00BA"},  {u"raquo", u"\u00BB"},  {u"#187", u"\u00BB"},
    {u"frac14", u"\u00BC"}, {u"#188", u"\u00BC"},  {u"frac12", u"\u00BD"}, {u"#189", u"\u00BD"},
    {u"frac34", u"\u00BE"}, {u"#190", u"\u00BE"},  {u"iquest", u"\u00BF"}, {u"#191", u"\u00BF"},
    {u"Agrave", u"\u00C0"}, {u"#192", u"\u00C0"},  {u"Aacute", u"\u00C1"}, {u"#193", u"\u00C1"},
    {u"Acirc", u"\u00C2"},  {u"#194", u"\u00C2"},  {u"Atilde", u"\u00C3"}, {u"#195", u"\u00C3"},
    {u"Auml", u"\u00C4"},   {u"#196", u"\u00C4"},  {u"Aring", u"\u00C5"},  {u"#197", u"\u00C5"},
    {u"AElig", u"\u00C6"},  {u"#198", u"\u00C6"},  {u"Ccedil", u"\u00C7"}, {u"#199", u"\u00C7"},
    {u"Egrave", u"\u00C8"}, {u"#200", u"\u00C8"},  {u"Eacute", u"\u00C9"}, {u"#201", u"\u00C9"},
    {u"Ecirc", u"\u00CA"},  {u"#202", u"\u00CA"},  {u"Euml", u"\u00CB"},   {u"#203", u"\u00CB"},
    {u"Igrave", u"\u00CC"}, {u"#204", u"\u00CC"},  {u"Iacute", u"\u00CD"}, {u"#205", u"\u00CD"},
    {u"Icirc", u"\u00CE"},  {u"#206", u"\u00CE"},  {u"Iuml", u"\u00CF"},   {u"#207", u"\u00CF"},
    {u"ETH", u"\u00D0"},    {u"#208", u"\u00D0"},  {u"Ntilde", u"\u00D1"}, {u"#209", u"\u00D1"},
    {u"Ograve", u"\u00D2"}, {u"#210", u"\u00D2"},  {u"Oacute", u"\u00D3"}, {u"#211", u"\u00D3"},
    {u"Ocirc", u"\u00D4"},  {u"#212", u"\u00D4"},  {u"Otilde", u"\u00D5"}, {u"#213", u"\u00D5"},
    {u"Ouml", u"\u00D6"},   {u"#214", u"\u00D6"},  {u"times", u"\u00D7"},  {u"#215", u"\u00D7"},
    {u"Oslash", u"\u00D8"}, {u"#216", u"\u00D8"},  {u"Ugrave", u"\u00D9"}, {u"#217", u"\u00D9"},
    {u"Uacute", u"\u00DA"}, {u"#218", u"\u00DA"},  {u"Ucirc", u"\u00DB"},  {u"#219", u"\u00DB"},
    {u"Uuml", u"\u00DC"},   {u"#220", u"\u00DC"},  {u"Yacute", u"\u00DD"}, {u"#221", u"\u00DD"},
    {u"THORN", u"\u00DE"},  {u"#222", u"\u00DE"},  {u"szlig", u"\u00DF"},  {u"#223", u"\u00DF"},
    {u"agrave", u"\u00E0"}, {u"#224", u"\u00E0"},  {u"aacute", u"\u00E1"}, {u"#225", u"\u00E1"},
    {u"acirc", u"\u00E2"},  {u"#226", u"\u00E2"},  {u"atilde", u"\u00E3"}, {u"#227", u"\u00E3"},
    {u"auml", u"\u00E4"},   {u"#228", u"\u00E4"},  {u"aring", u"\u00E5"},  {u"#229", u"\u00E5"},
    {u"aelig", u"\u00E6"},  {u"#230", u"\u00E6"},  {u"ccedil", u"\u00E7"}, {u"#231", u"\u00E7"},
    {u"egrave", u"\u00E8"}, {u"#232", u"\u00E8"},  {u"eacute", u"\u00E9"}, {u"#233", u"\u00E9"},
    {u"ecirc", u"\u00EA"},  {u"#234", u"\u00EA"},  {u"euml", u"\u00EB"},   {u"#235", u"\u00EB"},
    {u"igrave", u"\u00EC"}, {u"#236", u"\u00EC"},  {u"iacute", u"\u00ED"}, {u"#237", u"\u00ED"},
    {u"icirc", u"\u00EE"},  {u"#238", u"\u00EE"},  {u"iuml", u"\u00EF"},   {u"#239", u"\u00EF"},
    {u"eth", u"\u00F0"},    {u"#240", u"\u00F0"},  {u"ntilde", u"\u00F1"}, {u"#241", u"\u00F1"},
    {u"ograve", u"\u00F2"}, {u"#242", u"\u00F2"},  {u"oacute", u"\u00F3"}, {u"#243", u"\u00F3"},
    {u"ocirc", u"\u00F4"},  {u"#244", u"\u00F4"},  {u"otilde", u"\u00F5"}, {u"#245", u"\u00F5"},
    {u"ouml", u"\u00F6"},   {u"#246", u"\u00F6"},  {u"divide", u"\u00F7"}, {u"#247", u"\u00F7"},
    {u"oslash", u"\u00F8"}, {u"#248", u"\u00F8"},  {u"ugrave", u"\u00F9"}, {u"#249", u"\u00F9"},
    {u"uacute", u"\u00FA"}, {u"#250", u"\u00FA"},  {u"ucirc", u"\u00FB"},  {u"#251", u"\u00FB"},
    {u"uuml", u"\u00FC"},   {u"#252", u"\u00FC"},  {u"yacute", u"\u00FD"}, {u"#253", u"\u00FD"},
    {u"thorn", u"\u00FE"},  {u"#254", u"\u00FE"},  {u"yuml", u"\u00FF"},   {u"#255", u"\u00FF"},
    {u"brkbar", u"\u00A6"}, {u"die", u"\u00A8"},   {u"hibar", u"\u00AF"},  {u"Dstrok", u"\u00D0"},
    {u"OElig", u"\u0152"},  {u"#338", u"\u0152"},  {u"oelig", u"\u0153"},  {u"#339", u"\u0153"},
    {u"Scaron", u"\u0160"}, {u"#352", u"\u0160"},  {u"scaron", u"\u0161"}, {u"#353", u"\u0161"},
    {u"Yuml", u"\u0178"},   {u"#376", u"\u0178"},  {u"fnof", u"\u0192"},   {u"#402", u"\u0192"},
    {u"circ", u"\u02C6"},   {u"#710", u"\u02C6"},  {u"tilde", u"\u02DC"},  {u"#732", u"\u02DC"},
    {u"ensp", u" "},        {u"#8194", u" "},      {u"emsp", u" "},        {u"#8195", u" "},
    {u"thinsp", u" "},      {u"#8201", u" "},      {u"zwnj", u" "},        {u"#8204", u" "},
    {u"zwj", u""},          {u"#8205", u""},       {u"ndash", u"\u2013"},  {u"#8211", u"\u2013"},
    {u"mdash", u"\u2014"},  {u"#8212", u"\u2014"}, {u"lsquo", u"\u2018"},  {u"#8216", u"\u2018"},
    {u"rsquo", u"\u2019"},  {u"#8217", u"\u2019"}, {u"sbquo", u"\u201A"},  {u"#8218", u"\u201A"},
    {u"ldquo", u"\u201C"},  {u"#8220", u"\u201C"}, {u"rdquo", u"\u201D"},  {u"#8221", u"\u201D"},
    {u"bdquo", u"\u201E"},  {u"#8222", u"\u201E"}, {u"dagger", u"\u2020"}, {u"#8224", u"\u2020"},
    {u"Dagger", u"\u2021"}, {u"#8225", u"\u2021"}, {u"bull", u"\u2022"},   {u"#8226", u"\u2022"},
    {u"hellip", u"\u2026"}, {u"#8230", u"\u2026"}, {u"permil", u"\u2030"}, {u"#8240", u"\u2030"},
    {u"prime", u"'"},       {u"#8242", u"'"},      {u"Prime", u""},        {u"#8243", u""},
    {u"lsaquo", u"\u2039"}, {u"#8249", u"\u2039"}, {u"rsaquo", u"\u203A"}, {u"#8250", u"\u203A"},
    {u"frasl", u"/"},       {u"#8260", u"/"},      {u"euro", u"\u20AC"},   {u"#8364", u"\u20AC"},
    {u"trade", u"\u2122"},  {u"#8482", u"\u2122"}, {u"empty", u"\u00D8"},  {u"#8709", u"\u00D8"},
    {u"minus", u"-"},       {u"#8722", u"-"},      {u"lowast", u"*"},      {u"#8727", u"*"},
    {u"sim", u"~"},         {u"#8764", u"~"},      {u"sdot", u"\u00B7"},   {u"#8901", u"\u00B7"},
    {u"lang", u"<"},        {u"#9001", u"<"},      {u"rang", u">"},        {u"#9002", u">"},
}};

namespace {

constexpr QChar unknownReference(0x7F);
constexpr int maxReferenceLength = 32;
// Longer than every tag name that means something ("/STRONG", "/SCRIPT").
constexpr int maxTagNameLength = 8;

struct EntityIndex
{
    QHash<QStringView, QStringView> byKey;
    QHash<char32_t, QStringView> byNumber; // the "#" rows under their decimal value
};

const EntityIndex &entityIndex()
{
    static const EntityIndex index = [] {
        EntityIndex built;
        built.byKey.reserve(HtmlEntityCount);
        for (const HtmlEntityRow &row : HtmlEntityTable) {
            if (built.byKey.contains(row.key))
                continue;
            built.byKey.insert(row.key, row.replacement);
            if (row.key.startsWith(u'#')) {
                bool ok = false;
                const uint number = row.key.mid(1).toUInt(&ok);
                if (ok && !built.byNumber.contains(number))
                    built.byNumber.insert(number, row.replacement);
            }
        }
        return built;
    }();
    return index;
}

bool isAsciiLetterOrDigit(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9');
}

int digitValue(char16_t u, int base)
{
    int value = -1;
    if (u >= u'0' && u <= u'9')
        value = u - u'0';
    else if (u >= u'a' && u <= u'f')
        value = u - u'a' + 10;
    else if (u >= u'A' && u <= u'F')
        value = u - u'A' + 10;
    return value < base ? value : -1;
}

// "#65", "#039", "#x41" or "#X41"; 0 when the text is no number or no usable character.
char32_t numericReferenceValue(QStringView text)
{
    if (text.size() < 2 || text[0] != u'#')
        return 0;
    int base = 10;
    qsizetype i = 1;
    if (text[1] == u'x' || text[1] == u'X') {
        base = 16;
        i = 2;
    }
    if (i == text.size())
        return 0;
    char32_t value = 0;
    for (; i < text.size(); ++i) {
        const int digit = digitValue(text[i].unicode(), base);
        if (digit < 0)
            return 0;
        value = value * base + digit;
        if (value > 0x10FFFF)
            return 0;
    }
    if (value >= 0xD800 && value <= 0xDFFF)
        return 0;
    return value;
}

// Written through a raw pointer: QString::append per character costs more than the pass itself.
class OutputBuffer
{
public:
    explicit OutputBuffer(qsizetype expected)
        : text(std::max<qsizetype>(expected, 16), Qt::Uninitialized), data(text.data())
    {
    }

    void put(QChar c)
    {
        if (length == text.size())
            grow(1);
        data[length++] = c;
    }

    void put(QStringView s)
    {
        if (length + s.size() > text.size())
            grow(s.size());
        std::copy(s.begin(), s.end(), data + length);
        length += s.size();
    }

    bool endsWithLineFeed() const { return length > 0 && data[length - 1] == u'\n'; }
    qsizetype size() const { return length; }

    QString take()
    {
        text.truncate(length);
        if (text.capacity() > 2 * length)
            text.squeeze();
        return std::move(text);
    }

private:
    void grow(qsizetype extra)
    {
        text.resize(std::max(2 * text.size(), length + extra));
        data = text.data();
    }

    QString text;
    QChar *data;
    qsizetype length = 0;
};

void appendReference(OutputBuffer &out, QStringView text)
{
    const EntityIndex &index = entityIndex();
    if (const auto row = index.byKey.constFind(text); row != index.byKey.cend()) {
        out.put(*row);
        return;
    }
    const char32_t value = numericReferenceValue(text);
    if (value == 0) {
        out.put(unknownReference);
        return;
    }
    if (const auto row = index.byNumber.constFind(value); row != index.byNumber.cend()) {
        out.put(*row);
    } else if (value >= 128 && value < 160) {
        // Browsers read these numbers as the Windows-1252 codes that pages mean by them.
        out.put(decodeWindows1252(QByteArray(1, static_cast<char>(value))));
    } else {
        const char32_t scalar[1] = {value};
        out.put(QString::fromUcs4(scalar, 1));
    }
}

enum class TagKind {
    Other,
    Pre,
    EndPre,
    Script,
    EndScript,
    Emphasis,
    EndEmphasis,
    Body,
    EndBody,
    Rule,
    LineBreak,
    Block,
    EndHeading,
    Cell,
    ListItem,
};

struct TagName
{
    QStringView name;
    TagKind kind;
    int emphasis = 0; // bit of the emphasis flag
};

constexpr TagName knownTags[] = {
    {u"PRE", TagKind::Pre},
    {u"/PRE", TagKind::EndPre},
    {u"SCRIPT", TagKind::Script},
    {u"/SCRIPT", TagKind::EndScript},
    {u"I", TagKind::Emphasis, 1 << 0},
    {u"EM", TagKind::Emphasis, 1 << 1},
    {u"DFN", TagKind::Emphasis, 1 << 2},
    {u"VAR", TagKind::Emphasis, 1 << 3},
    {u"CITE", TagKind::Emphasis, 1 << 4},
    {u"B", TagKind::Emphasis, 1 << 5},
    {u"STRONG", TagKind::Emphasis, 1 << 6},
    {u"/I", TagKind::EndEmphasis, 1 << 0},
    {u"/EM", TagKind::EndEmphasis, 1 << 1},
    {u"/DFN", TagKind::EndEmphasis, 1 << 2},
    {u"/VAR", TagKind::EndEmphasis, 1 << 3},
    {u"/CITE", TagKind::EndEmphasis, 1 << 4},
    {u"/B", TagKind::EndEmphasis, 1 << 5},
    {u"/STRONG", TagKind::EndEmphasis, 1 << 6},
    {u"BODY", TagKind::Body},
    {u"/BODY", TagKind::EndBody},
    {u"HR", TagKind::Rule},
    {u"BR", TagKind::LineBreak},
    {u"TR", TagKind::LineBreak},
    {u"H1", TagKind::Block},
    {u"H2", TagKind::Block},
    {u"H3", TagKind::Block},
    {u"H4", TagKind::Block},
    {u"H5", TagKind::Block},
    {u"H6", TagKind::Block},
    {u"P", TagKind::Block},
    {u"DIV", TagKind::Block},
    {u"TABLE", TagKind::Block},
    {u"DL", TagKind::Block},
    {u"DT", TagKind::Block},
    {u"DD", TagKind::Block},
    {u"/DL", TagKind::Block},
    {u"/H1", TagKind::EndHeading},
    {u"/H2", TagKind::EndHeading},
    {u"/H3", TagKind::EndHeading},
    {u"/H4", TagKind::EndHeading},
    {u"/H5", TagKind::EndHeading},
    {u"/H6", TagKind::EndHeading},
    {u"TD", TagKind::Cell},
    {u"LI", TagKind::ListItem},
};

const TagName *findTag(QStringView name)
{
    for (const TagName &tag : knownTags)
        if (tag.name == name)
            return &tag;
    return nullptr;
}

bool containsBodyTag(QStringView page)
{
    static constexpr char16_t body[] = u"BODY";
    const qsizetype n = page.size();
    for (qsizetype i = page.indexOf(u'<'); i >= 0 && i + 4 < n; i = page.indexOf(u'<', i + 1)) {
        if (std::equal(body, body + 4, page.begin() + i + 1,
                       [](char16_t b, QChar c) { return c.toUpper() == QChar(b); }))
            return true;
    }
    return false;
}

class HtmlConverter
{
public:
    explicit HtmlConverter(QStringView page)
        : page(page), out(page.size()), noBodyTag(!containsBodyTag(page))
    {
    }

    QString run()
    {
        for (const QChar c : page)
            take(c);
        if (inReference)
            abandonReference();
        return out.take();
    }

private:
    bool emitting() const { return (inBody || noBodyTag) && !inScript; }

    QChar emphasised(QChar c) const { return emphasis != 0 ? c.toUpper() : c; }

    void take(QChar c)
    {
        if (inTag) {
            if (c == u'>')
                endTag();
            else
                collectTagCharacter(c);
            return;
        }
        if (inReference) {
            if (c == u';') {
                endReference();
                return;
            }
            if ((isAsciiLetterOrDigit(c) || c == u'#') && referenceLength < maxReferenceLength) {
                reference[referenceLength++] = c;
                return;
            }
            abandonReference();
        }
        if (c == u'<') {
            inTag = true;
            inReference = false;
            tagNameLength = 0;
            tagNameEnded = false;
            tagNameTooLong = false;
        } else if (c == u'&') {
            inReference = true;
            inTag = false;
            referenceLength = 0;
        } else {
            takeText(c);
        }
    }

    void takeText(QChar c)
    {
        if (!emitting())
            return;
        if (preformatted) {
            startLine(c == u'\r' || c == u'\n');
            out.put(emphasised(c));
            return;
        }
        if (c == u'\r' || c == u'\n' || c == u'\t')
            c = u' ';
        const bool space = c == u' ';
        if (space && (lastWasSpace || lineStartPending))
            return;
        lastWasSpace = space;
        startLine(false);
        out.put(emphasised(c));
    }

    // Only the name decides anything, so the rest of the tag is not kept. Generated pages break
    // tags across lines ("<BODY" and a line break) and close empty ones with "/" ("<br/>").
    void collectTagCharacter(QChar c)
    {
        if (tagNameEnded)
            return;
        const bool blank = c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
        if (blank || (c == u'/' && tagNameLength > 0)) {
            tagNameEnded = true;
        } else if (tagNameLength < maxTagNameLength) {
            tagName[tagNameLength++] = c.toUpper();
        } else {
            tagNameTooLong = true;
        }
    }

    void endReference()
    {
        if (referenceLength == 0) {
            abandonReference();
            takeText(u';');
            return;
        }
        inReference = false;
        if (!emitting())
            return;
        startLine(false);
        const qsizetype before = out.size();
        appendReference(out, QStringView(reference, referenceLength));
        // What a reference gives is text, a space from &nbsp; too: the next space is kept.
        if (!preformatted && out.size() > before)
            lastWasSpace = false;
    }

    // A preformatted block, and the text after it, start a line of their own; a block that
    // starts with its own line break needs no other.
    void startLine(bool lineBreakFollows)
    {
        if (!lineStartPending)
            return;
        lineStartPending = false;
        if (!lineBreakFollows && out.size() > 0 && !lastIsLineFeed())
            out.put(u"\r\n");
    }

    // An "&" that starts no plausible reference is ordinary text, and so is what followed it.
    void abandonReference()
    {
        inReference = false;
        takeText(u'&');
        for (int i = 0; i < referenceLength; ++i)
            takeText(reference[i]);
    }

    bool lastIsLineFeed() const { return out.endsWithLineFeed(); }

    void endTag()
    {
        inTag = false;
        const TagName *tag =
            tagNameTooLong ? nullptr : findTag(QStringView(tagName, tagNameLength));
        if (!tag)
            return;
        switch (tag->kind) {
        case TagKind::Pre:
            lineStartPending = lineStartPending || !preformatted;
            preformatted = true;
            break;
        case TagKind::EndPre:
            lineStartPending = preformatted;
            preformatted = false;
            break;
        case TagKind::Script:
            inScript = true;
            break;
        case TagKind::EndScript:
            inScript = false;
            break;
        case TagKind::Emphasis:
            emphasis |= tag->emphasis;
            break;
        case TagKind::EndEmphasis:
            emphasis &= ~tag->emphasis;
            break;
        default:
            break;
        }
        if (!emitting()) {
            if (tag->kind == TagKind::Body)
                inBody = true;
            return;
        }
        switch (tag->kind) {
        case TagKind::Rule:
            out.put(u"\r\n____\r\n");
            break;
        case TagKind::LineBreak:
            out.put(u"\r\n");
            break;
        case TagKind::Block:
            out.put(lastIsLineFeed() ? u"\r\n" : u"\r\n\r\n");
            break;
        case TagKind::EndHeading:
            out.put(u"\r\n\r\n");
            break;
        case TagKind::Cell:
            if (!lastIsLineFeed())
                out.put(u'\t');
            break;
        case TagKind::ListItem:
            if (!lastIsLineFeed())
                out.put(u"\r\n");
            out.put(u"- ");
            break;
        case TagKind::EndBody:
            inBody = false;
            break;
        default:
            break;
        }
    }

    const QStringView page;
    OutputBuffer out;
    const bool noBodyTag;
    bool inTag = false;
    bool inReference = false;
    bool inBody = false;
    bool inScript = false;
    bool preformatted = false;
    bool lineStartPending = false; // a preformatted block began or ended; no text since
    bool lastWasSpace = true;
    int emphasis = 0;
    QChar tagName[maxTagNameLength];
    int tagNameLength = 0;
    bool tagNameEnded = false;
    bool tagNameTooLong = false;
    QChar reference[maxReferenceLength];
    int referenceLength = 0;
};

constexpr qsizetype charsetSearchLength = 2048;

bool isCharsetCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_' || c == '.' || c == ':' || c == '+';
}

// The charset of the first meta tag that names one, in either of its two spellings; empty when
// none does.
QByteArray declaredCharset(const QByteArray &head)
{
    const QByteArray lower = head.toLower();
    for (qsizetype meta = lower.indexOf("<meta"); meta >= 0;
         meta = lower.indexOf("<meta", meta + 1)) {
        qsizetype end = lower.indexOf('>', meta);
        if (end < 0)
            end = lower.size();
        for (qsizetype at = lower.indexOf("charset", meta); at >= 0 && at < end;
             at = lower.indexOf("charset", at + 1)) {
            qsizetype i = at + 7;
            while (i < end &&
                   (lower[i] == ' ' || lower[i] == '\t' || lower[i] == '\n' || lower[i] == '\r'))
                ++i;
            if (i >= end || lower[i] != '=')
                continue;
            ++i;
            while (i < end && (lower[i] == ' ' || lower[i] == '\t'))
                ++i;
            if (i < end && (lower[i] == '"' || lower[i] == '\''))
                ++i;
            const qsizetype start = i;
            while (i < end && isCharsetCharacter(head[i]))
                ++i;
            // A name cut off by the end of the searched bytes may be a different charset.
            if (i == start || i == lower.size())
                continue;
            return head.mid(start, i - start);
        }
    }
    return {};
}

// Lower-case labels that browsers read as Windows-1252.
bool isWindows1252Label(const QByteArray &charset)
{
    static const char *const labels[] = {
        "windows-1252", "cp1252",      "x-cp1252",   "iso-8859-1",     "iso8859-1",      "iso88591",
        "iso_8859-1",   "latin1",      "l1",         "us-ascii",       "ascii",          "cp819",
        "ibm819",       "csisolatin1", "iso-ir-100", "ansi_x3.4-1968", "iso_8859-1:1987"};
    return std::any_of(std::begin(labels), std::end(labels),
                       [&](const char *label) { return label == charset; });
}

} // namespace

QString HtmlToText(const QString &page)
{
    QStringView text(page);
    if (const qsizetype nul = text.indexOf(QChar(0)); nul >= 0)
        text.truncate(nul);
    return HtmlConverter(text).run();
}

DecodedText decodeHtmlBytes(const QByteArray &bytes)
{
    DecodedText decoded;
    if (decodeUnicodeBytes(bytes, decoded))
        return decoded;
    QByteArray page = bytes;
    truncateAtNul(page);
    const QByteArray charset = declaredCharset(page.left(charsetSearchLength));
    const QByteArray label = charset.toLower();
    if (isWindows1252Label(label)) {
        decoded.text = decodeWindows1252(page);
        decoded.encoding = TextEncoding::Windows1252;
        return decoded;
    }
    // A page whose meta tag reads as ASCII is no UTF-16 or UTF-32, whatever it claims.
    QString text;
    if (label.isEmpty() || label.startsWith("utf-16") || label.startsWith("utf-32") ||
        !decodeWithCodec(page, charset, text))
        return decodeLegacyBytes(page);
    truncateAtNul(text);
    decoded.text = std::move(text);
    decoded.encoding = TextEncoding::Other;
    decoded.encodingName = charset;
    return decoded;
}
