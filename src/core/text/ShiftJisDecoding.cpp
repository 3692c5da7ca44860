#include "core/text/ShiftJisDecoding.h"

#include "core/base/ParallelWork.h"

#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace {

// No byte sequence of Windows-31J decodes to U+FFFF, a noncharacter.
constexpr char16_t kNone = 0xFFFF;
constexpr int kFirstTrail = 0x40;
constexpr int kLastTrail = 0xFC;
// Parts smaller than this cost more to start than they save.
constexpr qsizetype kPartBytes = 256 * 1024;

struct Table
{
    std::array<char16_t, 256> single{}; // kNone for lead bytes and bytes that are no character
    std::array<short, 256> row{};       // the lead byte's row in pairs, -1 for other bytes
    std::vector<std::array<char16_t, 256>> pairs;
    bool usable = false;
};

QString converted(QByteArrayView bytes, bool &error)
{
    QStringDecoder decoder("windows-31j", QStringDecoder::Flag::Stateless);
    if (!decoder.isValid()) {
        error = true;
        return {};
    }
    QString text = decoder.decode(bytes);
    error = decoder.hasError();
    return text;
}

// A cell the converter decodes on its own, or kNone.
char16_t convertedPair(unsigned char lead, unsigned char trail)
{
    const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
    bool error = false;
    const QString text = converted(QByteArrayView(bytes, 2), error);
    return !error && text.size() == 1 ? text[0].unicode() : kNone;
}

Table buildTable()
{
    Table table;
    table.single.fill(kNone);
    table.row.fill(-1);
    for (int b = 0; b < 256; ++b) {
        const char byte = static_cast<char>(b);
        bool error = false;
        const QString text = converted(QByteArrayView(&byte, 1), error);
        if (!error && text.size() == 1 && text[0].unicode() != kNone) {
            table.single[b] = text[0].unicode();
        } else if (error && text.isEmpty()) {
            // The converter waits for a second byte.
            table.row[b] = static_cast<short>(table.pairs.size());
            table.pairs.emplace_back();
            table.pairs.back().fill(kNone);
        }
    }
    // A whole row is asked for at once; a cell the converter cannot decode comes back as a
    // substitute, and a row that does not come back one character a cell is asked cell by cell.
    for (int lead = 0; lead < 256; ++lead) {
        if (table.row[lead] < 0)
            continue;
        std::array<char16_t, 256> &cells = table.pairs[table.row[lead]];
        QByteArray row;
        for (int trail = kFirstTrail; trail <= kLastTrail; ++trail) {
            if (trail != 0x7F) {
                row += static_cast<char>(lead);
                row += static_cast<char>(trail);
            }
        }
        bool error = false;
        const QString text = converted(row, error);
        if (text.size() * 2 != row.size()) {
            for (int trail = kFirstTrail; trail <= kLastTrail; ++trail)
                if (trail != 0x7F)
                    cells[trail] = convertedPair(lead, trail);
            continue;
        }
        qsizetype k = 0;
        for (int trail = kFirstTrail; trail <= kLastTrail; ++trail) {
            if (trail == 0x7F)
                continue;
            const char16_t c = text[k++].unicode();
            if (c != QChar::ReplacementCharacter && c != 0x1A)
                cells[trail] = c;
        }
    }
    table.usable = !table.pairs.empty();
    return table;
}

const Table &table()
{
    static const Table built = buildTable();
    return built;
}

// The units written, or -1 at a byte the table does not decode.
qsizetype decodePart(const Table &t, const unsigned char *p, qsizetype n, char16_t *out)
{
    char16_t *w = out;
    qsizetype i = 0;
    while (i < n) {
        const unsigned char b = p[i];
        if (const char16_t c = t.single[b]; c != kNone) {
            *w++ = c;
            ++i;
            continue;
        }
        const short row = t.row[b];
        if (row < 0 || i + 1 >= n)
            return -1;
        const char16_t c = t.pairs[row][p[i + 1]];
        if (c == kNone)
            return -1;
        *w++ = c;
        i += 2;
    }
    return w - out;
}

} // namespace

bool decodeShiftJisQuickly(QByteArrayView bytes, QString &out, int threads)
{
    const Table &t = table();
    if (!t.usable)
        return false;
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    const qsizetype n = bytes.size();
    // No character has a line feed as its second byte: a part starts after one.
    const qsizetype parts = threads > 1 ? std::clamp<qsizetype>(n / kPartBytes, 1, threads) : 1;
    std::vector<qsizetype> starts = {0};
    for (qsizetype k = 1; k < parts; ++k) {
        const qsizetype lf = bytes.indexOf('\n', n * k / parts);
        if (lf < 0)
            break;
        if (lf + 1 > starts.back() && lf + 1 < n)
            starts.push_back(lf + 1);
    }
    starts.push_back(n);
    const int count = static_cast<int>(starts.size() - 1);
    // Every byte gives at most one unit: each part is written where its bytes begin.
    QString text(n, Qt::Uninitialized);
    auto *units = reinterpret_cast<char16_t *>(text.data());
    std::vector<qsizetype> written(static_cast<size_t>(count), -1);
    const auto decode = [&](int k, int) {
        written[k] = decodePart(t, p + starts[k], starts[k + 1] - starts[k], units + starts[k]);
    };
    if (count > 1)
        parallelFor(count, threads, decode);
    else
        decode(0, 0);
    qsizetype length = 0;
    for (int k = 0; k < count; ++k) {
        if (written[k] < 0)
            return false;
        if (length != starts[k])
            std::memmove(units + length, units + starts[k], written[k] * sizeof(char16_t));
        length += written[k];
    }
    text.truncate(length);
    // Two bytes a character leave half the room unused; a book keeps its text for the session.
    if (length < n - n / 4)
        text.squeeze();
    out = std::move(text);
    return true;
}
