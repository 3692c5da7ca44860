#pragma once

#include "core/layout/LineSpans.h"
#include "core/layout/TextMeasurer.h"
#include "core/layout/WordWidthCache.h"

#include <QString>
#include <QStringView>

#include <array>
#include <functional>
#include <memory>
#include <vector>

class Hyphenator;

constexpr int FitPieceCount = 40;
constexpr qsizetype MinimumPieceSize = 1000;

struct FitPiece
{
    // While cutting: 1-based character positions in the working text; after the fit: the numbers
    // of the first and last fitted line of the piece. Both 0 for an idle piece.
    qint32 FirstLine = 0;
    qint32 LastLine = 0;
    // A slice of the working text that copies nothing: source keeps the whole text alive.
    QString text;
    QString source;
    LineSpans lines;

    bool used() const { return FirstLine > 0; }
};

using FitPieces = std::array<FitPiece, FitPieceCount>;

// Cuts the text into at most 40 pieces of whole raw lines; a piece ends only before a CR LF pair.
// progress receives 10, 20, ... 50 after every eighth piece.
void cutIntoPieces(const QString &workingText, FitPieces &pieces,
                   const std::function<void(int)> &progress = {});

// Lets go of the working text, so that changing it in place does not copy it; the pieces read
// as empty until they are cut again.
void releasePieceTexts(FitPieces &pieces);

// Greedy wrapping of one raw line (no CR LF inside) into lines no wider than wrapWidth: a line
// breaks after the last space that fits, trailing spaces hang and are not part of the line.
// Inside a word that holds characters of a script written without spaces (Han, kana, Thai, Lao,
// Khmer, Myanmar) or CJK punctuation, the line may also break where the Unicode line breaking
// rules allow. A word or unit wider than the line breaks at the last grapheme boundary that
// fits.
// With a hyphenator, a word that does not fit is broken at its last hyphenation point where the
// part and a hyphen fit, never on more than two lines in a row; such a line is hyphenated.
void wrapRawLine(QStringView line, qint32 offset, double wrapWidth, const TextMeasurer &measurer,
                 WordWidthCache &cache, LineSpans &out, const Hyphenator *hyphenator = nullptr);

// Wraps every raw line of a piece; an empty raw line is one empty line. Inside a raw line of
// hundreds of thousands of characters, progress learns now and then how many characters of the
// piece are wrapped.
void wrapPiece(FitPiece &piece, double wrapWidth, const TextMeasurer &measurer,
               WordWidthCache &cache, const Hyphenator *hyphenator = nullptr,
               const std::function<void(qsizetype)> &progress = {});

// Numbers the lines of the used pieces; returns TotalLines (at least 1).
int numberFittedLines(FitPieces &pieces);

// Line n (1-based) of the fitted text, without a line break.
QStringView FittedLine(const FitPieces &pieces, int n);

// The used piece whose lines number n among them; null when none does.
const FitPiece *pieceHoldingLine(const FitPieces &pieces, int n);

// Line n and line n + 1 are one raw line broken where no space was consumed.
bool FittedLineJoinsNext(const FitPieces &pieces, int n);

// Line n ends inside a word at a hyphenation point: it is drawn with a hyphen.
bool FittedLineHyphenated(const FitPieces &pieces, int n);

// A character of a script written without spaces between words, or CJK punctuation: words that
// hold one are broken by the Unicode line breaking rules.
bool needsLineBreakRules(QChar c);

// The reading position carried into a refit: line L0 of PreviousTotalLines becomes the returned
// line of TotalLines, in 1..TotalLines.
int carriedLine(int L0, int totalLines, int previousTotalLines);

// round((L1 - 1) / linesPerPage) + 1 with halves to even, at most pageCount.
int pageOfCarriedLine(int L1, int linesPerPage, int pageCount);

int pageCountFor(int totalLines, int linesPerPage);

// A bookmark keeps the first line of its page, scaled like the reading position; not clamped.
int movedBookmarkPage(int bookmarkPage, int previousLinesPerPage, int totalLines,
                      int previousTotalLines, int linesPerPage);
