#include "core/text/TextDecoding.h"

#include "core/text/EastAsianGuess.h"
#include "core/text/ShiftJisDecoding.h"
#include "core/text/Utf8Lead.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <iconv.h>
#include <uchardet/uchardet.h>

#include <algorithm>
#include <cerrno>

void truncateAtNul(QString &text)
{
    const qsizetype nul = text.indexOf(QChar(0));
    if (nul >= 0)
        text.truncate(nul);
}

void truncateAtNul(QByteArray &bytes)
{
    const qsizetype nul = bytes.indexOf('\0');
    if (nul >= 0)
        bytes.truncate(nul);
}

bool isValidUtf8(const QByteArray &bytes)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        const unsigned char c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        Utf8Lead lead;
        if (!readUtf8Lead(c, lead))
            return false;
        const int extra = lead.extra;
        char32_t cp = lead.bits;
        const char32_t minimum = lead.minimum;
        if (i + extra >= n)
            return false;
        for (int k = 1; k <= extra; ++k) {
            const unsigned char d = p[i + k];
            if ((d & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (d & 0x3F);
        }
        if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

QString decodeWindows1252(const QByteArray &bytes)
{
    // The five codes the code page leaves undefined (81, 8D, 8F, 90, 9D) map to the C1
    // controls of the same value, as Windows does, so every byte survives a round trip.
    static const char16_t high[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    QString out(bytes.size(), Qt::Uninitialized);
    QChar *d = out.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        d[i] = (c >= 0x80 && c < 0xA0) ? QChar(high[c - 0x80]) : QChar(c);
    }
    return out;
}

static bool decodeWithIconv(const QByteArray &bytes, const QByteArray &codec, QString &out)
{
    iconv_t cd = iconv_open("UTF-16LE", codec.constData());
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    QByteArray buffer(bytes.size() * 4 + 16, Qt::Uninitialized);
    char *in = const_cast<char *>(bytes.constData());
    size_t inLeft = static_cast<size_t>(bytes.size());
    char *outPtr = buffer.data();
    size_t outLeft = static_cast<size_t>(buffer.size());
    const size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (rc == static_cast<size_t>(-1) || inLeft != 0)
        return false;
    const qsizetype produced = buffer.size() - static_cast<qsizetype>(outLeft);
    out = QString::fromUtf16(reinterpret_cast<const char16_t *>(buffer.constData()), produced / 2);
    return true;
}

bool decodeWithCodec(const QByteArray &bytes, const QByteArray &codec, QString &out, int threads)
{
    if (codec.compare("windows-1252", Qt::CaseInsensitive) == 0 ||
        codec.compare("cp1252", Qt::CaseInsensitive) == 0) {
        out = decodeWindows1252(bytes);
        return true;
    }
    if (codec.compare("windows-31j", Qt::CaseInsensitive) == 0 &&
        decodeShiftJisQuickly(bytes, out, threads))
        return true;
    QStringDecoder decoder(codec.constData(), QStringDecoder::Flag::Stateless);
    if (decoder.isValid()) {
        QString text = decoder.decode(bytes);
        if (!decoder.hasError()) {
            out = std::move(text);
            return true;
        }
        return false;
    }
    return decodeWithIconv(bytes, codec, out);
}

namespace {

// With fewer non-ASCII bytes the detector guesses: on a line of German or French it names
// Central European, Baltic, Vietnamese or DOS code pages, on the first five characters of a
// GB18030 text Baltic or Cyrillic ones.
constexpr qsizetype minimumEvidence = 16;
// Past this the answer no longer changes, and a whole book would take the detector a second.
constexpr qsizetype enoughEvidence = 32 * 1024;
// The bytes the East Asian fallback decides on; each candidate decodes them once.
constexpr qsizetype fallbackSample = 64 * 1024;

bool meansWindows1252(QByteArrayView answer)
{
    static const char *const western[] = {"", "ASCII", "ISO-8859-1", "ISO-8859-15", "WINDOWS-1252"};
    if (std::any_of(std::begin(western), std::end(western), [&](const char *name) {
            return answer.compare(name, Qt::CaseInsensitive) == 0;
        }))
        return true;
    // Unicode without a byte-order mark and without NUL bytes is no Unicode.
    const QByteArray upper = answer.toByteArray().toUpper();
    return upper.startsWith("UTF-") || upper.startsWith("UCS-") || upper.startsWith("X-ISO-10646");
}

// Letters among the characters beyond ASCII: a Cyrillic text read in the wrong Cyrillic code
// page turns many of its letters into signs and box-drawing characters.
qsizetype lettersBeyondAscii(QStringView text)
{
    return std::count_if(text.begin(), text.end(),
                         [](QChar c) { return c.unicode() >= 0x80 && c.isLetter(); });
}

// The detector names these rarer code pages for short Windows-1251 texts as well ("Глава" read
// as "√лава"); Windows-1251 wins when it reads the text with at least as many letters.
QByteArray preferWindows1251(const QByteArray &answer, const QByteArray &sample)
{
    static const char *const rarer[] = {"MAC-CYRILLIC", "IBM855", "IBM866"};
    if (std::none_of(std::begin(rarer), std::end(rarer), [&](const char *name) {
            return answer.compare(name, Qt::CaseInsensitive) == 0;
        }))
        return answer;
    static const QByteArray windows1251("WINDOWS-1251");
    QString asAnswer;
    QString as1251;
    if (!decodeWithCodec(sample, windows1251, as1251) || looksMisdecoded(as1251) ||
        !decodeWithCodec(sample, answer, asAnswer))
        return answer;
    return lettersBeyondAscii(as1251) >= lettersBeyondAscii(asAnswer) ? windows1251 : answer;
}

} // namespace

LegacyEncodingGuess::LegacyEncodingGuess() : detector(uchardet_new()) {}

LegacyEncodingGuess::~LegacyEncodingGuess()
{
    if (detector)
        uchardet_delete(detector);
}

bool LegacyEncodingGuess::wantsMore() const
{
    return detector && !atNul && nonAscii < enoughEvidence;
}

void LegacyEncodingGuess::feed(QByteArrayView bytes)
{
    if (const qsizetype nul = bytes.indexOf('\0'); nul >= 0 && wantsMore()) {
        feed(bytes.first(nul));
        atNul = true;
        return;
    }
    constexpr qsizetype piece = 4096;
    qsizetype at = 0;
    for (; at < bytes.size() && wantsMore(); at += piece) {
        const QByteArrayView part = bytes.sliced(at, std::min(piece, bytes.size() - at));
        nonAscii += std::count_if(part.begin(), part.end(),
                                  [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
        uchardet_handle_data(detector, part.data(), static_cast<size_t>(part.size()));
        const qsizetype room = fallbackSample - sample.size();
        sample.append(part.first(std::min(room, part.size())));
        sampleCut = sampleCut || part.size() > room;
    }
    sampleCut = sampleCut || (at < bytes.size() && !atNul);
}

QByteArray LegacyEncodingGuess::eastAsianFallback() const
{
    if (nonAscii < minimumEvidence)
        return {};
    if (!sampleCut)
        return guessEastAsianCodePage(sample);
    // A sample cut inside a character would not decode; no multibyte sequence of these code
    // pages holds a byte below 0x30.
    qsizetype end = sample.size();
    while (end > 0 && static_cast<unsigned char>(sample[end - 1]) >= 0x30)
        --end;
    return guessEastAsianCodePage(QByteArrayView(sample).first(end));
}

QByteArray LegacyEncodingGuess::answer()
{
    if (!detector)
        return {};
    uchardet_data_end(detector);
    const char *charset = uchardet_get_charset(detector);
    const QByteArray name = charset ? QByteArray(charset) : QByteArray();
    if (nonAscii < minimumEvidence || meansWindows1252(name))
        return {};
    return preferWindows1251(name, sample);
}

bool looksMisdecoded(QStringView text)
{
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return c.unicode() >= 0x80 && c.unicode() < 0xA0; });
}

CodecStream::CodecStream(const QByteArray &codec) : qtDecoder(codec.constData())
{
    if (qtDecoder.isValid())
        return;
    iconv_t cd = iconv_open("UTF-16LE", codec.constData());
    if (cd != reinterpret_cast<iconv_t>(-1))
        iconvHandle = cd;
}

CodecStream::~CodecStream()
{
    if (iconvHandle)
        iconv_close(static_cast<iconv_t>(iconvHandle));
}

bool CodecStream::isValid() const
{
    return qtDecoder.isValid() || iconvHandle;
}

bool CodecStream::decode(QByteArrayView bytes, QString &out)
{
    if (qtDecoder.isValid()) {
        out.append(QString(qtDecoder.decode(bytes)));
        failed = failed || qtDecoder.hasError();
        return !failed;
    }
    if (!iconvHandle) {
        failed = true;
        return false;
    }
    QByteArray input = std::move(pending);
    pending.clear();
    input.append(bytes);
    char *in = input.data();
    size_t inLeft = static_cast<size_t>(input.size());
    char16_t buffer[512];
    while (inLeft > 0) {
        char *outPtr = reinterpret_cast<char *>(buffer);
        size_t outLeft = sizeof buffer;
        const size_t rc = iconv(static_cast<iconv_t>(iconvHandle), &in, &inLeft, &outPtr, &outLeft);
        out.append(reinterpret_cast<const QChar *>(buffer),
                   static_cast<qsizetype>((sizeof buffer - outLeft) / 2));
        if (rc != static_cast<size_t>(-1))
            break;
        if (errno == E2BIG)
            continue;
        if (errno == EINVAL) {
            // A character split between pieces waits for the rest of its bytes.
            pending = QByteArray(in, static_cast<qsizetype>(inLeft));
            break;
        }
        failed = true;
        out.append(QChar::ReplacementCharacter);
        ++in;
        --inLeft;
    }
    return !failed;
}

bool CodecStream::finish()
{
    if (qtDecoder.isValid()) {
        // Qt keeps a partial character to itself; a line feed is no valid trail byte in any
        // multibyte code page, so it shows one up as an invalid sequence.
        const QString rest = qtDecoder.decode(QByteArrayView("\n", 1));
        failed = failed || qtDecoder.hasError() || rest != u"\n";
        return !failed;
    }
    if (!pending.isEmpty())
        failed = true;
    return !failed;
}

bool encodeWithCodec(const QString &text, const QByteArray &codec, QByteArray &out)
{
    QStringEncoder encoder(codec.constData(), QStringEncoder::Flag::Stateless);
    if (encoder.isValid()) {
        QByteArray bytes = encoder.encode(text);
        if (encoder.hasError())
            return false;
        out = std::move(bytes);
        return true;
    }
    iconv_t cd = iconv_open(codec.constData(), "UTF-16LE");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    QByteArray buffer(text.size() * 8 + 16, Qt::Uninitialized);
    char *in = reinterpret_cast<char *>(const_cast<QChar *>(text.constData()));
    size_t inLeft = static_cast<size_t>(text.size()) * 2;
    char *outPtr = buffer.data();
    size_t outLeft = static_cast<size_t>(buffer.size());
    size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    // Stateful codecs end with the sequence that returns to their initial state.
    if (rc != static_cast<size_t>(-1))
        rc = iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    iconv_close(cd);
    if (rc == static_cast<size_t>(-1) || inLeft != 0)
        return false;
    buffer.truncate(buffer.size() - static_cast<qsizetype>(outLeft));
    out = std::move(buffer);
    return true;
}

DecodedText decodeLegacyBytes(QByteArray bytes, int threads)
{
    truncateAtNul(bytes);
    DecodedText result;
    LegacyEncodingGuess guess;
    guess.feed(bytes);
    const auto decodes = [&](QByteArray codec) {
        // Shift_JIS books are written on systems that add the NEC and IBM characters to it.
        if (codec.compare("SHIFT_JIS", Qt::CaseInsensitive) == 0)
            codec = QByteArrayLiteral("windows-31j");
        QString text;
        if (codec.isEmpty() || !decodeWithCodec(bytes, codec, text, threads) ||
            looksMisdecoded(text))
            return false;
        truncateAtNul(text);
        result.text = std::move(text);
        result.encoding = TextEncoding::Other;
        result.encodingName = codec;
        return true;
    };
    if (decodes(guess.answer()) || decodes(guess.eastAsianFallback()))
        return result;
    result.encoding = TextEncoding::Windows1252;
    result.text = decodeWindows1252(bytes);
    return result;
}

TextEncoding utf16WithoutBom(QByteArrayView bytes)
{
    const qsizetype n = std::min<qsizetype>(bytes.size(), 64 * 1024) & ~qsizetype(1);
    qsizetype zeros[2] = {0, 0}; // at even and at odd offsets
    for (qsizetype i = 0; i < n; ++i) {
        if (bytes[i] == '\0')
            ++zeros[i & 1];
    }
    const bool little = zeros[1] >= zeros[0];
    const qsizetype z = zeros[little ? 1 : 0];
    const qsizetype other = zeros[little ? 0 : 1];
    const qsizetype units = n / 2;
    // A NUL or two in a single-byte text ("abc" and a NUL) is no such pattern.
    if (z == 0 || other * 4 > z || (z * 4 < units * 3 && z < 8))
        return TextEncoding::Utf8;
    QStringDecoder decoder(little ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE);
    const QString sample = decoder.decode(bytes.first(n));
    const bool text = !decoder.hasError() && std::none_of(sample.begin(), sample.end(), [](QChar c) {
        const char16_t u = c.unicode();
        return (u < 0x20 && u != 0 && u != u'\t' && u != u'\n' && u != u'\r' && u != u'\f') ||
               u == 0xFFFE || u == 0xFFFF;
    });
    if (!text)
        return TextEncoding::Utf8;
    return little ? TextEncoding::Utf16LE : TextEncoding::Utf16BE;
}

bool decodeUnicodeBytes(const QByteArray &raw, DecodedText &result)
{
    const auto starts = [&](std::initializer_list<unsigned char> bom) {
        if (raw.size() < static_cast<qsizetype>(bom.size()))
            return false;
        qsizetype i = 0;
        for (unsigned char b : bom)
            if (static_cast<unsigned char>(raw[i++]) != b)
                return false;
        return true;
    };
    result.encodingName.clear();
    if (starts({0xEF, 0xBB, 0xBF})) {
        result.encoding = TextEncoding::Utf8Bom;
        result.text = QString::fromUtf8(raw.constData() + 3, raw.size() - 3);
    } else if (starts({0xFF, 0xFE}) || starts({0xFE, 0xFF})) {
        const bool little = static_cast<unsigned char>(raw[0]) == 0xFF;
        result.encoding = little ? TextEncoding::Utf16LE : TextEncoding::Utf16BE;
        QStringDecoder decoder(little ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE);
        result.text = decoder.decode(QByteArrayView(raw).sliced(2));
    } else if (const TextEncoding utf16 = utf16WithoutBom(raw); utf16 != TextEncoding::Utf8) {
        result.encoding = utf16;
        QStringDecoder decoder(utf16 == TextEncoding::Utf16LE ? QStringDecoder::Utf16LE
                                                              : QStringDecoder::Utf16BE);
        result.text = decoder.decode(raw);
    } else {
        // A NUL ends the text before any guess is made, so bytes behind it cannot sway it.
        QByteArray bytes = raw;
        truncateAtNul(bytes);
        if (!isValidUtf8(bytes))
            return false;
        result.encoding = TextEncoding::Utf8;
        result.text = QString::fromUtf8(bytes);
    }
    truncateAtNul(result.text);
    return true;
}

DecodedText decodeDocumentBytes(const QByteArray &raw, int threads)
{
    DecodedText result;
    if (!decodeUnicodeBytes(raw, result))
        result = decodeLegacyBytes(raw, threads);
    return result;
}

QString joinLinesWithCrLf(QStringView text)
{
    QString out;
    out.reserve(text.size() + text.size() / 40 + 2);
    qsizetype i = 0;
    const qsizetype n = text.size();
    qsizetype lineStart = 0;
    while (i < n) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n') {
            out.append(text.mid(lineStart, i - lineStart));
            out.append(u"\r\n");
            if (c == u'\r' && i + 2 < n && text[i + 1] == u'\r' && text[i + 2] == u'\n')
                ++i; // CR CR LF is one break
            if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n')
                ++i;
            ++i;
            lineStart = i;
        } else {
            ++i;
        }
    }
    if (lineStart < n) {
        out.append(text.mid(lineStart));
        out.append(u"\r\n");
    }
    return out;
}
