#include "core/layout/ComplexText.h"

#include <bitset>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

bool characterNeedsShaping(char32_t c)
{
    switch (QChar::category(c)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
        return true;
    default:
        break;
    }
    switch (QChar::direction(c)) {
    case QChar::DirR:
    case QChar::DirAL:
        return true;
    default:
        break;
    }
    // Joiners, emoji modifiers and regional-indicator pairs form one glyph only when shaped.
    if (c == 0x200C || c == 0x200D || (c >= 0x1F1E6 && c <= 0x1F1FF) ||
        (c >= 0x1F3FB && c <= 0x1F3FF))
        return true;
    switch (QChar::script(c)) {
    case QChar::Script_Unknown:
    case QChar::Script_Common:
    case QChar::Script_Inherited:
    case QChar::Script_Latin:
    case QChar::Script_Greek:
    case QChar::Script_Cyrillic:
    case QChar::Script_Armenian:
    case QChar::Script_Georgian:
    case QChar::Script_Han:
    case QChar::Script_Hiragana:
    case QChar::Script_Katakana:
    case QChar::Script_Hangul:
    case QChar::Script_Bopomofo:
    case QChar::Script_Yi:
        return false;
    default:
        return true;
    }
}

// The first position at or after i whose unit is at least U+0300, or n: most books have none,
// and both scans run over the whole text at every open.
qsizetype skipBelowMarks(const char16_t *data, qsizetype i, qsizetype n)
{
#if defined(__SSE2__)
    const __m128i below = _mm_set1_epi16(0x2FF);
    for (; i + 8 <= n; i += 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + i));
        // Saturating subtraction leaves zero exactly where a unit is at most U+02FF.
        const __m128i over = _mm_subs_epu16(v, below);
        if (_mm_movemask_epi8(_mm_cmpeq_epi16(over, _mm_setzero_si128())) != 0xFFFF)
            break;
    }
#endif
    while (i < n && data[i] < 0x300)
        ++i;
    return i;
}

} // namespace

bool needsShaping(QStringView text)
{
    const qsizetype n = text.size();
    const char16_t *data = text.utf16();
    for (qsizetype i = 0; i < n; ++i) {
        // Below the combining marks nothing needs shaping: most books end here at every character.
        i = skipBelowMarks(data, i, n);
        if (i == n)
            break;
        char32_t c = data[i];
        if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(data[i + 1]))
            c = QChar::surrogateToUcs4(char16_t(c), data[++i]);
        if (characterNeedsShaping(c))
            return true;
    }
    return false;
}

std::vector<QChar::Script> scriptsOf(QStringView text)
{
    std::vector<QChar::Script> scripts;
    std::bitset<QChar::ScriptCount> seen;
    seen.set(QChar::Script_Common).set(QChar::Script_Inherited);
    const qsizetype n = text.size();
    const char16_t *data = text.utf16();
    for (qsizetype i = 0; i < n; ++i) {
        i = skipBelowMarks(data, i, n);
        if (i == n)
            break;
        char32_t c = data[i];
        if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(data[i + 1]))
            c = QChar::surrogateToUcs4(char16_t(c), data[++i]);
        const QChar::Script script = QChar::script(c);
        if (!seen.test(script)) {
            seen.set(script);
            scripts.push_back(script);
        }
    }
    return scripts;
}
