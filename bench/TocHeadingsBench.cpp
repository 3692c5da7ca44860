#include "BookGenerator.h"
#include "core/book/TableOfContents.h"
#include "ui/pages/KeyPoll.h"
#include "ui/Tavolex1.h"

#include <QApplication>
#include <QFile>
#include <QTableWidget>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr qsizetype kBookChars = 32'000'000;

enum class Book { Headed, Unheaded };

// One reader window with a 32 MB book, fitted as the user would see it. Only one is held at a
// time: two would need the memory of both.
struct OpenBook
{
    QTemporaryDir dir;
    std::unique_ptr<TForm1> form;

    explicit OpenBook(Book kind)
    {
        const QString path = dir.path() + QStringLiteral("/book.txt");
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        if (kind == Book::Headed) {
            f.write(generateStyledBook(HeadingStyle::EnglishRoman, 7, kBookChars).text.toUtf8());
        } else {
            // Chapters after four blank lines with nothing that reads as a heading.
            f.write(generateBook(7, kBookChars)
                        .replace(QStringLiteral("CHAPTER "), QStringLiteral("* * * "))
                        .toUtf8());
        }
        f.close();
        form = std::make_unique<TForm1>(dir.path() + QStringLiteral("/Tavolex.ini"), dir.path(),
                                        QStringList{path});
        form->resize(1000, 760);
        form->show();
        // The first layout pass, which opens and fits the book, runs now and not inside the
        // first timed scan's key poll.
        QCoreApplication::sendPostedEvents(form.get(), QEvent::MetaCall);
        QCoreApplication::processEvents();
        if (form->readerState().TotalLines < 1000)
            qFatal("the book did not open");
    }
};

// Destroyed in main, before the application object it needs.
std::unique_ptr<OpenBook> held;
Book heldKind = Book::Headed;

OpenBook &book(Book kind)
{
    if (!held || heldKind != kind) {
        held.reset();
        held = std::make_unique<OpenBook>(kind);
        heldKind = kind;
    }
    return *held;
}

void scan(benchmark::State &state, Book kind, TocSource source)
{
    OpenBook &b = book(kind);
    const ReaderState &s = b.form->readerState();
    TocInput in;
    in.totalLines = s.TotalLines;
    in.linesPerPage = s.LinesPerPage;
    in.pageCount = s.PageCount;
    in.precedingBlankLinesText = QStringLiteral("3");
    in.headerSizeText = QStringLiteral("5");
    in.source = source;
    const FitPieces &pieces = s.pieces;
    qsizetype sections = 0;
    for (auto _ : state) {
        KeyPoll poll(b.form.get());
        const TocResult r = BuildToc(
            in, [&pieces](int n) { return ::FittedLine(pieces, n); },
            [&poll] { return poll.takeKey() == Qt::Key_Space; });
        sections = r.sections.size();
    }
    state.counters["lines"] = s.TotalLines;
    state.counters["sections"] = double(sections);
}

// The scan as the window runs it, key poll included, with each source.
void BM_HeadedAutomatic(benchmark::State &state)
{
    scan(state, Book::Headed, TocSource::Automatic);
}
void BM_HeadedHeadings(benchmark::State &state)
{
    scan(state, Book::Headed, TocSource::Headings);
}
void BM_HeadedHeadingsAndBlankLines(benchmark::State &state)
{
    scan(state, Book::Headed, TocSource::HeadingsAndBlankLines);
}
void BM_HeadedBlankLines(benchmark::State &state)
{
    scan(state, Book::Headed, TocSource::BlankLines);
}

// "Create" with the default choice: the scan, the grid filled, the title put back.
void BM_HeadedCreateTOCClick(benchmark::State &state)
{
    OpenBook &b = book(Book::Headed);
    for (auto _ : state)
        b.form->CreateTOCClick();
    state.counters["lines"] = b.form->readerState().TotalLines;
    state.counters["sections"] = b.form->ChapterList->rowCount() - 1;
}

// The worst case of the automatic choice: no headings, so the whole book is looked through
// for them before the blank-line scan.
void BM_UnheadedAutomatic(benchmark::State &state)
{
    scan(state, Book::Unheaded, TocSource::Automatic);
}

#define TOC_BENCH(name)                                                                            \
    BENCHMARK(name)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true)
TOC_BENCH(BM_HeadedAutomatic);
TOC_BENCH(BM_HeadedHeadings);
TOC_BENCH(BM_HeadedHeadingsAndBlankLines);
TOC_BENCH(BM_HeadedBlankLines);
TOC_BENCH(BM_HeadedCreateTOCClick);
TOC_BENCH(BM_UnheadedAutomatic);

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
