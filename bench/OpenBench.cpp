// The whole open as the reader runs it: read, decode, convert, remove line breaks, fit on one
// thread or on all, show the first spread and write the book's settings; and the refit of an
// open book. Books come from the generator with a fixed seed.
//
//   build/release/OpenBench [--benchmark_filter=...]
//
// Besides Google Benchmark's table, a summary gives the wall and the process CPU time of each.

#include "BookGenerator.h"
#include "core/layout/ParallelFit.h"
#include "core/text/DocumentFile.h"
#include "ui/Tavolex1.h"
#include "core/base/ParallelWork.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <ctime>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr std::uint64_t kSeed = 7;

QTemporaryDir &folder()
{
    static QTemporaryDir dir;
    return dir;
}

// A book of about `bytes` bytes, written once: larger ones repeat a 10 MB book.
QString bookFile(qint64 bytes)
{
    static std::map<qint64, QString> paths;
    auto it = paths.find(bytes);
    if (it != paths.end())
        return it->second;
    const QString path = folder().path() + QStringLiteral("/book%1.txt").arg(bytes);
    const QByteArray chunk = generateBookBytes(kSeed, std::min<qint64>(bytes, 10'000'000));
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    while (f.size() + chunk.size() <= bytes + chunk.size() / 2)
        f.write(chunk);
    f.close();
    return paths.emplace(bytes, path).first->second;
}

// A Chinese novel of about `bytes` bytes of UTF-8, written once.
QString chineseBookFile(qint64 bytes)
{
    static std::map<qint64, QString> paths;
    auto it = paths.find(bytes);
    if (it != paths.end())
        return it->second;
    const QString path = folder().path() + QStringLiteral("/chinese%1.txt").arg(bytes);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    // An ideograph takes three bytes.
    f.write(generateChineseBook(kSeed, static_cast<qsizetype>(bytes / 3)).toUtf8());
    f.close();
    return paths.emplace(bytes, path).first->second;
}

double processCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

struct Figures
{
    std::vector<double> wall, cpu;
};

std::map<std::string, Figures> &figures()
{
    static std::map<std::string, Figures> all;
    return all;
}

// Times one call in wall and process CPU milliseconds.
template <typename F> void timed(benchmark::State &state, const std::string &name, F &&work)
{
    QElapsedTimer wall;
    const double cpu0 = processCpuMs();
    wall.start();
    work();
    const double ms = static_cast<double>(wall.nsecsElapsed()) / 1e6;
    state.SetIterationTime(ms / 1e3);
    figures()[name].wall.push_back(ms);
    figures()[name].cpu.push_back(processCpuMs() - cpu0);
}

std::unique_ptr<TForm1> makeWindow(int threads)
{
    auto form = std::make_unique<TForm1>(folder().path() + QStringLiteral("/Tavolex.ini"),
                                         folder().path(), QStringList{});
    form->fitThreads = threads;
    form->resize(1000, 760);
    form->show();
    QCoreApplication::sendPostedEvents(form.get(), QEvent::MetaCall);
    QCoreApplication::processEvents();
    return form;
}

std::string label(const char *what, qint64 bytes, int threads)
{
    char size[32];
    std::snprintf(size, sizeof size, "%.1f MB", static_cast<double>(bytes) / 1e6);
    return std::string(what) + " " + size + (threads == 1 ? ", 1 thread" : ", all threads");
}

// Opens path once per round, after a small book: the book of the last round goes first, so that
// two large books are never held.
void openEachRound(benchmark::State &state, TForm1 &form, const QString &path,
                   const std::string &name)
{
    const QString small = bookFile(100'000);
    for (auto _ : state) {
        form.openFileFromUser(small);
        timed(state, name, [&] { form.openFileFromUser(path); });
        if (form.readerState().OpenFailed || form.readerState().PageCount < 2)
            state.SkipWithError("the book did not open");
    }
    state.counters["pages"] = form.readerState().PageCount;
}

// threads: 1, or 0 for every processor the process may use.
void BM_OpenToFirstSpread(benchmark::State &state)
{
    const qint64 bytes = state.range(0);
    const int threads = static_cast<int>(state.range(1));
    const QString path = bookFile(bytes);
    const std::string name = label("open", bytes, threads);
    auto form = makeWindow(threads);
    openEachRound(state, *form, path, name);
    state.counters["MB/s"] = benchmark::Counter(static_cast<double>(bytes) / 1e6,
                                                benchmark::Counter::kIsIterationInvariantRate);
}

// Chinese: scripts, kinsoku breaks and thousands of distinct glyphs to measure.
void BM_OpenChineseToFirstSpread(benchmark::State &state)
{
    const qint64 bytes = state.range(0);
    const int threads = static_cast<int>(state.range(1));
    const QString path = chineseBookFile(bytes);
    const std::string name = label("open Chinese", bytes, threads);
    auto form = makeWindow(threads);
    openEachRound(state, *form, path, name);
    state.counters["MB/s"] = benchmark::Counter(static_cast<double>(bytes) / 1e6,
                                                benchmark::Counter::kIsIterationInvariantRate);
}

// The same open with justified lines and hyphenation on and off (English patterns; the
// language guess is part of the open).
void BM_OpenTypeset(benchmark::State &state)
{
    const qint64 bytes = state.range(0);
    const int threads = static_cast<int>(state.range(1));
    const bool typeset = state.range(2) != 0;
    const QString path = bookFile(bytes);
    const std::string name =
        label("open", bytes, threads) + (typeset ? ", justify+hyphenate" : ", plain");
    auto form = makeWindow(threads);
    form->JustifyLines->setChecked(typeset);
    form->Hyphenate->setChecked(typeset);
    openEachRound(state, *form, path, name);
}

// Font size changed: every word is measured in the new size.
void BM_RefitNewFontSize(benchmark::State &state)
{
    const qint64 bytes = state.range(0);
    const int threads = static_cast<int>(state.range(1));
    const std::string name = label("refit, font size changed,", bytes, threads);
    auto form = makeWindow(threads);
    form->openFileFromUser(bookFile(bytes));
    int step = 1;
    for (auto _ : state) {
        timed(state, name, [&] {
            form->StepFontSize(step);
            if (form->LayoutChangedSinceFit())
                form->AnpassenClick();
        });
        step = -step;
    }
    state.counters["pages"] = form->readerState().PageCount;
}

// The fit command with nothing changed: every width is known.
void BM_RefitWidthsKnown(benchmark::State &state)
{
    const qint64 bytes = state.range(0);
    const int threads = static_cast<int>(state.range(1));
    const std::string name = label("refit, widths known,", bytes, threads);
    auto form = makeWindow(threads);
    form->openFileFromUser(bookFile(bytes));
    for (auto _ : state)
        timed(state, name, [&] { form->AnpassenClick(); });
    state.counters["pages"] = form->readerState().PageCount;
}

// One line of letters without a space or a line break, as a damaged or packed file may be.
QString oneLineFile(qint64 bytes)
{
    const QString path = folder().path() + QStringLiteral("/line%1.txt").arg(bytes);
    if (QFile::exists(path))
        return path;
    const QByteArray letters = QByteArray("abcdefghijklmnopqrstuvwxyz").repeated(4096);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    for (qint64 written = 0; written < bytes; written += letters.size())
        f.write(letters.left(qsizetype(std::min<qint64>(letters.size(), bytes - written))));
    return path;
}

void BM_OpenOneLongLine(benchmark::State &state)
{
    const qint64 bytes = state.range(0);
    const QString path = oneLineFile(bytes);
    const std::string name = label("open one line without spaces,", bytes, 0);
    auto form = makeWindow(0);
    openEachRound(state, *form, path, name);
}

// The first stage of an open alone: the book's bytes read and decoded, whole and then decoded
// (as archives, compressed books and other code pages still are) or decoded part by part as they
// are read. The rest of an open is the open's time less this one.
void BM_ReadAndDecode(benchmark::State &state)
{
    const bool chinese = state.range(0) != 0;
    const qint64 bytes = state.range(1);
    const int threads = state.range(2) == 1 ? 1 : usableThreadCount();
    const bool inParts = state.range(3) != 0;
    const QString path = chinese ? chineseBookFile(bytes) : bookFile(bytes);
    const std::string name = label(chinese ? "read+decode Chinese" : "read+decode", bytes,
                                   int(state.range(2))) +
                             (inParts ? ", as read" : ", whole");
    for (auto _ : state) {
        qsizetype units = 0;
        timed(state, name, [&] {
            if (inParts) {
                const PlainTextRead read =
                    readPlainTextDocument(path, qint64(1) << 40, {}, threads);
                units = read.converted ? read.converted->text.size() : 0;
            } else {
                FileRead file = readDocumentFile(path, qint64(1) << 40, {}, threads);
                units = ConvertByExtension(file.bytes, QStringLiteral(".TXT"), {}, {}, threads)
                            .text.size();
            }
        });
        if (units == 0)
            state.SkipWithError("nothing decoded");
    }
}

BENCHMARK(BM_ReadAndDecode)
    ->ArgsProduct({{0}, {32'000'000, 300'000'000}, {1, 0}, {0, 1}})
    ->ArgsProduct({{1}, {20'000'000}, {1, 0}, {0, 1}})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK(BM_OpenOneLongLine)
    ->Arg(12'500'000)
    ->Arg(25'000'000)
    ->Arg(50'000'000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK(BM_OpenToFirstSpread)
    ->ArgsProduct({{3'200'000, 32'000'000}, {1, 0}})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
BENCHMARK(BM_OpenToFirstSpread)
    ->ArgsProduct({{300'000'000}, {1, 0}})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);
BENCHMARK(BM_OpenChineseToFirstSpread)
    ->ArgsProduct({{2'000'000, 20'000'000}, {1, 0}})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
BENCHMARK(BM_OpenTypeset)
    ->ArgsProduct({{32'000'000}, {1, 0}, {0, 1}})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK(BM_RefitNewFontSize)
    ->ArgsProduct({{32'000'000}, {1, 0}})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(6);
BENCHMARK(BM_RefitWidthsKnown)
    ->ArgsProduct({{32'000'000}, {1, 0}})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(6);

void printSummary()
{
    std::printf("\nFastest of each (wall ms / process CPU ms), %d processors usable:\n",
                usableThreadCount());
    for (const auto &[name, f] : figures()) {
        const auto best = [](const std::vector<double> &v) {
            return v.empty() ? 0.0 : *std::min_element(v.begin(), v.end());
        };
        std::printf("  %-44s %8.1f ms wall %8.1f ms CPU  (%zu runs)\n", name.c_str(), best(f.wall),
                    best(f.cpu), f.wall.size());
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    printSummary();
    return 0;
}
