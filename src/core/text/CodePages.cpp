#include "core/text/CodePages.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>

namespace {

struct CodePage
{
    const char *name;
    const char *codec;
    // Other names the detector, iconv or a web page give it.
    std::initializer_list<const char *> aliases;
};

const CodePage kCodePages[] = {
    {"UTF-8", "UTF-8", {"utf8"}},
    {"UTF-16", "UTF-16", {"utf-16le", "utf-16be"}},
    {"Windows-1250", "windows-1250", {"cp1250"}},
    {"Windows-1251", "windows-1251", {"cp1251"}},
    {"Windows-1252", "windows-1252", {"cp1252"}},
    {"Windows-1253", "windows-1253", {"cp1253"}},
    {"Windows-1254", "windows-1254", {"cp1254"}},
    {"Windows-1255", "windows-1255", {"cp1255"}},
    {"Windows-1256", "windows-1256", {"cp1256"}},
    {"Windows-1257", "windows-1257", {"cp1257"}},
    {"ISO-8859-1", "ISO-8859-1", {"latin1"}},
    {"ISO-8859-2", "ISO-8859-2", {"latin2"}},
    {"ISO-8859-5", "ISO-8859-5", {}},
    {"ISO-8859-7", "ISO-8859-7", {}},
    {"ISO-8859-15", "ISO-8859-15", {"latin-9"}},
    {"KOI8-R", "KOI8-R", {}},
    {"KOI8-U", "KOI8-U", {}},
    {"CP866", "IBM866", {"ibm866", "866"}},
    {"GB18030", "GB18030", {}},
    {"Big5", "Big5", {}},
    // Read as Windows-31J, so that the NEC and IBM extensions (①, Ⅲ, ～) decode.
    {"Shift_JIS", "windows-31j", {"sjis", "shift-jis", "cp932", "windows-31j"}},
    {"EUC-JP", "EUC-JP", {}},
    {"EUC-KR", "EUC-KR", {}},
};

const CodePage *find(QStringView name)
{
    for (const CodePage &page : kCodePages) {
        if (name.compare(QLatin1String(page.name), Qt::CaseInsensitive) == 0)
            return &page;
        for (const char *alias : page.aliases) {
            if (name.compare(QLatin1String(alias), Qt::CaseInsensitive) == 0)
                return &page;
        }
    }
    return nullptr;
}

// Decodes with U+FFFD for what the decoder does not know; a character cut off by the end of
// the bytes shows as one too.
QString decodeReplacing(QStringDecoder &decoder, QByteArrayView bytes)
{
    QString text = decoder.decode(bytes);
    // Some of the system's codecs substitute U+001A; the bytes can only have meant it by 0x1A.
    if (decoder.hasError() && !bytes.contains('\x1A'))
        text.replace(QChar(0x1A), QChar(QChar::ReplacementCharacter));
    // No byte of a line break continues a multibyte character, so the decoder gives up on a
    // cut-off one as soon as it sees one.
    if (QString(decoder.decode(QByteArrayView("\n", 1))) != u"\n")
        text += QChar(QChar::ReplacementCharacter);
    return text;
}

QStringDecoder utf16Decoder(const QByteArray &bytes, qsizetype &skip)
{
    skip = 0;
    if (bytes.startsWith("\xFF\xFE")) {
        skip = 2;
        return QStringDecoder(QStringDecoder::Utf16LE);
    }
    if (bytes.startsWith("\xFE\xFF")) {
        skip = 2;
        return QStringDecoder(QStringDecoder::Utf16BE);
    }
    // ASCII text in UTF-16 has its zero bytes at odd offsets when little-endian.
    qsizetype evenZeros = 0;
    qsizetype oddZeros = 0;
    const qsizetype n = std::min<qsizetype>(bytes.size(), 64 * 1024);
    for (qsizetype i = 0; i < n; ++i) {
        if (bytes[i] == '\0')
            ++(i % 2 == 0 ? evenZeros : oddZeros);
    }
    return QStringDecoder(evenZeros > oddZeros ? QStringDecoder::Utf16BE : QStringDecoder::Utf16LE);
}

} // namespace

const QStringList &codePageNames()
{
    static const QStringList names = [] {
        QStringList list;
        for (const CodePage &page : kCodePages)
            list << QString::fromLatin1(page.name);
        return list;
    }();
    return names;
}

QString codePageFromSetting(const QString &value)
{
    const CodePage *page = find(value.trimmed());
    return page ? QString::fromLatin1(page->name) : QString();
}

QString codePageSetting(const QString &codePage)
{
    return codePage.isEmpty() ? QStringLiteral("Automatic") : codePage;
}

DecodedText decodeInCodePage(const QByteArray &bytes, const QString &codePage)
{
    const CodePage *page = find(codePage);
    if (!page)
        return decodeDocumentBytes(bytes);
    DecodedText result;
    result.encoding = TextEncoding::Other;
    result.encodingName = page->codec;
    const QByteArray codec(page->codec);
    if (codec == "UTF-16") {
        qsizetype skip = 0;
        QStringDecoder decoder = utf16Decoder(bytes, skip);
        result.text = decoder.decode(QByteArrayView(bytes).sliced(skip));
        if ((bytes.size() - skip) % 2 != 0)
            result.text += QChar(QChar::ReplacementCharacter);
    } else if (codec == "windows-1252") {
        QByteArray text = bytes;
        truncateAtNul(text);
        result.text = decodeWindows1252(text);
    } else if (codec == "UTF-8") {
        QStringDecoder decoder(QStringDecoder::Utf8);
        result.text = decodeReplacing(
            decoder, QByteArrayView(bytes).sliced(bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0));
    } else if (QStringDecoder decoder(codec.constData()); decoder.isValid()) {
        result.text = decodeReplacing(decoder, bytes);
    } else {
        CodecStream stream(codec);
        stream.decode(bytes, result.text);
        if (!stream.finish())
            result.text += QChar(QChar::ReplacementCharacter);
    }
    truncateAtNul(result.text);
    return result;
}

bool encodeInCodePage(const QString &text, const QString &codePage, QByteArray &out)
{
    const CodePage *page = find(codePage);
    if (!page)
        return false;
    QByteArray bytes;
    const QByteArray codec(page->codec);
    if (codec == "UTF-16") {
        QStringEncoder encoder(QStringEncoder::Utf16LE);
        bytes = QByteArray("\xFF\xFE", 2) + QByteArray(encoder.encode(text));
    } else if (codec == "UTF-8") {
        bytes = text.toUtf8();
    } else if (!encodeWithCodec(text, codec, bytes)) {
        return false;
    }
    if (decodeInCodePage(bytes, codePage).text != text)
        return false;
    out = std::move(bytes);
    return true;
}

QString codePageInUse(TextEncoding encoding, const QByteArray &encodingName)
{
    switch (encoding) {
    case TextEncoding::Utf8:
    case TextEncoding::Utf8Bom:
        return QStringLiteral("UTF-8");
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE:
        return QStringLiteral("UTF-16");
    case TextEncoding::Windows1252:
        return QStringLiteral("Windows-1252");
    case TextEncoding::Other:
        break;
    }
    const QString name = QString::fromLatin1(encodingName);
    const CodePage *page = find(name);
    return page ? QString::fromLatin1(page->name) : name.toUpper();
}
