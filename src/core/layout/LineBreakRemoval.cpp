#include "core/layout/LineBreakRemoval.h"

#include "core/layout/LineFitter.h"

#include <QChar>

#include <algorithm>
#include <bitset>
#include <cstring>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

bool isBlank(char16_t c)
{
    return c == u'\r' || c == u'\n' || c == u' ';
}

// What lies behind the scan in the input, which the joined text overwrites as it goes.
struct InputBehind
{
    char16_t last = 0;     // the input character just passed
    char16_t lastLead = 0; // the first unit of the character just passed: last, or its high surrogate
    bool passedAny = false;
    bool hasBeforeRun = false; // a character precedes the current run of hyphens
    char16_t beforeRun = 0;

    void pass(char16_t c)
    {
        if (c == u'-' && !(passedAny && last == u'-')) {
            hasBeforeRun = passedAny;
            beforeRun = last;
        }
        lastLead = QChar::isLowSurrogate(c) && QChar::isHighSurrogate(last) ? last : c;
        last = c;
        passedAny = true;
    }
};

// What passing s[from..to) one character at a time does to the scan's state; none is a CR.
void passRun(const char16_t *s, qsizetype from, qsizetype to, const std::bitset<0x10000> &marks,
             InputBehind &behind, bool &armed)
{
    for (qsizetype j = to; j-- > from;) {
        if (marks.test(s[j])) {
            armed = false;
            break;
        }
        if (!isBlank(s[j])) {
            armed = true;
            break;
        }
    }
    if (s[to - 1] == u'-') {
        qsizetype h = to - 1;
        while (h > from && s[h - 1] == u'-')
            --h;
        if (h > from) {
            behind.hasBeforeRun = true;
            behind.beforeRun = s[h - 1];
        } else if (!(behind.passedAny && behind.last == u'-')) {
            behind.hasBeforeRun = behind.passedAny;
            behind.beforeRun = behind.last;
        }
    }
    const char16_t previous = to - 1 > from ? s[to - 2] : behind.last;
    behind.lastLead =
        QChar::isLowSurrogate(s[to - 1]) && QChar::isHighSurrogate(previous) ? previous : s[to - 1];
    behind.last = s[to - 1];
    behind.passedAny = true;
}

// A removed break after text, with `next` the character after its LF.
bool joinsWithoutSpace(const InputBehind &behind, char16_t next)
{
    const char16_t before = behind.last;
    if (before == u' ' || next == u' ')
        return true;
    // Han, kana, Thai and the like are written without spaces between words.
    if (needsLineBreakRules(QChar(behind.lastLead)) && needsLineBreakRules(QChar(next)))
        return true;
    if (before != u'-')
        return false;
    // A hyphen attached to a word ("exam-") keeps the halves together; a dash after a space
    // ("word -") does not.
    return behind.hasBeforeRun && behind.beforeRun != u' ';
}

// The first CR at or after `from` and before `to`, or `to`.
qsizetype findCr(const char16_t *s, qsizetype from, qsizetype to)
{
    qsizetype i = from;
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi16('\r');
    for (; i + 8 <= to; i += 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + i));
        const int mask = _mm_movemask_epi8(_mm_cmpeq_epi16(v, cr));
        if (mask)
            return i + __builtin_ctz(static_cast<unsigned>(mask)) / 2;
    }
#endif
    while (i < to && s[i] != u'\r')
        ++i;
    return i;
}

// Whether the line before the break at `cr` ends short of the limit: its last `length`
// characters, written already, end at out[k - 1]; the next line starts at s[cr + 2].
bool endsShortLine(const char16_t *out, qsizetype k, qsizetype length, const char16_t *s,
                   qsizetype cr, qsizetype n, int limit)
{
    while (length > 0 && out[k - 1] == u' ') {
        --k;
        --length;
    }
    qsizetype room = limit - length - 1;
    if (room < 0)
        return false;
    for (qsizetype j = cr + 2; j < n && s[j] != u' ' && s[j] != u'\t' && s[j] != u'\r'; ++j) {
        if (--room < 0)
            return false;
    }
    return true;
}

} // namespace

void RemoveSingleLineBreaks(QString &text, const LineBreakRules &rules,
                            const std::function<void(int percent)> &progress,
                            std::vector<qsizetype> *joins)
{
    const qsizetype n = text.size();
    if (n < 3)
        return;

    std::bitset<0x10000> marks;
    if (rules.keepAfterPunctuation) {
        for (const QChar c : rules.punctuationMarks)
            marks.set(c.unicode());
    }

    // The joined text is never longer, so it is written over the text itself: a book of
    // hundreds of megabytes must not exist twice. Writing stays at or behind reading.
    char16_t *s = reinterpret_cast<char16_t *>(text.data());
    char16_t *out = s;
    InputBehind behind;
    qsizetype k = 0;
    bool armed = false;
    qsizetype lineStart = 0; // where the input line being read began

    // Progress falls on the 1-based positions that are multiples of n / 10; a position skipped
    // with a removed break misses its step.
    const qsizetype step = n > 10 ? n / 10 : 0;
    qsizetype nextMark = step > 0 ? step : std::numeric_limits<qsizetype>::max();
    int percent = 0;

    qsizetype i = 0;
    while (i <= n - 3) {
        const qsizetype position = i + 1;
        if (position >= nextMark) {
            // Short texts have more multiples than ten; the count stops at 100.
            if (position == nextMark && percent < 100) {
                percent += 10;
                if (progress)
                    progress(percent);
            }
            nextMark = (position / step + 1) * step;
        }

        // A run without CR up to the next progress position is copied whole: what the scan
        // keeps of it is only its last characters.
        if (s[i] != u'\r' && position < nextMark) {
            const qsizetype r = findCr(s, i, std::min(n - 2, nextMark - 1));
            if (r > i) {
                passRun(s, i, r, marks, behind, armed);
                if (k != i)
                    std::memmove(out + k, s + i, static_cast<size_t>(r - i) * sizeof(char16_t));
                k += r - i;
                i = r;
                continue;
            }
        }

        const char16_t c = s[i];
        if (armed && c == u'\r' && s[i + 1] == u'\n') {
            const char16_t next = s[i + 2];
            // An ideographic space indents East Asian paragraphs.
            const bool indented = next == u' ' || next == u'\t' || next == u'\u3000';
            const bool shortLine =
                rules.shortLineLimit > 0 &&
                endsShortLine(out, k, i - lineStart, s, i, n, rules.shortLineLimit);
            lineStart = i + 2;
            if (next == u'\r' || (rules.keepBeforeIndent && indented) || shortLine) {
                // The LF follows through the unarmed path below.
                out[k++] = c;
                behind.pass(c);
                armed = false;
                ++i;
                continue;
            }
            const qsizetype joinedAt = k;
            if (!joinsWithoutSpace(behind, next))
                out[k++] = u' ';
            if (joins)
                joins->push_back(joinedAt * 2 + (k - joinedAt));
            behind.pass(u'\r');
            behind.pass(u'\n');
            i += 2;
            continue;
        }

        out[k++] = c;
        behind.pass(c);
        if (c == u'\r' && s[i + 1] == u'\n')
            lineStart = i + 2;
        if (!isBlank(c))
            armed = true;
        if (marks.test(c))
            armed = false;
        ++i;
    }
    while (i < n)
        out[k++] = s[i++];

    text.truncate(k);
    if (progress)
        progress(100);
}
