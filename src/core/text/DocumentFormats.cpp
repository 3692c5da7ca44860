#include "core/text/DocumentFormats.h"

#include "core/text/CharacterScan.h"
#include "core/text/CodePages.h"
#include "core/text/PlainTextDecoding.h"
#include "core/text/RtfToText.h"
#include "core/text/TvxUtils.h"

#include <QFileInfo>

#include <algorithm>

QString upperExtension(const QString &fileName)
{
    const QString name = QFileInfo(fileName).fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot < 0)
        return {};
    return name.mid(dot).toUpper();
}

namespace {

void trimInPlace(QString &writable)
{
    const QString &text = writable;
    qsizetype first = 0;
    const qsizetype n = text.size();
    while (first < n && (text[first] == u'\r' || text[first] == u'\n'))
        ++first;
    qsizetype last = n;
    while (last > first) {
        const QChar c = text[last - 1];
        if (c != u'\r' && c != u'\n' && c != u'\t' && c != u' ')
            break;
        --last;
    }
    writable.truncate(last);
    writable.remove(0, first);
}

bool isBreakOtherThanCr(QChar c)
{
    return c == u'\n' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
}

// Every CR, LF, CR LF and Unicode line or paragraph separator becomes CR LF within the text's
// own buffer: a book of hundreds of megabytes must not exist twice while it opens. The page
// control breaks lines at the separators too, so the line fitter has to see them as breaks. A
// final break is not added; trimming would drop it again.
void crLfLineEndsInPlace(QString &text)
{
    // Nearly every book has CR LF throughout already: one quick pass says so.
    const QStringView view(text);
    qsizetype at = 0;
    for (;;) {
        at = indexOfAnyOf4(view, at, u'\r', u'\n', QChar::LineSeparator, QChar::ParagraphSeparator);
        if (at == view.size())
            return;
        if (view[at] != u'\r' || at + 1 == view.size() || view[at + 1] != u'\n')
            break;
        at += 2;
    }
    // CR CR LF, left by converting line ends twice, is one break; the text only shrinks.
    if (text.contains(QStringView(u"\r\r\n")))
        text.replace(QStringLiteral("\r\r\n"), QStringLiteral("\r\n"));
    const qsizetype n = text.size();
    const QChar *s = text.constData();
    qsizetype lone = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = s[i];
        if (c == u'\r') {
            if (i + 1 < n && s[i + 1] == u'\n')
                ++i;
            else
                ++lone;
        } else if (isBreakOtherThanCr(c)) {
            ++lone;
        }
    }
    if (lone == 0)
        return;
    text.resize(n + lone);
    QChar *d = text.data();
    qsizetype w = n + lone;
    for (qsizetype i = n; i-- > 0;) {
        const QChar c = d[i];
        if (c == u'\r' || isBreakOtherThanCr(c)) {
            if (c == u'\n' && i > 0 && d[i - 1] == u'\r')
                --i;
            d[--w] = u'\n';
            d[--w] = u'\r';
        } else {
            d[--w] = c;
        }
    }
}

} // namespace

QString TrimDocumentText(const QString &text)
{
    QString trimmed = text;
    trimInPlace(trimmed);
    return trimmed;
}

namespace {

bool startsWithUtf8Bom(const QByteArray &raw)
{
    return raw.startsWith("\xEF\xBB\xBF");
}

bool startsWithUtf16Bom(const QByteArray &raw)
{
    return raw.startsWith("\xFF\xFE") || raw.startsWith("\xFE\xFF");
}

// Plain text in UTF-8, decoded with its line ends in one pass; false for other bytes.
bool decodePlainUtf8(const QByteArray &raw, ConversionResult &result,
                     const std::function<void(int)> &progress, int threads)
{
    const bool bom = startsWithUtf8Bom(raw);
    if (!bom && (startsWithUtf16Bom(raw) || utf16WithoutBom(raw) != TextEncoding::Utf8))
        return false;
    const QByteArrayView bytes = QByteArrayView(raw).sliced(bom ? 3 : 0);
    const auto percent = [&](qsizetype done) {
        if (progress && !bytes.isEmpty())
            progress(static_cast<int>(done * 100 / bytes.size()));
    };
    const Utf8Decoding decoding = decodeUtf8Document(bytes, result.text, percent, threads);
    if (!decoding.valid)
        return false;
    result.encoding = bom ? TextEncoding::Utf8Bom : TextEncoding::Utf8;
    result.encodingName.clear();
    // Trimming takes only CR, LF, TAB and space, one byte each: with nothing taken from the
    // start, the text's UTF-8 is the first bytes of the file.
    const qsizetype length = result.text.size();
    const bool trimsStart =
        length > 0 && (result.text.front() == u'\r' || result.text.front() == u'\n');
    trimInPlace(result.text);
    if (!bom && decoding.sameAsBytes && decoding.bytesUsed == raw.size() && !trimsStart) {
        result.utf8 = raw;
        result.utf8Size = raw.size() - (length - result.text.size());
    }
    return true;
}

// What follows the first NUL of the text in its encoding, NUL padding aside.
qint64 bytesHiddenAfterNul(const QByteArray &raw, TextEncoding encoding, const QByteArray &name)
{
    const bool utf16 = encoding == TextEncoding::Utf16LE || encoding == TextEncoding::Utf16BE ||
                       name.toUpper().startsWith("UTF-16");
    qsizetype nulEnd = -1;
    if (utf16) {
        for (qsizetype i = startsWithUtf16Bom(raw) ? 2 : 0; i + 1 < raw.size(); i += 2) {
            if (raw[i] == '\0' && raw[i + 1] == '\0') {
                nulEnd = i + 2;
                break;
            }
        }
    } else if (const qsizetype nul = raw.indexOf('\0'); nul >= 0) {
        nulEnd = nul + 1;
    }
    if (nulEnd < 0)
        return 0;
    const bool padding = std::all_of(raw.begin() + nulEnd, raw.end(), [](char b) { return b == 0; });
    return padding ? 0 : raw.size() - nulEnd;
}

// What follows a NUL at nul in bytes read through `read`, NUL padding aside, as
// bytesHiddenAfterNul counts it for UTF-8.
qint64 bytesHiddenAfterNul(const Utf8PartRead &read, qint64 size, qint64 nul)
{
    constexpr qint64 kPiece = qint64(1) << 20;
    QByteArray piece(kPiece, Qt::Uninitialized);
    for (qint64 at = nul + 1; at < size; at += kPiece) {
        const qint64 count = std::min(kPiece, size - at);
        if (!read(at, count, piece.data()))
            return 0;
        if (std::any_of(piece.cbegin(), piece.cbegin() + count, [](char b) { return b != 0; }))
            return size - nul - 1;
    }
    return 0;
}

} // namespace

QString hiddenAfterNulNotice(qint64 hiddenBytes)
{
    QString size;
    if (hiddenBytes < 1024)
        size = QStringLiteral("%1 %2").arg(hiddenBytes).arg(hiddenBytes == 1 ? "byte" : "bytes");
    else if (hiddenBytes < 1024 * 1024)
        size = QStringLiteral("%1 KB").arg(double(hiddenBytes) / 1024, 0, 'f', 1);
    else if (hiddenBytes < qint64(1024) * 1024 * 1024)
        size = QStringLiteral("%1 MB").arg(double(hiddenBytes) / (1024 * 1024), 0, 'f', 1);
    else
        size = QStringLiteral("%1 GB").arg(double(hiddenBytes) / (1024 * 1024 * 1024), 0, 'f', 1);
    return QStringLiteral("The text ends at a NUL character; %1 after it %2 not shown")
        .arg(size, hiddenBytes == 1 ? QStringLiteral("is") : QStringLiteral("are"));
}

ConversionResult ConvertByExtension(const QByteArray &raw, const QString &upperExt,
                                    const QString &codePage,
                                    const std::function<void(int)> &progress, int threads)
{
    ConversionResult result;
    const bool rtf = upperExt == QLatin1String(".RTF");
    const bool html = upperExt == QLatin1String(".HTM") || upperExt == QLatin1String(".HTML");
    if (!rtf && !html && codePage.isEmpty() && decodePlainUtf8(raw, result, progress, threads)) {
        result.hiddenAfterNul = bytesHiddenAfterNul(raw, result.encoding, {});
        if (progress)
            progress(100);
        return result;
    }
    DecodedText decoded;
    if (rtf) {
        // Code pages come from the document's own control words.
        decoded.text = RtfToText(raw);
        decoded.encoding = TextEncoding::Windows1252;
    } else if (html) {
        decoded = codePage.isEmpty() ? decodeHtmlBytes(raw) : decodeInCodePage(raw, codePage);
        decoded.text = HtmlToText(decoded.text);
    } else if (!codePage.isEmpty()) {
        decoded = decodeInCodePage(raw, codePage);
    } else {
        decoded = decodeDocumentBytes(raw, threads);
    }
    // Preformatted HTML and RTF can carry bare LF breaks; the reader's lines end in CR LF.
    crLfLineEndsInPlace(decoded.text);
    trimInPlace(decoded.text);
    result.encoding = decoded.encoding;
    result.encodingName = decoded.encodingName;
    result.text = std::move(decoded.text);
    // RTF holds no NUL of its own text; its escapes are not bytes of the text.
    if (!rtf)
        result.hiddenAfterNul = bytesHiddenAfterNul(raw, decoded.encoding, decoded.encodingName);
    if (progress)
        progress(100);
    return result;
}

std::optional<ConversionResult> ConvertUtf8Parts(qint64 size, const Utf8PartRead &read,
                                                 const std::function<void(int)> &progress,
                                                 int threads)
{
    ConversionResult result;
    QByteArray sample(std::min<qint64>(size, 64 * 1024), Qt::Uninitialized);
    if (!read(0, sample.size(), sample.data())) {
        result.ok = false;
        result.error = QStringLiteral("The file could not be read.");
        return result;
    }
    const bool bom = startsWithUtf8Bom(sample);
    if (!bom && (startsWithUtf16Bom(sample) || utf16WithoutBom(sample) != TextEncoding::Utf8))
        return std::nullopt;
    const qint64 skip = bom ? 3 : 0;
    const qint64 n = size - skip;
    const Utf8PartRead bytes = [&](qsizetype from, qsizetype count, char *into) {
        return read(from + skip, count, into);
    };
    const auto percent = [&](qsizetype done) {
        if (progress && n > 0)
            progress(static_cast<int>(done * 100 / n));
    };
    const Utf8Decoding decoding = decodeUtf8Parts(n, bytes, result.text, percent, threads);
    if (decoding.unread) {
        result.ok = false;
        result.error = QStringLiteral("The file could not be read.");
        return result;
    }
    if (!decoding.valid)
        return std::nullopt;
    result.encoding = bom ? TextEncoding::Utf8Bom : TextEncoding::Utf8;
    trimInPlace(result.text);
    if (decoding.bytesUsed < n)
        result.hiddenAfterNul = bytesHiddenAfterNul(read, size, skip + decoding.bytesUsed);
    if (progress)
        progress(100);
    return result;
}
