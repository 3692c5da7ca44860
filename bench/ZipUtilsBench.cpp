#include "core/text/ZipUtils.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <zip.h>

#include <memory>
#include <stdexcept>
#include <vector>

namespace {

constexpr int memberCount = 10000;

QString memberName(int i)
{
    return QStringLiteral("books/volume%1/chapter%2.txt")
        .arg(i / 100)
        .arg(i % 100, 3, 10, QChar(u'0'));
}

// Built once per run: 10,000 deflated members of about 2 KB each.
const QString &archivePath()
{
    static std::unique_ptr<QTemporaryDir> dir;
    static QString path;
    if (!path.isEmpty())
        return path;
    dir = std::make_unique<QTemporaryDir>();
    path = dir->path() + QStringLiteral("/library.zip");
    int error = 0;
    zip_t *archive = zip_open(path.toLocal8Bit().constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive)
        throw std::runtime_error("cannot create the benchmark archive");
    std::vector<QByteArray> texts;
    texts.reserve(memberCount);
    for (int i = 0; i < memberCount; ++i) {
        texts.push_back(
            QByteArray("Chapter ") + QByteArray::number(i) + ".\r\n" +
            QByteArray("It was a dark and stormy night; the rain fell in torrents. ").repeated(32));
        const QByteArray name = memberName(i).toUtf8();
        zip_source_t *source = zip_source_buffer(archive, texts.back().constData(),
                                                 zip_uint64_t(texts.back().size()), 0);
        if (zip_file_add(archive, name.constData(), source, ZIP_FL_ENC_UTF_8) < 0)
            throw std::runtime_error(zip_strerror(archive));
    }
    if (zip_close(archive) != 0)
        throw std::runtime_error("cannot write the benchmark archive");
    return path;
}

void BM_ListArchiveMembers(benchmark::State &state)
{
    const QString &path = archivePath();
    for (auto _ : state) {
        const ArchiveListing listing = ListArchiveMembers(path);
        if (!listing.ok || listing.members.size() != memberCount)
            state.SkipWithError("listing failed");
        benchmark::DoNotOptimize(listing.members.data());
    }
    state.counters["members"] = memberCount;
}
BENCHMARK(BM_ListArchiveMembers)->Unit(benchmark::kMillisecond);

// The last member is the worst case for finding a name.
void BM_ExtractMemberToMemory(benchmark::State &state)
{
    const QString &path = archivePath();
    const QString member = memberName(int(state.range(0)));
    for (auto _ : state) {
        const MemberData data = ExtractMemberToMemory(path, member);
        if (!data.ok)
            state.SkipWithError("extraction failed");
        benchmark::DoNotOptimize(data.bytes.data());
    }
}
BENCHMARK(BM_ExtractMemberToMemory)->Arg(0)->Arg(memberCount - 1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
