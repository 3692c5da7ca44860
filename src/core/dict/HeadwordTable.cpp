#include "core/dict/HeadwordTable.h"

#include <algorithm>

namespace {

void appendFolded(QByteArray &out, QByteArrayView utf8)
{
    // ASCII and the Latin-1 letters (U+00C0..U+00DE, two bytes each) fold here: most headwords
    // of the European dictionaries are no more, and QString's folding costs a conversion.
    const qsizetype n = utf8.size();
    bool simple = true;
    for (qsizetype i = 0; i < n && simple; ++i) {
        const uchar c = uchar(utf8[i]);
        if (c >= 0x80)
            simple = c == 0xC3 && i + 1 < n && uchar(utf8[++i]) >= 0x80 && uchar(utf8[i]) < 0xC0;
    }
    if (!simple) {
        out.append(QString::fromUtf8(utf8).toCaseFolded().toUtf8());
        return;
    }
    const qsizetype at = out.size();
    out.resize(at + n);
    char *d = out.data() + at;
    for (qsizetype i = 0; i < n; ++i) {
        const char c = utf8[i];
        if (c >= 'A' && c <= 'Z') {
            *d++ = char(c - 'A' + 'a');
        } else if (uchar(c) == 0xC3) {
            const uchar next = uchar(utf8[++i]);
            *d++ = c;
            // U+00C0..U+00DE without U+00D7 (the multiplication sign)
            *d++ = char(next >= 0x80 && next <= 0x9E && next != 0x97 ? next + 0x20 : next);
        } else {
            *d++ = c;
        }
    }
}

} // namespace

QByteArray foldHeadword(QByteArrayView utf8)
{
    QByteArray out;
    out.reserve(utf8.size());
    appendFolded(out, utf8);
    return out;
}

void HeadwordTable::add(QByteArrayView headword, QByteArrayView shown, quint64 offset,
                        quint32 length)
{
    Entry entry;
    entry.offset = offset;
    entry.length = length;
    entry.keyStart = quint32(keys.size());
    appendFolded(keys, headword);
    entry.keyLength = quint32(keys.size()) - entry.keyStart;
    if (QByteArrayView(keys.constData() + entry.keyStart, entry.keyLength) != shown) {
        entry.wordStart = quint32(words.size());
        entry.wordLength = quint32(shown.size());
        words.append(shown.data(), shown.size());
    }
    table.push_back(entry);
}

void HeadwordTable::finish()
{
    const auto less = [this](const Entry &a, const Entry &b) { return key(a) < key(b); };
    if (!std::is_sorted(table.begin(), table.end(), less)) {
        // Sorted by the first eight bytes of the key, compared as one number, and by the whole
        // key only where those agree: a dictionary of half a million words sorts in a third of
        // the time. The position breaks ties, so one word's entries keep the file's order.
        struct Sortable
        {
            quint64 prefix;
            quint32 position;
        };
        std::vector<Sortable> order(table.size());
        for (size_t i = 0; i < table.size(); ++i) {
            quint64 prefix = 0;
            const QByteArrayView k = key(table[i]);
            for (qsizetype b = 0; b < 8; ++b)
                prefix = (prefix << 8) | (b < k.size() ? uchar(k[b]) : 0);
            order[i] = {prefix, quint32(i)};
        }
        std::sort(order.begin(), order.end(), [this](const Sortable &a, const Sortable &b) {
            if (a.prefix != b.prefix)
                return a.prefix < b.prefix;
            const QByteArrayView ka = key(table[a.position]);
            const QByteArrayView kb = key(table[b.position]);
            if (ka != kb)
                return ka < kb;
            return a.position < b.position;
        });
        // The entries move to their places within the table, one cycle of the permutation
        // after another: a sorted copy beside it would cost tens of megabytes more at start.
        constexpr quint32 kPlaced = 0xffffffffu;
        for (size_t i = 0; i < order.size(); ++i) {
            if (order[i].position == kPlaced)
                continue;
            const Entry first = table[i];
            size_t at = i;
            for (;;) {
                const size_t from = order[at].position;
                order[at].position = kPlaced;
                if (from == i) {
                    table[at] = first;
                    break;
                }
                table[at] = table[from];
                at = from;
            }
        }
    }
    keys.squeeze();
    words.squeeze();
}

std::span<const HeadwordTable::Entry> HeadwordTable::find(QByteArrayView utf8Word) const
{
    const QByteArray folded = foldHeadword(utf8Word);
    const QByteArrayView wanted(folded);
    const auto [first, last] = std::equal_range(
        table.begin(), table.end(), wanted,
        [this](const auto &a, const auto &b) {
            if constexpr (std::is_same_v<std::decay_t<decltype(a)>, Entry>)
                return key(a) < b;
            else
                return a < key(b);
        });
    return std::span<const Entry>(first, last);
}

QString HeadwordTable::headword(const Entry &entry) const
{
    if (entry.wordLength == 0)
        return QString::fromUtf8(key(entry));
    return QString::fromUtf8(words.constData() + entry.wordStart, entry.wordLength);
}
