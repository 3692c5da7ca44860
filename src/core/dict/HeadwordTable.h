#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <span>
#include <vector>

// The case-folded form that headwords are compared in (UTF-8 in, UTF-8 out).
QByteArray foldHeadword(QByteArrayView utf8);

// Headwords of one dictionary sorted by their folded form, each with where its definition is:
// found by binary search whatever order the file kept them in (dictd and StarDict sort
// differently, and not all tools sort alike).
class HeadwordTable
{
public:
    struct Entry
    {
        quint64 offset = 0;
        quint32 length = 0;
        quint32 keyStart = 0;
        quint32 keyLength = 0;
        quint32 wordStart = 0;
        quint32 wordLength = 0; // 0: the headword is its folded key
    };

    void reserve(qsizetype entries, qsizetype keyBytes)
    {
        table.reserve(size_t(entries));
        keys.reserve(keyBytes);
    }
    void add(QByteArrayView headword, quint64 offset, quint32 length)
    {
        add(headword, headword, offset, length);
    }
    // An entry found by key and shown as shown.
    void add(QByteArrayView key, QByteArrayView shown, quint64 offset, quint32 length);
    // Sorts; entries of one key keep the order they were added in.
    void finish();
    // Every entry whose folded headword is the folded word.
    std::span<const Entry> find(QByteArrayView utf8Word) const;
    QString headword(const Entry &entry) const;
    qsizetype size() const { return qsizetype(table.size()); }
    std::span<const Entry> entries() const { return table; }

private:
    QByteArrayView key(const Entry &entry) const
    {
        return QByteArrayView(keys.constData() + entry.keyStart, entry.keyLength);
    }
    QByteArray keys;
    QByteArray words;
    std::vector<Entry> table;
};
