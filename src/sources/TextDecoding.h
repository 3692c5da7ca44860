#pragma once

#include <QByteArray>
#include <QString>

// The encoding a document was read in, kept so that saving can write it back the same way.
enum class TextEncoding { Utf8, Utf8Bom, Utf16LE, Utf16BE, Windows1252, Other };

struct DecodedText
{
    QString text;
    TextEncoding encoding = TextEncoding::Utf8;
    QByteArray encodingName; // the codec name when encoding is Other
};

// UTF-8/UTF-16 with a byte-order mark, else UTF-8 when the bytes are valid UTF-8, else
// Windows-1252. The text ends at its first NUL character.
DecodedText decodeDocumentBytes(const QByteArray &bytes);

// Decodes with a named codec (Qt or iconv); false when the codec is unknown or the bytes are
// not valid in it.
bool decodeWithCodec(const QByteArray &bytes, const QByteArray &codec, QString &out);

bool isValidUtf8(const QByteArray &bytes);

QString decodeWindows1252(const QByteArray &bytes);

// Lines end at CR, LF or CR LF; every line, the last one included, is ended by CR LF.
QString joinLinesWithCrLf(QStringView text);

// Cuts the text at its first NUL character.
void truncateAtNul(QString &text);
void truncateAtNul(QByteArray &bytes);
