#include "core/text/RtfToText.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QString text = RtfToText(bytes);
    if (text.contains(QChar(0)))
        std::abort();
    if (!bytes.startsWith("{\\rtf"))
        return 0;
    // No escape yields more than two characters per source byte; the footnote block adds four.
    if (text.size() > 2 * bytes.size() + 8)
        std::abort();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        const bool crlf = (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ||
                          (c == u'\n' && i > 0 && text[i - 1] == u'\r');
        if ((c < 0x20 && c != u'\t' && !crlf) ||
            (QChar::isHighSurrogate(c) && !(i + 1 < text.size() && text[i + 1].isLowSurrogate())) ||
            (QChar::isLowSurrogate(c) && !(i > 0 && text[i - 1].isHighSurrogate())))
            std::abort();
    }
    return 0;
}
