#include "core/book/HeadingForms.h"

#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <array>
#include <bitset>

namespace {

// A title after the number: it ends in anything but sentence punctuation, or it is written in
// capitals and ends in a full stop ("CHAPITRE II. — UNE LETTRE INATTENDUE.").
#define TITLE                                                                                      \
    "(?:\\s*[.:\\x{2014}\\x{2013}-]+\\s*|\\s+(?=[^\\p{Ll}\\s]))"                                   \
    "(?:\\S(?:.*[^.!?;,])?|[^\\p{Ll}\\s][^\\p{Ll}]*\\.)"

#define UNITS "one|two|three|four|five|six|seven|eight|nine"
#define ORD_UNITS "first|second|third|fourth|fifth|sixth|seventh|eighth|ninth"
#define TEENS                                                                                      \
    "ten|eleven|twelve|thirteen|fourteen|fifteen|sixteen|seventeen|eighteen|nineteen|"             \
    "tenth|eleventh|twelfth|thirteenth|fourteenth|fifteenth|sixteenth|seventeenth|eighteenth|"     \
    "nineteenth"
#define TENS "twenty|thirty|forty|fifty|sixty|seventy|eighty|ninety"
#define ORD_TENS "twentieth|thirtieth|fortieth|fiftieth|sixtieth|seventieth|eightieth|ninetieth"
#define NUMBER_WORD                                                                                \
    "(?:(?:" TENS ")(?:[- ](?:" UNITS "|" ORD_UNITS "))?|" ORD_TENS "|" TEENS "|" UNITS            \
    "|" ORD_UNITS "|(?:one |a )?hundred(?:th)?|last|final)"
// Cyrillic Х and І stand in for X and I in Russian and Ukrainian books.
#define ROMAN                                                                                              \
    "(?=[ivxlcdmхі])m{0,4}(?:cm|cd|d?c{0,3})(?:[xх]c|[xх]l|l?[xх]{0,3})(?:[iі][xх]|[iі]v|v?[iі]{" \
    "0,3})"

// Ordinals as other languages write them before or after the heading word.
#define ORD_DE                                                                                       \
    "(?:(?:ein|zwei|drei|vier|fünf|sechs|sieben|acht|neun)und)?"                                    \
    "(?:erst|zweit|dritt|viert|fünft|sechst|siebe?n?t|acht|neunt|zehnt|elft|zwölft|"               \
    "(?:drei|vier|fünf|sech|sieb|acht|neun)zehnt|zwanzigst|drei(?:ß|ss)igst|vierzigst|fünfzigst|" \
    "letzt)(?:es|er|e|en)"
#define ORD_FR "premi(?:er|ère|ere)|seconde?|derni(?:er|ère|ere)|[\\p{L}-]+i[èe]me"
#define ORD_ES_IT                                                                                  \
    "primer[oa]?|prim[oa]|segund[oa]|second[oa]|tercer[oa]?|terz[oa]|cuart[oa]|quart[oa]|"         \
    "quint[oa]|sext[oa]|sest[oa]|s[ée]ptim[oa]|settim[oa]|octav[oa]|ottav[oa]|noven[oa]|non[oa]|" \
    "d[ée]cim[oa]|und[ée]cim[oa]|duod[ée]cim[oa]|\\p{L}+esim[oa]|[úu]ltim[oa]"
#define ORD_RU                                                                                                                                                        \
    "(?:(?:двадцать|тридцать|сорок|пятьдесят)\\s+)?"                                                                                    \
    "(?:перв|втор|трет|четв[её]рт|пят|шест|седьм|осьм|восьм|девят|десят|"                                          \
    "(?:один|две|три|четыр|пят|шест|сем|восем|девят)надцат|двадцат|тридцат|сороков|пятидесят|" \
    "последн)(?:ая|ый|ой|ое|ий|ья|ье|яя|ее)"
#define ORDINAL "(?:" ORD_DE "|" ORD_FR "|" ORD_ES_IT "|" ORD_RU ")"

// A number ends where a word would: "Chapter Onerous" is no heading.
#define NUMBER                                                                                     \
    "(?i:(?:the\\s+)?(?:[0-9]{1,4}|" ROMAN "|" NUMBER_WORD "|" ORDINAL "))(?![\\p{L}\\p{N}])"

#define HIGHER_WORDS                                                                               \
    "part|book|volume|teil|theil|buch|band|livre|partie|tome|parte|libro|tomo|volumen|"            \
    "часть|книга|том|частина"
#define KEYWORDS                                                                                   \
    HIGHER_WORDS "|chapter|chap|section|act|scene|canto|letter|kapitel|capitel|abschnitt|"         \
                 "chapitre|capítulo|capitulo|capitolo|hoofdstuk|rozdział|глава|розділ"

// Words that head a part of a book on their own.
#define STANDALONE                                                                                 \
    "prologue|epilogue|preface|introduction|foreword|afterword|appendix|conclusion|prolog|"        \
    "epilog|vorwort|nachwort|einleitung|prólogo|prologo|epílogo|epilogo|préface|épilogue|"     \
    "avant-propos|пролог|эпилог|предисловие|послесловие|заключение"

// Hebrew: פרק, ספר, חלק, שער with a letter numeral ("יא", "י״א", "ג׳"), digits or an ordinal.
#define HE_NUMBER                                                                                  \
    "(?:[\\x{5D0}-\\x{5EA}]{1,3}[\"\\x{5F4}][\\x{5D0}-\\x{5EA}]|[\\x{5D9}-\\x{5E6}][\\x{5D0}-"     \
    "\\x{5D8}]|[\\x{5D0}-\\x{5EA}]['\\x{5F3}]?|[0-9]{1,3})"
#define HE_ORDINAL                                                                                                                         \
    "ה?(?:ראשו(?:ן|נה)|שני(?:י?ה)?|שלישי(?:ת)?|רביעי(?:ת)?|חמישי(?:ת)?|שי?שי(?:ת)?|שביעי(?:ת)?|" \
    "שמיני(?:ת)?|תשיעי(?:ת)?|עשירי(?:ת)?|אחרו(?:ן|נה))"
// Arabic: الفصل, الباب, الجزء, الكتاب, القسم with digits or an ordinal ("الحادي عشر").
#define AR_NUMBER                                                                                                                 \
    "(?:[0-9\\x{660}-\\x{669}\\x{6F0}-\\x{6F9}]{1,3}|ال(?:أول|اول|ثاني|ثانى|ثالث|رابع|خامس|سادس|" \
    "سابع|ثامن|تاسع|عاشر|حادي|حادى|عشرون|ثلاثون|أخير|اخير)(?:\\s+(?:عشر|و\\p{L}+))?)"

#define CJK_NUMERAL                                                                                \
    "[0-9\\x{FF10}-\\x{FF19}\\x{96F6}\\x{3007}\\x{4E00}\\x{4E8C}\\x{4E09}\\x{56DB}\\x{4E94}"       \
    "\\x{516D}\\x{4E03}\\x{516B}\\x{4E5D}\\x{5341}\\x{767E}\\x{5343}\\x{4E07}\\x{842C}"            \
    "\\x{4E24}\\x{5169}]+"

// One rule a line, each anchored at both ends; the line is trimmed and short already.
const char *const kRules[] = {
    // Chapter 3, CHAPTER XII., Book the First, Chapitre premier. — Le Forward., Глава первая
    "^(?i:" KEYWORDS ")\\.?\\s+" NUMBER "\\.?(?:" TITLE ")?$",
    // Erstes Kapitel: Eine schweifende Klippe, First Epilogue: 1813 - 20, Primera parte
    "^(?i:(?:the\\s+)?(?:" NUMBER_WORD "|" ORDINAL "))\\s+(?i:" KEYWORDS "|" STANDALONE
    ")(?![\\p{L}\\p{N}])\\.?(?:" TITLE ")?$",
    // Prologue, Appendix A, Epilogue: Home
    "^(?i:" STANDALONE ")(?:\\s+(?:[A-Z]|" NUMBER "))?\\.?(?:" TITLE ")?$",
    // פרק א, פרק ראשון, החלק השני
    "^ה?(?:פרק|ספר|חלק|שער)\\s+(?:" HE_ORDINAL "|" HE_NUMBER ")(?![\\p{L}\\p{N}])\\.?(?:" TITLE
    ")?$",
    // الفصل الأول, الباب 3
    "^(?:ال)?(?:فصل|باب|جزء|كتاب|قسم)\\s+" AR_NUMBER "(?![\\p{L}\\p{N}])\\.?(?:" TITLE ")?$",
    // 第十二章 风雨, 第3話, 第一卷: 章回节節卷部篇集幕話话
    "^\\x{7B2C}\\s*" CJK_NUMERAL "\\s*[\\x{7AE0}\\x{56DE}\\x{8282}\\x{7BC0}\\x{5377}\\x{90E8}"
    "\\x{7BC7}\\x{96C6}\\x{5E55}\\x{8A71}\\x{8BDD}](?:.*[^\\x{3002}\\x{FF01}\\x{FF0E}\\x{FF1F}.!?])"
    "?$",
    // 序章 楔子 引子 番外 尾声 尾聲 后记 後記 终章 終章 プロローグ エピローグ 프롤로그 에필로그
    "^(?:\\x{5E8F}\\x{7AE0}|\\x{6954}\\x{5B50}|\\x{5F15}\\x{5B50}|\\x{756A}\\x{5916}|"
    "\\x{5C3E}\\x{58F0}|\\x{5C3E}\\x{8072}|\\x{540E}\\x{8BB0}|\\x{5F8C}\\x{8A18}|"
    "\\x{7EC8}\\x{7AE0}|\\x{7D42}\\x{7AE0}|"
    "\\x{30D7}\\x{30ED}\\x{30ED}\\x{30FC}\\x{30B0}|\\x{30A8}\\x{30D4}\\x{30ED}\\x{30FC}\\x{30B0}|"
    "\\x{D504}\\x{B864}\\x{B85C}\\x{ADF8}|\\x{C5D0}\\x{D544}\\x{B85C}\\x{ADF8})"
    "(?:.*[^\\x{3002}\\x{FF01}\\x{FF1F}.!?])?$",
    // 제3장, 3장, 제 12 화
    "^(?:\\x{C81C}\\s*)?[0-9]{1,4}\\s*[\\x{C7A5}\\x{D654}](?:[\\s.:\\x{2014}-].*[^.!?])?$",
};

QRegularExpression builtInRules()
{
    QString alternatives;
    for (const char *rule : kRules) {
        if (!alternatives.isEmpty())
            alternatives += u'|';
        alternatives += QStringLiteral("(?:%1)").arg(QString::fromUtf8(rule));
    }
    QRegularExpression re(alternatives);
    re.optimize();
    return re;
}

const QRegularExpression &builtIns()
{
    static const QRegularExpression re = builtInRules();
    return re;
}

QSet<QString> wordsOf(const char *alternatives)
{
    QSet<QString> words;
    for (const QString &word : QString::fromUtf8(alternatives).split(u'|'))
        words.insert(word);
    return words;
}

// The words that can begin a Latin or Cyrillic heading, or follow the ordinal that begins it.
// Looked up for most short lines of a book, so without making a string.
class WordSet
{
public:
    explicit WordSet(const QSet<QString> &from)
    {
        for (const QString &w : from) {
            words.push_back(w.toStdU16String());
            const char16_t first = w.isEmpty() ? 0 : w[0].toLower().unicode();
            if (first < firsts.size())
                firsts.set(first);
            else
                firsts.set(0);
            longest = std::max(longest, w.size());
        }
        std::sort(words.begin(), words.end());
    }

    // word in any case
    bool contains(QStringView word) const
    {
        // Most words of a book fail on their first letter or length.
        if (word.isEmpty() || word.size() > longest)
            return false;
        const char16_t first = word[0].toLower().unicode();
        if (!firsts.test(first < firsts.size() ? first : 0))
            return false;
        char16_t lower[32];
        if (word.size() > 32)
            return false;
        for (qsizetype i = 0; i < word.size(); ++i)
            lower[i] = word[i].toLower().unicode();
        return std::binary_search(words.begin(), words.end(),
                                  std::u16string_view(lower, static_cast<size_t>(word.size())));
    }

private:
    std::vector<std::u16string> words;
    std::bitset<0x530> firsts; // Latin and Cyrillic first letters; 0 for any other
    qsizetype longest = 0;
};

const WordSet &headingWords()
{
    static const WordSet words(wordsOf(KEYWORDS "|" STANDALONE));
    return words;
}

// The words that name what a heading heads, in every script of the rules.
const QSet<QString> &kindWords()
{
    static const QSet<QString> words =
        wordsOf(KEYWORDS "|" STANDALONE "|פרק|ספר|חלק|שער|فصل|باب|جزء|كتاب|قسم");
    return words;
}

const QSet<QString> &higherWords()
{
    static const QSet<QString> words = wordsOf(HIGHER_WORDS "|ספר|חלק|جزء|كتاب");
    return words;
}

bool isRomanDigit(QChar c)
{
    return QStringView(u"IVXLCDM").contains(c);
}

bool isCjkDigit(QChar c)
{
    return QStringView(u"〇零一二两三四五六七八九十百千").contains(c);
}

// The words of a line in Latin, Cyrillic, Hebrew or Arabic letters, lower case: at most four.
QStringList firstWords(QStringView line)
{
    QStringList words;
    qsizetype i = 0;
    while (i < line.size() && words.size() < 4) {
        while (i < line.size() && !line[i].isLetterOrNumber())
            ++i;
        const qsizetype start = i;
        while (i < line.size() && (line[i].isLetterOrNumber() || line[i] == u'-'))
            ++i;
        if (i > start)
            words << line.mid(start, i - start).toString().toLower();
    }
    return words;
}

// The heading word without Hebrew ה or Arabic ال before it.
QString baseWord(const QString &word)
{
    if (word.size() > 3 && word.startsWith(QStringLiteral("ال")))
        return word.mid(2);
    if (word.size() > 3 && word.startsWith(u'ה'))
        return word.mid(1);
    return word;
}

// Most prose lines fail here, without a regular expression: a line in Latin or Cyrillic
// letters needs a heading word among its first three words.
bool mayBeBuiltInHeading(QStringView line)
{
    const QChar first = line[0];
    if (first.unicode() >= 0x0530 || !first.isLetter())
        return true;
    const WordSet &words = headingWords();
    int seen = 0;
    qsizetype i = 0;
    while (i < line.size() && seen < 3) {
        const qsizetype start = i;
        while (i < line.size() && (line[i].isLetter() || line[i] == u'-'))
            ++i;
        if (i > start) {
            if (words.contains(line.mid(start, i - start)))
                return true;
            ++seen;
        }
        while (i < line.size() && !line[i].isLetter())
            ++i;
    }
    return false;
}

int romanValue(QStringView s)
{
    int total = 0;
    int previous = 0;
    for (qsizetype i = s.size() - 1; i >= 0; --i) {
        static const QString digits = QStringLiteral("IVXLCDM");
        static const int values[] = {1, 5, 10, 50, 100, 500, 1000};
        const int v = values[digits.indexOf(s[i])];
        total += v < previous ? -v : v;
        previous = std::max(previous, v);
    }
    return total;
}

QString romanText(int value)
{
    static const std::array<std::pair<int, const char16_t *>, 13> parts = {{{1000, u"M"},
                                                                            {900, u"CM"},
                                                                            {500, u"D"},
                                                                            {400, u"CD"},
                                                                            {100, u"C"},
                                                                            {90, u"XC"},
                                                                            {50, u"L"},
                                                                            {40, u"XL"},
                                                                            {10, u"X"},
                                                                            {9, u"IX"},
                                                                            {5, u"V"},
                                                                            {4, u"IV"},
                                                                            {1, u"I"}}};
    QString text;
    for (const auto &[v, digits] : parts) {
        while (value >= v) {
            text += QString::fromUtf16(digits);
            value -= v;
        }
    }
    return text;
}

int cjkValue(QStringView s)
{
    static const QString digits = QStringLiteral("〇一二三四五六七八九");
    int total = 0;
    int current = 0;
    for (const QChar c : s) {
        const int d = c == u'零' ? 0 : c == u'两' ? 2 : static_cast<int>(digits.indexOf(c));
        if (d >= 0) {
            current = current * 10 + d;
            continue;
        }
        const int unit = c == u'十' ? 10 : c == u'百' ? 100 : 1000;
        total += (current == 0 ? 1 : current) * unit;
        current = 0;
    }
    return total + current;
}

HeadingMatch bareNumber(QStringView line)
{
    HeadingMatch m;
    QStringView s = line;
    const bool dot = s.endsWith(u'.') || s.endsWith(u'、') || s.endsWith(u'．');
    if (dot)
        s.chop(1);
    if (s.isEmpty())
        return m;
    if (s.size() <= 3 && std::all_of(s.begin(), s.end(), [](QChar c) { return c.isDigit(); }) &&
        s[0].unicode() < 128) {
        m.style = dot ? 2 : 1;
        m.value = s.toInt();
    } else if (std::all_of(s.begin(), s.end(), isRomanDigit)) {
        const int value = romanValue(s);
        if (value <= 0 || value > 4000 || romanText(value) != s)
            return m;
        m.style = dot ? 4 : 3;
        m.value = value;
    } else if (s.size() <= 6 && std::all_of(s.begin(), s.end(), isCjkDigit)) {
        m.style = 5;
        m.value = cjkValue(s);
    } else {
        return m;
    }
    m.form = HeadingForm::Bare;
    m.kind = QString::number(m.style);
    m.key = s.toString();
    return m;
}

// The kind of a Chinese, Japanese or Korean heading: the character after its number.
HeadingMatch eastAsianHeading(QStringView line)
{
    HeadingMatch m;
    m.form = HeadingForm::Chapter;
    qsizetype i = line[0] == u'第' || line[0] == u'제' ? 1 : 0;
    while (i < line.size() && (line[i].isSpace() || line[i].isDigit() || isCjkDigit(line[i]) ||
                               QStringView(u"万萬").contains(line[i])))
        ++i;
    if (i == 0 || i >= line.size()) {
        m.kind = line.left(2).toString();
        m.key = m.kind;
        return m;
    }
    m.kind = line.mid(i, 1).toString();
    m.key = line.left(i + 1).toString();
    if (line[0] == u'第' && QStringView(u"卷部篇集").contains(line[i]))
        m.form = HeadingForm::Higher;
    return m;
}

} // namespace

HeadingMatch matchBuiltInHeading(QStringView trimmed)
{
    if (trimmed.isEmpty())
        return {};
    HeadingMatch bare = bareNumber(trimmed);
    if (bare.form == HeadingForm::Bare)
        return bare;
    if (!mayBeBuiltInHeading(trimmed) || !builtIns().match(trimmed).hasMatch())
        return {};
    const QChar first = trimmed[0];
    const bool alphabetic = first.isLetter() && (first.unicode() < 0x0800);
    if (!alphabetic)
        return eastAsianHeading(trimmed);
    HeadingMatch m;
    m.form = HeadingForm::Chapter;
    const QStringList words = firstWords(trimmed);
    qsizetype w = 0;
    while (w + 1 < words.size() && w < 3 && !kindWords().contains(baseWord(words[w])))
        ++w;
    m.kind = words.isEmpty() ? QString() : baseWord(words[w]);
    if (higherWords().contains(m.kind))
        m.form = HeadingForm::Higher;
    const qsizetype keyWords = words.size() > 2 && words[1] == u"the" ? 3 : 2;
    m.key = words.mid(0, keyWords).join(u' ');
    return m;
}

bool isContentsTitle(QStringView trimmed)
{
    if (trimmed.size() > 24)
        return false;
    static const QSet<QString> titles = {QStringLiteral("contents"),
                                         QStringLiteral("table of contents"),
                                         QStringLiteral("inhalt"),
                                         QStringLiteral("inhaltsverzeichnis"),
                                         QStringLiteral("table des matières"),
                                         QStringLiteral("table des matieres"),
                                         QStringLiteral("sommaire"),
                                         QStringLiteral("índice"),
                                         QStringLiteral("indice"),
                                         QStringLiteral("inhoud"),
                                         QStringLiteral("spis treści"),
                                         QStringLiteral("оглавление"),
                                         QStringLiteral("содержание"),
                                         QStringLiteral("зміст"),
                                         QStringLiteral("目录"),
                                         QStringLiteral("目錄"),
                                         QStringLiteral("目次"),
                                         QStringLiteral("차례"),
                                         QStringLiteral("תוכן העניינים"),
                                         QStringLiteral("תוכן"),
                                         QStringLiteral("المحتويات"),
                                         QStringLiteral("الفهرس"),
                                         QStringLiteral("فهرس")};
    static const WordSet set(titles);
    QStringView s = trimmed;
    while (!s.isEmpty() && QStringView(u".:").contains(s.back()))
        s.chop(1);
    return set.contains(s);
}

bool isGutenbergEndMarker(QStringView line)
{
    if (line.size() > 200)
        return false;
    qsizetype i = 0;
    while (i < line.size() && (line[i].isSpace() || line[i] == u'*'))
        ++i;
    if (i >= line.size() || (line[i] != u'E' && line[i] != u'e'))
        return false;
    const QStringView rest = line.mid(i);
    return rest.startsWith(QStringLiteral("end of"), Qt::CaseInsensitive) &&
           rest.contains(QStringLiteral("gutenberg"), Qt::CaseInsensitive);
}
