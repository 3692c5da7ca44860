#include "core/text/RtfToText.h"

#include "core/text/TextDecoding.h"

#include <QSysInfo>

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstring>
#include <iterator>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

enum class Destination : quint8 { Text, Footnote, FontTable, Skip };

struct GroupState
{
    Destination dest = Destination::Text;
    Destination outsideUpr = Destination::Text;
    bool inUpr = false;
    bool hidden = false;
    int font = -1; // -1: the document's default font
    int uc = 1;
};

enum class Action : quint8 {
    Ignore,
    Break,
    Tab,
    Cell,
    Row,
    Char,
    SkipDestination,
    Unicode,
    UnicodeSkip,
    Bin,
    Hidden,
    Plain,
    Font,
    FontTable,
    FontCharset,
    FontCodePage,
    AnsiCodePage,
    CodePage,
    DefaultFont,
    Footnote,
    FootnoteMark,
    Upr,
    Ud,
};

struct Keyword
{
    Action action;
    char16_t value = 0;
};

const std::unordered_map<std::string_view, Keyword> &keywords()
{
    static const std::unordered_map<std::string_view, Keyword> table = [] {
        // clang-format off
        std::unordered_map<std::string_view, Keyword> t = {
            {"par", {Action::Break}}, {"line", {Action::Break}}, {"sect", {Action::Break}},
            {"page", {Action::Break}}, {"tab", {Action::Tab}}, {"cell", {Action::Cell}},
            {"nestcell", {Action::Cell}}, {"row", {Action::Row}},
            {"emdash", {Action::Char, 0x2014}}, {"endash", {Action::Char, 0x2013}},
            {"lquote", {Action::Char, 0x2018}}, {"rquote", {Action::Char, 0x2019}},
            {"ldblquote", {Action::Char, 0x201C}}, {"rdblquote", {Action::Char, 0x201D}},
            {"bullet", {Action::Char, 0x2022}}, {"emspace", {Action::Char, 0x2003}},
            {"enspace", {Action::Char, 0x2002}}, {"qmspace", {Action::Char, 0x2005}},
            {"zwj", {Action::Char, 0x200D}}, {"zwnj", {Action::Char, 0x200C}},
            {"u", {Action::Unicode}}, {"uc", {Action::UnicodeSkip}}, {"bin", {Action::Bin}},
            {"v", {Action::Hidden}}, {"plain", {Action::Plain}}, {"f", {Action::Font}},
            {"fonttbl", {Action::FontTable}}, {"fcharset", {Action::FontCharset}},
            {"cpg", {Action::FontCodePage}}, {"ansicpg", {Action::AnsiCodePage}},
            {"ansi", {Action::CodePage, 1252}}, {"mac", {Action::CodePage, 10000}},
            {"pc", {Action::CodePage, 437}}, {"pca", {Action::CodePage, 850}},
            {"deff", {Action::DefaultFont}}, {"footnote", {Action::Footnote}},
            {"chftn", {Action::FootnoteMark}}, {"upr", {Action::Upr}}, {"ud", {Action::Ud}},
            // Known text destinations: a "\*" before them must not hide them.
            {"fldrslt", {Action::Ignore}}, {"listtext", {Action::Ignore}},
            {"pntext", {Action::Ignore}},
        };
        for (const char *name :
             {"colortbl", "stylesheet", "info", "pict", "object", "objdata", "header", "headerl",
              "headerr", "headerf", "footer", "footerl", "footerr", "footerf", "themedata",
              "colorschememapping", "datastore", "latentstyles", "listtable", "listoverridetable",
              "rsidtbl", "generator", "xmlnstbl", "mmathPr", "mmath", "fldinst", "filetbl",
              "revtbl", "pgdsctbl", "pgptbl", "protusertbl", "userprops", "docvar", "bkmkstart",
              "bkmkend", "xe", "tc", "tcn", "txe", "rxe", "template", "annotation", "atnid",
              "atnauthor", "atnref", "atndate", "atnicn", "atntime", "atnparent", "atrfstart",
              "atrfend", "comment", "subject", "title", "author", "operator", "keywords",
              "doccomm", "company", "manager", "category", "hlinkbase", "printim", "buptim",
              "creatim", "revtim", "fldtype", "pn", "pntxta", "pntxtb", "nonshppict", "shp",
              "shpinst", "shprslt", "sp", "sn", "sv", "do", "wgrffmtfilter", "passwordhash",
              "defchp", "defpap", "ftnsep", "ftnsepc", "ftncn", "aftnsep", "aftnsepc", "aftncn",
              "falt", "panose", "fname", "blipuid", "fchars", "lchars", "nesttableprops",
              "listpicture", "background", "formfield", "datafield", "password", "mhtmltag",
              "htmltag", "ebcstart", "ebcend", "factoidname", "oleclsid"})
            // clang-format on
            t.emplace(name, Keyword{Action::SkipDestination});
        return t;
    }();
    return table;
}

struct CodePageName
{
    int codePage;
    const char *codec;
};

// Only code pages with a known codec are honoured, so that hostile numbers cost nothing.
constexpr CodePageName codePageNames[] = {
    {437, "CP437"},         {737, "CP737"},         {775, "CP775"},    {850, "CP850"},
    {852, "CP852"},         {855, "CP855"},         {857, "CP857"},    {860, "CP860"},
    {861, "CP861"},         {862, "CP862"},         {863, "CP863"},    {864, "CP864"},
    {865, "CP865"},         {866, "CP866"},         {869, "CP869"},    {874, "CP874"},
    {932, "CP932"},         {936, "CP936"},         {949, "CP949"},    {950, "CP950"},
    {1361, "JOHAB"},        {10000, "MACINTOSH"},   {20866, "KOI8-R"}, {21866, "KOI8-U"},
    {28603, "ISO-8859-13"}, {28605, "ISO-8859-15"}, {20932, "EUC-JP"}, {51932, "EUC-JP"},
    {51949, "EUC-KR"},      {54936, "GB18030"},     {65001, "UTF-8"},
};

constexpr int multiByteCodePages[] = {932, 936, 949, 950, 1361, 20932, 51932, 51949, 54936, 65001};

constexpr std::pair<int, int> charsetCodePages[] = {
    {0, 1252},   {77, 10000}, {128, 932},  {129, 949},  {130, 1361}, {134, 936},
    {136, 950},  {161, 1253}, {162, 1254}, {163, 1258}, {177, 1255}, {178, 1256},
    {186, 1257}, {204, 1251}, {222, 874},  {238, 1250}, {254, 437},  {255, 850},
};

// 0 for a charset that names no code page of its own (default, symbol): the document's applies.
int codePageOfCharset(int charset)
{
    for (const auto &[set, codePage] : charsetCodePages)
        if (set == charset)
            return codePage;
    return 0;
}

QByteArray codecOfCodePage(int codePage)
{
    if (codePage >= 1250 && codePage <= 1258)
        return "windows-" + QByteArray::number(codePage);
    if (codePage >= 28591 && codePage <= 28599)
        return "ISO-8859-" + QByteArray::number(codePage - 28590);
    for (const CodePageName &name : codePageNames)
        if (name.codePage == codePage)
            return name.codec;
    return {};
}

bool isMultiByte(int codePage)
{
    return std::find(std::begin(multiByteCodePages), std::end(multiByteCodePages), codePage) !=
           std::end(multiByteCodePages);
}

class CodePages
{
public:
    CodePages() = default;
    CodePages(const CodePages &) = delete;
    CodePages &operator=(const CodePages &) = delete;

    ~CodePages()
    {
        for (const auto &[codePage, converter] : converters)
            if (converter != noConverter())
                iconv_close(converter);
    }

    // Byte to character for a single-byte code page; 0 where the code page has no character.
    const std::array<char16_t, 256> &table(int codePage)
    {
        if (codePage == lastCodePage)
            return *lastTable;
        auto [it, inserted] = tables.try_emplace(codePage);
        if (inserted)
            fillTable(codePage, it->second);
        lastCodePage = codePage;
        lastTable = &it->second;
        return it->second;
    }

    // One converter per code page, kept open: a byte that does not decode costs no more than
    // one that does, so hostile input stays linear.
    QString decodeMultiByte(const QByteArray &bytes, int codePage)
    {
        if (codePage == 65001)
            return QString::fromUtf8(bytes);
        const iconv_t cd = converter(codePage);
        if (cd == noConverter())
            return decodeWindows1252(bytes);
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        // No multi-byte code page yields more UTF-16 units than it has bytes.
        QString out(bytes.size() + 8, Qt::Uninitialized);
        char *in = const_cast<char *>(bytes.constData());
        size_t inLeft = static_cast<size_t>(bytes.size());
        char *outPtr = reinterpret_cast<char *>(out.data());
        size_t outLeft = static_cast<size_t>(out.size()) * 2;
        while (inLeft > 0) {
            if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1))
                break;
            if (errno == E2BIG || outLeft < 2)
                break;
            const char16_t replacement = QChar::ReplacementCharacter;
            memcpy(outPtr, &replacement, 2);
            outPtr += 2;
            outLeft -= 2;
            ++in;
            --inLeft;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
        iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
        out.truncate(out.size() - static_cast<qsizetype>(outLeft / 2));
        return out;
    }

private:
    static iconv_t noConverter() { return reinterpret_cast<iconv_t>(-1); }

    iconv_t converter(int codePage)
    {
        auto [it, inserted] = converters.try_emplace(codePage, noConverter());
        if (inserted) {
            const QByteArray codec = codecOfCodePage(codePage);
            if (!codec.isEmpty())
                it->second = iconv_open(QSysInfo::ByteOrder == QSysInfo::LittleEndian ? "UTF-16LE"
                                                                                      : "UTF-16BE",
                                        codec.constData());
        }
        return it->second;
    }

    // Undefined bytes become U+FFFD; without a converter the bytes are read as windows-1252.
    void fillTable(int codePage, std::array<char16_t, 256> &table)
    {
        QByteArray bytes(256, Qt::Uninitialized);
        for (int b = 0; b < 256; ++b)
            bytes[b] = static_cast<char>(b);
        const iconv_t cd = codePage == 1252 ? noConverter() : converter(codePage);
        if (cd == noConverter()) {
            const QString latin = decodeWindows1252(bytes);
            for (int b = 0; b < 256; ++b)
                table[b] = latin[b].unicode();
            return;
        }
        for (int b = 0; b < 256; ++b) {
            char16_t unit[2];
            char *in = bytes.data() + b;
            size_t inLeft = 1;
            char *out = reinterpret_cast<char *>(unit);
            size_t outLeft = sizeof unit;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            // The flush hands over a letter that windows-1258 holds back for a combining mark.
            const bool ok =
                iconv(cd, &in, &inLeft, &out, &outLeft) != static_cast<size_t>(-1) &&
                iconv(cd, nullptr, nullptr, &out, &outLeft) != static_cast<size_t>(-1) &&
                outLeft == sizeof unit - 2;
            table[b] = ok ? unit[0] : char16_t(QChar::ReplacementCharacter);
        }
    }

    std::unordered_map<int, std::array<char16_t, 256>> tables;
    std::unordered_map<int, iconv_t> converters;
    int lastCodePage = -1;
    const std::array<char16_t, 256> *lastTable = nullptr;
};

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Pairs of surrogates from "\u" escapes are kept; a lone one becomes U+FFFD.
void repairSurrogates(QString &text)
{
    const qsizetype n = text.size();
    QChar *d = text.data();
    for (qsizetype i = 0; i < n; ++i) {
        if (d[i].isHighSurrogate() && i + 1 < n && d[i + 1].isLowSurrogate())
            ++i;
        else if (d[i].isSurrogate())
            d[i] = QChar::ReplacementCharacter;
    }
}

class Interpreter
{
public:
    Interpreter(const QByteArray &rtf, qsizetype start)
        : data(rtf.constData()), size(rtf.size()), pos(start)
    {
    }

    QString run()
    {
        text.reserve(size / 4);
        groups.reserve(64);
        groups.push_back(GroupState{});
        while (pos < size) {
            const char c = data[pos];
            if (c == '{') {
                ++pos;
                openGroup();
            } else if (c == '}') {
                ++pos;
                if (!closeGroup())
                    break;
            } else if (c == '\\') {
                ++pos;
                controlSequence();
            } else {
                textRun();
            }
        }
        flushPending();
        return finish();
    }

private:
    struct FontInfo
    {
        int charset = -1;
        int codePage = 0;
    };

    // Deeper groups share the state of this level; real documents stay far below it.
    static constexpr size_t maxDepth = 4096;

    GroupState &state() { return groups.back(); }

    bool visible() const
    {
        const GroupState &s = groups.back();
        return (s.dest == Destination::Text || s.dest == Destination::Footnote) && !s.hidden;
    }

    QString &sink() { return groups.back().dest == Destination::Footnote ? footnotes : text; }

    void resolveStar()
    {
        if (starPending) {
            starPending = false;
            state().dest = Destination::Skip;
        }
    }

    void openGroup()
    {
        flushPending();
        resolveStar();
        skipRemaining = 0;
        if (groups.size() >= maxDepth) {
            ++overflowDepth;
            return;
        }
        groups.push_back(groups.back());
    }

    // False when the group that closed was the document itself.
    bool closeGroup()
    {
        flushPending();
        starPending = false;
        skipRemaining = 0;
        if (overflowDepth > 0) {
            --overflowDepth;
            return true;
        }
        groups.pop_back();
        return groups.size() > 1;
    }

    void textRun()
    {
        if (!visible()) {
            while (pos < size && data[pos] != '{' && data[pos] != '}' && data[pos] != '\\') {
                if (data[pos] != '\r' && data[pos] != '\n')
                    resolveStar();
                ++pos;
            }
            return;
        }
        while (pos < size) {
            const auto b = static_cast<uchar>(data[pos]);
            if (b == '{' || b == '}' || b == '\\')
                return;
            if (b < 0x20 && b != '\t') {
                ++pos;
                continue;
            }
            resolveStar();
            if (!visible())
                return;
            if (skipRemaining > 0) {
                --skipRemaining;
                ++pos;
                continue;
            }
            if (b == '\t') {
                put(u"\t");
                ++pos;
                continue;
            }
            if (b >= 0x80 || !pending.isEmpty()) {
                encodedByte(b);
                ++pos;
                continue;
            }
            qsizetype end = pos + 1;
            while (end < size) {
                const auto d = static_cast<uchar>(data[end]);
                if (d < 0x20 || d >= 0x80 || d == '{' || d == '}' || d == '\\')
                    break;
                ++end;
            }
            sink().append(QLatin1StringView(data + pos, end - pos));
            pos = end;
        }
    }

    void controlSequence()
    {
        if (pos >= size)
            return;
        const char c = data[pos];
        if (isLetter(c)) {
            controlWord();
            return;
        }
        ++pos;
        if (c == '\'') {
            hexEscape();
            return;
        }
        if (c == '*') {
            flushPending();
            skipRemaining = 0;
            starPending = true;
            return;
        }
        if (c == '\\' || c == '{' || c == '}') {
            resolveStar();
            if (skipRemaining > 0) {
                --skipRemaining;
                return;
            }
            if (visible())
                encodedByte(static_cast<uchar>(c));
            return;
        }
        flushPending();
        resolveStar();
        skipRemaining = 0;
        switch (c) {
        case '~':
            putChar(QChar(0x00A0));
            break;
        case '_':
            putChar(u'-');
            break;
        case '\r':
        case '\n':
            put(u"\r\n");
            break;
        default:
            break; // "\-" optional hyphen, "\:", "\|" and unknown symbols show nothing
        }
    }

    void hexEscape()
    {
        const int high = pos < size ? hexValue(data[pos]) : -1;
        if (high < 0)
            return;
        ++pos;
        int value = high;
        const int low = pos < size ? hexValue(data[pos]) : -1;
        if (low >= 0) {
            value = high * 16 + low;
            ++pos;
        }
        resolveStar();
        if (skipRemaining > 0) {
            --skipRemaining;
            return;
        }
        if (visible())
            encodedByte(static_cast<uchar>(value));
    }

    int currentCodePage()
    {
        const int font = state().font >= 0 ? state().font : defaultFont;
        if (font >= 0) {
            const auto it = fonts.find(font);
            if (it != fonts.end()) {
                if (it->second.codePage > 0)
                    return it->second.codePage;
                if (const int cp = codePageOfCharset(it->second.charset); cp > 0)
                    return cp;
            }
        }
        return documentCodePage;
    }

    // A byte of text in the current code page, from an escape or taken literally.
    void encodedByte(uchar b)
    {
        const int codePage = currentCodePage();
        if (isMultiByte(codePage)) {
            if (!pending.isEmpty() && pendingCodePage != codePage)
                flushPending();
            pending.append(static_cast<char>(b));
            pendingCodePage = codePage;
            return;
        }
        flushPending();
        if (b < 0x20)
            return;
        const char16_t c = codePages.table(codePage)[b];
        if (c >= 0x20)
            sink().append(QChar(c));
    }

    void flushPending()
    {
        if (pending.isEmpty())
            return;
        const QString decoded = codePages.decodeMultiByte(pending, pendingCodePage);
        pending.clear();
        QString &out = sink();
        for (const QChar c : decoded)
            if (c.unicode() >= 0x20)
                out.append(c);
    }

    void put(QStringView s)
    {
        flushPending();
        if (visible())
            sink().append(s);
    }

    void putChar(QChar c)
    {
        flushPending();
        if (visible())
            sink().append(c);
    }

    void controlWord()
    {
        const qsizetype start = pos;
        while (pos < size && isLetter(data[pos]))
            ++pos;
        // Longer names are not RTF words; they are read whole and ignored.
        const std::string_view name = pos - start <= 32
                                          ? std::string_view(data + start, size_t(pos - start))
                                          : std::string_view();
        bool negative = false;
        if (pos + 1 < size && data[pos] == '-' && isDigit(data[pos + 1])) {
            negative = true;
            ++pos;
        }
        bool hasParam = false;
        long long value = 0;
        while (pos < size && isDigit(data[pos])) {
            if (value < 10'000'000'000LL)
                value = value * 10 + (data[pos] - '0');
            hasParam = true;
            ++pos;
        }
        if (negative)
            value = -value;
        const int param = static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
        if (pos < size && data[pos] == ' ')
            ++pos;

        flushPending();
        skipRemaining = 0;
        const bool starred = std::exchange(starPending, false);
        const auto &table = keywords();
        const auto it = name.empty() ? table.end() : table.find(name);
        const Keyword keyword = it == table.end() ? Keyword{Action::Ignore, 0} : it->second;
        if (starred && it == table.end()) {
            state().dest = Destination::Skip;
            return;
        }
        if (starred && keyword.action != Action::Footnote && keyword.action != Action::Ud &&
            keyword.action != Action::Ignore) {
            state().dest = Destination::Skip;
            return;
        }
        apply(keyword, hasParam, param);
    }

    void apply(const Keyword &keyword, bool hasParam, int param)
    {
        GroupState &s = state();
        switch (keyword.action) {
        case Action::Ignore:
            break;
        case Action::Break:
            put(u"\r\n");
            break;
        case Action::Tab:
            put(u"\t");
            break;
        case Action::Cell:
            if (visible()) {
                sink().append(u'\t');
                cellTabSink = &sink();
                cellTabAt = sink().size() - 1;
            }
            break;
        case Action::Row:
            if (visible()) {
                QString &out = sink();
                if (cellTabSink == &out && cellTabAt == out.size() - 1)
                    out.chop(1);
                out.append(u"\r\n");
            }
            cellTabSink = nullptr;
            break;
        case Action::Char:
            putChar(QChar(keyword.value));
            break;
        case Action::SkipDestination:
            s.dest = Destination::Skip;
            break;
        case Action::Unicode:
            if (!hasParam)
                break;
            if (visible()) {
                const auto unit = static_cast<char16_t>(static_cast<unsigned>(param) & 0xFFFF);
                if (unit >= 0x20) {
                    sink().append(QChar(unit));
                    if (QChar::isSurrogate(unit))
                        surrogatesEmitted = true;
                }
            }
            skipRemaining = s.uc;
            break;
        case Action::UnicodeSkip:
            s.uc = hasParam ? std::max(param, 0) : 1;
            break;
        case Action::Bin:
            if (hasParam && param > 0)
                pos += std::min<qsizetype>(param, size - pos);
            break;
        case Action::Hidden:
            s.hidden = !hasParam || param != 0;
            break;
        case Action::Plain:
            s.hidden = false;
            s.font = -1;
            break;
        case Action::Font:
            if (s.dest == Destination::FontTable) {
                fontBeingDefined = param;
                fonts.try_emplace(param);
            } else {
                s.font = hasParam ? param : -1;
            }
            break;
        case Action::FontTable:
            if (s.dest != Destination::Skip)
                s.dest = Destination::FontTable;
            break;
        case Action::FontCharset:
        case Action::FontCodePage:
            if (s.dest == Destination::FontTable && fontBeingDefined >= 0) {
                FontInfo &font = fonts[fontBeingDefined];
                if (keyword.action == Action::FontCharset)
                    font.charset = param;
                else if (!codecOfCodePage(param).isEmpty())
                    font.codePage = param;
            }
            break;
        case Action::AnsiCodePage:
            if (hasParam && !codecOfCodePage(param).isEmpty())
                documentCodePage = param;
            break;
        case Action::CodePage:
            documentCodePage = keyword.value;
            break;
        case Action::DefaultFont:
            defaultFont = hasParam ? param : -1;
            break;
        case Action::Footnote:
            if (s.dest == Destination::Text) {
                s.dest = Destination::Footnote;
                ++footnoteCount;
                if (!footnotes.isEmpty() && !footnotes.endsWith(u"\r\n"))
                    footnotes.append(u"\r\n");
            } else if (s.dest != Destination::Footnote) {
                s.dest = Destination::Skip;
            }
            break;
        case Action::FootnoteMark:
            if (visible()) {
                const int number =
                    s.dest == Destination::Footnote ? footnoteCount : footnoteCount + 1;
                sink().append(QStringLiteral("[%1]").arg(number));
            }
            break;
        case Action::Upr:
            s.outsideUpr = s.dest;
            s.inUpr = true;
            s.dest = Destination::Skip;
            break;
        case Action::Ud:
            if (s.inUpr) {
                s.dest = s.outsideUpr;
                s.inUpr = false;
            }
            break;
        }
    }

    QString finish()
    {
        if (surrogatesEmitted) {
            repairSurrogates(text);
            repairSurrogates(footnotes);
        }
        if (footnotes.isEmpty())
            return std::move(text);
        while (text.endsWith(u'\r') || text.endsWith(u'\n'))
            text.chop(1);
        if (!text.isEmpty())
            text.append(u"\r\n\r\n");
        text.append(footnotes);
        return std::move(text);
    }

    const char *data;
    qsizetype size;
    qsizetype pos;
    std::vector<GroupState> groups;
    qsizetype overflowDepth = 0;
    QString text;
    QString footnotes;
    int documentCodePage = 1252;
    int defaultFont = -1;
    std::unordered_map<int, FontInfo> fonts;
    int fontBeingDefined = -1;
    int skipRemaining = 0;
    bool starPending = false;
    int footnoteCount = 0;
    QString *cellTabSink = nullptr;
    qsizetype cellTabAt = -1;
    QByteArray pending;
    int pendingCodePage = 0;
    bool surrogatesEmitted = false;
    CodePages codePages;
};

// Where "{\rtf" starts after blanks and a UTF-8 byte-order mark; -1 when the bytes are not RTF.
qsizetype rtfStart(const QByteArray &bytes)
{
    qsizetype i = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (i < bytes.size() &&
           (bytes[i] == ' ' || bytes[i] == '\t' || bytes[i] == '\r' || bytes[i] == '\n'))
        ++i;
    return QByteArrayView(bytes).sliced(i).startsWith("{\\rtf") ? i : -1;
}

} // namespace

QString RtfToText(const QByteArray &rtf)
{
    const qsizetype start = rtfStart(rtf);
    if (start < 0)
        return joinLinesWithCrLf(decodeDocumentBytes(rtf).text);
    return Interpreter(rtf, start).run();
}
