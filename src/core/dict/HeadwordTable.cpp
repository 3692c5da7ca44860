#include "core/dict/HeadwordTable.h"

#include <algorithm>

namespace {

bool isAscii(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; });
}

void appendFolded(QByteArray &out, QByteArrayView utf8)
{
    if (isAscii(utf8)) {
        for (char c : utf8)
            out.append(c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c);
        return;
    }
    out.append(QString::fromUtf8(utf8).toCaseFolded().toUtf8());
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
    if (!std::is_sorted(table.begin(), table.end(), less))
        std::stable_sort(table.begin(), table.end(), less);
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
