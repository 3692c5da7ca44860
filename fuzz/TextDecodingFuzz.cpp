#include "core/text/DocumentFormats.h"
#include "core/text/TextDecoding.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// Any bytes decode to a text without NUL whose lines all end in CR LF after conversion.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const DecodedText decoded = decodeDocumentBytes(bytes);
    if (decoded.text.contains(QChar(0)))
        std::abort();
    const ConversionResult plain = ConvertByExtension(bytes, QStringLiteral(".TXT"));
    for (qsizetype i = 0; i < plain.text.size(); ++i) {
        const QChar c = plain.text[i];
        if (c == u'\n' && (i == 0 || plain.text[i - 1] != u'\r'))
            std::abort();
        if (c == u'\r' && (i + 1 >= plain.text.size() || plain.text[i + 1] != u'\n'))
            std::abort();
    }
    QString out;
    decodeWithCodec(bytes, "windows-1251", out);
    decodeWithCodec(bytes, "Shift_JIS", out);
    return 0;
}
