#include "BookGenerator.h"
#include "core/text/FindInFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <zip.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <stdexcept>

namespace {

// A phrase that no generated book holds.
const QString kAbsent = QStringLiteral("zebra quantum harmonica");

// TAVOLEX_FIF_MB picks a smaller tree on a busy machine.
qint64 treeMegabytes()
{
    const char *env = std::getenv("TAVOLEX_FIF_MB");
    return env ? std::atoll(env) : 300;
}

struct Tree
{
    std::unique_ptr<QTemporaryDir> dir;
    QString root;
    FoundEntries plainEntries; // relative
    FoundEntries allEntries;
    qint64 plainBytes = 0;
    qint64 allBytes = 0;
};

void addZip(const QString &path, const QList<QByteArray> &members)
{
    int error = 0;
    zip_t *archive =
        zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive)
        throw std::runtime_error("cannot create a benchmark archive");
    for (int i = 0; i < members.size(); ++i) {
        const QByteArray name = "chapter" + QByteArray::number(i) + ".txt";
        zip_source_t *source =
            zip_source_buffer(archive, members[i].constData(), zip_uint64_t(members[i].size()), 0);
        if (zip_file_add(archive, name.constData(), source, ZIP_FL_ENC_UTF_8) < 0)
            throw std::runtime_error(zip_strerror(archive));
    }
    if (zip_close(archive) != 0)
        throw std::runtime_error("cannot write a benchmark archive");
}

// About 2,000 files in 20 folders; every 40th is a ZIP of three books. Forty distinct books
// are cut to different lengths so that the files differ without generating 300 MB of text.
const Tree &tree()
{
    static Tree t;
    if (t.dir)
        return t;
    t.dir = std::make_unique<QTemporaryDir>();
    t.root = t.dir->path() + u'/';
    const int fileCount = 2000;
    const qint64 perFile = treeMegabytes() * 1000 * 1000 / fileCount;
    QList<QByteArray> books;
    for (int i = 0; i < 40; ++i)
        books << generateBookBytes(1000 + i, perFile + perFile / 4);
    for (int i = 0; i < fileCount; ++i) {
        const QString folder = t.root + QStringLiteral("shelf%1/").arg(i % 20);
        QDir().mkpath(folder);
        const QByteArray &book = books[i % books.size()];
        const qsizetype length = perFile - perFile / 8 + (i * 7919) % (perFile / 4);
        if (i % 40 == 39) {
            addZip(folder + QStringLiteral("box%1.zip").arg(i),
                   {book.left(length / 3), books[(i + 1) % 40].left(length / 3),
                    books[(i + 2) % 40].left(length / 3)});
            continue;
        }
        QFile file(folder + QStringLiteral("book%1.txt").arg(i));
        if (!file.open(QIODevice::WriteOnly) || file.write(book.left(length)) != length)
            throw std::runtime_error("cannot write a benchmark book");
    }
    t.allEntries = SortFoundEntries(WalkDirectory(t.root, SubFolders::Walk), t.root);
    for (const FoundEntry &entry : t.allEntries) {
        if (entry.member.isEmpty()) {
            t.plainEntries.push_back(entry);
            t.plainBytes += QFileInfo(t.root + entry.path).size();
        }
    }
    for (const QFileInfo &info : QDir(t.root).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        for (const QFileInfo &file : QDir(info.filePath()).entryInfoList(QDir::Files))
            t.allBytes += file.size();
    }
    return t;
}

double plainMBps = 0;

void searchEntries(benchmark::State &state, const FoundEntries &entries, qint64 bytes)
{
    const Tree &t = tree();
    for (auto _ : state) {
        int found = 0;
        for (const FoundEntry &entry : entries)
            found += EntryContains(t.root, entry, kAbsent, Qt::CaseInsensitive,
                                   [] { return true; }) == SearchOutcome::Found;
        if (found != 0)
            state.SkipWithError("the absent phrase was found");
    }
    state.SetBytesProcessed(state.iterations() * bytes);
    state.counters["files"] = double(entries.size());
    state.counters["MB"] = double(bytes) / 1e6;
}

void BM_FindInFiles_PlainFiles(benchmark::State &state)
{
    const Tree &t = tree();
    QElapsedTimer timer;
    timer.start();
    searchEntries(state, t.plainEntries, t.plainBytes);
    plainMBps = double(t.plainBytes) * double(state.iterations()) / 1e6 /
                (double(timer.nsecsElapsed()) / 1e9);
    state.counters["MB/s"] = plainMBps;
}

void BM_FindInFiles_WholeTreeWithZips(benchmark::State &state)
{
    const Tree &t = tree();
    searchEntries(state, t.allEntries, t.allBytes);
}

// grep under the C.UTF-8 locale over the same tree, timed around the whole process.
void BM_GrepRlFi(benchmark::State &state)
{
    const Tree &t = tree();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    double seconds = 0;
    for (auto _ : state) {
        QProcess grep;
        grep.setProcessEnvironment(env);
        QElapsedTimer timer;
        timer.start();
        grep.start(QStringLiteral("grep"), {QStringLiteral("-rlFi"), kAbsent, t.root});
        grep.waitForFinished(-1);
        const double elapsed = double(timer.nsecsElapsed()) / 1e9;
        state.SetIterationTime(elapsed);
        seconds += elapsed;
        if (grep.exitCode() != 1)
            state.SkipWithError("grep did not run or found the phrase");
    }
    const double grepMBps = double(t.allBytes) * double(state.iterations()) / 1e6 / seconds;
    state.SetBytesProcessed(state.iterations() * t.allBytes);
    state.counters["MB/s"] = grepMBps;
    if (plainMBps > 0)
        state.counters["ours/grep"] = plainMBps / grepMBps;
}

// A .tar.gz of many small chapters, as sorted for the dialog.
struct TarOfChapters
{
    std::unique_ptr<QTemporaryDir> dir;
    QString root;
    FoundEntries entries;
};

const TarOfChapters &tarOfChapters(int members)
{
    static std::map<int, TarOfChapters> made;
    TarOfChapters &t = made[members];
    if (t.dir)
        return t;
    t.dir = std::make_unique<QTemporaryDir>();
    t.root = t.dir->path() + u'/';
    const QString pages = t.root + QStringLiteral("pages/");
    QDir().mkpath(pages);
    const QByteArray book = generateBookBytes(77, 64 * 1024);
    QStringList names;
    for (int i = 0; i < members; ++i) {
        names << QStringLiteral("chapter%1.txt").arg(i);
        QFile file(pages + names.last());
        const QByteArray text = book.mid((i * 211) % (book.size() - 200), 200);
        if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
            throw std::runtime_error("cannot write a benchmark chapter");
    }
    QProcess tar;
    tar.setWorkingDirectory(pages);
    tar.start(QStringLiteral("tar"), QStringList{QStringLiteral("-czf"), t.root + "book.tar.gz"}
                                         << names);
    if (!tar.waitForFinished(-1) || tar.exitCode() != 0)
        throw std::runtime_error("cannot make a benchmark tar archive");
    QDir(pages).removeRecursively();
    t.entries = SortFoundEntries(WalkDirectory(t.root, SubFolders::Walk), t.root);
    return t;
}

// Each member unpacked from the archive's start, as the dialog once did.
void BM_FindInFiles_TarMembersOneByOne(benchmark::State &state)
{
    const TarOfChapters &t = tarOfChapters(int(state.range(0)));
    for (auto _ : state) {
        for (const FoundEntry &entry : t.entries)
            benchmark::DoNotOptimize(EntryContains(t.root, entry, kAbsent, Qt::CaseInsensitive));
    }
    state.counters["members"] = double(t.entries.size());
}

void BM_FindInFiles_TarMembersInOnePass(benchmark::State &state)
{
    const TarOfChapters &t = tarOfChapters(int(state.range(0)));
    for (auto _ : state) {
        EntrySearch search(t.root, kAbsent, Qt::CaseInsensitive);
        for (const FoundEntry &entry : t.entries)
            benchmark::DoNotOptimize(search.contains(entry));
    }
    state.counters["members"] = double(t.entries.size());
}

} // namespace

BENCHMARK(BM_FindInFiles_TarMembersOneByOne)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Arg(1000)
    ->Arg(2000)
    ->Arg(4000);
BENCHMARK(BM_FindInFiles_TarMembersInOnePass)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Arg(1000)
    ->Arg(2000)
    ->Arg(4000);
BENCHMARK(BM_FindInFiles_PlainFiles)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_FindInFiles_WholeTreeWithZips)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_GrepRlFi)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(2.0);

BENCHMARK_MAIN();
