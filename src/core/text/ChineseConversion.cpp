#include "core/text/ChineseConversion.h"

#include "core/base/ParallelWork.h"

#include <opencc.h>
#include <opencc/Config.hpp>
#include <opencc/Conversion.hpp>
#include <opencc/ConversionChain.hpp>
#include <opencc/Converter.hpp>
#include <opencc/Dict.hpp>
#include <opencc/Lexicon.hpp>
#include <opencc/MaxMatchSegmentation.hpp>

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

// A configuration's converter, and every character any of its dictionaries has in a key. A
// character outside that set is never part of a match in any step, so the runs of characters in
// it can be converted alone: OpenCC then sees a third to a half of a Chinese text.
struct Loaded
{
    opencc_t converter = nullptr;
    std::vector<bool> keyCharacters; // by code point
};

void addKeyCharacters(const opencc::DictPtr &dict, std::vector<bool> &set)
{
    if (!dict)
        return;
    // Kept here: a dictionary group makes its lexicon anew for every call.
    const opencc::LexiconPtr lexicon = dict->GetLexicon();
    for (const auto &entry : *lexicon) {
        const QString key = QString::fromStdString(entry->Key());
        for (const char32_t c : key.toUcs4())
            if (c < set.size())
                set[c] = true;
    }
}

// Loading a configuration's dictionaries takes some 50 ms: each is loaded once and kept. OpenCC
// converts through a converter it does not change, so the threads share it.
const Loaded *converterFor(ChineseConversion to, QString &error)
{
    static QMutex mutex;
    static std::array<Loaded, 5> loaded{};
    const QMutexLocker lock(&mutex);
    Loaded &slot = loaded[static_cast<size_t>(to)];
    if (!slot.converter) {
        const opencc_t opened = opencc_open(configFile(to));
        if (opened == reinterpret_cast<opencc_t>(-1)) {
            error = QStringLiteral("OpenCC cannot load %1: %2")
                        .arg(QString::fromLatin1(configFile(to)),
                             QString::fromUtf8(opencc_error()));
            return nullptr;
        }
        try {
            opencc::Config config;
            const opencc::ConverterPtr converter = config.NewFromFile(configFile(to));
            std::vector<bool> keys(0x110000, false);
            const auto segmentation = std::dynamic_pointer_cast<opencc::MaxMatchSegmentation>(
                converter->GetSegmentation());
            addKeyCharacters(segmentation ? segmentation->GetDict() : nullptr, keys);
            for (const opencc::ConversionPtr &step : converter->GetConversionChain()->GetConversions())
                addKeyCharacters(step->GetDict(), keys);
            // Without the segmentation's dictionary nothing says which runs are safe to cut.
            if (segmentation)
                slot.keyCharacters = std::move(keys);
        } catch (const std::exception &) {
            slot.keyCharacters.clear();
        }
        slot.converter = opened;
    }
    return &slot;
}

QString convertWhole(opencc_t converter, QStringView text, bool &failed)
{
    const QByteArray utf8 = text.toUtf8();
    char *out = opencc_convert_utf8(converter, utf8.constData(), size_t(utf8.size()));
    if (!out) {
        failed = true;
        return {};
    }
    QString converted = QString::fromUtf8(out);
    opencc_convert_utf8_free(out);
    return converted;
}

// Only the runs of key characters go through OpenCC, one line each.
QString convertRuns(const Loaded &loaded, QStringView text, bool &failed)
{
    const std::vector<bool> &keys = loaded.keyCharacters;
    if (keys.empty())
        return convertWhole(loaded.converter, text, failed);
    QList<std::pair<qsizetype, qsizetype>> runs; // start, length
    QString joined;
    const auto isKey = [&](qsizetype i, qsizetype &width) {
        char32_t c = text[i].unicode();
        width = 1;
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            width = 2;
        }
        return c != u'\n' && keys[c];
    };
    for (qsizetype i = 0; i < text.size();) {
        qsizetype width = 1;
        if (!isKey(i, width)) {
            i += width;
            continue;
        }
        const qsizetype start = i;
        while (i < text.size() && isKey(i, width))
            i += width;
        runs.append({start, i - start});
        joined += text.mid(start, i - start);
        joined += u'\n';
    }
    if (runs.isEmpty())
        return text.toString();
    const QString converted = convertWhole(loaded.converter, joined, failed);
    const QList<QStringView> pieces = QStringView(converted).split(u'\n');
    if (failed || pieces.size() != runs.size() + 1)
        return convertWhole(loaded.converter, text, failed);
    QString result;
    result.reserve(text.size() + 16);
    qsizetype done = 0;
    for (qsizetype k = 0; k < runs.size(); ++k) {
        result += text.mid(done, runs[k].first - done);
        result += pieces[k];
        done = runs[k].first + runs[k].second;
    }
    result += text.mid(done);
    return result;
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
    const Loaded *loaded = converterFor(to, result.error);
    if (!loaded)
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
            bool failedHere = false;
            converted[k] = convertRuns(*loaded, parts[k], failedHere);
            failed[k] = failedHere ? 1 : 0;
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
