#include "PlainTextDecoding.h"

#include "DocumentFile.h"
#include "Utf8Lead.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr qsizetype kProgressStep = qsizetype(4) << 20;

class Writer
{
public:
    explicit Writer(QString &out, qsizetype expected) : out(out)
    {
        out.resize(expected);
        begin = reinterpret_cast<char16_t *>(out.data());
        preferHugePages(begin, expected * qint64(sizeof(char16_t)));
        end = begin + expected;
        at = begin;
    }
    // Room for n more units.
    void reserve(qsizetype n)
    {
        if (end - at >= n)
            return;
        const qsizetype used = at - begin;
        const qsizetype size =
            std::max<qsizetype>(used + n, (end - begin) + (end - begin) / 4 + 64);
        out.resize(size);
        begin = reinterpret_cast<char16_t *>(out.data());
        end = begin + size;
        at = begin + used;
    }
    void finish() { out.truncate(at - begin); }

    char16_t *at;

private:
    QString &out;
    char16_t *begin;
    char16_t *end;
};

} // namespace

Utf8Decoding decodeUtf8Document(QByteArrayView bytes, QString &out,
                                const std::function<void(qsizetype)> &progress)
{
    Utf8Decoding result;
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    const qsizetype n = bytes.size();
    // UTF-8 never takes fewer bytes than UTF-16 units, line ends aside.
    Writer w(out, n + 16);
    bool same = true;
    bool pendingCr = false; // a CR was written; its LF is still to come
    qsizetype i = 0;
    qsizetype nextProgress = kProgressStep;
    while (i < n) {
        if (i >= nextProgress) {
            nextProgress += kProgressStep;
            if (progress)
                progress(i);
        }
        w.reserve(34); // sixteen bytes give at most two units each
#if defined(__SSE2__)
        // Sixteen ASCII bytes at a time whose only line ends are CR LF pairs.
        if (i + 16 <= n) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + i));
            if (_mm_movemask_epi8(v) == 0) {
                const int nul = _mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_setzero_si128()));
                const int cr = _mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8('\r')));
                const int lf = _mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8('\n')));
                if (nul == 0 && lf == (((cr << 1) | int(pendingCr)) & 0xFFFF)) {
                    const __m128i zero = _mm_setzero_si128();
                    _mm_storeu_si128(reinterpret_cast<__m128i *>(w.at), _mm_unpacklo_epi8(v, zero));
                    _mm_storeu_si128(reinterpret_cast<__m128i *>(w.at + 8),
                                     _mm_unpackhi_epi8(v, zero));
                    w.at += 16;
                    i += 16;
                    pendingCr = (cr >> 15) & 1;
                    continue;
                }
            }
        }
#endif
        const qsizetype stop = std::min(n, i + 16);
        while (i < stop) {
            const unsigned char c = p[i];
            if (pendingCr) {
                pendingCr = false;
                *w.at++ = u'\n';
                if (c == '\n') {
                    ++i;
                    continue;
                }
                same = false;
            }
            if (c < 0x80) {
                if (c == 0)
                    goto done;
                if (c == '\n') {
                    *w.at++ = u'\r';
                    same = false;
                }
                *w.at++ = c;
                pendingCr = c == '\r';
                ++i;
                continue;
            }
            Utf8Lead lead;
            if (!readUtf8Lead(c, lead)) {
                out.clear();
                return result;
            }
            const int extra = lead.extra;
            char32_t cp = lead.bits;
            const char32_t minimum = lead.minimum;
            if (i + extra >= n) {
                out.clear();
                return result;
            }
            for (int k = 1; k <= extra; ++k) {
                const unsigned char d = p[i + k];
                if ((d & 0xC0) != 0x80) {
                    out.clear();
                    return result;
                }
                cp = (cp << 6) | (d & 0x3F);
            }
            if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
                out.clear();
                return result;
            }
            i += extra + 1;
            if (cp == 0x2028 || cp == 0x2029) {
                *w.at++ = u'\r';
                *w.at++ = u'\n';
                same = false;
            } else if (cp >= 0x10000) {
                *w.at++ = static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
                *w.at++ = static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
            } else {
                *w.at++ = static_cast<char16_t>(cp);
            }
        }
    }
done:
    if (pendingCr) {
        w.reserve(1);
        *w.at++ = u'\n';
        same = false;
    }
    w.finish();
    result.valid = true;
    result.sameAsBytes = same;
    result.bytesUsed = i;
    return result;
}
