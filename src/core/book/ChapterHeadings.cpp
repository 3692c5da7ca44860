#include "core/book/ChapterHeadings.h"

#include <QElapsedTimer>
#include <QSet>

#include <algorithm>

namespace {

// A title after the number ends in anything but sentence punctuation.
#define TITLE "(?:\\s*[.:\\x{2014}\\x{2013}-]+\\s*|\\s+(?=[^\\p{Ll}\\s]))\\S(?:.*[^.!?;,])?"

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
    "|" ORD_UNITS "|(?:one |a )?hundred(?:th)?)"
#define ROMAN "(?=[ivxlcdm])m{0,4}(?:cm|cd|d?c{0,3})(?:xc|xl|l?x{0,3})(?:ix|iv|v?i{0,3})"
// A number ends where a word would: "Chapter Onerous" is no heading.
#define NUMBER "(?i:[0-9]{1,4}|" ROMAN "|" NUMBER_WORD ")(?![\\p{L}\\p{N}])"

#define KEYWORDS                                                                                   \
    "chapter|part|book|volume|section|act|scene|canto|letter|"                                     \
    "kapitel|teil|buch|chapitre|livre|partie|cap\\x{ED}tulo|capitulo|capitolo|parte|hoofdstuk|"    \
    "rozdzia\\x{142}|\\x{433}\\x{43B}\\x{430}\\x{432}\\x{430}|" /* глава */                   \
    "\\x{447}\\x{430}\\x{441}\\x{442}\\x{44C}|"                 /* часть */                   \
    "\\x{43A}\\x{43D}\\x{438}\\x{433}\\x{430}|"                 /* книга */                   \
    "\\x{440}\\x{43E}\\x{437}\\x{434}\\x{456}\\x{43B}|"         /* розділ */                 \
    "\\x{447}\\x{430}\\x{441}\\x{442}\\x{438}\\x{43D}\\x{430}"  /* частина */

// Words that head a part of a book on their own.
#define STANDALONE                                                                                 \
    "prologue|epilogue|preface|introduction|foreword|afterword|appendix|prolog|epilog|vorwort|"    \
    "nachwort|einleitung|pr\\x{F3}logo|prologo|ep\\x{ED}logo|epilogo|pr\\x{E9}face|"               \
    "\\x{43F}\\x{440}\\x{43E}\\x{43B}\\x{43E}\\x{433}|" /* пролог */                         \
    "\\x{44D}\\x{43F}\\x{438}\\x{43B}\\x{43E}\\x{433}|" /* эпилог */                         \
    "\\x{43F}\\x{440}\\x{435}\\x{434}\\x{438}\\x{441}\\x{43B}\\x{43E}\\x{432}\\x{438}\\x{435}" /* предисловие */

#define CJK_NUMERAL                                                                                \
    "[0-9\\x{FF10}-\\x{FF19}\\x{96F6}\\x{3007}\\x{4E00}\\x{4E8C}\\x{4E09}\\x{56DB}\\x{4E94}"       \
    "\\x{516D}\\x{4E03}\\x{516B}\\x{4E5D}\\x{5341}\\x{767E}\\x{5343}\\x{4E07}\\x{842C}"            \
    "\\x{4E24}\\x{5169}]+"

// One rule a line, each anchored at both ends; the line is trimmed and short already.
const char *const kRules[] = {
    // Chapter 3, CHAPTER XII., Book Twenty-First: The End, Глава 5
    "^(?i:" KEYWORDS ")\\s+" NUMBER "\\.?(?:" TITLE ")?$",
    // Prologue, Appendix A, Epilogue: Home
    "^(?i:" STANDALONE ")(?:\\s+(?:[A-Z]|" NUMBER "))?\\.?(?:" TITLE ")?$",
    // A line that is only a Roman numeral or a short number; four digits are a year.
    "^(?=[IVXLCDM])M{0,4}(?:CM|CD|D?C{0,3})(?:XC|XL|L?X{0,3})(?:IX|IV|V?I{0,3})\\.?$",
    "^[0-9]{1,3}\\.?$",
    // 第十二章 风雨, 第3話, 第一卷: 章回节節卷部篇集幕話话
    "^\\x{7B2C}\\s*" CJK_NUMERAL "\\s*[\\x{7AE0}\\x{56DE}\\x{8282}\\x{7BC0}\\x{5377}\\x{90E8}"
    "\\x{7BC7}\\x{96C6}\\x{5E55}\\x{8A71}\\x{8BDD}](?:.*[^\\x{3002}\\x{FF01}\\x{FF1F}.!?])?$",
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

// The words that can begin a Latin or Cyrillic heading, lower case, taken from the rules above
// so that the two cannot drift apart.
QSet<QString> headingWords()
{
    QSet<QString> words;
    const QRegularExpression escape(QStringLiteral("\\\\x\\{([0-9A-Fa-f]+)\\}"));
    for (const char *alternatives : {KEYWORDS, STANDALONE}) {
        QString text = QString::fromUtf8(alternatives);
        QRegularExpressionMatch m;
        while ((m = escape.match(text)).hasMatch())
            text.replace(m.capturedStart(), m.capturedLength(),
                         QChar(char16_t(m.captured(1).toUInt(nullptr, 16))));
        for (const QString &word : text.split(u'|'))
            words.insert(word.toLower());
    }
    return words;
}

// Most prose lines fail here, without a regular expression: a line in Latin or Cyrillic
// letters needs one of the heading words first or must be a Roman numeral alone.
bool mayBeBuiltInHeading(QStringView line)
{
    const QChar first = line[0];
    if (first.unicode() >= 0x0530 || !first.isLetter())
        return true;
    qsizetype n = 0;
    while (n < line.size() && line[n].isLetter())
        ++n;
    const QStringView word = line.left(n);
    if (n == line.size() || (n + 1 == line.size() && line[n] == u'.')) {
        static const QString romanDigits = QStringLiteral("IVXLCDM");
        if (std::all_of(word.begin(), word.end(), [](QChar c) { return romanDigits.contains(c); }))
            return true;
    }
    static const QSet<QString> words = headingWords();
    return words.contains(word.toString().toLower());
}

bool endsASentence(QChar last)
{
    static const QString marks = QStringLiteral("!?\u3002\uFF01\uFF1F\u2026");
    return marks.contains(last);
}

} // namespace

QString tocSourceKey(TocSource source)
{
    switch (source) {
    case TocSource::Automatic:
        return QStringLiteral("Automatic");
    case TocSource::BlankLines:
        return QStringLiteral("Blank lines");
    case TocSource::Headings:
        return QStringLiteral("Headings");
    case TocSource::HeadingsAndBlankLines:
        return QStringLiteral("Headings and blank lines");
    }
    return {};
}

TocSource tocSourceFromKey(const QString &key)
{
    for (TocSource s :
         {TocSource::BlankLines, TocSource::Headings, TocSource::HeadingsAndBlankLines}) {
        if (key.compare(tocSourceKey(s), Qt::CaseInsensitive) == 0)
            return s;
    }
    return TocSource::Automatic;
}

QString tocSourceCaption(TocSource source)
{
    switch (source) {
    case TocSource::Automatic:
        return QStringLiteral("automatic");
    case TocSource::BlankLines:
        return QStringLiteral("blank lines");
    case TocSource::Headings:
        return QStringLiteral("headings");
    case TocSource::HeadingsAndBlankLines:
        return QStringLiteral("headings and blank lines");
    }
    return {};
}

QString headingRuleError(const QString &pattern)
{
    const QRegularExpression re(pattern);
    if (re.isValid())
        return {};
    return QStringLiteral("The heading rule \"%1\" is not a valid regular expression: %2 "
                          "(at character %3).")
        .arg(pattern, re.errorString())
        .arg(re.patternErrorOffset() + 1);
}

QString headingRuleTooSlowMessage(const QString &pattern)
{
    return QStringLiteral("The heading rule \"%1\" is too slow for this book").arg(pattern);
}

namespace {

// A rule of nested repeats ("^(a+)+$") can take seconds on one line of 60 characters; no
// sensible heading rule needs a hundredth of these steps on a line that short.
constexpr int kRuleMatchLimit = 200000;
constexpr int kRuleDepthLimit = 5000;
// Below the limit a rule can still spend a millisecond on every line: after two seconds, more
// than 50 microseconds a line on average is too slow (a sound rule takes one or two).
constexpr qint64 kRuleTimeBeforeJudging = 2'000'000'000;
constexpr qint64 kRuleNanosecondsPerLine = 50'000;

} // namespace

HeadingRules::HeadingRules(const QString &customRule)
{
    if (!customRule.isEmpty() && headingRuleError(customRule).isEmpty()) {
        // Limits set at the start of a pattern can only lower those the matcher was given.
        custom.setPattern(QStringLiteral("(*LIMIT_MATCH=%1)(*LIMIT_DEPTH=%2)")
                              .arg(kRuleMatchLimit)
                              .arg(kRuleDepthLimit) +
                          customRule);
        custom.optimize();
    }
}

bool HeadingRules::isHeading(QStringView line) const
{
    qsizetype first = 0;
    qsizetype last = line.size();
    while (first < last && line[first].unicode() <= 32)
        ++first;
    while (last > first && line[last - 1].unicode() <= 32)
        --last;
    const qsizetype length = last - first;
    if (length == 0 || length > kMaxHeadingLength || endsASentence(line[last - 1]))
        return false;
    const QStringView trimmed = line.mid(first, length);
    if (trimmed.endsWith(QStringLiteral("...")))
        return false;
    if (mayBeBuiltInHeading(trimmed) && builtIns().match(trimmed).hasMatch())
        return true;
    if (custom.pattern().isEmpty())
        return false;
    QElapsedTimer clock;
    clock.start();
    const QRegularExpressionMatch match = custom.match(trimmed);
    customNanoseconds += clock.nsecsElapsed();
    ++customLines;
    // A valid rule whose match is invalid stopped at a limit.
    if (!match.isValid() || (customNanoseconds > kRuleTimeBeforeJudging &&
                             customNanoseconds / customLines > kRuleNanosecondsPerLine))
        tooSlow = true;
    return match.hasMatch();
}

bool headingsSpreadOverBook(const QList<int> &headingLines, int totalLines)
{
    if (headingLines.size() < 3 || totalLines <= 0)
        return false;
    QSet<int> tenths;
    for (int line : headingLines)
        tenths.insert(static_cast<int>((qint64(line) - 1) * 10 / totalLines));
    return tenths.size() >= 3;
}
