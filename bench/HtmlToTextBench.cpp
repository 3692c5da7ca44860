#include "core/text/TvxUtils.h"

#include <benchmark/benchmark.h>

namespace {

QString generatedPage(qsizetype targetSize)
{
    const QString paragraph = QStringLiteral(
        "<p class=\"text\">It was the <i>best</i> of times, it was the <b>worst</b> of "
        "times;&nbsp;the age of wisdom &amp; the age of foolishness &mdash; an &eacute;poque "
        "of belief,\r\n  the season of <em>Light</em>, &ldquo;the spring of hope&rdquo;, "
        "AT&T and Q&A, &#8211; &#x41;&#233;.<br>\r\n"
        "<table><tr><td>cell</td><td>&euro; 12</td></tr></table>\r\n"
        "<ul><li>one</li><li><strong>two &hellip;</strong></li></ul>\r\n");
    QString page = QStringLiteral(
        "<html><head><title>Bench</title><style>p { margin: 0 }</style>"
        "<script>if (b > a) { c(); }</script></head>\r\n<body>\r\n<h1>Chapter</h1>\r\n");
    page.reserve(targetSize + paragraph.size() + 64);
    int n = 0;
    while (page.size() < targetSize) {
        page += paragraph;
        if (++n % 50 == 0)
            page += QStringLiteral("<hr>\r\n<pre>  kept   as\r\n  it is</pre>\r\n");
    }
    page += QStringLiteral("</body></html>\r\n");
    return page;
}

void BM_HtmlToText(benchmark::State &state)
{
    const QString page = generatedPage(5 * 1024 * 1024);
    const QByteArray bytes = page.toUtf8();
    qsizetype outSize = 0;
    for (auto _ : state) {
        const QString text = HtmlToText(page);
        outSize = text.size();
        benchmark::DoNotOptimize(text.constData());
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
    state.counters["in_chars"] = static_cast<double>(page.size());
    state.counters["out_chars"] = static_cast<double>(outSize);
}
BENCHMARK(BM_HtmlToText)->Unit(benchmark::kMillisecond);

void BM_DecodeHtmlBytesThenHtmlToText(benchmark::State &state)
{
    const QByteArray bytes = generatedPage(5 * 1024 * 1024).toUtf8();
    for (auto _ : state) {
        const QString text = HtmlToText(decodeHtmlBytes(bytes).text);
        benchmark::DoNotOptimize(text.constData());
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_DecodeHtmlBytesThenHtmlToText)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
