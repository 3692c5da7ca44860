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
