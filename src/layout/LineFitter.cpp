#include "LineFitter.h"

#include <cmath>
#include <string>
#include <string_view>
#include <unordered_map>

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

namespace {

struct U16Hash
{
    using is_transparent = void;
    size_t operator()(std::u16string_view s) const { return std::hash<std::u16string_view>{}(s); }
};

struct U16Equal
{
    using is_transparent = void;
    bool operator()(std::u16string_view a, std::u16string_view b) const { return a == b; }
};

std::u16string_view u16(QStringView s)
{
    return {s.utf16(), static_cast<size_t>(s.size())};
}

} // namespace

struct WordWidthCache::Impl
{
    std::unordered_map<std::u16string, double, U16Hash, U16Equal> widths;
};

WordWidthCache::WordWidthCache() : impl(std::make_unique<Impl>()) {}
WordWidthCache::~WordWidthCache() = default;

double WordWidthCache::width(QStringView word, const TextMeasurer &measurer)
{
    const std::u16string_view key = u16(word);
    auto it = impl->widths.find(key);
    if (it != impl->widths.end())
        return it->second;
    const double w = measurer.advance(word);
    impl->widths.emplace(std::u16string(key), w);
    return w;
}

void WordWidthCache::clear()
{
    impl->widths.clear();
}

qsizetype WordWidthCache::size() const
{
    return static_cast<qsizetype>(impl->widths.size());
}

namespace {

// With kerning off (the page font's setting) a line is the sum of its words; lines this close
// to the limit are measured whole to guard against rounding.
constexpr double kExactCheckMargin = 0.5;
constexpr qsizetype kLongWord = 256;

bool isSpace(QChar c)
{
    return c == u' ';
}

bool isTab(QChar c)
{
    return c == u'\t';
}

class RawLineWrapper
{
public:
    RawLineWrapper(QStringView line, qint32 offset, double wrapWidth, const TextMeasurer &measurer,
                   WordWidthCache &cache, std::vector<LineSpan> &out)
        : line(line), offset(offset), W(wrapWidth), measurer(measurer), cache(cache), out(out),
          spaceWidth(cache.width(u" ", measurer))
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
            qsizetype j = i < scannedWordEnd ? scannedWordEnd : i;
            while (j < n && !isSpace(line[j]) && !isTab(line[j]))
                ++j;
            scannedWordEnd = j;
            const double w = wordWidth(i, j);
            if (fits(x + w, j)) {
                x += w;
                i = j;
                continue;
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
            i = breakInsideWord(i, j);
        }
        qsizetype end = n;
        while (end > lineStart && isSpace(line[end - 1]))
            --end;
        emitLine(lineStart, end);
    }

private:
    void startLine(qsizetype at)
    {
        lineStart = at;
        x = 0;
        breakEnd = -1;
        breakNext = -1;
        hasTab = false;
    }

    void setBreak(qsizetype contentEnd, qsizetype next)
    {
        breakEnd = contentEnd;
        breakNext = next;
    }

    void emitLine(qsizetype from, qsizetype to)
    {
        out.push_back({static_cast<qint32>(offset + from), static_cast<qint32>(to - from)});
    }

    qsizetype breakLine()
    {
        emitLine(lineStart, breakEnd);
        const qsizetype next = breakNext;
        startLine(next);
        return next;
    }

    // Long runs without a space are measured by a prefix first: when that alone overflows the
    // line, the whole run need not be measured for every line it is cut into.
    double wordWidth(qsizetype from, qsizetype to)
    {
        if (to - from <= kLongWord)
            return cache.width(line.mid(from, to - from), measurer);
        const double prefix = measurer.advance(line.mid(from, kLongWord));
        if (x + prefix > W)
            return prefix;
        return measurer.advance(line.mid(from, to - from));
    }

    bool fits(double estimate, qsizetype contentEnd) const
    {
        if (estimate > W + kExactCheckMargin)
            return false;
        if (estimate < W - kExactCheckMargin || hasTab)
            return estimate <= W;
        return measurer.advance(line.mid(lineStart, contentEnd - lineStart)) <= W;
    }

    // A word wider than the whole line: keep as many characters as fit, at least one.
    qsizetype breakInsideWord(qsizetype wordStart, qsizetype wordEnd)
    {
        qsizetype lo = wordStart + 1; // always keep one character
        if (lo < wordEnd && line[lo - 1].isHighSurrogate() && line[lo].isLowSurrogate())
            ++lo;
        // Grow the probe exponentially first: a megabyte-long word must not be measured whole
        // for every line it is cut into.
        qsizetype hi = wordEnd - 1; // the whole word does not fit
        for (qsizetype probe = lo + 1; probe < hi; probe = lo + (probe - lo) * 2) {
            if (measurer.advance(line.mid(lineStart, probe - lineStart)) > W) {
                hi = probe;
                break;
            }
        }
        qsizetype best = lo;
        while (lo <= hi) {
            const qsizetype mid = lo + (hi - lo) / 2;
            const double w = measurer.advance(line.mid(lineStart, mid - lineStart));
            if (w <= W) {
                best = mid;
                lo = mid + 1;
            } else {
                hi = mid - 1;
            }
        }
        if (best < wordEnd && best > wordStart && line[best - 1].isHighSurrogate() &&
            line[best].isLowSurrogate())
            best = best - 1 > wordStart ? best - 1 : best + 1;
        if (best >= wordEnd) {
            // A single character wider than the page still has to go somewhere.
            x += measurer.advance(line.mid(wordStart, wordEnd - wordStart));
            return wordEnd;
        }
        emitLine(lineStart, best);
        startLine(best);
        return best;
    }

    QStringView line;
    qint32 offset;
    double W;
    const TextMeasurer &measurer;
    WordWidthCache &cache;
    std::vector<LineSpan> &out;
    double spaceWidth;

    qsizetype lineStart = 0;
    double x = 0;
    qsizetype breakEnd = -1;  // end of the line's content at the last break opportunity
    qsizetype breakNext = -1; // where the next line starts after that break
    bool hasTab = false;
    qsizetype scannedWordEnd = 0;
};

} // namespace

void wrapRawLine(QStringView line, qint32 offset, double wrapWidth, const TextMeasurer &measurer,
                 WordWidthCache &cache, std::vector<LineSpan> &out)
{
    RawLineWrapper(line, offset, wrapWidth, measurer, cache, out).run();
}

void wrapPiece(FitPiece &piece, double wrapWidth, const TextMeasurer &measurer,
               WordWidthCache &cache)
{
    piece.lines.clear();
    const QStringView text(piece.text);
    const qsizetype n = text.size();
    piece.lines.reserve(static_cast<size_t>(n / 50 + 1));
    qsizetype lineStart = 0;
    qsizetype i = 0;
    while (i + 1 < n) {
        if (text[i] == u'\r' && text[i + 1] == u'\n') {
            wrapRawLine(text.mid(lineStart, i - lineStart), static_cast<qint32>(lineStart),
                        wrapWidth, measurer, cache, piece.lines);
            i += 2;
            lineStart = i;
        } else {
            ++i;
        }
    }
    // No line is counted after a final break.
    if (lineStart < n || n == 0)
        wrapRawLine(text.mid(lineStart), static_cast<qint32>(lineStart), wrapWidth, measurer,
                    cache, piece.lines);
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
