#include "core/layout/ParagraphStyle.h"

#include <algorithm>
#include <array>

namespace {

// Lines longer than this count as this long: no wrapped text comes near it.
constexpr qsizetype kLongLine = 1024;
// A text up to this size is read whole; a larger one in windows spread over it.
constexpr qsizetype kReadWhole = qsizetype(1) << 20;
constexpr int kWindows = 48;
constexpr qsizetype kWindowSize = qsizetype(16) << 10;
constexpr qsizetype kFewestLines = 12;

struct LineCounts
{
    std::array<qint64, kLongLine + 1> lengths{}; // non-blank lines by length
    qint64 nonBlank = 0;
    qint64 blankRuns = 0;    // blank lines that follow a non-blank one
    qint64 indentStarts = 0; // indented lines that follow a non-blank line that is not indented
    qint64 sentenceEnds = 0; // lines whose last character ends a sentence
    // Lines followed by a non-blank line, by their length plus a space plus the next line's
    // first word: what the line would have been had that word not gone to the next line.
    std::array<qint64, kLongLine + 1> withNextWord{};
    qint64 followed = 0;
    qint64 capitalised = 0; // of those, the ones whose next line starts with a capital letter

    // The smallest length that this share of the non-blank lines does not exceed.
    int percentile(int percent) const
    {
        const qint64 wanted = (nonBlank * percent + 99) / 100;
        qint64 seen = 0;
        for (int length = 0; length <= kLongLine; ++length) {
            seen += lengths[size_t(length)];
            if (seen >= wanted)
                return length;
        }
        return int(kLongLine);
    }
    qint64 linesBetween(int shortest, int longest) const
    {
        qint64 n = 0;
        for (int length = std::max(0, shortest); length <= std::min<int>(longest, kLongLine);
             ++length)
            n += lengths[size_t(length)];
        return n;
    }
};

bool endsASentence(QChar c)
{
    static const QString marks = QStringLiteral(
        ".!?:\"'\u201D\u2019\u00BB\u2026\u3002\uFF01\uFF1F\u300D\u300F)");
    return marks.contains(c);
}

enum class Previous { Unknown, Blank, Plain, Indented };

// Reads the whole lines that start in [from, to): the first one only if from is a line start.
void countLines(QStringView text, qsizetype from, qsizetype to, LineCounts &counts)
{
    const QChar *s = text.data();
    const qsizetype n = text.size();
    qsizetype p = from;
    if (p > 0 && s[p - 1] != u'\n') {
        const qsizetype lf = text.sliced(p, std::min(n - p, kLongLine + 2)).indexOf(u'\n');
        if (lf < 0)
            return;
        p += lf + 1;
    }
    Previous previous = Previous::Unknown;
    qsizetype previousLength = 0;
    while (p < to && p < n) {
        const QStringView rest = text.sliced(p, std::min(n - p, kLongLine + 2));
        qsizetype end = rest.indexOf(u'\r');
        const bool cut = end < 0 && rest.size() == kLongLine + 2;
        if (end < 0)
            end = rest.size();
        qsizetype next = p + end + 2;
        QChar last; // a long line's own last character, not the one where it was cut
        if (cut) {
            // The rest of a line without end in sight says nothing more about lines.
            const qsizetype beyond = p + end;
            const qsizetype cr = beyond < to ? text.first(to).indexOf(u'\r', beyond) : -1;
            if (cr < 0)
                to = 0;
            else
                last = text[cr - 1];
            next = cr + 2;
        }
        while (end > 0 && (rest[end - 1] == u' ' || rest[end - 1] == u'\t'))
            --end;
        qsizetype indent = 0;
        while (indent < end && (rest[indent] == u' ' || rest[indent] == u'\t'))
            ++indent;
        if (indent == end) {
            if (previous == Previous::Plain || previous == Previous::Indented)
                ++counts.blankRuns;
            previous = Previous::Blank;
        } else {
            if (previous == Previous::Plain || previous == Previous::Indented) {
                qsizetype word = indent;
                while (word < end && rest[word] != u' ' && rest[word] != u'\t')
                    ++word;
                const qsizetype joined = previousLength + 1 + word - indent;
                ++counts.withNextWord[size_t(std::min(joined, kLongLine))];
                ++counts.followed;
                if (rest[indent].isUpper())
                    ++counts.capitalised;
            }
            previousLength = std::min(end, kLongLine);
            ++counts.nonBlank;
            ++counts.lengths[size_t(std::min(end, kLongLine))];
            if (endsASentence(last.isNull() ? rest[end - 1] : last))
                ++counts.sentenceEnds;
            if (indent > 0 && previous == Previous::Plain)
                ++counts.indentStarts;
            previous = indent > 0 ? Previous::Indented : Previous::Plain;
        }
        p = next;
    }
}

} // namespace

bool ParagraphStyle::removeLineBreaks() const
{
    return shape == Shape::HardWrapped || shape == Shape::TooShort;
}

bool ParagraphStyle::keepBeforeIndent() const
{
    // Also where paragraphs are not indented: a letter or a quotation indented line by line
    // would be joined with its indentation in the middle of the joined lines.
    return true;
}

bool ParagraphStyle::keepAfterPunctuation() const
{
    return shape == Shape::HardWrapped && !indentedParagraphs && !blankLineParagraphs;
}

int ParagraphStyle::shortLineLimit() const
{
    return shape == Shape::HardWrapped ? wrapWidth * 4 / 5 : 0;
}

QString ParagraphStyle::description() const
{
    switch (shape) {
    case Shape::TooShort:
        return QStringLiteral("too few lines to tell");
    case Shape::OneParagraphPerLine:
        return QStringLiteral("one paragraph per line");
    case Shape::ShortLines:
        return QStringLiteral("short lines (verse, a play or lists), kept");
    case Shape::HardWrapped:
        break;
    }
    QString marks;
    if (blankLineParagraphs && indentedParagraphs)
        marks = QStringLiteral("paragraphs after blank lines or indented");
    else if (blankLineParagraphs)
        marks = QStringLiteral("paragraphs after blank lines");
    else if (indentedParagraphs)
        marks = QStringLiteral("paragraphs indented");
    else
        marks = QStringLiteral("paragraphs after sentence ends");
    return QStringLiteral("wrapped at %1 characters, %2").arg(wrapWidth).arg(marks);
}

ParagraphStyle detectParagraphStyle(QStringView text)
{
    LineCounts counts;
    const qsizetype n = text.size();
    if (n <= kReadWhole) {
        countLines(text, 0, n, counts);
    } else {
        for (int w = 0; w < kWindows; ++w) {
            const qsizetype from = (n - kWindowSize) / (kWindows - 1) * w;
            countLines(text, from, from + kWindowSize, counts);
        }
    }

    ParagraphStyle style;
    if (counts.nonBlank < kFewestLines)
        return style;
    // Wrapped prose ends most of its lines within a few characters of the width it was wrapped
    // at; verse and paragraphs of any length spread their ends over many widths.
    const int width = counts.percentile(95);
    const int band = std::max(8, width / 7);
    const qint64 nearWidth = counts.linesBetween(width - band + 1, width);
    // A wrapped line ends where the next word would not have fitted, and the next line mostly
    // goes on inside a sentence; a line of verse mostly ends where the word would have fitted,
    // and the next line starts with a capital.
    qint64 full = 0;
    for (int joined = width + 1; joined <= kLongLine; ++joined)
        full += counts.withNextWord[size_t(joined)];
    const bool verse = full * 2 < counts.followed && counts.capitalised * 2 >= counts.followed;
    if (width >= 24 && width <= 200 && nearWidth * 5 >= counts.nonBlank * 2 && !verse) {
        style.shape = ParagraphStyle::Shape::HardWrapped;
        style.wrapWidth = width;
        style.blankLineParagraphs = counts.blankRuns * 25 >= counts.nonBlank;
        style.indentedParagraphs = counts.indentStarts * 25 >= counts.nonBlank;
        return style;
    }
    const int median = counts.percentile(50);
    const bool sentences = counts.sentenceEnds * 2 >= counts.nonBlank;
    style.shape = median > 80 || (sentences && width > 100)
                      ? ParagraphStyle::Shape::OneParagraphPerLine
                      : ParagraphStyle::Shape::ShortLines;
    return style;
}
