#include "LineBreakRemoval.h"

#include <bitset>
#include <limits>

namespace {

bool isBlank(char16_t c)
{
    return c == u'\r' || c == u'\n' || c == u' ';
}

// s[cr] is the CR of a break that is being removed, with text before it and a character after
// its LF.
bool joinsWithoutSpace(const char16_t *s, qsizetype cr)
{
    const char16_t before = s[cr - 1];
    if (before == u' ' || s[cr + 2] == u' ')
        return true;
    if (before != u'-')
        return false;
    // A hyphen attached to a word ("exam-") keeps the halves together; a dash after a space
    // ("word -") does not.
    qsizetype i = cr - 2;
    while (i >= 0 && s[i] == u'-')
        --i;
    return i >= 0 && s[i] != u' ';
}

} // namespace

void RemoveSingleLineBreaks(QString &text, const LineBreakRules &rules,
                            const std::function<void(int percent)> &progress)
{
    const qsizetype n = text.size();
    if (n < 3)
        return;

    std::bitset<0x10000> marks;
    if (rules.keepAfterPunctuation) {
        for (const QChar c : rules.punctuationMarks)
            marks.set(c.unicode());
    }

    QString joined(n, Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(joined.data());
    const char16_t *s = reinterpret_cast<const char16_t *>(text.constData());
    qsizetype k = 0;
    bool armed = false;

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

        const char16_t c = s[i];
        if (armed && c == u'\r' && s[i + 1] == u'\n') {
            const char16_t next = s[i + 2];
            const bool indented = next == u' ' || next == u'\t';
            if (next == u'\r' || (rules.keepBeforeIndent && indented)) {
                // The LF follows through the unarmed path below.
                out[k++] = c;
                armed = false;
                ++i;
                continue;
            }
            if (!joinsWithoutSpace(s, i))
                out[k++] = u' ';
            i += 2;
            continue;
        }

        out[k++] = c;
        if (!isBlank(c))
            armed = true;
        if (marks.test(c))
            armed = false;
        ++i;
    }
    while (i < n)
        out[k++] = s[i++];

    joined.truncate(k);
    text = std::move(joined);
    if (progress)
        progress(100);
}
