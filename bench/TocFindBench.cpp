#include "BookGenerator.h"
#include "core/book/TableOfContents.h"
#include "core/book/FindInBook.h"
#include "ui/pages/KeyPoll.h"
#include "ui/Tavolex1.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

// One reader window with a 3.2 MB book, fitted as the user would see it.
struct OpenBook
{
    QTemporaryDir dir;
    std::unique_ptr<TForm1> form;

    OpenBook()
    {
        const QString path = dir.path() + QStringLiteral("/book.txt");
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(generateBookBytes(7, 3'200'000));
        f.close();
        form = std::make_unique<TForm1>(dir.path() + QStringLiteral("/Tavolex.ini"), dir.path(),
                                        QStringList{path});
        form->resize(1000, 760);
        form->show();
        // The first layout pass opens and fits the book; without it the first benchmark would
        // scan an empty window.
        QCoreApplication::sendPostedEvents(form.get(), QEvent::MetaCall);
        QCoreApplication::processEvents();
    }

    const ReaderState &state() const { return form->readerState(); }
    LineSource lines() const
    {
        const FitPieces &pieces = state().pieces;
        return [&pieces](int n) { return ::FittedLine(pieces, n); };
    }
};

// Destroyed in main: a window that outlived the application object crashed at exit.
std::unique_ptr<OpenBook> held;

OpenBook &book()
{
    if (!held)
        held = std::make_unique<OpenBook>();
    return *held;
}

TocInput tocInput(const ReaderState &s)
{
    TocInput in;
    in.totalLines = s.TotalLines;
    in.linesPerPage = s.LinesPerPage;
    in.pageCount = s.PageCount;
    in.precedingBlankLinesText = QStringLiteral("3");
    in.headerSizeText = QStringLiteral("5");
    return in;
}

void counters(benchmark::State &state)
{
    state.counters["lines"] = book().state().TotalLines;
    state.counters["pages"] = book().state().PageCount;
}

void BM_BuildTocScan(benchmark::State &state)
{
    OpenBook &b = book();
    qsizetype sections = 0;
    for (auto _ : state) {
        const TocResult r = BuildToc(tocInput(b.state()), b.lines(), [] { return false; });
        sections = r.sections.size();
    }
    counters(state);
    state.counters["sections"] = double(sections);
}
BENCHMARK(BM_BuildTocScan)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// The scan as the window runs it: the key poll between lines looks at the event queue.
void BM_BuildTocScanWithKeyPoll(benchmark::State &state)
{
    OpenBook &b = book();
    for (auto _ : state) {
        KeyPoll poll(b.form.get());
        benchmark::DoNotOptimize(BuildToc(tocInput(b.state()), b.lines(),
                                          [&poll] { return poll.takeKey() == Qt::Key_Space; }));
    }
    counters(state);
}
BENCHMARK(BM_BuildTocScanWithKeyPoll)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// "Create": the scan, the grid filled, the title put back.
void BM_CreateTOCClick(benchmark::State &state)
{
    OpenBook &b = book();
    for (auto _ : state)
        b.form->CreateTOCClick();
    counters(state);
}
BENCHMARK(BM_CreateTOCClick)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// A search from line 1 that reaches the end without a hit, up to the restart question.
void findToEnd(benchmark::State &state, const QString &text, Qt::CaseSensitivity cs)
{
    OpenBook &b = book();
    BookLines lines;
    lines.line = b.lines();
    lines.totalLines = b.state().TotalLines;
    lines.linesPerPage = b.state().LinesPerPage;
    for (auto _ : state) {
        KeyPoll poll(b.form.get());
        FindHooks hooks;
        hooks.pollKey = [&poll] { return poll.takeKey() ? FindKey::Other : FindKey::None; };
        hooks.progress = [&b](int page) { b.form->setWindowTitle(QString::number(page)); };
        hooks.askRestart = [] { return RestartAnswer::Cancel; };
        const FindResult r = FindInBook(lines, text, cs, {1, 1, 1}, hooks);
        if (r.end != FindEnd::Cancelled)
            state.SkipWithError("found");
    }
    counters(state);
}

void BM_FindWordToEnd(benchmark::State &state)
{
    findToEnd(state, QStringLiteral("zebra"), Qt::CaseInsensitive);
}
BENCHMARK(BM_FindWordToEnd)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BM_FindWordToEndCaseSensitive(benchmark::State &state)
{
    findToEnd(state, QStringLiteral("zebra"), Qt::CaseSensitive);
}
BENCHMARK(BM_FindWordToEndCaseSensitive)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// A phrase whose first word is everywhere: every candidate is joined with the next line.
void BM_FindPhraseToEnd(benchmark::State &state)
{
    findToEnd(state, QStringLiteral("the zebra"), Qt::CaseInsensitive);
}
BENCHMARK(BM_FindPhraseToEnd)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    held.reset();
    return 0;
}
