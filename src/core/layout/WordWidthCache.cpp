#include "core/layout/WordWidthCache.h"

#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <unordered_map>
#include <vector>

namespace {

quint64 load4(const char16_t *s)
{
    quint64 v;
    std::memcpy(&v, s, 8);
    return v;
}

// One to three units; bytes copied one by one into a word would stall the load that follows.
quint64 loadTail(const char16_t *s, size_t k)
{
    quint64 v = s[0];
    if (k > 1)
        v |= quint64(s[1]) << 16;
    if (k > 2)
        v |= quint64(s[2]) << 32;
    return v;
}

// Words are hashed at every occurrence: eight bytes a step, no allocation, no node to chase.
quint64 hashUnits(const char16_t *s, size_t n)
{
    quint64 h = 0x9E3779B97F4A7C15ull ^ n;
    size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        h = (h ^ load4(s + i)) * 0xBF58476D1CE4E5B9ull;
        h ^= h >> 31;
    }
    if (i < n)
        h = (h ^ loadTail(s + i, n - i)) * 0x94D049BB133111EBull;
    h ^= h >> 29;
    h *= 0xBF58476D1CE4E5B9ull;
    return h ^ (h >> 32);
}

bool sameUnits(const char16_t *a, const char16_t *b, size_t n)
{
    size_t i = 0;
    for (; i + 4 <= n; i += 4)
        if (load4(a + i) != load4(b + i))
            return false;
    return i == n || loadTail(a + i, n - i) == loadTail(b + i, n - i);
}

// A slot with no word; words of this length or longer are not kept.
constexpr quint32 kEmptySlot = 0xFFFFu;

// Letters, digits, punctuation and symbols up to the end of the Cyrillic block: scripts Qt
// draws one glyph per character without shaping. Marks, controls, format characters (a soft
// hyphen) and spaces are left to the word's own measuring.
constexpr char16_t kAdditiveEnd = 0x0530;

bool additive(char16_t c)
{
    static const auto table = [] {
        std::array<bool, kAdditiveEnd> t{};
        for (char16_t u = 0x21; u < kAdditiveEnd; ++u) {
            switch (QChar(u).category()) {
            case QChar::Mark_NonSpacing:
            case QChar::Mark_SpacingCombining:
            case QChar::Mark_Enclosing:
            case QChar::Separator_Space:
            case QChar::Separator_Line:
            case QChar::Separator_Paragraph:
            case QChar::Other_Control:
            case QChar::Other_Format:
            case QChar::Other_Surrogate:
            case QChar::Other_PrivateUse:
            case QChar::Other_NotAssigned:
                break;
            default:
                t[u] = true;
            }
        }
        return t;
    }();
    return c < kAdditiveEnd && table[c];
}

} // namespace

struct WordWidthCache::Impl
{
    // Open addressing over one array; the words' characters live together in `units`.
    // Sixteen bytes, so that the table of a book's words stays in the processor's cache.
    struct Slot
    {
        double width = 0;
        quint32 offset = 0;
        quint16 length = kEmptySlot;
        quint16 tag = 0; // the hash's top bits
    };
    std::vector<Slot> table;
    std::vector<char16_t> units;
    size_t words = 0;
    std::vector<double> chars; // by UTF-16 unit, NaN until measured
    qsizetype charCount = 0;
    std::unordered_map<quint32, double> inScript; // by script and UTF-16 unit
    // The additive characters' advances near at hand, NaN until known.
    std::array<double, kAdditiveEnd> near;

    Impl() { near.fill(std::numeric_limits<double>::quiet_NaN()); }
    const WordWidthCache *base = nullptr;

    const Slot *find(const char16_t *s, size_t n, quint64 h) const
    {
        if (table.empty())
            return nullptr;
        const size_t mask = table.size() - 1;
        for (size_t i = h & mask;; i = (i + 1) & mask) {
            const Slot &slot = table[i];
            if (slot.length == kEmptySlot)
                return nullptr;
            if (slot.tag == quint16(h >> 48) && slot.length == n &&
                sameUnits(units.data() + slot.offset, s, n))
                return &slot;
        }
    }

    void insert(const char16_t *s, size_t n, quint64 h, double width)
    {
        if ((words + 1) * 2 > table.size())
            grow();
        const size_t mask = table.size() - 1;
        size_t i = h & mask;
        while (table[i].length != kEmptySlot)
            i = (i + 1) & mask;
        table[i] = {width, static_cast<quint32>(units.size()), static_cast<quint16>(n),
                    static_cast<quint16>(h >> 48)};
        units.insert(units.end(), s, s + n);
        ++words;
    }

    void grow()
    {
        std::vector<Slot> old = std::move(table);
        table.assign(std::max<size_t>(256, old.size() * 2), Slot{});
        const size_t mask = table.size() - 1;
        for (const Slot &slot : old) {
            if (slot.length == kEmptySlot)
                continue;
            // Only the top bits are kept: the rest is found again from the word.
            size_t i = hashUnits(units.data() + slot.offset, slot.length) & mask;
            while (table[i].length != kEmptySlot)
                i = (i + 1) & mask;
            table[i] = slot;
        }
    }

    double knownChar(char16_t c) const
    {
        if (base && !base->impl->chars.empty() && !std::isnan(base->impl->chars[c]))
            return base->impl->chars[c];
        return chars.empty() ? std::numeric_limits<double>::quiet_NaN() : chars[c];
    }
};

WordWidthCache::WordWidthCache() : impl(std::make_unique<Impl>()) {}
WordWidthCache::~WordWidthCache() = default;

double WordWidthCache::width(QStringView word, const TextMeasurer &measurer)
{
    const auto *s = reinterpret_cast<const char16_t *>(word.utf16());
    const auto n = static_cast<size_t>(word.size());
    if (n == 0 || n >= kEmptySlot)
        return measurer.advance(word);
    // Adding a few advances from a small table costs less than hashing the word.
    if (measurer.widthsAddUp()) {
        double sum = 0;
        size_t i = 0;
        for (; i < n && additive(s[i]); ++i) {
            double &w = impl->near[s[i]];
            if (std::isnan(w))
                w = charWidth(QChar(s[i]), measurer);
            sum += w;
        }
        if (i == n)
            return sum;
    }
    const quint64 h = hashUnits(s, n);
    if (impl->base) {
        if (const Impl::Slot *slot = impl->base->impl->find(s, n, h))
            return slot->width;
    }
    if (const Impl::Slot *slot = impl->find(s, n, h))
        return slot->width;
    const double w = measurer.advance(word);
    impl->insert(s, n, h, w);
    return w;
}

double WordWidthCache::charWidth(QChar c, const TextMeasurer &measurer)
{
    const double known = impl->knownChar(c.unicode());
    if (!std::isnan(known))
        return known;
    if (impl->chars.empty())
        impl->chars.assign(0x10000, std::numeric_limits<double>::quiet_NaN());
    const double w = measurer.advance(QStringView(&c, 1));
    impl->chars[c.unicode()] = w;
    ++impl->charCount;
    return w;
}

double WordWidthCache::charWidthAfter(QChar c, QChar context, const TextMeasurer &measurer)
{
    const quint32 key = (static_cast<quint32>(context.script()) << 16) | c.unicode();
    if (impl->base) {
        const auto &shared = impl->base->impl->inScript;
        auto it = shared.find(key);
        if (it != shared.end())
            return it->second;
    }
    auto it = impl->inScript.find(key);
    if (it != impl->inScript.end())
        return it->second;
    const QChar pair[] = {context, c};
    const double w = measurer.advance(QStringView(pair, 2)) - charWidth(context, measurer);
    impl->inScript.emplace(key, w);
    return w;
}

void WordWidthCache::clear()
{
    impl->table.clear();
    impl->units.clear();
    impl->words = 0;
    impl->chars.clear();
    impl->charCount = 0;
    impl->inScript.clear();
    impl->near.fill(std::numeric_limits<double>::quiet_NaN());
}

qsizetype WordWidthCache::size() const
{
    return static_cast<qsizetype>(impl->words + impl->inScript.size()) + impl->charCount;
}

void WordWidthCache::setBase(const WordWidthCache *base)
{
    impl->base = base;
}

void WordWidthCache::takeFrom(const WordWidthCache &other)
{
    const Impl &o = *other.impl;
    for (const Impl::Slot &slot : o.table) {
        if (slot.length == kEmptySlot)
            continue;
        const char16_t *s = o.units.data() + slot.offset;
        const quint64 h = hashUnits(s, slot.length);
        if (!impl->find(s, slot.length, h))
            impl->insert(s, slot.length, h, slot.width);
    }
    if (!o.chars.empty()) {
        for (size_t c = 0; c < o.chars.size(); ++c) {
            if (std::isnan(o.chars[c]))
                continue;
            if (impl->chars.empty())
                impl->chars.assign(0x10000, std::numeric_limits<double>::quiet_NaN());
            if (std::isnan(impl->chars[c])) {
                impl->chars[c] = o.chars[c];
                ++impl->charCount;
            }
        }
    }
    for (const auto &[key, w] : o.inScript)
        impl->inScript.emplace(key, w);
}
