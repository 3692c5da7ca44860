#include "core/layout/LineFitter.h"

#include "core/layout/Kinsoku.h"
#include "core/layout/Hyphenation.h"

#include <QTextBoundaryFinder>

#include <algorithm>
#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

void cutIntoPieces(const QString &workingText, FitPieces &pieces,
                   const std::function<void(int)> &progress)
{
    // Positions are 1-based as in the piece records; at(p) reads position p.
    const qsizetype N = workingText.size();
    const QChar *chars = workingText.constData();
    const auto at = [chars](qsizetype p) { return chars[p - 1]; };
    const auto crLfAt = [&](qsizetype p) { return p < N && at(p) == u'\r' && at(p + 1) == u'\n'; };

    qsizetype S = N / FitPieceCount;
    if (S < MinimumPieceSize)
        S = MinimumPieceSize;
    qsizetype start = 1;
    bool last = false;
    int counter = 0;
    for (int i = 0; i < FitPieceCount; ++i) {
        FitPiece &piece = pieces[i];
        piece.lines.clear();
        if (last) {
            piece.FirstLine = 0;
            piece.LastLine = 0;
            piece.text.clear();
            piece.source.clear();
        } else {
            qsizetype end = std::min(start + S, N);
            // Only a CR LF pair ends a line; a lone CR is an ordinary character of the line.
            while (end < N && !crLfAt(end))
                ++end;
            if (end > N - 2)
                last = true;
            if (end < N && crLfAt(end))
                --end;
            piece.FirstLine = static_cast<qint32>(start);
            piece.LastLine = static_cast<qint32>(end);
            // A 300 MB book would need another 600 MB for copies of its pieces.
            piece.source = workingText;
            piece.text = QString::fromRawData(piece.source.constData() + (start - 1),
                                              std::max<qsizetype>(0, end - start + 1));
            if (!last)
                start = end + 3;
        }
        if ((i + 1) % 8 == 0) {
            counter += 10;
            if (progress)
                progress(counter);
        }
    }
}

void releasePieceTexts(FitPieces &pieces)
{
    for (FitPiece &piece : pieces) {
        piece.text.clear();
        piece.source.clear();
    }
}

bool needsLineBreakRules(QChar qc)
{
    const char16_t c = qc.unicode();
    if (c < 0x0E00)
        return false;
    if (c < 0x1000)
        return c < 0x0F00; // Thai, Lao
    if (c < 0x2E80)
        return c < 0x10A0 || (c >= 0x1780 && c < 0x1800) || (c >= 0x19E0 && c < 0x1A00);
    if (c < 0xA000)
        return c < 0x3130 || c >= 0x3190; // CJK radicals to ideographs, without Hangul jamo
    if (c < 0xD800)
        return (c >= 0xA9E0 && c < 0xAA00) || (c >= 0xAA60 && c < 0xAA80); // Myanmar
    if (c < 0xDC00)
        return c >= 0xD840 && c < 0xD890; // high surrogates of the ideographic planes
    return (c >= 0xF900 && c < 0xFB00) || (c >= 0xFE10 && c < 0xFE20) ||
           (c >= 0xFE30 && c < 0xFE50) || (c >= 0xFF00 && c < 0xFFF0);
}

namespace {

// With kerning off (the page font's setting) a line is the sum of its words; lines this close
// to the limit are measured whole to guard against rounding.
constexpr double kExactCheckMargin = 0.5;
constexpr qsizetype kLongWord = 256;
// Characters of one raw line between reports of how far its wrapping has come.
constexpr qsizetype kProgressStep = qsizetype(1) << 18;

bool isSpace(QChar c)
{
    return c == u' ';
}

bool isTab(QChar c)
{
    return c == u'\t';
}

// Ideographs, kana and CJK punctuation take no shape from their neighbours, so a unit of them is
// as wide as its characters one by one (kerning is off), and each is measured once; only the
// font of the punctuation depends on the script around it.
bool isIdeographic(QChar qc)
{
    const char16_t c = qc.unicode();
    if (c >= 0x3099 && c <= 0x309A) // combining voiced sound marks
        return false;
    if (c >= 0x302A && c <= 0x302F) // ideographic tone marks
        return false;
    return (c >= 0x2E80 && c < 0x3130) || (c >= 0x3190 && c < 0xA000) ||
           (c >= 0xF900 && c < 0xFB00) || (c >= 0xFE30 && c < 0xFE50) ||
           (c >= 0xFF01 && c < 0xFF61);
}

class RawLineWrapper
{
public:
    RawLineWrapper(QStringView line, qint32 offset, double wrapWidth, const TextMeasurer &measurer,
                   WordWidthCache &cache, LineSpans &out, const Hyphenator *hyphenator,
                   const std::function<void(qsizetype)> *progress = nullptr)
        : line(line), offset(offset), W(wrapWidth), measurer(measurer), cache(cache), out(out),
          hyphenator(hyphenator), spaceWidth(cache.width(u" ", measurer)),
          progress(progress && *progress ? progress : nullptr)
    {
    }

    void run()
    {
        const qsizetype n = line.size();
        if (n == 0) {
            out.push_back({offset, 0});
            return;
        }
        startLine(0);
        qsizetype i = 0;
        while (i < n) {
            const QChar c = line[i];
            if (isSpace(c)) {
                qsizetype j = i;
                while (j < n && isSpace(line[j]))
                    ++j;
                if (i > lineStart)
                    setBreak(i, j);
                x += spaceWidth * static_cast<double>(j - i);
                i = j;
                continue;
            }
            if (isTab(c)) {
                // A tab is white space: a line may end before it, and it never ends a line itself.
                if (i > lineStart)
                    setBreak(i, i + 1);
                const double tab = measurer.tabStopDistance();
                x = tab > 0 ? (std::floor(x / tab + 1e-9) + 1) * tab : x;
                hasTab = true;
                ++i;
                continue;
            }
            // A word cut into several lines is scanned once, not once per line.
            if (i >= scannedWordEnd)
                scanWord(i);
            const qsizetype j = scannedWordEnd;
            // Within a word that needs the break rules, its units take the place of the word.
            const qsizetype e = unitEnds.empty() ? j : unitEndAfter(i);
            const double w = unitEnds.empty() ? wordWidth(i, j) : unitWidth(i, e);
            if (fits(x + w, e, !unitEnds.empty())) {
                x += w;
                if (!unitEnds.empty()) {
                    lineHasUnits = true;
                    if (e < j)
                        setJoiningBreak(e);
                }
                i = e;
                continue;
            }
            if (hyphenator && unitEnds.empty() && (breakEnd >= 0 || i == lineStart)) {
                const qsizetype cut = hyphenate(i);
                if (cut > i) {
                    i = cut;
                    continue;
                }
            }
            if (breakEnd >= 0) {
                i = breakLine();
                continue;
            }
            if (i > lineStart) {
                // An indent that leaves no room for the word is given up for this line.
                startLine(i);
                continue;
            }
            i = breakInsideWord(i, e);
        }
        qsizetype end = n;
        while (end > lineStart && isSpace(line[end - 1]))
            --end;
        emitLine(lineStart, end, false);
    }

private:
    void scanWord(qsizetype from)
    {
        const qsizetype n = line.size();
        const QChar *chars = line.data();
        // A tight loop first: English words must not pay for the script test.
        bool beyondLatin = false;
        qsizetype j = from;
#if defined(__SSE2__)
        // Eight units a step: most words end within the first.
        const __m128i space = _mm_set1_epi16(' ');
        const __m128i tab = _mm_set1_epi16('\t');
        const __m128i latin = _mm_set1_epi16(0x0DFF);
        for (; j + 8 <= n; j += 8) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(chars + j));
            const int stop =
                _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi16(v, space), _mm_cmpeq_epi16(v, tab)));
            // Saturating subtraction leaves a unit nonzero exactly where it is beyond U+0DFF.
            const int beyond =
                ~_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_subs_epu16(v, latin), _mm_setzero_si128())) &
                0xFFFF;
            if (stop) {
                const int at = __builtin_ctz(static_cast<unsigned>(stop));
                beyondLatin |= (beyond & ((1 << at) - 1)) != 0;
                j += at / 2;
                break;
            }
            beyondLatin |= beyond != 0;
        }
        if (j + 8 > n)
#endif
            for (; j < n; ++j) {
                const char16_t c = chars[j].unicode();
                if (c == u' ' || c == u'\t')
                    break;
                beyondLatin |= c >= 0x0E00;
            }
        scannedWordStart = from;
        scannedWordEnd = j;
        lastCutLength = 0;
        unitEnds.clear();
        unitCursor = 0;
        if (!beyondLatin || std::none_of(chars + from, chars + j, needsLineBreakRules))
            return;
        // Chinese and Japanese runs break by a small table; the finder analyses the rest.
        if (kinsokuUnitEnds(QStringView(chars + from, j - from), from, unitEnds))
            return;
        // The finder reads the line in place; a Latin word in the run breaks by the same rules.
        QTextBoundaryFinder finder(QTextBoundaryFinder::Line, line.data() + from, j - from);
        for (qsizetype p = finder.toNextBoundary(); p > 0; p = finder.toNextBoundary()) {
            if (from + p == j || !splitsGrapheme(from + p))
                unitEnds.push_back(from + p);
        }
        if (unitEnds.empty() || unitEnds.back() != j)
            unitEnds.push_back(j);
    }

    // Qt's segmentation splits Myanmar marks from their letters: no break before a mark, a
    // joiner or the second half of a surrogate pair.
    bool splitsGrapheme(qsizetype at) const
    {
        const QChar c = line[at];
        const char16_t u = c.unicode();
        if (u < 0x0300 || (u >= 0x4E00 && u < 0xA000))
            return false;
        if (c.isLowSurrogate() || u == 0x200D || line[at - 1].unicode() == 0x200D)
            return true;
        return c.isMark() || (u >= 0xFE00 && u <= 0xFE0F);
    }

    // The end of the unit that holds position i; a word's lines may step back to an earlier
    // break, so the cursor moves both ways.
    qsizetype unitEndAfter(qsizetype i)
    {
        while (unitCursor > 0 && unitEnds[unitCursor - 1] > i)
            --unitCursor;
        while (unitEnds[unitCursor] <= i)
            ++unitCursor;
        return unitEnds[unitCursor];
    }

    double unitWidth(qsizetype from, qsizetype to)
    {
        double sum = 0;
        for (qsizetype k = from; k < to; ++k) {
            const QChar c = line[k];
            if (!isIdeographic(c))
                return wordWidth(from, to);
            if (hasOwnScript(c)) {
                sum += cache.charWidth(c, measurer);
            } else {
                const QChar context = scriptContext(k);
                sum += context.isNull() ? cache.charWidth(c, measurer)
                                        : cache.charWidthAfter(c, context, measurer);
            }
        }
        return sum;
    }

    static bool hasOwnScript(QChar qc)
    {
        // Most of an ideographic text is Han or kana: known without a table lookup.
        const char16_t c = qc.unicode();
        if ((c >= 0x4E00 && c < 0xA000) || (c >= 0x3041 && c <= 0x3096) ||
            (c >= 0x30A1 && c <= 0x30FA))
            return true;
        return qc.script() > QChar::Script_Common;
    }

    // The character whose script punctuation at k is drawn in: the text shapes each fitted line
    // on its own, and a mark takes the script before it, or after it at the start of a line.
    QChar scriptContext(qsizetype k) const
    {
        for (qsizetype p = k - 1; p >= lineStart; --p) {
            if (hasOwnScript(line[p]))
                return line[p];
        }
        const qsizetype end = std::min(line.size(), k + 64);
        for (qsizetype p = k + 1; p < end; ++p) {
            if (hasOwnScript(line[p]))
                return line[p];
        }
        return QChar();
    }

    void startLine(qsizetype at)
    {
        lineStart = at;
        x = 0;
        breakEnd = -1;
        breakNext = -1;
        breakJoins = false;
        hasTab = false;
        lineHasUnits = false;
    }

    void setBreak(qsizetype contentEnd, qsizetype next)
    {
        breakEnd = contentEnd;
        breakNext = next;
        breakJoins = false;
    }

    void setJoiningBreak(qsizetype at)
    {
        setBreak(at, at);
        breakJoins = true;
    }

    void emitLine(qsizetype from, qsizetype to, bool joinsNext, bool hyphenated = false)
    {
        LineSpan span;
        span.start = static_cast<qint32>(offset + from);
        span.length = static_cast<qint32>(to - from);
        span.joinsNext = joinsNext ? 1 : 0;
        span.hyphenated = hyphenated ? 1 : 0;
        out.push_back(span);
        if (progress && to - reportedTo >= kProgressStep) {
            reportedTo = to;
            (*progress)(offset + to);
        }
        hyphenatedRun = hyphenated ? hyphenatedRun + 1 : 0;
    }

    // Ends the line inside the word that holds position i at its last hyphenation point where
    // the part and a hyphen fit; returns where the next line starts, or i when none fits.
    qsizetype hyphenate(qsizetype i)
    {
        // Too short for two letters before a break and three after it, or no room for them.
        const qsizetype wordStart = scannedWordStart;
        if (hyphenatedRun >= 2 || scannedWordEnd - i < 5)
            return i;
        if (hyphenWidth < 0)
            hyphenWidth = cache.width(u"-", measurer);
        const double hyphen = hyphenWidth;
        // The next two characters start any part of the word that could stay on the line.
        if (x + hyphen + cache.charWidth(line[i], measurer) +
                cache.charWidth(line[i + 1], measurer) >
            W + kExactCheckMargin)
            return i;
        const std::vector<qsizetype> &points =
            hyphenator->points(line.mid(wordStart, scannedWordEnd - wordStart));
        if (points.empty())
            return i;
        // Shortest part first: the room at a line's end is mostly small, and a part that does
        // not fit ends the search.
        qsizetype best = i;
        for (const qsizetype point : points) {
            const qsizetype cut = wordStart + point;
            if (cut <= i)
                continue;
            const double estimate = x + wordWidth(i, cut) + hyphen;
            if (estimate > W + kExactCheckMargin)
                break;
            if (estimate >= W - kExactCheckMargin || hasTab) {
                QString drawn = line.mid(lineStart, cut - lineStart).toString();
                drawn += u'-';
                if (measurer.advance(drawn) > W)
                    break;
            }
            best = cut;
        }
        if (best > i) {
            emitLine(lineStart, best, true, true);
            startLine(best);
        }
        return best;
    }

    qsizetype breakLine()
    {
        emitLine(lineStart, breakEnd, breakJoins);
        const qsizetype next = breakNext;
        startLine(next);
        return next;
    }

    // Long runs without a space are measured by a prefix first: when that alone overflows the
    // line, the whole run need not be measured for every line it is cut into.
    // A prefix that overflows gives a width that cannot fit, so that the whole run is not
    // measured for the exact check either. Prefixes grow from the length of the last line cut
    // from the run, so that each line of it costs about its own length.
    double wordWidth(qsizetype from, qsizetype to)
    {
        if (to - from <= kLongWord)
            return cache.width(line.mid(from, to - from), measurer);
        qsizetype probe = lastCutLength > 0 ? std::min(kLongWord, lastCutLength + lastCutLength / 4 + 8)
                                            : kLongWord;
        for (;;) {
            const qsizetype length = std::min(probe, to - from);
            const double w = measurer.advance(line.mid(from, length));
            if (length == to - from)
                return w;
            if (x + w > W)
                return std::max(w, W - x + 2 * kExactCheckMargin);
            probe *= 2;
        }
    }

    bool fits(double estimate, qsizetype contentEnd, bool unit) const
    {
        if (estimate > W + kExactCheckMargin)
            return false;
        // A line of break units is not measured whole: text drawn from a fallback font costs
        // microseconds a character, and units of such text add up exactly.
        if (estimate < W - kExactCheckMargin || hasTab || unit || lineHasUnits)
            return estimate <= W;
        return measurer.advance(line.mid(lineStart, contentEnd - lineStart)) <= W;
    }

    // The grapheme boundary at or before `at` after lineStart, or the first one after lineStart
    // when a single grapheme is wider than the line.
    qsizetype graphemeBoundary(qsizetype at, qsizetype wordEnd) const
    {
        // Below the combining marks only CR LF holds two characters together; the finder
        // would read a kilobyte for every line of a long word.
        if (at > lineStart && line[at].unicode() < 0x0300 && line[at - 1].unicode() < 0x0300 &&
            line[at - 1] != u'\r')
            return at;
        // Enough of the text after `at` to see the marks that belong to its grapheme.
        const qsizetype end = std::min(wordEnd, at + 1024);
        QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, line.data() + lineStart,
                                   end - lineStart);
        finder.setPosition(at - lineStart);
        qsizetype p = finder.isAtBoundary() ? at - lineStart : finder.toPreviousBoundary();
        while (p > 0 && splitsGrapheme(lineStart + p))
            p = finder.toPreviousBoundary();
        if (p <= 0) {
            finder.toStart();
            p = finder.toNextBoundary();
            while (p > 0 && p < end - lineStart && splitsGrapheme(lineStart + p))
                p = finder.toNextBoundary();
            if (p < 0 || (p == end - lineStart && end < wordEnd))
                return wordEnd; // a grapheme longer than the window is kept whole
        }
        return lineStart + p;
    }

    // A word wider than the whole line: keep as many graphemes as fit, at least one.
    qsizetype breakInsideWord(qsizetype wordStart, qsizetype wordEnd)
    {
        const qsizetype first = wordStart + 1; // always keep one character
        const qsizetype last = wordEnd - 1;    // the whole word does not fit
        const auto fitsTo = [&](qsizetype p) {
            return measurer.advance(line.mid(lineStart, p - lineStart)) <= W;
        };
        // The widths of single characters tell where the line ends, near enough that a few
        // measurements around that place find it: a word of megabytes is measured about once,
        // not a dozen times over.
        // Characters measured alone may count nothing (halves of surrogate pairs): the guess
        // goes no further than a long line's worth.
        const qsizetype guessEnd = std::min(last, lineStart + 1024);
        qsizetype guess = lineStart;
        for (double sum = x; guess < guessEnd; ++guess) {
            sum += cache.charWidth(line[guess], measurer);
            if (sum > W)
                break;
        }
        guess = std::clamp(guess, first, std::max(first, last));
        // good fits (or stands before first), bad does not (or stands after last).
        qsizetype good = first - 1;
        qsizetype bad = last + 1;
        if (guess <= last && fitsTo(guess)) {
            good = guess;
            for (qsizetype step = 1; good + step <= last; step *= 2) {
                if (!fitsTo(good + step)) {
                    bad = good + step;
                    break;
                }
                good += step;
            }
        } else {
            bad = std::min(guess, last + 1);
            for (qsizetype step = 1; bad - step >= first; step *= 2) {
                if (fitsTo(bad - step)) {
                    good = bad - step;
                    break;
                }
                bad -= step;
            }
        }
        while (bad - good > 1) {
            const qsizetype mid = good + (bad - good) / 2;
            if (fitsTo(mid))
                good = mid;
            else
                bad = mid;
        }
        qsizetype best = std::max(good, first);
        if (best < wordEnd)
            best = graphemeBoundary(best, wordEnd);
        if (best >= wordEnd) {
            // A single grapheme wider than the page still has to go somewhere.
            x += measurer.advance(line.mid(wordStart, wordEnd - wordStart));
            if (wordEnd < scannedWordEnd)
                setJoiningBreak(wordEnd);
            return wordEnd;
        }
        emitLine(lineStart, best, true);
        lastCutLength = best - lineStart;
        startLine(best);
        return best;
    }

    QStringView line;
    qint32 offset;
    double W;
    const TextMeasurer &measurer;
    WordWidthCache &cache;
    LineSpans &out;
    const Hyphenator *hyphenator;
    double spaceWidth;
    int hyphenatedRun = 0; // hyphenated lines just before the current one
    double hyphenWidth = -1;

    qsizetype lineStart = 0;
    double x = 0;
    qsizetype breakEnd = -1;  // end of the line's content at the last break opportunity
    qsizetype breakNext = -1; // where the next line starts after that break
    bool breakJoins = false;  // that break consumes no space
    bool hasTab = false;
    bool lineHasUnits = false;
    qsizetype scannedWordStart = 0;
    qsizetype scannedWordEnd = 0;
    qsizetype lastCutLength = 0; // of the scanned word's last line broken inside it
    const std::function<void(qsizetype)> *progress;
    qsizetype reportedTo = 0;
    // Break opportunities inside the scanned word, its end last; empty for a plain word.
    std::vector<qsizetype> unitEnds;
    size_t unitCursor = 0;
};

} // namespace

void wrapRawLine(QStringView line, qint32 offset, double wrapWidth, const TextMeasurer &measurer,
                 WordWidthCache &cache, LineSpans &out, const Hyphenator *hyphenator)
{
    RawLineWrapper(line, offset, wrapWidth, measurer, cache, out, hyphenator).run();
}

void wrapPiece(FitPiece &piece, double wrapWidth, const TextMeasurer &measurer,
               WordWidthCache &cache, const Hyphenator *hyphenator,
               const std::function<void(qsizetype)> &progress)
{
    piece.lines.clear();
    const QStringView text(piece.text);
    const qsizetype n = text.size();
    piece.lines.reserve(static_cast<size_t>(n / 50 + 1));
    qsizetype lineStart = 0;
    qsizetype i = 0;
    while (i + 1 < n) {
        if (text[i] == u'\r' && text[i + 1] == u'\n') {
            RawLineWrapper(text.mid(lineStart, i - lineStart), static_cast<qint32>(lineStart),
                           wrapWidth, measurer, cache, piece.lines, hyphenator, &progress)
                .run();
            i += 2;
            lineStart = i;
        } else {
            ++i;
        }
    }
    // No line is counted after the final break of the whole text; a piece cut inside a run of
    // blank lines ends with a break that an empty line follows.
    const bool endsText = piece.source.isEmpty() ||
                          text.data() + n == piece.source.constData() + piece.source.size();
    if (lineStart < n || n == 0 || !endsText)
        RawLineWrapper(text.mid(lineStart), static_cast<qint32>(lineStart), wrapWidth, measurer,
                       cache, piece.lines, hyphenator, &progress)
            .run();
}

int numberFittedLines(FitPieces &pieces)
{
    int total = 0;
    for (FitPiece &piece : pieces) {
        if (!piece.used())
            continue;
        const int c = static_cast<int>(piece.lines.size());
        total += c;
        piece.LastLine = total;
        piece.FirstLine = total - c + 1;
    }
    return total < 1 ? 1 : total;
}

const FitPiece *pieceHoldingLine(const FitPieces &pieces, int n)
{
    for (const FitPiece &piece : pieces) {
        if (piece.used() && n >= piece.FirstLine && n <= piece.LastLine)
            return &piece;
    }
    return nullptr;
}

QStringView FittedLine(const FitPieces &pieces, int n)
{
    for (const FitPiece &piece : pieces) {
        if (piece.used() && piece.LastLine >= n) {
            const size_t index = static_cast<size_t>(n - piece.FirstLine);
            if (n < piece.FirstLine || index >= piece.lines.size())
                return {};
            const LineSpan span = piece.lines[index];
            return QStringView(piece.text).mid(span.start, span.length);
        }
    }
    return {};
}

bool FittedLineJoinsNext(const FitPieces &pieces, int n)
{
    for (const FitPiece &piece : pieces) {
        if (piece.used() && piece.LastLine >= n) {
            const size_t index = static_cast<size_t>(n - piece.FirstLine);
            return n >= piece.FirstLine && index < piece.lines.size() &&
                   piece.lines[index].joinsNext;
        }
    }
    return false;
}

namespace {

// The line's span and the text it is a slice of; false for a line out of range.
bool findFittedLine(const FitPieces &pieces, int n, LineSpan &span, QStringView &text)
{
    for (const FitPiece &piece : pieces) {
        if (piece.used() && piece.LastLine >= n) {
            const size_t index = static_cast<size_t>(n - piece.FirstLine);
            if (n < piece.FirstLine || index >= piece.lines.size())
                return false;
            span = piece.lines[index];
            text = piece.text;
            return true;
        }
    }
    return false;
}

} // namespace

bool FittedLineHyphenated(const FitPieces &pieces, int n)
{
    LineSpan span;
    QStringView text;
    return findFittedLine(pieces, n, span, text) && span.hyphenated;
}

int carriedLine(int L0, int totalLines, int previousTotalLines)
{
    if (previousTotalLines <= 0)
        return 1;
    const double scaled = static_cast<double>(L0) * totalLines / previousTotalLines;
    long long L1 = static_cast<long long>(std::trunc(scaled));
    if (L1 < 1)
        L1 = 1;
    if (L1 > totalLines)
        L1 = totalLines;
    return static_cast<int>(L1);
}

int pageCountFor(int totalLines, int linesPerPage)
{
    if (linesPerPage < 1)
        linesPerPage = 1;
    return (totalLines - 1) / linesPerPage + 1;
}

int pageOfCarriedLine(int L1, int linesPerPage, int pageCount)
{
    const double page = std::nearbyint(static_cast<double>(L1 - 1) / linesPerPage) + 1;
    return static_cast<int>(std::min<double>(page, pageCount));
}

int movedBookmarkPage(int bookmarkPage, int previousLinesPerPage, int totalLines,
                      int previousTotalLines, int linesPerPage)
{
    const double firstLine = static_cast<double>(bookmarkPage - 1) * previousLinesPerPage + 1;
    const double page =
        std::nearbyint(firstLine * totalLines / previousTotalLines / linesPerPage) + 1;
    return static_cast<int>(page);
}
