#pragma once

#include "core/layout/LineFitter.h"

#include <functional>
#include <memory>

// A measurer for one thread, made on the calling thread: the toolkit's font metrics must not be
// shared between threads.
using MeasurerFactory = std::function<std::unique_ptr<TextMeasurer>()>;

// Wraps every used piece as wrapPiece does, on up to `threads` threads, the calling one among
// them; the lines come out the same for any number of threads. The calling thread measures with
// `measurer`, every other one with a measurer from makeMeasurer. Widths the cache lacks are
// measured on the thread that meets them and added to the cache at the end. progress(done, used)
// is called on the calling thread whenever it sees more pieces done; while it wraps a piece of
// a very long line itself, with done / used the share of the text wrapped (in thousandths of
// a piece each).
void wrapPieces(FitPieces &pieces, double wrapWidth, const TextMeasurer &measurer,
                const MeasurerFactory &makeMeasurer, WordWidthCache &cache, int threads,
                const std::function<void(int done, int used)> &progress = {},
                const Hyphenator *hyphenator = nullptr);
