#pragma once

#include "TestSupport.h"

#include <QByteArray>
#include <QString>

#include <utility>
#include <vector>

#include <zlib.h>

// Small dictionaries in both formats, written by the tests themselves.
namespace dictfiles {

using Entries = std::vector<std::pair<QByteArray, QByteArray>>; // headword, definition

inline QByteArray dictdNumber(quint64 value)
{
    static const char digits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    QByteArray out;
    do {
        out.prepend(digits[value % 64]);
        value /= 64;
    } while (value);
    return out;
}

// A dictzip file: one deflate stream with a full flush after every chunk, its sizes in the
// "RA" field of the gzip header.
inline QByteArray dictzip(const QByteArray &text, int chunkLength)
{
    z_stream stream{};
    deflateInit2(&stream, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    QByteArray body;
    std::vector<quint16> sizes;
    for (qsizetype at = 0; at < text.size() || sizes.empty(); at += chunkLength) {
        const QByteArray piece = text.mid(at, chunkLength);
        const bool last = at + chunkLength >= text.size();
        QByteArray out(chunkLength * 2 + 64, '\0');
        stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(piece.constData()));
        stream.avail_in = uInt(piece.size());
        stream.next_out = reinterpret_cast<Bytef *>(out.data());
        stream.avail_out = uInt(out.size());
        deflate(&stream, last ? Z_FINISH : Z_FULL_FLUSH);
        out.truncate(out.size() - stream.avail_out);
        sizes.push_back(quint16(out.size()));
        body += out;
    }
    deflateEnd(&stream);
    const auto le16 = [](QByteArray &b, quint32 v) {
        b.append(char(v & 0xff));
        b.append(char((v >> 8) & 0xff));
    };
    QByteArray ra;
    le16(ra, 1);
    le16(ra, quint32(chunkLength));
    le16(ra, quint32(sizes.size()));
    for (quint16 s : sizes)
        le16(ra, s);
    QByteArray header("\x1f\x8b\x08\x04\0\0\0\0\x02\x03", 10);
    le16(header, quint32(ra.size() + 4));
    header += "RA";
    le16(header, quint32(ra.size()));
    header += ra;
    const quint32 crc = quint32(crc32(0, reinterpret_cast<const Bytef *>(text.constData()),
                                      uInt(text.size())));
    QByteArray trailer;
    le16(trailer, crc & 0xffff);
    le16(trailer, crc >> 16);
    le16(trailer, quint32(text.size()) & 0xffff);
    le16(trailer, quint32(text.size()) >> 16);
    return header + body + trailer;
}

// NAME.index and NAME.dict.dz (or NAME.dict when chunkLength is 0) in folder; the first entry
// is the dictionary's title, as dictfmt writes it.
inline void writeDictd(const QString &folder, const QString &name, const QByteArray &title,
                       const Entries &entries, int chunkLength = 64)
{
    QByteArray data;
    QByteArray index;
    const auto add = [&](const QByteArray &word, const QByteArray &text) {
        index += word + '\t' + dictdNumber(quint64(data.size())) + '\t' +
                 dictdNumber(quint64(text.size())) + '\n';
        data += text;
    };
    add("00-database-short", "00-database-short\n     " + title + "\n");
    for (const auto &[word, text] : entries)
        add(word, word + "\n  " + text + "\n");
    writeFileBytes(folder + u'/' + name + QStringLiteral(".index"), index);
    if (chunkLength > 0)
        writeFileBytes(folder + u'/' + name + QStringLiteral(".dict.dz"), dictzip(data, chunkLength));
    else
        writeFileBytes(folder + u'/' + name + QStringLiteral(".dict"), data);
}

inline QByteArray be32(quint32 v)
{
    QByteArray b;
    for (int shift : {24, 16, 8, 0})
        b.append(char((v >> shift) & 0xff));
    return b;
}

// NAME.ifo, NAME.idx, NAME.syn (synonym, headword index) and NAME.dict.dz (or .dict) with the
// definitions as "m" fields.
inline void writeStarDict(const QString &folder, const QString &name, const QByteArray &title,
                          const Entries &entries,
                          const std::vector<std::pair<QByteArray, quint32>> &synonyms = {},
                          int chunkLength = 64)
{
    QByteArray data;
    QByteArray idx;
    for (const auto &[word, text] : entries) {
        idx += word + '\0' + be32(quint32(data.size())) + be32(quint32(text.size()));
        data += text;
    }
    QByteArray ifo = "StarDict's dict ifo file\nversion=2.4.2\nbookname=" + title +
                     "\nwordcount=" + QByteArray::number(qulonglong(entries.size())) +
                     "\nidxfilesize=" + QByteArray::number(idx.size()) +
                     "\nsametypesequence=m\n";
    if (!synonyms.empty()) {
        QByteArray syn;
        for (const auto &[word, target] : synonyms)
            syn += word + '\0' + be32(target);
        writeFileBytes(folder + u'/' + name + QStringLiteral(".syn"), syn);
        ifo += "synwordcount=" + QByteArray::number(qulonglong(synonyms.size())) + "\n";
    }
    writeFileBytes(folder + u'/' + name + QStringLiteral(".ifo"), ifo);
    writeFileBytes(folder + u'/' + name + QStringLiteral(".idx"), idx);
    if (chunkLength > 0)
        writeFileBytes(folder + u'/' + name + QStringLiteral(".dict.dz"), dictzip(data, chunkLength));
    else
        writeFileBytes(folder + u'/' + name + QStringLiteral(".dict"), data);
}

} // namespace dictfiles
