#include "core/dict/StarDictDictionary.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <zlib.h>

namespace {

quint32 be32(const char *p)
{
    const auto *u = reinterpret_cast<const uchar *>(p);
    return (quint32(u[0]) << 24) | (quint32(u[1]) << 16) | (quint32(u[2]) << 8) | quint32(u[3]);
}

// The whole of a gzip file, no larger than limit.
std::optional<QByteArray> gunzip(const QByteArray &packed, qint64 limit)
{
    z_stream stream{};
    if (inflateInit2(&stream, 16 + MAX_WBITS) != Z_OK)
        return std::nullopt;
    QByteArray out;
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(packed.constData()));
    stream.avail_in = uInt(packed.size());
    int rc = Z_OK;
    while (rc == Z_OK) {
        const qsizetype had = out.size();
        if (had >= limit)
            break;
        out.resize(had + (1 << 16));
        stream.next_out = reinterpret_cast<Bytef *>(out.data() + had);
        stream.avail_out = 1 << 16;
        rc = inflate(&stream, Z_NO_FLUSH);
        out.resize(out.size() - stream.avail_out);
    }
    inflateEnd(&stream);
    if (rc != Z_STREAM_END)
        return std::nullopt;
    return out;
}

QString markupToText(QString text)
{
    static const QRegularExpression breaks(QStringLiteral("<br\\s*/?>|</p>|</div>|</li>"),
                                           QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression tags(QStringLiteral("<[^>]*>"));
    text.replace(breaks, QStringLiteral("\n"));
    text.remove(tags);
    text.replace(QLatin1String("&lt;"), QLatin1String("<"));
    text.replace(QLatin1String("&gt;"), QLatin1String(">"));
    text.replace(QLatin1String("&quot;"), QLatin1String("\""));
    text.replace(QLatin1String("&apos;"), QLatin1String("'"));
    text.replace(QLatin1String("&nbsp;"), QLatin1String(" "));
    text.replace(QLatin1String("&amp;"), QLatin1String("&"));
    return text;
}

QString fieldText(char type, QByteArrayView bytes)
{
    const QString text = QString::fromUtf8(bytes);
    switch (type) {
    case 'm':
    case 'l':
    case 'y':
    case 'k':
    case 'w':
        return text;
    case 't':
        return u'[' + text + u']';
    case 'g':
    case 'x':
    case 'h':
        return markupToText(text);
    default:
        return QString(); // resources, pictures, sounds
    }
}

} // namespace

QString starDictEntryText(const QByteArray &data, const QString &sameTypeSequence)
{
    QStringList parts;
    qsizetype pos = 0;
    const qsizetype n = data.size();
    const QByteArray types = sameTypeSequence.toLatin1();
    for (qsizetype field = 0; pos < n; ++field) {
        char type;
        bool last = false;
        if (!types.isEmpty()) {
            if (field >= types.size())
                break;
            type = types[field];
            last = field + 1 == types.size();
        } else {
            type = data[pos++];
        }
        QByteArrayView bytes;
        qsizetype next;
        if (last) {
            bytes = QByteArrayView(data).sliced(pos);
            next = n;
        } else if (QChar::isUpper(uchar(type))) {
            if (pos + 4 > n)
                break;
            const qsizetype size = std::min<qsizetype>(be32(data.constData() + pos), n - pos - 4);
            bytes = QByteArrayView(data).sliced(pos + 4, size);
            next = pos + 4 + size;
        } else {
            qsizetype end = data.indexOf('\0', pos);
            if (end < 0)
                end = n;
            bytes = QByteArrayView(data).sliced(pos, end - pos);
            next = end + 1;
        }
        pos = next;
        const QString text = fieldText(type, bytes).trimmed();
        if (!text.isEmpty())
            parts.append(text);
    }
    return parts.join(u'\n');
}

bool StarDictDictionary::readIfo(QHash<QString, QString> &ifo, QString &error)
{
    QFile file(path(QStringLiteral(".ifo")));
    if (!QFileInfo(file.fileName()).isFile() || !file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("no readable .ifo file");
        return false;
    }
    const QList<QByteArray> lines = file.read(1 << 20).split('\n');
    if (lines.isEmpty() || !lines.first().trimmed().startsWith("StarDict's dict ifo file")) {
        error = QStringLiteral("not a StarDict .ifo file");
        return false;
    }
    for (const QByteArray &line : lines) {
        const qsizetype eq = line.indexOf('=');
        if (eq > 0)
            ifo.insert(QString::fromUtf8(line.first(eq)).trimmed(),
                       QString::fromUtf8(line.sliced(eq + 1)).trimmed());
    }
    return true;
}

bool StarDictDictionary::readIndex(QString &error)
{
    QHash<QString, QString> ifo;
    if (!readIfo(ifo, error))
        return false;
    title = ifo.value(QStringLiteral("bookname"));
    sameTypeSequence = ifo.value(QStringLiteral("sametypesequence"));
    if (const QString lang = ifo.value(QStringLiteral("lang")); !lang.isEmpty()) {
        const QLocale::Language fromIfo = languageOfDictionaryName(lang);
        if (fromIfo != QLocale::AnyLanguage)
            language = fromIfo;
    }
    bool countOk = false;
    const qint64 wordCount = ifo.value(QStringLiteral("wordcount")).toLongLong(&countOk);
    bool sizeOk = false;
    const qint64 idxSize = ifo.value(QStringLiteral("idxfilesize")).toLongLong(&sizeOk);
    if (!countOk || !sizeOk || wordCount <= 0 || idxSize <= 0) {
        error = QStringLiteral("the .ifo file gives no word count or index size");
        return false;
    }
    const int offsetBytes = ifo.value(QStringLiteral("idxoffsetbits")) == QLatin1String("64") ? 8 : 4;
    if (!openData(error))
        return false;

    QByteArray idx;
    QFile plain(path(QStringLiteral(".idx")));
    QFile packed(path(QStringLiteral(".idx.gz")));
    if (QFileInfo(plain.fileName()).isFile() && plain.open(QIODevice::ReadOnly)) {
        idx = plain.readAll();
    } else if (QFileInfo(packed.fileName()).isFile() && packed.open(QIODevice::ReadOnly)) {
        const auto unpacked = gunzip(packed.readAll(), idxSize + 1);
        if (!unpacked) {
            error = QStringLiteral("the .idx.gz file does not unpack");
            return false;
        }
        idx = *unpacked;
    } else {
        error = QStringLiteral("no readable .idx file");
        return false;
    }
    if (idx.size() != idxSize) {
        error = QStringLiteral("the .idx file has %1 bytes, the .ifo file says %2")
                    .arg(idx.size())
                    .arg(idxSize);
        return false;
    }

    std::vector<std::pair<quint64, quint32>> places;
    std::vector<QByteArrayView> mainWords;
    places.reserve(size_t(wordCount));
    mainWords.reserve(size_t(wordCount));
    table.reserve(wordCount, idx.size());
    const char *p = idx.constData();
    const qsizetype n = idx.size();
    for (qsizetype pos = 0; pos < n;) {
        const auto *nul = static_cast<const char *>(memchr(p + pos, 0, size_t(n - pos)));
        if (!nul || (nul - p) + 1 + offsetBytes + 4 > n) {
            error = QStringLiteral("the .idx file is cut short");
            return false;
        }
        const QByteArrayView word(p + pos, nul - (p + pos));
        pos = (nul - p) + 1;
        quint64 offset = be32(p + pos);
        if (offsetBytes == 8)
            offset = (offset << 32) | be32(p + pos + 4);
        const quint32 size = be32(p + pos + offsetBytes);
        pos += offsetBytes + 4;
        table.add(word, offset, size);
        places.emplace_back(offset, size);
        mainWords.push_back(word);
    }
    if (qint64(places.size()) != wordCount) {
        error = QStringLiteral("the .idx file has %1 words, the .ifo file says %2")
                    .arg(places.size())
                    .arg(wordCount);
        return false;
    }

    QFile syn(path(QStringLiteral(".syn")));
    if (QFileInfo(syn.fileName()).isFile() && syn.open(QIODevice::ReadOnly)) {
        const QByteArray bytes = syn.readAll();
        const char *s = bytes.constData();
        const qsizetype m = bytes.size();
        for (qsizetype pos = 0; pos < m;) {
            const auto *nul = static_cast<const char *>(memchr(s + pos, 0, size_t(m - pos)));
            if (!nul || (nul - s) + 5 > m) {
                error = QStringLiteral("the .syn file is cut short");
                return false;
            }
            const QByteArrayView word(s + pos, nul - (s + pos));
            const quint32 target = be32(nul + 1);
            pos = (nul - s) + 5;
            if (target >= places.size()) {
                error = QStringLiteral("the .syn file names entry %1 of %2")
                            .arg(target)
                            .arg(places.size());
                return false;
            }
            // Found by the other word, shown under the entry's own.
            table.add(word, mainWords[target], places[target].first, places[target].second);
        }
    }
    return true;
}

QString StarDictDictionary::definitionText(const QByteArray &bytes) const
{
    return starDictEntryText(bytes, sameTypeSequence);
}
