#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <mutex>
#include <optional>
#include <vector>

// The definitions file of a dictionary: plain (.dict) or dictzip (.dict.dz), whose chunk table
// lets one entry be inflated without unpacking what comes before it. Safe to read from several
// threads.
class DictData
{
public:
    // False with the reason in error when the file is missing, unreadable or damaged.
    bool open(const QString &path, QString &error);
    // The bytes [offset, offset + length) of the uncompressed text; nothing (and error set) when
    // they lie outside it or a chunk does not inflate.
    std::optional<QByteArray> read(quint64 offset, quint32 length, QString &error) const;
    quint64 size() const { return totalSize; }

private:
    bool readChunkTable(QString &error);
    std::optional<QByteArray> chunk(qsizetype index, QString &error) const;

    QFile file;
    const uchar *bytes = nullptr;
    qint64 fileSize = 0;
    bool zipped = false;
    quint32 chunkLength = 0;
    std::vector<qint64> chunkStarts; // where each chunk starts in the file, then the end
    quint64 totalSize = 0;

    // The chunk read last: neighbouring entries mostly share it.
    mutable std::mutex cacheLock;
    mutable qsizetype cachedIndex = -1;
    mutable QByteArray cached;
};
