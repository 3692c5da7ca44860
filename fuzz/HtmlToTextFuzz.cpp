#include "core/text/TvxUtils.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const DecodedText decoded = decodeHtmlBytes(bytes);
    if (decoded.text.contains(QChar(0)))
        std::abort();
    const QString text = HtmlToText(decoded.text);
    // The only growth is a rule of 8 characters from a 4-character tag.
    if (text.contains(QChar(0)) || text.size() > 2 * decoded.text.size() + 8)
        std::abort();
    return 0;
}
