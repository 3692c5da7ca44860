// Unpacking a 100 MB book compressed with xz: the reader's open, find in files' 1 KB blocks, and
// the xz command itself on the same file in the same run.

#include "BookGenerator.h"
#include "core/text/CompressedBooks.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <benchmark/benchmark.h>

#include <stdexcept>

namespace {

constexpr qsizetype BookSize = 100 * 1000 * 1000;

// Made once and kept in the temporary folder: compressing 100 MB takes a minute.
const QString &bookPath()
{
    static QString path;
    if (!path.isEmpty())
        return path;
    const QString packed = QDir::tempPath() + QStringLiteral("/tavolex-bench-book-100M.txt.xz");
    if (!QFile::exists(packed)) {
        const QString plain = QDir::tempPath() + QStringLiteral("/tavolex-bench-book-100M.txt");
        QFile file(plain);
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(generateBookBytes(1, BookSize)) < BookSize)
            throw std::runtime_error("cannot write the benchmark book");
        file.close();
        if (QProcess::execute(QStringLiteral("xz"), {QStringLiteral("-f"), plain}) != 0)
            throw std::runtime_error("xz cannot compress the benchmark book");
    }
    path = packed;
    return path;
}

void BM_DecompressBook(benchmark::State &state)
{
    const QString &path = bookPath();
    qint64 bytes = 0;
    for (auto _ : state) {
        const MemberData data = DecompressBook(path);
        if (!data.ok)
            state.SkipWithError("unpacking failed");
        bytes += data.bytes.size();
        benchmark::DoNotOptimize(data.bytes.constData());
    }
    state.SetBytesProcessed(bytes);
}

void BM_UnpackedStreamIn1KBlocks(benchmark::State &state)
{
    const QString &path = bookPath();
    qint64 bytes = 0;
    char block[1024];
    for (auto _ : state) {
        const std::unique_ptr<ByteStream> stream = OpenUnpackedStream(path, {});
        if (!stream) {
            state.SkipWithError("cannot open");
            break;
        }
        qint64 got;
        while ((got = stream->read(block, sizeof block)) > 0)
            bytes += got;
        if (got < 0)
            state.SkipWithError("unpacking failed");
        benchmark::DoNotOptimize(block);
    }
    state.SetBytesProcessed(bytes);
}

// The unpacked size the xz file records.
qint64 unpackedSize(const QString &path)
{
    QProcess xz;
    xz.start(QStringLiteral("xz"), {QStringLiteral("--robot"), QStringLiteral("-l"), path});
    xz.waitForFinished(-1);
    const QList<QByteArray> lines = xz.readAllStandardOutput().trimmed().split('\n');
    const QList<QByteArray> totals =
        lines.isEmpty() ? QList<QByteArray>() : lines.last().split('\t');
    return totals.size() > 4 ? totals[4].toLongLong() : 0;
}

void BM_XzCommand(benchmark::State &state)
{
    const QString &path = bookPath();
    const qint64 size = unpackedSize(path);
    for (auto _ : state) {
        QProcess xz;
        xz.setStandardOutputFile(QProcess::nullDevice());
        xz.start(QStringLiteral("xz"), {QStringLiteral("-dc"), path});
        if (!xz.waitForFinished(-1) || xz.exitCode() != 0)
            state.SkipWithError("xz -dc failed");
    }
    state.SetBytesProcessed(state.iterations() * size);
}

} // namespace

BENCHMARK(BM_DecompressBook)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_UnpackedStreamIn1KBlocks)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_XzCommand)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

BENCHMARK_MAIN();
