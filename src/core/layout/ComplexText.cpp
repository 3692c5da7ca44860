#include "core/layout/ComplexText.h"

#include <array>
#include <atomic>
#include <bitset>
#include <memory>
#include <mutex>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

namespace {

using Class = quint16; // the script, and whether the character needs shaping
constexpr Class kShapingBit = 0x8000;
static_assert(QChar::ScriptCount < kShapingBit);

// Qt's property look-ups cost tens of instructions a character, paid over every character of
// a Chinese or Thai book at each open; a table of a plane costs 128 KB once.
using PlaneTable = std::array<Class, 0x10000>;

// Planes 0 to 3 hold every script's letters; those above (tags, private use) are asked of Qt.
constexpr int kTabledPlanes = 4;

std::unique_ptr<PlaneTable> buildPlane(int plane)
{
    auto table = std::make_unique<PlaneTable>();
    const char32_t base = char32_t(plane) << 16;
    for (char32_t u = 0; u < 0x10000; ++u) {
        const char32_t c = base + u;
        (*table)[u] = Class(QChar::script(c)) | (characterNeedsShaping(c) ? kShapingBit : 0);
    }
    return table;
}

const PlaneTable &planeTable(int plane)
{
    static std::array<std::atomic<const PlaneTable *>, kTabledPlanes> tables{};
    static std::mutex building;
    const PlaneTable *table = tables[plane].load(std::memory_order_acquire);
    if (table)
        return *table;
    std::lock_guard lock(building);
    table = tables[plane].load(std::memory_order_acquire);
    if (!table) {
        table = buildPlane(plane).release(); // kept for the life of the process
        tables[plane].store(table, std::memory_order_release);
    }
    return *table;
}

Class classOf(char32_t c)
{
    const int plane = int(c >> 16);
    if (plane < kTabledPlanes)
        return planeTable(plane)[c & 0xFFFF];
    return Class(QChar::script(c)) | (characterNeedsShaping(c) ? kShapingBit : 0);
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

// Calls visit(class, position) for every character from U+0300 up until it returns false.
template <typename Visit> void classify(QStringView text, Visit &&visit)
{
    const qsizetype n = text.size();
    const char16_t *data = text.utf16();
    const PlaneTable &bmp = planeTable(0);
    qsizetype i = 0;
    while (i < n) {
        i = skipBelowMarks(data, i, n);
        // Texts in other scripts stay above U+0300 for long runs: looked up a unit at a time
        // until the next unit below.
        for (; i < n && data[i] >= 0x300; ++i) {
            const char16_t u = data[i];
            const qsizetype at = i;
            Class cls;
            if (QChar::isHighSurrogate(u) && i + 1 < n && QChar::isLowSurrogate(data[i + 1])) {
                cls = classOf(QChar::surrogateToUcs4(u, data[i + 1]));
                ++i;
            } else {
                cls = bmp[u];
            }
            if (!visit(cls, at))
                return;
        }
    }
}

struct ScriptCollector
{
    std::vector<QChar::Script> scripts;
    std::vector<qsizetype> firstAt;
    std::bitset<QChar::ScriptCount> seen;
    Class last;

    ScriptCollector() : last(Class(QChar::Script_Common))
    {
        seen.set(QChar::Script_Common).set(QChar::Script_Inherited);
    }
    void add(Class cls, qsizetype at)
    {
        const Class script = cls & ~kShapingBit;
        if (script == last)
            return;
        last = script;
        if (!seen.test(script)) {
            seen.set(script);
            scripts.push_back(QChar::Script(script));
            firstAt.push_back(at);
        }
    }
};

} // namespace

CharScript charScriptOf(char32_t c)
{
    const Class cls = classOf(c);
    return {QChar::Script(cls & ~kShapingBit), (cls & kShapingBit) != 0};
}

bool needsShaping(QStringView text)
{
    bool shaping = false;
    classify(text, [&shaping](Class cls, qsizetype) {
        shaping = (cls & kShapingBit) != 0;
        return !shaping;
    });
    return shaping;
}

std::vector<QChar::Script> scriptsOf(QStringView text)
{
    ScriptCollector collector;
    classify(text, [&collector](Class cls, qsizetype at) {
        collector.add(cls, at);
        return true;
    });
    return std::move(collector.scripts);
}

TextScripts textScriptsOf(QStringView text)
{
    TextScripts result;
    ScriptCollector collector;
    Class any = 0;
    classify(text, [&](Class cls, qsizetype at) {
        any |= cls;
        collector.add(cls, at);
        return true;
    });
    result.shaping = (any & kShapingBit) != 0;
    result.scripts = std::move(collector.scripts);
    result.firstAt = std::move(collector.firstAt);
    return result;
}
