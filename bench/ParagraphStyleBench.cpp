// ParagraphStyleBench [FILE...]: prints the paragraph style detected for each file, then times
// the detection on generated books up to 32 MB.
#include "BookGenerator.h"
#include "core/layout/ParagraphStyle.h"
#include "core/text/DocumentFormats.h"

#include <QFile>
#include <QFileInfo>

#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

const QString &book(qsizetype megabytes)
{
    static QString texts[64];
    QString &text = texts[megabytes];
    if (text.isEmpty())
        text = generateBook(7, megabytes << 20);
    return text;
}

void BM_DetectParagraphStyle(benchmark::State &state)
{
    const QString &text = book(state.range(0));
    ParagraphStyle style;
    for (auto _ : state) {
        style = detectParagraphStyle(text);
        benchmark::DoNotOptimize(style);
    }
    state.counters["chars"] = double(text.size());
    state.SetLabel(style.description().toStdString());
}

void printStyles(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        QFile file(QString::fromLocal8Bit(argv[i]));
        if (!file.open(QIODevice::ReadOnly)) {
            std::printf("%s: cannot open\n", argv[i]);
            continue;
        }
        const QString name = file.fileName();
        const ConversionResult text = ConvertByExtension(file.readAll(), upperExtension(name));
        const ParagraphStyle style = detectParagraphStyle(text.text);
        std::printf("%-40s %s\n", qPrintable(QFileInfo(name).fileName()),
                    qPrintable(style.description()));
    }
}

} // namespace

BENCHMARK(BM_DetectParagraphStyle)->Arg(1)->Arg(4)->Arg(32)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (argc > 1) {
        printStyles(argc, argv);
        return 0;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
