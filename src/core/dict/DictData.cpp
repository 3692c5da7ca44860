#include "core/dict/DictData.h"

#include <QFileInfo>

#include <zlib.h>

namespace {

quint16 le16(const uchar *p)
{
    return quint16(p[0] | (p[1] << 8));
}

} // namespace

bool DictData::open(const QString &path, QString &error)
{
    file.setFileName(path);
    // A pipe or a device under a dictionary's name would block the reading for good.
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("cannot read ") + path;
        return false;
    }
    fileSize = file.size();
    bytes = fileSize > 0 ? file.map(0, fileSize) : nullptr;
    if (fileSize > 0 && !bytes) {
        error = QStringLiteral("cannot map ") + path;
        return false;
    }
    zipped = path.endsWith(QLatin1String(".dz"));
    if (!zipped) {
        totalSize = quint64(fileSize);
        return true;
    }
    return readChunkTable(error);
}

// gzip header (RFC 1952) whose extra field holds the "RA" subfield: version, chunk length,
// chunk count and the compressed size of every chunk.
bool DictData::readChunkTable(QString &error)
{
    error = QStringLiteral("not a dictzip file");
    if (fileSize < 18 || bytes[0] != 0x1f || bytes[1] != 0x8b || bytes[2] != 8)
        return false;
    const uchar flags = bytes[3];
    if (!(flags & 4))
        return false;
    const qint64 extraLength = le16(bytes + 10);
    qint64 pos = 12;
    const qint64 extraEnd = pos + extraLength;
    if (extraEnd > fileSize)
        return false;
    bool found = false;
    while (pos + 4 <= extraEnd) {
        const qint64 length = le16(bytes + pos + 2);
        const qint64 data = pos + 4;
        if (data + length > extraEnd)
            return false;
        if (bytes[pos] == 'R' && bytes[pos + 1] == 'A' && length >= 6) {
            chunkLength = le16(bytes + data + 2);
            const qint64 count = le16(bytes + data + 4);
            if (chunkLength == 0 || count == 0 || 6 + 2 * count > length) {
                error = QStringLiteral("bad chunk table");
                return false;
            }
            chunkStarts.clear();
            chunkStarts.reserve(count + 1);
            qint64 start = 0;
            for (qint64 i = 0; i < count; ++i) {
                chunkStarts.push_back(start);
                start += le16(bytes + data + 6 + 2 * i);
            }
            chunkStarts.push_back(start);
            found = true;
        }
        pos = data + length;
    }
    if (!found)
        return false;
    pos = extraEnd;
    for (uchar flag : {uchar(8), uchar(16)}) { // file name, comment: NUL-terminated
        if (!(flags & flag))
            continue;
        while (pos < fileSize && bytes[pos] != 0)
            ++pos;
        ++pos;
    }
    if (flags & 2)
        pos += 2;
    for (qint64 &start : chunkStarts)
        start += pos;
    // The gzip trailer (CRC and size, 8 bytes) follows the last chunk.
    if (chunkStarts.back() + 8 > fileSize) {
        error = QStringLiteral("truncated (the chunk table reaches past the end)");
        return false;
    }
    const qsizetype last = qsizetype(chunkStarts.size()) - 2;
    const auto tail = chunk(last, error);
    if (!tail)
        return false;
    totalSize = quint64(last) * chunkLength + quint64(tail->size());
    error.clear();
    return true;
}

std::optional<QByteArray> DictData::chunk(qsizetype index, QString &error) const
{
    {
        const std::lock_guard lock(cacheLock);
        if (index == cachedIndex)
            return cached;
    }
    const qint64 start = chunkStarts[index];
    const qint64 end = chunkStarts[index + 1];
    QByteArray out(chunkLength, Qt::Uninitialized);
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) {
        error = QStringLiteral("zlib failed");
        return std::nullopt;
    }
    stream.next_in = const_cast<uchar *>(bytes + start);
    stream.avail_in = uInt(end - start);
    stream.next_out = reinterpret_cast<Bytef *>(out.data());
    stream.avail_out = chunkLength;
    // Every chunk ends at a full flush, so it inflates on its own.
    const int rc = inflate(&stream, Z_SYNC_FLUSH);
    const uInt produced = chunkLength - stream.avail_out;
    const bool lastChunk = index + 2 == qsizetype(chunkStarts.size());
    inflateEnd(&stream);
    if ((rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR) ||
        (!lastChunk && produced != chunkLength) || (lastChunk && produced == 0)) {
        error = QStringLiteral("chunk %1 does not inflate").arg(index);
        return std::nullopt;
    }
    out.truncate(produced);
    const std::lock_guard lock(cacheLock);
    cachedIndex = index;
    cached = out;
    return out;
}

std::optional<QByteArray> DictData::read(quint64 offset, quint32 length, QString &error) const
{
    if (offset > totalSize || length > totalSize - offset) {
        error = QStringLiteral("an entry lies outside the definitions (%1 + %2 > %3)")
                    .arg(offset)
                    .arg(length)
                    .arg(totalSize);
        return std::nullopt;
    }
    if (!zipped)
        return QByteArray(reinterpret_cast<const char *>(bytes + offset), length);
    QByteArray result;
    result.reserve(length);
    quint64 at = offset;
    const quint64 end = offset + length;
    while (at < end) {
        const qsizetype index = qsizetype(at / chunkLength);
        const auto piece = chunk(index, error);
        if (!piece)
            return std::nullopt;
        const quint64 within = at - quint64(index) * chunkLength;
        const quint64 take = std::min<quint64>(end - at, quint64(piece->size()) - within);
        if (within >= quint64(piece->size())) {
            error = QStringLiteral("chunk %1 is short").arg(index);
            return std::nullopt;
        }
        result.append(piece->constData() + within, qsizetype(take));
        at += take;
    }
    return result;
}
