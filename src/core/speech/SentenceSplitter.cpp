#include "core/speech/SentenceSplitter.h"

#include <QChar>

#include <algorithm>
#include <array>

namespace {

bool isLineEnd(QChar c)
{
    return c == u'\n' || c == u'\r' || c == QChar::ParagraphSeparator || c == QChar::LineSeparator;
}

bool isBlank(QChar c)
{
    return c.isSpace() && !isLineEnd(c);
}

// Ends a sentence only with a blank, a line end or a closing quote after it.
bool isSpacedTerminator(QChar c)
{
    return c == u'.' || c == u'!' || c == u'?' || c == u'\u2026' || c == u'\u061F' ||
           c == u'\u06D4' || c == u'\u0964' || c == u'\u0965';
}

// Full-width marks of scripts written without blanks: they end a sentence by themselves.
bool isCjkTerminator(QChar c)
{
    return c == u'\u3002' || c == u'\uFF01' || c == u'\uFF1F' || c == u'\uFF0E';
}

bool isClosing(QChar c)
{
    switch (c.unicode()) {
    case u'"':
    case u'\'':
    case u')':
    case u']':
    case u'\u00BB': // »
    case u'\u2019': // ’
    case u'\u201D': // ”
    case u'\u203A': // ›
    case u'\u300D': // 」
    case u'\u300F': // 』
    case u'\uFF09': // ）
    case u'\u3011': // 】
    case u'\u300B': // 》
        return true;
    default:
        return c.category() == QChar::Punctuation_FinalQuote ||
               c.category() == QChar::Punctuation_Close;
    }
}

bool isCutMark(QChar c)
{
    return c == u',' || c == u';' || c == u':' || c == u'\uFF0C' || c == u'\u3001' ||
           c == u'\uFF1B' || c == u'\u060C';
}

// Words whose full stop is part of the word. Compared without case for the short forms that
// begin a sentence as often as not.
constexpr std::array kAbbreviations = {u"Mr",  u"Mrs", u"Ms",     u"Dr",  u"Prof", u"St",  u"Jr",
                                       u"Sr",  u"Mt",  u"Capt",   u"Col", u"Gen",  u"Lt",  u"Sgt",
                                       u"Rev", u"Hon", u"Gov",    u"Fig", u"vs",   u"cf",  u"e.g",
                                       u"i.e", u"viz", u"approx", u"al",  u"z.B",  u"d.h", u"usw",
                                       u"bzw", u"Mme", u"Mlle",   u"Sra", u"Dra",  u"т.е", u"т.д"};

// The word that ends just before the full stop at `dot`: letters and inner full stops.
QStringView wordBefore(QStringView text, qsizetype dot)
{
    qsizetype b = dot;
    while (b > 0 &&
           (text[b - 1].isLetter() || (text[b - 1] == u'.' && b - 1 > 0 && text[b - 2].isLetter())))
        --b;
    return text.mid(b, dot - b);
}

bool isAbbreviation(QStringView word)
{
    if (word.isEmpty())
        return false;
    // An initial: "J. R. R. Tolkien"; not "I", which ends sentences.
    if (word.size() == 1 && word[0].isUpper() && word[0] != u'I')
        return true;
    for (const char16_t *a : kAbbreviations) {
        const QStringView known(a);
        const QStringView bare = known.endsWith(u'.') ? known.chopped(1) : known;
        if (word == bare || word.compare(bare, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

// Whether the terminator run [from, to) followed by closing marks up to `after` ends a sentence.
bool endsSentence(QStringView text, qsizetype runStart, qsizetype runEnd, qsizetype after)
{
    const qsizetype n = text.size();
    if (after < n && !isBlank(text[after]) && !isLineEnd(text[after]))
        return false;
    // A lone full stop may belong to an abbreviation or an initial.
    if (runEnd - runStart == 1 && text[runStart] == u'.' &&
        isAbbreviation(wordBefore(text, runStart)))
        return false;
    // After full stops or an ellipsis a lower-case word goes on with the sentence ("approx. five",
    // "wait... what").
    const bool stopsOnly = std::all_of(text.begin() + runStart, text.begin() + runEnd,
                                       [](QChar c) { return c == u'.' || c == u'\u2026'; });
    qsizetype next = after;
    while (next < n && isBlank(text[next]))
        ++next;
    return !(stopsOnly && next < n && next > after && text[next].isLower());
}

// Where a too long sentence [from, from + maxLength) is cut: after its last comma or blank in
// the second half, else after its last one anywhere, else at the limit.
qsizetype cutPoint(QStringView text, qsizetype from, qsizetype maxLength)
{
    const qsizetype limit = from + maxLength;
    const qsizetype half = from + maxLength / 2;
    for (const auto &accept :
         {+[](QChar c) { return isCutMark(c); }, +[](QChar c) { return isBlank(c); }}) {
        for (qsizetype i = limit - 1; i > half; --i) {
            if (accept(text[i]))
                return i + 1;
        }
    }
    for (qsizetype i = limit - 1; i > from; --i) {
        if (isCutMark(text[i]) || isBlank(text[i]))
            return i + 1;
    }
    qsizetype cut = limit;
    if (text[cut - 1].isHighSurrogate() && cut < text.size() && text[cut].isLowSurrogate())
        --cut;
    return cut;
}

} // namespace

std::vector<SentenceSpan> splitSentences(QStringView text, qsizetype maxLength)
{
    maxLength = std::max<qsizetype>(maxLength, 2);
    std::vector<SentenceSpan> out;
    const qsizetype n = text.size();
    const auto addSentence = [&](qsizetype from, qsizetype to) {
        while (from < to && text[from].isSpace())
            ++from;
        while (to > from && text[to - 1].isSpace())
            --to;
        if (to > from)
            out.push_back({from, to - from});
    };
    qsizetype start = 0;
    qsizetype i = 0;
    while (i < n) {
        // Blanks before a sentence belong to no sentence and count towards no length.
        if (i == start && text[i].isSpace()) {
            start = ++i;
            continue;
        }
        if (i - start >= maxLength) {
            const qsizetype cut = cutPoint(text, start, maxLength);
            addSentence(start, cut);
            start = i = cut;
            continue;
        }
        const QChar c = text[i];
        if (isLineEnd(c)) {
            addSentence(start, i);
            start = ++i;
            continue;
        }
        if (isSpacedTerminator(c) || isCjkTerminator(c)) {
            qsizetype runEnd = i + 1;
            bool cjk = isCjkTerminator(c);
            while (runEnd < n &&
                   (isSpacedTerminator(text[runEnd]) || isCjkTerminator(text[runEnd]))) {
                cjk = cjk || isCjkTerminator(text[runEnd]);
                ++runEnd;
            }
            qsizetype after = runEnd;
            while (after < n && isClosing(text[after]))
                ++after;
            // A closing quote after the stop ends the sentence whatever follows it.
            const bool quoted = after > runEnd;
            if (cjk || (quoted && text[runEnd - 1] != u'.') ||
                endsSentence(text, i, runEnd, after) ||
                (quoted && !isAbbreviation(wordBefore(text, i)))) {
                if (after - start > maxLength) {
                    i = start + maxLength; // cut by length first
                    continue;
                }
                addSentence(start, after);
                start = i = after;
                continue;
            }
            i = after;
            continue;
        }
        ++i;
    }
    addSentence(start, n);
    return out;
}
