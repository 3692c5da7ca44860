#include "BookGenerator.h"
#include "core/layout/Hyphenation.h"
#include "core/layout/LineBreakRemoval.h"
#include "core/layout/LineFitter.h"
#include "ui/pages/QtTextMeasurer.h"

#include <QFont>
#include <QFontInfo>
#include <QGuiApplication>
#include <QTextLayout>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr double kWrapWidth = 394;
constexpr double kTabStop = 80; // the page controls' default
constexpr qsizetype kSmall = 3'200'000;
constexpr qsizetype kLarge = 32'000'000;
constexpr std::uint64_t kSeed = 1803;

QFont pageFont()
{
    // As the window sets it: fitting adds up word widths, which kerning would spoil.
    QFont font(QStringLiteral("Liberation Serif"), 12);
    font.setKerning(false);
    return font;
}

enum class Text { Raw, Joined };

// Books are generated once per size and kind.
const QString &book(qsizetype chars, Text kind)
{
    static std::map<std::pair<qsizetype, Text>, QString> books;
    auto it = books.find({chars, kind});
    if (it == books.end()) {
        QString text = generateBook(kSeed, chars);
        if (kind == Text::Joined)
            RemoveSingleLineBreaks(text, LineBreakRules{});
        it = books.emplace(std::make_pair(chars, kind), std::move(text)).first;
    }
    return it->second;
}

// CPU milliseconds of every timed iteration, per benchmark, for the closing summary.
std::map<std::string, std::vector<double>> &iterationTimes()
{
    static std::map<std::string, std::vector<double>> times;
    return times;
}

double threadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// CPU time of this thread: the machine is shared, and wall time there counts other programs.
template <typename F> void timed(const std::string &name, F &&work)
{
    const double t0 = threadCpuMs();
    work();
    iterationTimes()[name].push_back(threadCpuMs() - t0);
}

// What FitLines does after the line-break removal: cut, wrap every piece, number.
int fitPieces(const QString &text, const TextMeasurer &measurer, WordWidthCache &cache,
              FitPieces &pieces, const Hyphenator *hyphenator = nullptr)
{
    cutIntoPieces(text, pieces);
    for (FitPiece &piece : pieces)
        if (piece.used())
            wrapPiece(piece, kWrapWidth, measurer, cache, hyphenator);
    return numberFittedLines(pieces);
}

std::string label(const char *what, qsizetype chars, Text kind)
{
    return std::string(what) + (kind == Text::Joined ? " joined " : " ") +
           (chars == kSmall ? "3.2MB" : "32MB");
}

void setCounters(benchmark::State &state, qsizetype chars, int lines)
{
    state.counters["lines"] = lines;
    state.counters["chars/s"] = benchmark::Counter(static_cast<double>(chars),
                                                   benchmark::Counter::kIsIterationInvariantRate);
}

void BM_FitCold(benchmark::State &state)
{
    const auto kind = static_cast<Text>(state.range(1));
    const QString &text = book(state.range(0), kind);
    const QtTextMeasurer measurer(pageFont(), kTabStop);
    const std::string name = label("fit cold", state.range(0), kind);
    FitPieces pieces;
    int lines = 0;
    for (auto _ : state) {
        timed(name, [&] {
            WordWidthCache cache;
            lines = fitPieces(text, measurer, cache, pieces);
        });
    }
    setCounters(state, text.size(), lines);
}

void BM_FitWarm(benchmark::State &state)
{
    const auto kind = static_cast<Text>(state.range(1));
    const QString &text = book(state.range(0), kind);
    const QtTextMeasurer measurer(pageFont(), kTabStop);
    const std::string name = label("fit warm", state.range(0), kind);
    FitPieces pieces;
    WordWidthCache cache;
    int lines = fitPieces(text, measurer, cache, pieces);
    for (auto _ : state)
        timed(name, [&] { lines = fitPieces(text, measurer, cache, pieces); });
    setCounters(state, text.size(), lines);
    state.counters["words"] = static_cast<double>(cache.size());
}

// The 32 MB book as opened (lines joined), fitted with and without hyphenation. Cold: new word
// widths and a new hyphenator, whose cache of hyphenated words starts empty.
void BM_FitHyphenation(benchmark::State &state)
{
    const bool hyphenate = state.range(0) != 0;
    const bool warm = state.range(1) != 0;
    const QString &text = book(kLarge, Text::Joined);
    const QtTextMeasurer measurer(pageFont(), kTabStop);
    const QString patterns = hyphenationDictionaryPath(QLocale::English);
    if (hyphenate && patterns.isEmpty()) {
        state.SkipWithError("hyphen-en-us is not installed");
        return;
    }
    const std::string name = std::string(warm ? "fit warm joined 32MB" : "fit cold joined 32MB") +
                             (hyphenate ? " hyphenated" : " plain");
    FitPieces pieces;
    WordWidthCache cache;
    auto hyphenator = hyphenate ? std::make_unique<Hyphenator>(patterns) : nullptr;
    int lines = warm ? fitPieces(text, measurer, cache, pieces, hyphenator.get()) : 0;
    int hyphenated = 0;
    for (auto _ : state) {
        if (!warm) {
            state.PauseTiming();
            cache.clear();
            if (hyphenate)
                hyphenator = std::make_unique<Hyphenator>(patterns);
            state.ResumeTiming();
        }
        timed(name, [&] { lines = fitPieces(text, measurer, cache, pieces, hyphenator.get()); });
    }
    for (int n = 1; n <= lines; ++n)
        hyphenated += FittedLineHyphenated(pieces, n);
    setCounters(state, text.size(), lines);
    state.counters["hyphenated"] = hyphenated;
}

// The straightforward toolkit way: one QTextLayout per raw line at the same width.
int layoutParagraphs(const QString &text, const QFont &font)
{
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    option.setTabStopDistance(kTabStop);
    int lines = 0;
    qsizetype start = 0;
    const qsizetype n = text.size();
    while (start <= n) {
        qsizetype end = text.indexOf(QStringLiteral("\r\n"), start);
        if (end < 0)
            end = n;
        QTextLayout layout(text.mid(start, end - start), font);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(kWrapWidth);
            ++lines;
        }
        layout.endLayout();
        start = end + 2;
    }
    return lines;
}

void BM_QTextLayout(benchmark::State &state)
{
    const auto kind = static_cast<Text>(state.range(1));
    const QString &text = book(state.range(0), kind);
    const QFont font = pageFont();
    const std::string name = label("QTextLayout", state.range(0), kind);
    int lines = 0;
    for (auto _ : state)
        timed(name, [&] { lines = layoutParagraphs(text, font); });
    setCounters(state, text.size(), lines);
}

// A 20 MB (UTF-8) novel of each kind, fitted as an opened book is: the English one after the
// single-line-break removal, the Chinese one as it comes (one paragraph a line).
enum class Script { English, Chinese };
constexpr qsizetype kNovelBytes = 20'000'000;

const QString &novel(Script script)
{
    static std::map<Script, QString> books;
    auto it = books.find(script);
    if (it == books.end()) {
        QString text;
        if (script == Script::Chinese) {
            text = generateChineseBook(kSeed, kNovelBytes / 3);
        } else {
            text = generateBook(kSeed, kNovelBytes);
            RemoveSingleLineBreaks(text, LineBreakRules{});
        }
        it = books.emplace(script, std::move(text)).first;
    }
    return it->second;
}

void BM_FitNovel(benchmark::State &state)
{
    const auto script = static_cast<Script>(state.range(0));
    const bool warm = state.range(1) != 0;
    const QString &text = novel(script);
    const QtTextMeasurer measurer(pageFont(), kTabStop);
    const std::string name = std::string(warm ? "fit warm 20MB " : "fit cold 20MB ") +
                             (script == Script::Chinese ? "Chinese" : "English");
    FitPieces pieces;
    WordWidthCache cache;
    int lines = warm ? fitPieces(text, measurer, cache, pieces) : 0;
    for (auto _ : state) {
        timed(name, [&] {
            if (!warm)
                cache.clear();
            lines = fitPieces(text, measurer, cache, pieces);
        });
    }
    setCounters(state, text.size(), lines);
}

BENCHMARK(BM_FitNovel)
    ->Args({static_cast<int64_t>(Script::English), 0})
    ->Args({static_cast<int64_t>(Script::Chinese), 0})
    ->Args({static_cast<int64_t>(Script::English), 1})
    ->Args({static_cast<int64_t>(Script::Chinese), 1})
    ->Unit(benchmark::kMillisecond);

constexpr int64_t kRaw = static_cast<int64_t>(Text::Raw);
constexpr int64_t kJoined = static_cast<int64_t>(Text::Joined);

BENCHMARK(BM_FitCold)
    ->Args({kSmall, kRaw})
    ->Args({kLarge, kRaw})
    ->Args({kSmall, kJoined})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FitWarm)
    ->Args({kSmall, kRaw})
    ->Args({kLarge, kRaw})
    ->Args({kSmall, kJoined})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FitHyphenation)
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QTextLayout)
    ->Args({kSmall, kRaw})
    ->Args({kSmall, kJoined})
    ->Unit(benchmark::kMillisecond);

double fastest(const std::string &name)
{
    const auto &times = iterationTimes();
    const auto it = times.find(name);
    if (it == times.end() || it->second.empty())
        return 0;
    return *std::min_element(it->second.begin(), it->second.end());
}

void printSummary()
{
    std::printf("\nFastest iteration (thread CPU time), %s %d pt at %.0f px:\n",
                qPrintable(QFontInfo(pageFont()).family()), pageFont().pointSize(), kWrapWidth);
    for (const auto &[name, times] : iterationTimes())
        std::printf("  %-28s %9.1f ms  (%zu iterations, the first %.1f ms)\n", name.c_str(),
                    fastest(name), times.size(), times.front());
    const auto ratio = [](const std::string &a, const std::string &b) {
        const double x = fastest(a), y = fastest(b);
        if (x > 0 && y > 0)
            std::printf("  %-44s %6.1fx\n", (a + " / " + b).c_str(), x / y);
    };
    ratio("QTextLayout 3.2MB", "fit cold 3.2MB");
    ratio("QTextLayout 3.2MB", "fit warm 3.2MB");
    ratio("QTextLayout joined 3.2MB", "fit cold joined 3.2MB");
    ratio("QTextLayout joined 3.2MB", "fit warm joined 3.2MB");
    ratio("fit cold 32MB", "fit cold 3.2MB");
    ratio("fit warm 32MB", "fit warm 3.2MB");
    ratio("fit cold 20MB Chinese", "fit cold 20MB English");
    ratio("fit cold joined 32MB hyphenated", "fit cold joined 32MB plain");
    ratio("fit warm joined 32MB hyphenated", "fit warm joined 32MB plain");
    ratio("fit warm 20MB Chinese", "fit warm 20MB English");
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    printSummary();
    return 0;
}
