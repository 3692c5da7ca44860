#include "core/text/DocumentFormats.h"
#include "core/text/ZipUtils.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// A small limit keeps the fuzzer from spending its time on honest multi-megabyte members.
constexpr qint64 fuzzSizeLimit = qint64(1) << 20;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray archive(reinterpret_cast<const char *>(data), qsizetype(size));
    const ArchiveListing listing = ListArchiveMembersInMemory(archive);
    if (listing.ok != listing.error.isEmpty() || listing.ok == listing.members.isEmpty())
        std::abort();
    if (listing.ok && listing.members.first() != listing.firstMember)
        std::abort();
    for (const QString &member : listing.members) {
        const MemberData data = ExtractMemberInMemory(archive, member, fuzzSizeLimit);
        if (data.ok &&
            (data.bytes.size() > fuzzSizeLimit ||
             ConvertByExtension(data.bytes, QStringLiteral(".TXT")).text.contains(QChar(0))))
            std::abort();
        if (!data.ok && (data.error.isEmpty() || data.failure == ZipFailure::None))
            std::abort();
    }
    return 0;
}
