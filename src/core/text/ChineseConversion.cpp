#include "core/text/ChineseConversion.h"

#include "core/base/ParallelWork.h"

#include <opencc.h>

#include <QList>
#include <QMutex>

#include <algorithm>
#include <array>
#include <vector>

namespace {

const char *configFile(ChineseConversion to)
{
    switch (to) {
    case ChineseConversion::Simplified:
        return "t2s.json";
    case ChineseConversion::Traditional:
        return "s2t.json";
    case ChineseConversion::Taiwan:
        return "s2tw.json";
    case ChineseConversion::HongKong:
        return "s2hk.json";
    case ChineseConversion::None:
        break;
    }
    return nullptr;
}

// Loading a configuration's dictionaries takes some 50 ms: each is loaded once and kept. OpenCC
// converts through a converter it does not change, so the threads share it.
opencc_t converterFor(ChineseConversion to, QString &error)
{
    static QMutex mutex;
    static std::array<opencc_t, 5> loaded{};
    const QMutexLocker lock(&mutex);
    opencc_t &slot = loaded[static_cast<size_t>(to)];
    if (!slot) {
        const opencc_t opened = opencc_open(configFile(to));
        if (opened == reinterpret_cast<opencc_t>(-1)) {
            error = QStringLiteral("OpenCC cannot load %1: %2")
                        .arg(QString::fromLatin1(configFile(to)),
                             QString::fromUtf8(opencc_error()));
            return nullptr;
        }
        slot = opened;
    }
    return slot;
}

constexpr qsizetype kPartSize = 256 * 1024;

} // namespace

QString chineseConversionKey(ChineseConversion conversion)
{
    switch (conversion) {
    case ChineseConversion::Simplified:
        return QStringLiteral("Simplified");
    case ChineseConversion::Traditional:
        return QStringLiteral("Traditional");
    case ChineseConversion::Taiwan:
        return QStringLiteral("Taiwan");
    case ChineseConversion::HongKong:
        return QStringLiteral("Hong Kong");
    case ChineseConversion::None:
        break;
    }
    return QStringLiteral("None");
}

ChineseConversion chineseConversionFromKey(const QString &key)
{
    for (const ChineseConversion c :
         {ChineseConversion::Simplified, ChineseConversion::Traditional, ChineseConversion::Taiwan,
          ChineseConversion::HongKong}) {
        if (key.compare(chineseConversionKey(c), Qt::CaseInsensitive) == 0)
            return c;
    }
    return ChineseConversion::None;
}

ChineseConverted convertChinese(QStringView text, ChineseConversion to,
                                const std::function<void(int)> &progress, int threads)
{
    ChineseConverted result;
    if (to == ChineseConversion::None) {
        result.ok = true;
        result.text = text.toString();
        return result;
    }
    const opencc_t converter = converterFor(to, result.error);
    if (!converter)
        return result;
    // Parts end after a line break, so no phrase is cut in two.
    QList<QStringView> parts;
    for (qsizetype start = 0; start < text.size();) {
        qsizetype end = std::min(text.size(), start + kPartSize);
        if (end < text.size()) {
            const qsizetype lineEnd = text.indexOf(u'\n', end);
            end = lineEnd < 0 ? text.size() : lineEnd + 1;
        }
        parts.append(text.sliced(start, end - start));
        start = end;
    }
    // Written by the threads, one element each.
    std::vector<QString> converted(parts.size());
    std::vector<char> failed(parts.size(), 0);
    parallelFor(
        static_cast<int>(parts.size()), threads,
        [&](int k, int) {
            const QByteArray utf8 = parts[k].toUtf8();
            char *out = opencc_convert_utf8(converter, utf8.constData(), size_t(utf8.size()));
            if (!out) {
                failed[k] = 1;
                return;
            }
            converted[k] = QString::fromUtf8(out);
            opencc_convert_utf8_free(out);
        },
        [&](int done) {
            if (progress)
                progress(static_cast<int>(qint64(done) * 100 / std::max<qsizetype>(1, parts.size())));
        });
    if (std::find(failed.begin(), failed.end(), 1) != failed.end()) {
        result.error = QString::fromUtf8(opencc_error());
        return result;
    }
    qsizetype size = 0;
    for (const QString &part : converted)
        size += part.size();
    result.text.reserve(size);
    for (QString &part : converted) {
        result.text += part;
        part = QString();
    }
    result.ok = true;
    return result;
}
