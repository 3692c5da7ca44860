#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>

struct uchardet;

// The encoding a document was read in, kept so that saving can write it back the same way.
enum class TextEncoding { Utf8, Utf8Bom, Utf16LE, Utf16BE, Windows1252, Other };

struct DecodedText
{
    QString text;
    TextEncoding encoding = TextEncoding::Utf8;
    QByteArray encodingName; // the codec name when encoding is Other
};

// UTF-8/UTF-16 with a byte-order mark, else UTF-8 when the bytes are valid UTF-8, else
// decodeLegacyBytes. The text ends at its first NUL character.
DecodedText decodeDocumentBytes(const QByteArray &bytes, int threads = 1);

// UTF-8/UTF-16 with a byte-order mark, UTF-16 without one (utf16WithoutBom), or valid UTF-8;
// false for anything else.
bool decodeUnicodeBytes(const QByteArray &bytes, DecodedText &out);

// Utf16LE or Utf16BE when bytes without a byte-order mark read as UTF-16 by their zero bytes:
// nearly all of one parity, in most code units or in at least eight, and a text without control
// characters when read so. Utf8 otherwise.
TextEncoding utf16WithoutBom(QByteArrayView bytes);

// For bytes that are neither marked Unicode nor valid UTF-8: the encoding LegacyEncodingGuess
// names when the whole text decodes in it without error and without looksMisdecoded, else its
// East Asian fallback when the whole text decodes so in that, else Windows-1252. The bytes are
// cut at their first NUL before anything is decided.
DecodedText decodeLegacyBytes(QByteArray bytes, int threads = 1);

// Asks the charset detector about bytes fed in pieces of any size; nothing after the first
// NUL counts, nor anything after some 32,768 non-ASCII bytes. The answer is a codec name, or empty
// for Windows-1252: the detector's Western European, ASCII and Unicode answers, and any answer on
// too few non-ASCII bytes to be trusted, all mean Windows-1252.
class LegacyEncodingGuess
{
public:
    LegacyEncodingGuess();
    ~LegacyEncodingGuess();
    LegacyEncodingGuess(const LegacyEncodingGuess &) = delete;
    LegacyEncodingGuess &operator=(const LegacyEncodingGuess &) = delete;

    void feed(QByteArrayView bytes);
    // False once further pieces cannot change the answer.
    bool wantsMore() const;
    // Once, after the last piece.
    QByteArray answer();
    // When the answer is of no use: the East Asian code page the pieces seen so far read as
    // (guessEastAsianCodePage), or empty; empty too for text too short for answer() to trust.
    QByteArray eastAsianFallback() const;

private:
    uchardet *detector;
    qsizetype nonAscii = 0;
    bool atNul = false;
    QByteArray sample;      // the first pieces, as many as the detector reads, within a bound
    bool sampleCut = false; // pieces were left out of the sample
};

// Decoded text that a legacy codec must not produce: C1 control characters mean the bytes
// were written in another code page.
bool looksMisdecoded(QStringView text);

// Decodes a named codec piece by piece, the same way decodeWithCodec decodes a whole text.
// After an invalid sequence it goes on with replacement characters.
class CodecStream
{
public:
    explicit CodecStream(const QByteArray &codec);
    ~CodecStream();
    CodecStream(const CodecStream &) = delete;
    CodecStream &operator=(const CodecStream &) = delete;

    bool isValid() const;
    // Appends the piece's characters to out; false once any invalid sequence has been seen.
    bool decode(QByteArrayView bytes, QString &out);
    // False when the input ended inside a character, or any invalid sequence was seen.
    bool finish();

private:
    QStringDecoder qtDecoder;
    void *iconvHandle = nullptr;
    QByteArray pending;
    bool failed = false;
};

// Decodes with a named codec (Qt or iconv); false when the codec is unknown or the bytes are
// not valid in it. A long Windows-31J text is decoded on up to `threads` threads.
bool decodeWithCodec(const QByteArray &bytes, const QByteArray &codec, QString &out,
                     int threads = 1);

// Encodes with a named codec (Qt or iconv); false when the codec is unknown or cannot hold
// every character.
bool encodeWithCodec(const QString &text, const QByteArray &codec, QByteArray &out);

bool isValidUtf8(const QByteArray &bytes);

QString decodeWindows1252(const QByteArray &bytes);

// Lines end at CR, LF or CR LF; every line, the last one included, is ended by CR LF.
QString joinLinesWithCrLf(QStringView text);

// Cuts the text at its first NUL character.
void truncateAtNul(QString &text);
void truncateAtNul(QByteArray &bytes);
