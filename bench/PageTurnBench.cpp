#include "BookGenerator.h"
#include "core/book/IniFile.h"
#include "ui/Tavolex1.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

// A settings file that has seen many books, as after years of reading.
void writeManySections(const QString &path, int sections, bool typeset = true)
{
    QByteArray text = "[Options]\nDefault font name=Liberation Serif\nDefault font size=12\n";
    text += typeset ? "Justify lines=Yes\nHyphenate=Yes\n" : "Justify lines=No\nHyphenate=No\n";
    for (int i = 0; i < sections; ++i) {
        text += "[/home/reader/books/shelf" + QByteArray::number(i % 37) + "/book" +
                QByteArray::number(i) + ".txt]\n";
        text += "Fontname=Liberation Serif\nFontsize=12\nRemove line breaks=Yes\n"
                "Check punctuation marks=No\nCheck indentation=Yes\nPage=" +
                QByteArray::number(i % 500 + 1) +
                "\nTotal lines=12000\nLines=37\nBookmark 1=\nBookmark 2=\nBookmark 3=\n"
                "Automatically create TOC=No\nPreceding blank lines=3\nSection header size=5\n"
                "Count blank lines=Yes\nTOC on left side=No\n";
    }
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(text);
}

// Page turns of the window on a book: both pages filled, labels, the "Page" key written, the
// history.
// painted: each turn also paints both pages, where justified lines are stretched.
// typeset: "Justify lines" and "Hyphenate" on, as they are by default.
void turnPages(benchmark::State &state, const QByteArray &book, bool painted = false,
               bool typeset = true)
{
    QTemporaryDir dir;
    const QString settings = dir.path() + QStringLiteral("/Tavolex.ini");
    writeManySections(settings, 2000, typeset);
    const QString bookPath = dir.path() + QStringLiteral("/book.txt");
    {
        QFile f(bookPath);
        f.open(QIODevice::WriteOnly);
        f.write(book);
    }
    TForm1 form(settings, dir.path(), {bookPath});
    form.resize(1000, 760);
    form.show();
    // The first layout pass, which opens the book, is posted by the show.
    QCoreApplication::sendPostedEvents(&form, QEvent::MetaCall);
    if (form.readerState().PageCount < 10) {
        state.SkipWithError("the book did not open");
        return;
    }
    bool forward = true;
    for (auto _ : state) {
        form.Blaettern(forward ? Qt::RightButton : Qt::LeftButton);
        if (painted) {
            form.LinkeSeite->viewport()->repaint();
            form.RechteSeite->viewport()->repaint();
        }
        forward = !forward;
    }
    state.counters["pages"] = form.readerState().PageCount;
    int hyphenated = 0;
    for (int n = 1; n <= form.readerState().TotalLines; ++n)
        hyphenated += FittedLineHyphenated(form.readerState().pieces, n);
    state.counters["hyphenated"] = hyphenated;
}

void BM_PageTurnWith2000Sections(benchmark::State &state)
{
    turnPages(state, generateBookBytes(7, 3'200'000));
}

// Turn and paint, with both switches on and off.
void BM_PageTurnPainted(benchmark::State &state)
{
    turnPages(state, generateBookBytes(7, 3'200'000), true, state.range(0) != 0);
}
BENCHMARK(BM_PageTurnPainted)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Iterations(200);

// Ideographs come from fallback fonts; Arabic is shaped.
void BM_PageTurnChinese(benchmark::State &state)
{
    turnPages(state, generateChineseBook(7, 1'000'000).toUtf8());
}
BENCHMARK(BM_PageTurnChinese)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Iterations(200);

void BM_PageTurnArabic(benchmark::State &state)
{
    const QString paragraph = QStringLiteral(
        "في صباح يوم مشمس خرج الولد الصغير إلى الحديقة ليلعب مع أصدقائه. كانت الأشجار خضراء "
        "والطيور تغني فوق الأغصان، وكان الجميع سعداء بهذا اليوم الجميل (كما قال المعلم).\r\n\r\n");
    turnPages(state, paragraph.repeated(3000).toUtf8());
}
BENCHMARK(BM_PageTurnArabic)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Iterations(200);

BENCHMARK(BM_PageTurnWith2000Sections)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Iterations(200);

void BM_PageKeyWriteWith2000Sections(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/Tavolex.ini");
    writeManySections(path, 2000);
    IniFile ini(path);
    int page = 1;
    const QString section = QStringLiteral("/home/reader/books/shelf3/book1000.txt");
    for (auto _ : state) {
        if (ini.writeString(section, QStringLiteral("Page"), QString::number(++page)) !=
            IniFile::WriteResult::Written)
            state.SkipWithError("write refused");
    }
}
BENCHMARK(BM_PageKeyWriteWith2000Sections)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Iterations(200);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
