#include "BookGenerator.h"

#include <QStringList>

#include <random>

namespace {

// clang-format off
const char *const kWords[] = {
    "the",      "and",     "of",       "to",        "a",        "in",       "that",
    "it",       "was",     "he",       "she",       "his",      "her",      "with",
    "for",      "as",      "had",      "you",       "not",      "be",       "at",
    "on",       "by",      "which",    "all",       "this",     "from",     "they",
    "were",     "said",    "would",    "one",       "there",    "have",     "been",
    "morning",  "garden",  "letter",   "window",    "carriage", "evening",  "silence",
    "remember", "believe", "presently", "countenance", "afterwards", "neighbourhood",
    "extraordinary", "misunderstanding", "well-known", "half-past", "river", "lantern",
    "harbour",  "captain", "whispered", "quietly",  "beneath",  "against",  "through",
    "Élise",    "café",    "naïve",    "Straße",    "über",     "façade",   "rôle",
};
// clang-format on
constexpr int kWordCount = sizeof(kWords) / sizeof(kWords[0]);

class Writer
{
public:
    Writer(std::uint64_t seed) : rng(seed) {}

    QString book(qsizetype target)
    {
        QString out;
        out.reserve(target + 4096);
        out += QStringLiteral("THE SYNTHETIC VOLUME\r\n\r\nA Tale in Many Chapters\r\n");
        int chapter = 0;
        while (out.size() < target) {
            ++chapter;
            out += QStringLiteral("\r\n\r\n\r\n\r\nCHAPTER %1\r\n\r\n").arg(chapter);
            const int paragraphs = pick(6, 18);
            for (int p = 0; p < paragraphs && out.size() < target; ++p) {
                if (pick(0, 9) == 0)
                    verse(out);
                else
                    paragraph(out);
                out += QStringLiteral("\r\n");
            }
        }
        return out;
    }

private:
    int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }

    QString sentence()
    {
        QString s;
        const int words = pick(4, 22);
        for (int w = 0; w < words; ++w) {
            QString word = QString::fromUtf8(kWords[pick(0, kWordCount - 1)]);
            if (w == 0)
                word[0] = word[0].toUpper();
            if (!s.isEmpty())
                s += u' ';
            s += word;
            if (w + 1 < words && pick(0, 11) == 0)
                s += u',';
        }
        static const char16_t ends[] = {u'.', u'.', u'.', u'!', u'?', u';'};
        s += QChar(ends[pick(0, 5)]);
        if (pick(0, 7) == 0)
            s = u'"' + s + u'"';
        return s;
    }

    void paragraph(QString &out)
    {
        QString text;
        const int sentences = pick(1, 9);
        for (int i = 0; i < sentences; ++i) {
            if (!text.isEmpty())
                text += u' ';
            text += sentence();
        }
        const int width = pick(60, 72);
        const QStringList words = text.split(u' ');
        QString line;
        for (const QString &word : words) {
            if (!line.isEmpty() && line.size() + 1 + word.size() > width) {
                out += line + QStringLiteral("\r\n");
                line.clear();
            }
            if (!line.isEmpty())
                line += u' ';
            line += word;
        }
        if (!line.isEmpty())
            out += line + QStringLiteral("\r\n");
    }

    void verse(QString &out)
    {
        const int lines = pick(2, 8);
        for (int i = 0; i < lines; ++i) {
            QString s = sentence();
            if (s.size() > 60)
                s.truncate(60);
            out += QStringLiteral("    ") + s + QStringLiteral("\r\n");
        }
    }

    std::mt19937_64 rng;
};

class ChineseWriter
{
public:
    ChineseWriter(std::uint64_t seed) : rng(seed) {}

    QString book(qsizetype target)
    {
        QString out;
        out.reserve(target + 4096);
        int chapter = 0;
        while (out.size() < target) {
            ++chapter;
            out += QStringLiteral("第%1章\r\n\r\n").arg(chapter);
            const int paragraphs = pick(20, 40);
            for (int p = 0; p < paragraphs && out.size() < target; ++p) {
                paragraph(out);
                out += QStringLiteral("\r\n\r\n");
            }
        }
        return out;
    }

private:
    int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }

    QChar ideograph()
    {
        // Squaring a uniform number favours the front of the pool.
        const double u = std::uniform_real_distribution<double>(0, 1)(rng);
        const int index = static_cast<int>(u * u * kPool);
        return QChar(char16_t(0x4E00 + 5 * index));
    }

    void paragraph(QString &out)
    {
        const int length = pick(100, 400);
        int sinceMark = 0;
        int nextMark = pick(5, 15);
        for (int i = 0; i < length; ++i) {
            out += ideograph();
            if (++sinceMark == nextMark && i + 1 < length) {
                out += pick(0, 3) == 0 ? QChar(u'。') : QChar(u'，');
                sinceMark = 0;
                nextMark = pick(5, 15);
            }
        }
        out += QChar(u'。');
    }

    static constexpr int kPool = 3500;
    std::mt19937_64 rng;
};

} // namespace

namespace {

QString roman(int n)
{
    static const std::pair<int, const char *> digits[] = {
        {1000, "M"}, {900, "CM"}, {500, "D"}, {400, "CD"}, {100, "C"}, {90, "XC"}, {50, "L"},
        {40, "XL"},  {10, "X"},   {9, "IX"},  {5, "V"},    {4, "IV"},  {1, "I"}};
    QString out;
    for (const auto &[value, text] : digits) {
        while (n >= value) {
            out += QLatin1String(text);
            n -= value;
        }
    }
    return out;
}

// 1..9999 in Chinese numerals: 十二, 一百二十三, 一千零五
QString chinese(int n)
{
    static const QString digit = QStringLiteral("零一二三四五六七八九");
    static const QString unit[] = {QString(), QStringLiteral("十"), QStringLiteral("百"),
                                   QStringLiteral("千")};
    const QString decimal = QString::number(n);
    QString out;
    bool zero = false;
    for (qsizetype i = 0; i < decimal.size(); ++i) {
        const int d = decimal[i].digitValue();
        const qsizetype place = decimal.size() - 1 - i;
        if (d == 0) {
            zero = true;
            continue;
        }
        if (zero)
            out += digit[0];
        zero = false;
        if (!(d == 1 && place == 1 && i == 0))
            out += digit[d];
        out += unit[place];
    }
    return out;
}

class StyledWriter
{
public:
    StyledWriter(HeadingStyle style, std::uint64_t seed) : style(style), rng(seed) {}

    StyledBook book(qsizetype target)
    {
        StyledBook b;
        QString &out = b.text;
        const bool cjk = style == HeadingStyle::Chinese;
        const bool russian = style == HeadingStyle::Russian;
        out += cjk       ? QStringLiteral("山河故人\r\n\r\n一部长篇小说\r\n\r\n")
               : russian ? QStringLiteral("ДАЛЁКИЙ БЕРЕГ\r\n\r\nРоман\r\n\r\n")
                         : QStringLiteral("THE HEADED VOLUME\r\n\r\nA Tale in Chapters\r\n\r\n");
        paragraph(out);
        int chapter = 0;
        while (out.size() < target) {
            ++chapter;
            const QString heading = headingFor(chapter);
            out += style == HeadingStyle::EnglishRoman ? QStringLiteral("\r\n\r\n\r\n")
                                                       : QStringLiteral("\r\n\r\n");
            out += heading + QStringLiteral("\r\n\r\n");
            b.headings << heading;
            const int paragraphs = pick(6, 14);
            for (int p = 0; p < paragraphs && out.size() < target; ++p) {
                if (!cjk && !russian && pick(0, 11) == 0)
                    decoy(out);
                else if (style == HeadingStyle::EnglishRoman && pick(0, 9) == 0)
                    letter(out);
                else
                    paragraph(out);
            }
        }
        return b;
    }

private:
    int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }

    QString headingFor(int n)
    {
        switch (style) {
        case HeadingStyle::EnglishRoman:
            return QStringLiteral("CHAPTER %1.").arg(roman(n));
        case HeadingStyle::EnglishArabic:
            return n % 3 == 0 ? QStringLiteral("Chapter %1: The %2").arg(n).arg(titleWord())
                              : QStringLiteral("Chapter %1").arg(n);
        case HeadingStyle::Chinese:
            return QStringLiteral("第%1章 %2").arg(chinese(n), cjkTitle());
        case HeadingStyle::Russian:
            return QStringLiteral("Глава %1").arg(n);
        }
        return {};
    }

    QString titleWord()
    {
        static const char *const words[] = {"Harbour", "Lantern", "Garden", "Letter", "River"};
        return QLatin1String(words[pick(0, 4)]);
    }

    QString cjkTitle()
    {
        static const QString titles[] = {QStringLiteral("风雨"), QStringLiteral("归途"),
                                         QStringLiteral("夜宴"), QStringLiteral("江湖")};
        return titles[pick(0, 3)];
    }

    QString sentence()
    {
        static const QStringList english =
            QStringLiteral(
                "the river was quiet and the lantern burned low in the window of the harbour "
                "house while she remembered the letter he had written in the morning")
                .split(u' ');
        static const QStringList russian =
            QStringLiteral(
                "в тот вечер он долго смотрел на реку и думал о письме которое пришло утром "
                "из далёкого города где всё ещё жила его сестра")
                .split(u' ');
        static const QString cjk =
            QStringLiteral("他站在江边看着远处的灯火心里想着那封早上寄来的信风吹过树林夜色渐深");
        if (style == HeadingStyle::Chinese) {
            const int start = pick(0, static_cast<int>(cjk.size()) - 12);
            return cjk.mid(start, pick(8, 12)) + QStringLiteral("，") +
                   cjk.mid(pick(0, static_cast<int>(cjk.size()) - 10), 8) + QStringLiteral("。");
        }
        const QStringList &words = style == HeadingStyle::Russian ? russian : english;
        QString s;
        const int count = pick(6, 18);
        for (int w = 0; w < count; ++w) {
            QString word = words[pick(0, static_cast<int>(words.size()) - 1)];
            if (w == 0)
                word[0] = word[0].toUpper();
            s += (w == 0 ? QString() : QStringLiteral(" ")) + word;
        }
        return s + QStringLiteral(".");
    }

    // A paragraph and the blank line after it. The Chinese one is a single long line.
    void paragraph(QString &out)
    {
        QString text;
        const int sentences = pick(2, 7);
        for (int i = 0; i < sentences; ++i)
            text += (text.isEmpty() || style == HeadingStyle::Chinese ? QString()
                                                                      : QStringLiteral(" ")) +
                    sentence();
        if (style == HeadingStyle::Chinese) {
            out += QStringLiteral("　　") + text + QStringLiteral("\r\n\r\n");
            return;
        }
        QString line;
        for (const QString &word : text.split(u' ')) {
            if (!line.isEmpty() && line.size() + 1 + word.size() > 70) {
                out += line + QStringLiteral("\r\n");
                line.clear();
            }
            line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + word;
        }
        out += line + QStringLiteral("\r\n\r\n");
    }

    // A letter set off by two blank lines, as a chapter is.
    void letter(QString &out)
    {
        out += QStringLiteral("\r\n\r\nMy dear Sir,\r\n\r\n");
        paragraph(out);
    }

    // Lines a careless rule would take for headings.
    void decoy(QString &out)
    {
        static const char *const lines[] = {"Chapter and verse ...", "Part of the problem was ...",
                                            "12 March 1865",
                                            "1. Take the lantern down to the river.", "1865"};
        out += QLatin1String(lines[pick(0, 4)]) + QStringLiteral("\r\n\r\n");
    }

    HeadingStyle style;
    std::mt19937_64 rng;
};

} // namespace

StyledBook generateStyledBook(HeadingStyle style, std::uint64_t seed, qsizetype approximateChars)
{
    return StyledWriter(style, seed).book(approximateChars);
}

bool headingStyleFromName(const QString &name, HeadingStyle *style)
{
    const std::pair<const char *, HeadingStyle> names[] = {{"roman", HeadingStyle::EnglishRoman},
                                                           {"arabic", HeadingStyle::EnglishArabic},
                                                           {"chinese", HeadingStyle::Chinese},
                                                           {"russian", HeadingStyle::Russian}};
    for (const auto &[text, s] : names) {
        if (name == QLatin1String(text)) {
            *style = s;
            return true;
        }
    }
    return false;
}

QString generateChineseBook(std::uint64_t seed, qsizetype approximateChars)
{
    return ChineseWriter(seed).book(approximateChars);
}

QString generateBook(std::uint64_t seed, qsizetype approximateChars)
{
    return Writer(seed).book(approximateChars);
}

QByteArray generateBookBytes(std::uint64_t seed, qsizetype approximateChars)
{
    return generateBook(seed, approximateChars).toUtf8();
}
