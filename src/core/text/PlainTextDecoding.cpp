#include "core/text/PlainTextDecoding.h"

#include "core/text/DocumentFile.h"
#include "core/base/ParallelWork.h"
#include "core/text/Utf8Lead.h"

#include <algorithm>
#include <atomic>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr qsizetype kProgressStep = qsizetype(4) << 20;
// Books this large are decoded on several threads, in parts of about this size.
constexpr qsizetype kParallelFrom = qsizetype(8) << 20;
constexpr qsizetype kPartSize = qsizetype(4) << 20;

// Writes into room counted beforehand.
struct CountedOut
{
    char16_t *at;
    void reserve(qsizetype) {}
    void put(char16_t c) { *at++ = c; }
#if defined(__SSE2__)
    void put16(__m128i lo, __m128i hi)
    {
        _mm_storeu_si128(reinterpret_cast<__m128i *>(at), lo);
        _mm_storeu_si128(reinterpret_cast<__m128i *>(at + 8), hi);
        at += 16;
    }
#endif
};

// Writes into room counted beforehand from bytes that may have changed since they were
// counted (a file read again): never past the room, and says whether the bytes filled it exactly.
struct BoundedOut
{
    char16_t *at;
    char16_t *end;
    bool overflow = false;
    void reserve(qsizetype) {}
    void put(char16_t c)
    {
        if (at == end) {
            overflow = true;
            return;
        }
        *at++ = c;
    }
#if defined(__SSE2__)
    void put16(__m128i lo, __m128i hi)
    {
        if (end - at < 16) {
            overflow = true;
            return;
        }
        _mm_storeu_si128(reinterpret_cast<__m128i *>(at), lo);
        _mm_storeu_si128(reinterpret_cast<__m128i *>(at + 8), hi);
        at += 16;
    }
#endif
    bool filled() const { return !overflow && at == end; }
};

// Writes into a text that grows when the guess of its length was short.
class GrowingOut : public CountedOut
{
public:
    explicit GrowingOut(QString &out, qsizetype expected) : CountedOut{nullptr}, out(out)
    {
        out.resize(expected);
        begin = reinterpret_cast<char16_t *>(out.data());
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

private:
    QString &out;
    char16_t *begin;
    char16_t *end;
};

// Only counts the units the text will take.
struct Counter
{
    qsizetype units = 0;
    void reserve(qsizetype) {}
    void put(char16_t) { ++units; }
#if defined(__SSE2__)
    void put16(__m128i, __m128i)
    {
        units += 16;
    }
#endif
};

enum class Stop { End, Nul, Invalid };

struct Decoded
{
    Stop stop = Stop::End;
    qsizetype at = 0; // where the bytes stopped: their end, or the NUL
    bool same = true; // no line end was changed
};

// Decodes bytes [from, to) into out; a part never starts inside a character or after a CR.
template <class Out>
Decoded decodeBytes(const unsigned char *p, qsizetype from, qsizetype to, Out &w,
                    const std::function<void(qsizetype)> *progress = nullptr)
{
    Decoded result;
    bool pendingCr = false; // a CR was written; its LF is still to come
    qsizetype i = from;
    qsizetype nextProgress = from + kProgressStep;
    while (i < to) {
        if (progress && i >= nextProgress) {
            nextProgress += kProgressStep;
            if (*progress)
                (*progress)(i);
        }
        w.reserve(34); // sixteen bytes give at most two units each
#if defined(__SSE2__)
        // Sixteen ASCII bytes at a time whose only line ends are CR LF pairs.
        if (i + 16 <= to) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + i));
            if (_mm_movemask_epi8(v) == 0) {
                const int nul = _mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_setzero_si128()));
                const int cr = _mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8('\r')));
                const int lf = _mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8('\n')));
                if (nul == 0 && lf == (((cr << 1) | int(pendingCr)) & 0xFFFF)) {
                    const __m128i zero = _mm_setzero_si128();
                    w.put16(_mm_unpacklo_epi8(v, zero), _mm_unpackhi_epi8(v, zero));
                    i += 16;
                    pendingCr = (cr >> 15) & 1;
                    continue;
                }
            }
        }
#endif
        const qsizetype stop = std::min(to, i + 16);
        while (i < stop) {
            const unsigned char c = p[i];
            if (pendingCr) {
                pendingCr = false;
                w.put(u'\n');
                if (c == '\n') {
                    ++i;
                    continue;
                }
                result.same = false;
                // CR CR LF, left by converting line ends twice, is one break.
                if (c == '\r' && i + 1 < to && p[i + 1] == '\n') {
                    i += 2;
                    continue;
                }
            }
            if (c < 0x80) {
                if (c == 0) {
                    result.stop = Stop::Nul;
                    goto done;
                }
                if (c == '\n') {
                    w.put(u'\r');
                    result.same = false;
                }
                w.put(c);
                pendingCr = c == '\r';
                ++i;
                continue;
            }
            // Chinese and Japanese are three-byte characters nearly throughout: those that are
            // valid and no line separator are taken without the general path's checks.
            if ((c & 0xF0) == 0xE0 && i + 2 < to) {
                const unsigned char d1 = p[i + 1];
                const unsigned char d2 = p[i + 2];
                const char32_t cp = (char32_t(c & 0x0F) << 12) | (char32_t(d1 & 0x3F) << 6) |
                                    char32_t(d2 & 0x3F);
                if ((d1 & 0xC0) == 0x80 && (d2 & 0xC0) == 0x80 && cp >= 0x800 &&
                    (cp < 0xD800 || cp > 0xDFFF) && cp != 0x2028 && cp != 0x2029) {
                    w.put(static_cast<char16_t>(cp));
                    i += 3;
                    continue;
                }
            }
            Utf8Lead lead;
            if (!readUtf8Lead(c, lead) || i + lead.extra >= to) {
                result.stop = Stop::Invalid;
                return result;
            }
            char32_t cp = lead.bits;
            for (int k = 1; k <= lead.extra; ++k) {
                const unsigned char d = p[i + k];
                if ((d & 0xC0) != 0x80) {
                    result.stop = Stop::Invalid;
                    return result;
                }
                cp = (cp << 6) | (d & 0x3F);
            }
            if (cp < lead.minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
                result.stop = Stop::Invalid;
                return result;
            }
            i += lead.extra + 1;
            if (cp == 0x2028 || cp == 0x2029) {
                w.put(u'\r');
                w.put(u'\n');
                result.same = false;
            } else if (cp >= 0x10000) {
                w.put(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
                w.put(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
            } else {
                w.put(static_cast<char16_t>(cp));
            }
        }
    }
done:
    if (pendingCr) {
        w.reserve(1);
        w.put(u'\n');
        result.same = false;
    }
    result.at = i;
    return result;
}

// Whether a part may start at b, given the byte there and the one before: never inside a
// multi-byte character, never between a CR and what follows it.
bool badCut(unsigned char at, unsigned char before)
{
    return (at & 0xC0) == 0x80 || before == '\r';
}

// Part boundaries where no character and no CR LF pair is cut.
std::vector<qsizetype> partBounds(const unsigned char *p, qsizetype n)
{
    std::vector<qsizetype> bounds{0};
    for (qsizetype b = kPartSize; b < n; b += kPartSize) {
        while (b < n && badCut(p[b], p[b - 1]))
            ++b;
        if (b < n && b > bounds.back())
            bounds.push_back(b);
    }
    bounds.push_back(n);
    return bounds;
}

// The same boundaries for bytes read through `read`, a few at each cut; empty when a read fails.
std::vector<qsizetype> partBounds(const Utf8PartRead &read, qsizetype n)
{
    std::vector<qsizetype> bounds{0};
    unsigned char window[64];
    for (qsizetype b = kPartSize; b < n; b += kPartSize) {
        for (;;) {
            const qsizetype from = b - 1;
            const qsizetype count = std::min<qsizetype>(sizeof window, n - from);
            if (!read(from, count, reinterpret_cast<char *>(window)))
                return {};
            qsizetype j = 1;
            while (j < count && badCut(window[j], window[j - 1]))
                ++j;
            b = from + j;
            if (j < count || b >= n)
                break;
        }
        if (b < n && b > bounds.back())
            bounds.push_back(b);
    }
    bounds.push_back(n);
    return bounds;
}

// Counts every part's units, then decodes each into its place: two passes over the bytes, but
// both spread over the threads, and the text is written where it stays. load(k, worker) gives
// part k's bytes, or null when they cannot be had.
template <bool reread, class Load>
Utf8Decoding decodeParts(const std::vector<qsizetype> &bounds, QString &out, int threads,
                         const std::function<void(qsizetype)> &progress, Load &&load)
{
    Utf8Decoding result;
    const qsizetype n = bounds.back();
    const int parts = static_cast<int>(bounds.size()) - 1;
    std::vector<Decoded> counted(static_cast<size_t>(parts));
    std::vector<qsizetype> units(static_cast<size_t>(parts));
    std::vector<char> missing(static_cast<size_t>(parts), 0); // could not be read
    std::atomic<bool> unread{false};
    // Parts after one that is not UTF-8 cannot change the outcome and are not read.
    std::atomic<int> firstInvalid{parts};
    const auto partBytes = [&](int done) { return bounds[static_cast<size_t>(done)]; };
    const auto length = [&](int k) { return bounds[size_t(k) + 1] - bounds[size_t(k)]; };
    parallelFor(
        parts, threads,
        [&](int k, int worker) {
            if (k > firstInvalid)
                return;
            const unsigned char *q = load(k, worker);
            if (!q) {
                missing[size_t(k)] = 1;
                return;
            }
            Counter c;
            counted[size_t(k)] = decodeBytes(q, 0, length(k), c);
            counted[size_t(k)].at += bounds[size_t(k)];
            units[size_t(k)] = c.units;
            if (counted[size_t(k)].stop == Stop::Invalid) {
                int seen = firstInvalid;
                while (k < seen && !firstInvalid.compare_exchange_weak(seen, k)) {
                }
            }
        },
        [&](int done) {
            if (progress)
                progress(partBytes(done) / 2);
        });
    // The text ends at the first NUL; what follows it does not count, valid or not.
    int used = 0;
    qsizetype total = 0;
    bool same = true;
    qsizetype end = n;
    while (used < parts) {
        if (missing[size_t(used)]) {
            result.unread = true;
            return result;
        }
        const Decoded &d = counted[size_t(used)];
        if (d.stop == Stop::Invalid)
            return result;
        same = same && d.same;
        total += units[size_t(used)];
        ++used;
        if (d.stop == Stop::Nul) {
            end = d.at;
            break;
        }
    }
    out.resize(total);
    auto *begin = reinterpret_cast<char16_t *>(out.data());
    std::vector<qsizetype> offsets(static_cast<size_t>(used), 0);
    for (int k = 1; k < used; ++k)
        offsets[size_t(k)] = offsets[size_t(k) - 1] + units[size_t(k) - 1];
    parallelFor(
        used, threads,
        [&](int k, int worker) {
            const unsigned char *q = load(k, worker);
            if (!q) {
                unread = true;
                return;
            }
            if constexpr (reread) {
                char16_t *at = begin + offsets[size_t(k)];
                BoundedOut w{at, at + units[size_t(k)]};
                const Decoded d = decodeBytes(q, 0, length(k), w);
                const Decoded &c = counted[size_t(k)];
                if (!w.filled() || d.stop != c.stop || d.at + bounds[size_t(k)] != c.at)
                    unread = true;
            } else {
                CountedOut w{begin + offsets[size_t(k)]};
                decodeBytes(q, 0, length(k), w);
            }
        },
        [&](int done) {
            if (progress)
                progress(n / 2 + partBytes(done) / 2);
        });
    if (unread) {
        out.clear();
        result.unread = true;
        return result;
    }
    result.valid = true;
    result.sameAsBytes = same;
    result.bytesUsed = end;
    return result;
}

Utf8Decoding decodeInParts(const unsigned char *p, qsizetype n, QString &out, int threads,
                           const std::function<void(qsizetype)> &progress)
{
    const std::vector<qsizetype> bounds = partBounds(p, n);
    return decodeParts<false>(bounds, out, threads, progress,
                              [&](int k, int) { return p + bounds[size_t(k)]; });
}

// One thread reads every part once and decodes it straight on, into room for as many units
// as there are bytes: what the text does not fill is never touched, so it costs no memory.
Utf8Decoding decodePartsInOnePass(const std::vector<qsizetype> &bounds, const Utf8PartRead &read,
                                  QString &out, const std::function<void(qsizetype)> &progress)
{
    Utf8Decoding result;
    const qsizetype n = bounds.back();
    std::vector<unsigned char> buffer;
    GrowingOut w(out, n + 16);
    qsizetype end = n;
    bool same = true;
    for (size_t k = 0; k + 1 < bounds.size(); ++k) {
        const qsizetype from = bounds[k];
        const qsizetype count = bounds[k + 1] - from;
        if (qsizetype(buffer.size()) < count)
            buffer.resize(size_t(count));
        if (!read(from, count, reinterpret_cast<char *>(buffer.data()))) {
            out.clear();
            result.unread = true;
            return result;
        }
        const Decoded d = decodeBytes(buffer.data(), 0, count, w);
        if (d.stop == Stop::Invalid) {
            out.clear();
            return result;
        }
        same = same && d.same;
        if (d.stop == Stop::Nul) {
            end = from + d.at;
            break;
        }
        if (progress)
            progress(bounds[k + 1]);
    }
    w.finish();
    result.valid = true;
    result.sameAsBytes = same;
    result.bytesUsed = end;
    return result;
}

} // namespace

Utf8Decoding decodeUtf8Document(QByteArrayView bytes, QString &out,
                                const std::function<void(qsizetype)> &progress, int threads)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    const qsizetype n = bytes.size();
    if (threads > 1 && n >= kParallelFrom)
        return decodeInParts(p, n, out, threads, progress);
    Utf8Decoding result;
    // UTF-8 never takes fewer bytes than UTF-16 units, line ends aside.
    GrowingOut w(out, n + 16);
    const Decoded d = decodeBytes(p, 0, n, w, &progress);
    if (d.stop == Stop::Invalid) {
        out.clear();
        return result;
    }
    w.finish();
    result.valid = true;
    result.sameAsBytes = d.same;
    result.bytesUsed = d.at;
    return result;
}

Utf8Decoding decodeUtf8Parts(qsizetype size, const Utf8PartRead &read, QString &out,
                             const std::function<void(qsizetype bytesDone)> &progress,
                             int threads)
{
    const std::vector<qsizetype> bounds = partBounds(read, size);
    if (bounds.empty()) {
        Utf8Decoding failed;
        failed.unread = true;
        return failed;
    }
    // Counting and decoding every part on two threads took longer than one pass on one (a
    // 300 MB book: 565 against 373 ms on two cores); the passes pay off on more threads.
    constexpr int kTwoPassesFrom = 4;
    if (threads < kTwoPassesFrom)
        return decodePartsInOnePass(bounds, read, out, progress);
    // One buffer of a part's size for each thread, used again for its next part.
    std::vector<std::vector<unsigned char>> buffers(size_t(std::max(1, threads)));
    return decodeParts<true>(bounds, out, threads, progress,
                       [&](int k, int worker) -> const unsigned char * {
                           std::vector<unsigned char> &buffer = buffers[size_t(worker)];
                           const qsizetype from = bounds[size_t(k)];
                           const qsizetype count = bounds[size_t(k) + 1] - from;
                           if (qsizetype(buffer.size()) < count)
                               buffer.resize(size_t(count));
                           if (!read(from, count, reinterpret_cast<char *>(buffer.data())))
                               return nullptr;
                           return buffer.data();
                       });
}
