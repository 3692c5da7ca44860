#include "core/text/RtfToText.h"

#include <benchmark/benchmark.h>

namespace {

// A word-processor style document: header tables, formatting runs, escapes, a table every
// 40 paragraphs and a picture every 100.
QByteArray generatedDocument(qsizetype targetSize)
{
    QByteArray rtf =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl{\\f0\\froman\\fcharset0 Times New "
        "Roman;}{\\f1\\fswiss\\fcharset204 Arial Cyr;}{\\f2\\fnil\\fcharset128 MS Mincho;}}\r\n"
        "{\\colortbl;\\red0\\green0\\blue0;\\red0\\green0\\blue255;}\r\n"
        "{\\stylesheet{\\s0\\f0\\fs24 Normal;}{\\s1\\f0\\fs32\\b heading 1;}}\r\n"
        "{\\*\\generator Bench 1.0;}{\\info{\\title Bench}{\\author Nobody}}\r\n";
    const QByteArray latin =
        "\\pard\\plain \\s0\\ql\\f0\\fs24 {\\b It was} the best of times, it was the "
        "{\\i worst} of times; caf\\'e9 cr\\'e8me br\\'fbl\\'e9e \\emdash\\~the age of "
        "\\ldblquote wisdom\\rdblquote , \\u8220\\'93foolishness\\u8221\\'94 and "
        "{\\field{\\*\\fldinst HYPERLINK \"https://example.org/\"}{\\fldrslt {\\ul a link}}} "
        "to follow.\\par\r\n";
    const QByteArray cyrillic =
        "\\pard\\plain \\s0\\f1\\fs24 \\'cf\\'f0\\'e8\\'e2\\'e5\\'f2, \\'ec\\'e8\\'f0! "
        "\\'dd\\'f2\\'ee \\'f1\\'f2\\'f0\\'e0\\'ed\\'e8\\'f6\\'e0 \\'ea\\'ed\\'e8\\'e3\\'e8 "
        "\\u1082\\'ea\\u1085\\'ed\\u1080\\'e8\\u1075\\'e3\\u1072\\'e0.{\\v hidden}\\par\r\n";
    const QByteArray japanese =
        "\\pard\\plain \\f2\\fs24 \\'82\\'b1\\'82\\'f1\\'82\\'c9\\'82\\'bf\\'82\\'cd "
        "\\uc2\\u19990\\'90\\'a2\\u30028\\'8a\\'45\\uc1\\par\r\n";
    const QByteArray table =
        "\\trowd\\cellx3000\\cellx6000\\pard\\intbl Ship\\cell Port\\cell\\row\r\n"
        "\\trowd\\cellx3000\\cellx6000\\pard\\intbl Aurora\\cell Lisbon\\cell\\row\r\n";
    const QByteArray picture =
        "{\\*\\shppict{\\pict\\pngblip\\picw4\\pich3 " + QByteArray(2000, 'a') + "}}\r\n";
    rtf.reserve(targetSize + 4096);
    for (int n = 1; rtf.size() < targetSize; ++n) {
        rtf += latin;
        rtf += cyrillic;
        if (n % 10 == 0)
            rtf += japanese;
        if (n % 40 == 0)
            rtf += table;
        if (n % 100 == 0)
            rtf += picture;
    }
    return rtf + "}";
}

void BM_RtfToText(benchmark::State &state)
{
    const QByteArray rtf = generatedDocument(5 * 1024 * 1024);
    qsizetype outSize = 0;
    for (auto _ : state) {
        const QString text = RtfToText(rtf);
        outSize = text.size();
        benchmark::DoNotOptimize(text.constData());
    }
    state.SetBytesProcessed(state.iterations() * rtf.size());
    state.counters["in_bytes"] = static_cast<double>(rtf.size());
    state.counters["out_chars"] = static_cast<double>(outSize);
}
BENCHMARK(BM_RtfToText)->Unit(benchmark::kMillisecond);

// Every character an escape in a double-byte code page: the slowest kind of text.
void BM_RtfToTextDoubleByte(benchmark::State &state)
{
    QByteArray rtf = "{\\rtf1\\ansi\\ansicpg932\\deff0{\\fonttbl{\\f0\\fcharset128 M;}}";
    const QByteArray paragraph = "\\'82\\'b1\\'82\\'f1\\'82\\'c9\\'82\\'bf\\'82\\'cd\\'81\\'42"
                                 "\\'93\\'fa\\'96\\'7b\\'8c\\'ea\\par\r\n";
    while (rtf.size() < 5 * 1024 * 1024)
        rtf += paragraph;
    rtf += "}";
    for (auto _ : state) {
        const QString text = RtfToText(rtf);
        benchmark::DoNotOptimize(text.constData());
    }
    state.SetBytesProcessed(state.iterations() * rtf.size());
}
BENCHMARK(BM_RtfToTextDoubleByte)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
