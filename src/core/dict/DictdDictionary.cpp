#include "core/dict/DictdDictionary.h"

#include <QFile>
#include <QFileInfo>

std::optional<quint64> decodeDictdNumber(QByteArrayView digits)
{
    // Eleven digits would pass 64 bits; no dictionary comes near.
    if (digits.isEmpty() || digits.size() > 10)
        return std::nullopt;
    quint64 value = 0;
    for (char c : digits) {
        int digit;
        if (c >= 'A' && c <= 'Z')
            digit = c - 'A';
        else if (c >= 'a' && c <= 'z')
            digit = c - 'a' + 26;
        else if (c >= '0' && c <= '9')
            digit = c - '0' + 52;
        else if (c == '+')
            digit = 62;
        else if (c == '/')
            digit = 63;
        else
            return std::nullopt;
        value = value * 64 + quint64(digit);
    }
    return value;
}

namespace {

bool isInfoHeadword(QByteArrayView word)
{
    return word.startsWith("00-database-") || word.startsWith("00database");
}

} // namespace

bool DictdDictionary::readIndex(QString &error)
{
    if (!openData(error))
        return false;
    QFile file(path(QStringLiteral(".index")));
    if (!QFileInfo(file.fileName()).isFile() || !file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("no readable .index file");
        return false;
    }
    const qint64 size = file.size();
    const uchar *mapped = size > 0 ? file.map(0, size) : nullptr;
    if (!mapped) {
        error = QStringLiteral("empty .index file");
        return false;
    }
    const QByteArrayView all(reinterpret_cast<const char *>(mapped), size);
    table.reserve(size / 24, size / 2);
    std::optional<HeadwordTable::Entry> shortName;
    qsizetype lineNumber = 0;
    for (qsizetype pos = 0; pos < all.size();) {
        qsizetype end = all.indexOf('\n', pos);
        if (end < 0)
            end = all.size();
        QByteArrayView line = all.sliced(pos, end - pos);
        pos = end + 1;
        ++lineNumber;
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty())
            continue;
        const qsizetype tab1 = line.indexOf('\t');
        const qsizetype tab2 = tab1 < 0 ? -1 : line.indexOf('\t', tab1 + 1);
        if (tab2 < 0) {
            error = QStringLiteral(".index line %1 is cut short").arg(lineNumber);
            return false;
        }
        qsizetype tab3 = line.indexOf('\t', tab2 + 1);
        const QByteArrayView word = line.first(tab1);
        const auto offset = decodeDictdNumber(line.sliced(tab1 + 1, tab2 - tab1 - 1));
        const auto length = decodeDictdNumber(
            line.sliced(tab2 + 1, (tab3 < 0 ? line.size() : tab3) - tab2 - 1));
        if (!offset || !length || *length > 0xffffffffu) {
            error = QStringLiteral(".index line %1 has no valid offset").arg(lineNumber);
            return false;
        }
        if (isInfoHeadword(word)) {
            if (word == "00-database-short" || word == "00databaseshort")
                shortName = HeadwordTable::Entry{*offset, quint32(*length), 0, 0, 0, 0};
            continue;
        }
        // A fourth column keeps the headword as written where the first is normalised.
        table.add(tab3 < 0 ? word : line.sliced(tab3 + 1), *offset, quint32(*length));
    }
    if (table.size() == 0) {
        error = QStringLiteral("no headwords in the .index file");
        return false;
    }
    if (shortName) {
        QString ignored;
        if (const auto bytes = data.read(shortName->offset, shortName->length, ignored)) {
            // "00-database-short\n     The Collaborative International Dictionary ..."
            for (const QByteArray &nameLine : bytes->split('\n')) {
                const QString trimmed = QString::fromUtf8(nameLine).trimmed();
                if (!trimmed.isEmpty() && !trimmed.startsWith(QLatin1String("00-database")) &&
                    !trimmed.startsWith(QLatin1String("00database"))) {
                    title = trimmed;
                    break;
                }
            }
        }
    }
    return true;
}

QString DictdDictionary::definitionText(const QByteArray &bytes) const
{
    return QString::fromUtf8(bytes).trimmed();
}
