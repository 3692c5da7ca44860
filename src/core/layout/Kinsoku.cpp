#include "core/layout/Kinsoku.h"

#include <array>

namespace {

using K = KinsokuClass;

struct Range
{
    char16_t from, to; // inclusive
    K cls;
};

// Later entries override earlier ones.
constexpr Range kRanges[] = {
    {u'0', u'9', K::Letter},
    {u'A', u'Z', K::Letter},
    {u'a', u'z', K::Letter},
    {0x3041, 0x3096, K::Ideograph}, // hiragana
    {0x30A1, 0x30FA, K::Ideograph}, // katakana
    {0x3400, 0x4DBF, K::Ideograph},
    {0x4E00, 0x9FFF, K::Ideograph},
    {0xFF10, 0xFF19, K::Ideograph}, // fullwidth digits and letters break like ideographs
    {0xFF21, 0xFF3A, K::Ideograph},
    {0xFF41, 0xFF5A, K::Ideograph},
    {0x2014, 0x2014, K::Dash},
    {0x2018, 0x2019, K::Quote},
    {0x201C, 0x201D, K::Quote},
    {0x2025, 0x2026, K::Closing},
    {0x3001, 0x3002, K::Closing},
    {0x3005, 0x3005, K::Closing},
    {0x3008, 0x3008, K::Opening},
    {0x3009, 0x3009, K::Closing},
    {0x300A, 0x300A, K::Opening},
    {0x300B, 0x300B, K::Closing},
    {0x300C, 0x300C, K::Opening},
    {0x300D, 0x300D, K::Closing},
    {0x300E, 0x300E, K::Opening},
    {0x300F, 0x300F, K::Closing},
    {0x3010, 0x3010, K::Opening},
    {0x3011, 0x3011, K::Closing},
    {0x3014, 0x3014, K::Opening},
    {0x3015, 0x3015, K::Closing},
    {0x3016, 0x3016, K::Opening},
    {0x3017, 0x3017, K::Closing},
    {0x301D, 0x301D, K::Opening},
    {0x301E, 0x301F, K::Closing},
    {0x303B, 0x303B, K::Closing},
    // Small kana and the marks that continue a syllable.
    {0x3041, 0x3041, K::Closing},
    {0x3043, 0x3043, K::Closing},
    {0x3045, 0x3045, K::Closing},
    {0x3047, 0x3047, K::Closing},
    {0x3049, 0x3049, K::Closing},
    {0x3063, 0x3063, K::Closing},
    {0x3083, 0x3083, K::Closing},
    {0x3085, 0x3085, K::Closing},
    {0x3087, 0x3087, K::Closing},
    {0x308E, 0x308E, K::Closing},
    {0x3095, 0x3096, K::Closing},
    {0x309B, 0x309E, K::Closing},
    {0x30A1, 0x30A1, K::Closing},
    {0x30A3, 0x30A3, K::Closing},
    {0x30A5, 0x30A5, K::Closing},
    {0x30A7, 0x30A7, K::Closing},
    {0x30A9, 0x30A9, K::Closing},
    {0x30C3, 0x30C3, K::Closing},
    {0x30E3, 0x30E3, K::Closing},
    {0x30E5, 0x30E5, K::Closing},
    {0x30E7, 0x30E7, K::Closing},
    {0x30EE, 0x30EE, K::Closing},
    {0x30F5, 0x30F6, K::Closing},
    {0x30FB, 0x30FE, K::Closing},
    {0xFF01, 0xFF01, K::Closing},
    {0xFF08, 0xFF08, K::Opening},
    {0xFF09, 0xFF09, K::Closing},
    {0xFF0C, 0xFF0C, K::Closing},
    {0xFF0E, 0xFF0E, K::Closing},
    {0xFF1A, 0xFF1B, K::Closing},
    {0xFF1F, 0xFF1F, K::Closing},
    {0xFF3B, 0xFF3B, K::Opening},
    {0xFF3D, 0xFF3D, K::Closing},
    {0xFF5B, 0xFF5B, K::Opening},
    {0xFF5D, 0xFF5D, K::Closing},
};

const std::array<K, 0x10000> &table()
{
    static const std::array<K, 0x10000> t = [] {
        std::array<K, 0x10000> built{};
        for (const Range &r : kRanges)
            for (char32_t c = r.from; c <= r.to; ++c)
                built[c] = r.cls;
        return built;
    }();
    return t;
}

bool breaksBetween(K a, K b)
{
    if (a == K::Opening || b == K::Closing || a == K::Quote || b == K::Quote)
        return false;
    return !(a == b && (a == K::Dash || a == K::Letter));
}

constexpr int kClasses = int(K::Letter) + 1;

// breaksBetween by pairs, looked up in the loop over every character of a book.
const std::array<std::array<bool, kClasses>, kClasses> &pairTable()
{
    static const auto t = [] {
        std::array<std::array<bool, kClasses>, kClasses> built{};
        for (int a = 0; a < kClasses; ++a)
            for (int b = 0; b < kClasses; ++b)
                built[a][b] = breaksBetween(K(a), K(b));
        return built;
    }();
    return t;
}

} // namespace

KinsokuClass kinsokuClassOf(char16_t c)
{
    return table()[c];
}

bool kinsokuUnitEnds(QStringView run, qsizetype offset, std::vector<qsizetype> &ends)
{
    const auto &t = table();
    const auto &pairs = pairTable();
    const qsizetype n = run.size();
    if (n == 0)
        return true;
    const char16_t *s = run.utf16();
    const size_t start = ends.size();
    ends.reserve(start + size_t(n));
    K previous = t[s[0]];
    if (previous == K::Other)
        return false;
    for (qsizetype i = 1; i < n; ++i) {
        const K k = t[s[i]];
        if (k == K::Other) {
            ends.resize(start);
            return false;
        }
        if (pairs[int(previous)][int(k)])
            ends.push_back(offset + i);
        previous = k;
    }
    ends.push_back(offset + n);
    return true;
}
