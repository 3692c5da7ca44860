#include "core/book/IniFile.h"
#include "core/book/SettingsValues.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <memory>
#include <vector>

namespace {

QString documentPath(int i)
{
    return QStringLiteral("/home/reader/Books/Author %1/The Long Title of Book Number %1.txt")
        .arg(i);
}

QList<IniEntry> documentEntries(int page)
{
    return {{"Fontname", "Liberation Serif"},
            {"Fontsize", "12"},
            {"Remove line breaks", "Yes"},
            {"Check punctuation marks", "No"},
            {"Check indentation", "Yes"},
            {"Page", QString::number(page)},
            {"Total lines", "48213"},
            {"Lines", "31"},
            {"Bookmark 1", "17"},
            {"Bookmark 2", ""},
            {"Bookmark 3", ""},
            {"Automatically create TOC", "No"},
            {"Preceding blank lines", "3"},
            {"Section header size", "5"},
            {"Count blank lines", "Yes"},
            {"TOC on left side", "No"}};
}

// A settings file with the global sections and `sections` document sections, built once per
// size and copied for each benchmark so that runs do not disturb each other.
QByteArray settingsBytes(int sections)
{
    static std::map<int, QByteArray> built;
    auto &bytes = built[sections];
    if (bytes.isEmpty()) {
        QByteArray out;
        for (const IniSection &s : startupContent("/opt/tavolex")) {
            out += '[' + s.name.toUtf8() + "]\n";
            for (const IniEntry &e : s.entries)
                out += e.key.toUtf8() + '=' + e.value.toUtf8() + '\n';
            out += '\n';
        }
        for (int i = 0; i < sections; ++i) {
            out += '[' + documentPath(i).toUtf8() + "]\n";
            for (const IniEntry &e : documentEntries(i % 500 + 1))
                out += e.key.toUtf8() + '=' + e.value.toUtf8() + '\n';
            out += '\n';
        }
        bytes = out;
    }
    return bytes;
}

// Times every write on its own and reports the median and 90th percentile of single writes,
// which a busy machine disturbs less than the mean.
class WriteTimes
{
public:
    template <typename Write> void time(benchmark::State &state, Write write)
    {
        const auto start = std::chrono::steady_clock::now();
        write();
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(elapsed.count());
        m_micros.push_back(elapsed.count() * 1e6);
    }
    void report(benchmark::State &state)
    {
        if (m_micros.empty())
            return;
        std::sort(m_micros.begin(), m_micros.end());
        state.counters["median_us"] = m_micros[m_micros.size() / 2];
        state.counters["p90_us"] = m_micros[m_micros.size() * 9 / 10];
    }

private:
    std::vector<double> m_micros;
};

struct Fixture
{
    QTemporaryDir dir;
    QString path;
    explicit Fixture(int sections) : path(dir.filePath("Tavolex.ini"))
    {
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(settingsBytes(sections));
    }
};

// One page turn: "Page" of a document in the middle of the file, the IniFile kept between
// turns as the reader window keeps it.
void BM_WritePage(benchmark::State &state)
{
    const int sections = int(state.range(0));
    Fixture fixture(sections);
    IniFile ini(fixture.path,
                state.range(1) ? IniFile::Durability::Flushed : IniFile::Durability::Unflushed);
    const QString section = documentPath(sections / 2);
    int page = 1;
    // The window has read the file before its first page turn.
    benchmark::DoNotOptimize(ini.readString(section, "Page", {}));
    WriteTimes times;
    for (auto _ : state) {
        times.time(state, [&] {
            if (ini.writeString(section, "Page", QString::number(++page)) !=
                IniFile::WriteResult::Written)
                state.SkipWithError("write refused");
        });
    }
    times.report(state);
    state.counters["file_kB"] = double(settingsBytes(sections).size()) / 1024;
}
BENCHMARK(BM_WritePage)
    ->ArgsProduct({{100, 2000, 10000}, {0, 1}})
    ->ArgNames({"sections", "flushed"})
    ->Iterations(200)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

// The same write after a hand edit: nothing of the last parse can be reused.
void BM_WritePageAfterHandEdit(benchmark::State &state)
{
    const int sections = int(state.range(0));
    Fixture fixture(sections);
    const QString section = documentPath(sections / 2);
    int page = 1;
    WriteTimes times;
    for (auto _ : state) {
        times.time(state, [&] {
            IniFile ini(fixture.path);
            if (ini.writeString(section, "Page", QString::number(++page)) !=
                IniFile::WriteResult::Written)
                state.SkipWithError("write refused");
        });
    }
    times.report(state);
}
BENCHMARK(BM_WritePageAfterHandEdit)
    ->Arg(2000)
    ->Iterations(100)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

// The whole document section after a fit (16 keys, one file write).
void BM_SaveDocumentSection(benchmark::State &state)
{
    const int sections = int(state.range(0));
    Fixture fixture(sections);
    IniFile ini(fixture.path);
    const QString section = documentPath(sections / 2);
    int page = 1;
    benchmark::DoNotOptimize(ini.readString(section, "Page", {}));
    WriteTimes times;
    for (auto _ : state) {
        times.time(state, [&] {
            if (ini.writeStrings(section, documentEntries(++page)) != IniFile::WriteResult::Written)
                state.SkipWithError("write refused");
        });
    }
    times.report(state);
}
BENCHMARK(BM_SaveDocumentSection)
    ->Arg(2000)
    ->Iterations(100)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

// Opening a document reads its 16 keys one by one.
void BM_ReadDocumentSection(benchmark::State &state)
{
    const int sections = int(state.range(0));
    Fixture fixture(sections);
    const IniFile ini(fixture.path);
    const QString section = documentPath(sections / 2);
    const QList<IniEntry> keys = documentEntries(1);
    for (auto _ : state) {
        for (const IniEntry &e : keys)
            benchmark::DoNotOptimize(ini.readString(section, e.key, {}));
    }
}
BENCHMARK(BM_ReadDocumentSection)->Arg(2000)->UseRealTime()->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
