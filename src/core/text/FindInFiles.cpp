#include "core/text/FindInFiles.h"

#include "core/text/CompressedBooks.h"
#include "core/text/DocumentFormats.h"
#include "core/text/TextDecoding.h"
#include "core/text/ZipUtils.h"

#include <QCollator>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>
#include <optional>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr qsizetype BlockSize = 1024;
constexpr qsizetype TextChunk = 4096;

void walkFolder(const QString &folder, SubFolders subFolders, FoundEntries &entries)
{
    // Without QDir::Hidden and QDir::System, dot names, broken links, FIFOs and devices stay out.
    const QFileInfoList infos =
        QDir(folder).entryInfoList(QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot, QDir::Unsorted);
    QStringList remembered;
    for (const QFileInfo &info : infos) {
        const QString name = info.fileName();
        if (info.isDir()) {
            // A linked folder could lead back up the tree.
            if (subFolders == SubFolders::Walk && !info.isSymLink())
                remembered.append(folder + name + u'/');
            continue;
        }
        // A link may lead to a FIFO or a device, whose reading could block or never end.
        if (!info.isFile())
            continue;
        const QString path = folder + name;
        if (!HoldsMembers(PackingOf(name))) {
            entries.push_back({path, QString()});
            continue;
        }
        const ArchiveListing listing = ListBookArchive(path);
        if (!listing.ok)
            continue;
        for (const QString &member : listing.members) {
            // The reader would open a packed member as its packed bytes.
            if (member == u"." || member == u".." || member.endsWith(u'/') ||
                PackingOf(member) != Packing::None)
                continue;
            entries.push_back({path, member});
        }
    }
    for (const QString &sub : std::as_const(remembered))
        walkFolder(sub, subFolders, entries);
}

bool asksToStop(const KeepGoing &keepGoing)
{
    return keepGoing && !keepGoing();
}

SearchOutcome searchInText(QStringView text, const QString &searchText, Qt::CaseSensitivity cs,
                           const KeepGoing &keepGoing)
{
    if (searchText.isEmpty())
        return SearchOutcome::NotFound;
    const LineBreaks breaks =
        searchText.trimmed().contains(u' ') ? LineBreaks::ReadAsSpace : LineBreaks::Unchanged;
    StreamMatcher matcher(searchText, cs, breaks);
    for (qsizetype at = 0; at < text.size(); at += TextChunk) {
        if (asksToStop(keepGoing))
            return SearchOutcome::Stopped;
        if (matcher.feed(text.data() + at, std::min(TextChunk, text.size() - at)))
            return SearchOutcome::Found;
    }
    return SearchOutcome::NotFound;
}

const std::array<QChar, 256> &windows1252Table()
{
    static const std::array<QChar, 256> table = [] {
        QByteArray bytes(256, '\0');
        for (int i = 0; i < 256; ++i)
            bytes[i] = char(i);
        const QString decoded = decodeWindows1252(bytes);
        std::array<QChar, 256> result{};
        for (int i = 0; i < 256; ++i)
            result[i] = i < decoded.size() ? decoded[i] : QChar(i);
        return result;
    }();
    return table;
}

enum class StreamEncoding { Utf8, Utf16LE, Utf16BE };

class FileStream : public ByteStream
{
public:
    explicit FileStream(const QString &path) : file(path) {}
    bool open() { return file.open(QIODevice::ReadOnly); }
    qint64 read(char *buffer, qint64 size) override { return file.read(buffer, size); }
    bool rewind() override { return file.seek(0); }

private:
    QFile file;
};

SearchOutcome searchWindows1252(ByteStream &file, StreamMatcher &matcher,
                                const KeepGoing &keepGoing)
{
    if (!file.rewind())
        return SearchOutcome::Unreadable;
    const std::array<QChar, 256> &cp1252 = windows1252Table();
    char block[BlockSize];
    QChar chars[BlockSize];
    for (;;) {
        const qint64 got = file.read(block, BlockSize);
        if (got < 0)
            return SearchOutcome::Unreadable;
        if (got == 0)
            return SearchOutcome::NotFound;
        for (qint64 i = 0; i < got; ++i)
            chars[i] = cp1252[static_cast<unsigned char>(block[i])];
        if (matcher.feed(chars, got))
            return SearchOutcome::Found;
        if (asksToStop(keepGoing))
            return SearchOutcome::Stopped;
    }
}

// Searches the file in a codec the detector named; nothing when the bytes before the first
// NUL turn out not to be that codec, as decodeLegacyBytes would then read the file as
// Windows-1252. A match found early only counts once that is settled.
std::optional<SearchOutcome> searchInCodec(ByteStream &file, const QByteArray &codec,
                                           StreamMatcher &matcher, const KeepGoing &keepGoing)
{
    CodecStream stream(codec);
    if (!stream.isValid() || !file.rewind())
        return std::nullopt;
    char block[BlockSize];
    QString chars;
    bool beforeNul = true;
    bool found = false;
    for (;;) {
        const qint64 got = file.read(block, BlockSize);
        if (got < 0)
            return SearchOutcome::Unreadable;
        if (got == 0)
            break;
        const QByteArrayView bytes(block, got);
        chars.clear();
        if (beforeNul) {
            const qsizetype nul = bytes.indexOf('\0');
            if (!stream.decode(nul < 0 ? bytes : bytes.first(nul), chars) || looksMisdecoded(chars))
                return std::nullopt;
            if (nul >= 0) {
                beforeNul = false;
                if (!stream.finish())
                    return std::nullopt;
                stream.decode(bytes.sliced(nul), chars);
            }
        } else {
            stream.decode(bytes, chars);
        }
        found = found || matcher.feed(chars.constData(), chars.size());
        if (found && !beforeNul)
            return SearchOutcome::Found;
        if (asksToStop(keepGoing))
            return SearchOutcome::Stopped;
    }
    if (beforeNul && !stream.finish())
        return std::nullopt;
    return found ? SearchOutcome::Found : SearchOutcome::NotFound;
}

// Not UTF-8 after all: the detector reads the file first, then the whole file is searched
// again in the encoding it names, or as Windows-1252. Only one block is held at a time.
SearchOutcome searchLegacy(ByteStream &file, StreamMatcher &matcher, const KeepGoing &keepGoing)
{
    if (!file.rewind())
        return SearchOutcome::Unreadable;
    LegacyEncodingGuess guess;
    char block[BlockSize];
    for (;;) {
        const qint64 got = file.read(block, BlockSize);
        if (got < 0)
            return SearchOutcome::Unreadable;
        if (got == 0)
            break;
        guess.feed(QByteArrayView(block, got));
        if (asksToStop(keepGoing))
            return SearchOutcome::Stopped;
        if (!guess.wantsMore())
            break;
    }
    const auto searchIn = [&](const QByteArray &codec) -> std::optional<SearchOutcome> {
        if (codec.isEmpty())
            return std::nullopt;
        const std::optional<SearchOutcome> outcome = searchInCodec(file, codec, matcher, keepGoing);
        if (!outcome)
            matcher.reset();
        return outcome;
    };
    if (const std::optional<SearchOutcome> outcome = searchIn(guess.answer()))
        return *outcome;
    if (const std::optional<SearchOutcome> outcome = searchIn(guess.eastAsianFallback()))
        return *outcome;
    return searchWindows1252(file, matcher, keepGoing);
}

} // namespace

FoundEntries WalkDirectory(const QString &folder, SubFolders subFolders)
{
    FoundEntries entries;
    walkFolder(folder, subFolders, entries);
    return entries;
}

bool FolderHoldsEntries(const QString &folder)
{
    return QDirIterator(folder,
                        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)
        .hasNext();
}

FoundEntries SortFoundEntries(FoundEntries entries, const QString &folder)
{
    for (FoundEntry &entry : entries) {
        if (entry.path.startsWith(folder))
            entry.path.remove(0, folder.size());
    }
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    const auto before = [&collator](const QString &a, const QString &b) {
        if (a.size() != b.size()) {
            const QString &shorter = a.size() < b.size() ? a : b;
            const QString &longer = a.size() < b.size() ? b : a;
            if (longer.startsWith(shorter, Qt::CaseInsensitive))
                return a.size() < b.size() ? -1 : 1;
        }
        return collator.compare(a, b);
    };
    std::stable_sort(entries.begin(), entries.end(),
                     [&before](const FoundEntry &a, const FoundEntry &b) {
                         const int byPath = before(a.path, b.path);
                         if (byPath != 0)
                             return byPath < 0;
                         return before(a.member, b.member) < 0;
                     });
    return entries;
}

StreamMatcher::StreamMatcher(const QString &searchText, Qt::CaseSensitivity cs, LineBreaks breaks)
    : caseInsensitive(cs == Qt::CaseInsensitive), breaksAsSpace(breaks == LineBreaks::ReadAsSpace)
{
    for (int i = 0; i < 256; ++i)
        lowFold[i] = QChar::toUpper(char16_t(i));
    pattern.reserve(searchText.size());
    for (QChar c : searchText)
        pattern.push_back(fold(c.unicode()));
    if (!pattern.empty()) {
        const char16_t first = pattern.front();
        // A space or break at the start depends on what came before it.
        canSkip = !breaksAsSpace || (first != u' ' && first != u'\r' && first != u'\n');
        for (int i = 0; i < 256; ++i)
            lowBegins[i] = fold(char16_t(i)) == first;
        // Only ASCII units fold to an ASCII letter among the first 128; beyond them the table
        // and the fold decide one by one.
        asciiFirst = first < 0x80;
        firstForms = {first, first};
        for (char16_t c = 0; c < 0x80; ++c)
            if (lowBegins[c] && c != first)
                firstForms[1] = c;
    }
    // Longest proper border of every prefix, so that no character is ever read twice.
    fallback.assign(pattern.size(), 0);
    int border = 0;
    for (size_t i = 1; i < pattern.size(); ++i) {
        while (border > 0 && pattern[i] != pattern[border])
            border = fallback[border - 1];
        if (pattern[i] == pattern[border])
            ++border;
        fallback[i] = border;
    }
}

char16_t StreamMatcher::fold(char16_t c) const
{
    if (!caseInsensitive)
        return c;
    return c < 256 ? lowFold[c] : QChar::toUpper(c);
}

void StreamMatcher::reset()
{
    matched = 0;
    isFound = false;
    lastWasSpace = false;
    pendingBreak = false;
}

inline bool StreamMatcher::beginsMatch(char16_t c) const
{
    return c < 256 ? lowBegins[c] : fold(c) == pattern.front();
}

inline void StreamMatcher::step(char16_t c)
{
    while (matched > 0 && pattern[matched] != c)
        matched = fallback[matched - 1];
    if (pattern[matched] == c && ++matched == int(pattern.size()))
        isFound = true;
}

bool StreamMatcher::feed(const QChar *chars, qsizetype count)
{
    if (isFound || pattern.empty())
        return isFound;
    for (qsizetype i = 0; i < count; ++i) {
        if (matched == 0 && canSkip) {
            // Whatever precedes a character that can begin a match cannot change the match.
            i = skipToPossibleStart(chars, i, count);
            if (i == count)
                break;
        }
        const char16_t c = chars[i].unicode();
        if (breaksAsSpace) {
            // The separators are line breaks to the reader as well.
            if (c == u'\r' || c == u'\n' || c == QChar::LineSeparator ||
                c == QChar::ParagraphSeparator) {
                // At the start of the text no character stands before the run to stop it.
                pendingBreak = !lastWasSpace;
                continue;
            }
            if (pendingBreak) {
                pendingBreak = false;
                if (c != u' ') {
                    step(u' ');
                    if (isFound)
                        return true;
                }
            }
            lastWasSpace = c == u' ';
        }
        step(fold(c));
        if (isFound)
            return true;
    }
    return false;
}

qsizetype StreamMatcher::skipToPossibleStart(const QChar *chars, qsizetype i, qsizetype count) const
{
#if defined(__SSE2__)
    if (asciiFirst) {
        // Eight at a time past ASCII text without the first letter; a group holding other
        // characters is looked at one by one, then the groups go on.
        const __m128i a = _mm_set1_epi16(short(firstForms[0]));
        const __m128i b = _mm_set1_epi16(short(firstForms[1]));
        const __m128i ascii = _mm_set1_epi16(0x7F);
        const __m128i zero = _mm_setzero_si128();
        while (i + 8 <= count) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(chars + i));
            const __m128i hit = _mm_or_si128(_mm_cmpeq_epi16(v, a), _mm_cmpeq_epi16(v, b));
            const __m128i inAscii = _mm_cmpeq_epi16(_mm_subs_epu16(v, ascii), zero);
            if (_mm_movemask_epi8(inAscii) == 0xFFFF && _mm_movemask_epi8(hit) == 0) {
                i += 8;
                continue;
            }
            for (const qsizetype end = i + 8; i < end; ++i)
                if (beginsMatch(chars[i].unicode()))
                    return i;
        }
    }
#endif
    while (i < count && !beginsMatch(chars[i].unicode()))
        ++i;
    return i;
}

bool TextContains(QStringView text, const QString &searchText, Qt::CaseSensitivity cs,
                  const KeepGoing &keepGoing)
{
    return searchInText(text, searchText, cs, keepGoing) == SearchOutcome::Found;
}

SearchOutcome StreamContains(const QString &searchText, const QString &path, Qt::CaseSensitivity cs,
                             const KeepGoing &keepGoing)
{
    if (searchText.isEmpty())
        return SearchOutcome::NotFound;
    FileStream file(path);
    if (!file.open())
        return SearchOutcome::Unreadable;
    return StreamContains(searchText, file, cs, keepGoing);
}

SearchOutcome StreamContains(const QString &searchText, ByteStream &file, Qt::CaseSensitivity cs,
                             const KeepGoing &keepGoing)
{
    if (searchText.isEmpty())
        return SearchOutcome::NotFound;
    StreamMatcher matcher(searchText, cs, LineBreaks::ReadAsSpace);
    char block[BlockSize];
    qint64 got = file.read(block, BlockSize);
    if (got < 0)
        return SearchOutcome::Unreadable;

    StreamEncoding encoding = StreamEncoding::Utf8;
    qsizetype skip = 0;
    const auto byteAt = [&block](int i) { return static_cast<unsigned char>(block[i]); };
    if (got >= 3 && byteAt(0) == 0xEF && byteAt(1) == 0xBB && byteAt(2) == 0xBF) {
        skip = 3;
    } else if (got >= 2 && byteAt(0) == 0xFF && byteAt(1) == 0xFE) {
        encoding = StreamEncoding::Utf16LE;
        skip = 2;
    } else if (got >= 2 && byteAt(0) == 0xFE && byteAt(1) == 0xFF) {
        encoding = StreamEncoding::Utf16BE;
        skip = 2;
    } else {
        // As the reader opens it: read bytewise, such a file would end at its first zero byte.
        const TextEncoding unmarked = utf16WithoutBom(QByteArrayView(block, got));
        if (unmarked == TextEncoding::Utf16LE)
            encoding = StreamEncoding::Utf16LE;
        else if (unmarked == TextEncoding::Utf16BE)
            encoding = StreamEncoding::Utf16BE;
    }
    QStringDecoder active(encoding == StreamEncoding::Utf16LE   ? QStringDecoder::Utf16LE
                          : encoding == StreamEncoding::Utf16BE ? QStringDecoder::Utf16BE
                                                                : QStringDecoder::Utf8);
    std::vector<QChar> chars(std::max<qsizetype>(active.requiredSpace(BlockSize), BlockSize));

    // Unmarked text is UTF-8 only if all of it is, as the reader decides; a match counts once
    // the rest of the file has proved it.
    const bool unmarked = encoding == StreamEncoding::Utf8 && skip == 0;
    bool found = false;
    while (got > 0) {
        QByteArrayView bytes(block + skip, got - skip);
        skip = 0;
        const QChar *end = active.appendToBuffer(chars.data(), bytes);
        if (encoding == StreamEncoding::Utf8 && active.hasError()) {
            matcher.reset();
            return searchLegacy(file, matcher, keepGoing);
        }
        if (!found && matcher.feed(chars.data(), end - chars.data())) {
            if (!unmarked)
                return SearchOutcome::Found;
            found = true;
        }
        if (asksToStop(keepGoing))
            return SearchOutcome::Stopped;
        got = file.read(block, BlockSize);
        if (got < 0)
            return SearchOutcome::Unreadable;
    }
    if (unmarked) {
        // A character cut off at the end shows only when more input follows.
        active.appendToBuffer(chars.data(), QByteArrayView("\n", 1));
        if (active.hasError()) {
            matcher.reset();
            return searchLegacy(file, matcher, keepGoing);
        }
    }
    return found ? SearchOutcome::Found : SearchOutcome::NotFound;
}

namespace {

SearchOutcome searchConvertedBytes(const QByteArray &bytes, const QString &ext,
                                   const QString &codePage, const QString &searchText,
                                   Qt::CaseSensitivity cs, const KeepGoing &keepGoing)
{
    if (asksToStop(keepGoing))
        return SearchOutcome::Stopped;
    const ConversionResult converted = ConvertByExtension(bytes, ext, codePage);
    if (!converted.ok)
        return SearchOutcome::Unreadable;
    if (asksToStop(keepGoing))
        return SearchOutcome::Stopped;
    return searchInText(converted.text, searchText, cs, keepGoing);
}

// The whole stream, or nothing when it cannot be read to its end.
std::optional<QByteArray> readWhole(ByteStream &bytes)
{
    QByteArray result;
    for (;;) {
        const qsizetype used = result.size();
        result.resize(used + 64 * 1024);
        const qint64 got = bytes.read(result.data() + used, 64 * 1024);
        if (got < 0)
            return std::nullopt;
        result.resize(used + qsizetype(got));
        if (got == 0)
            return result;
    }
}

} // namespace

SearchOutcome EntryContains(const QString &folder, const FoundEntry &entry,
                            const QString &searchText, Qt::CaseSensitivity cs,
                            const KeepGoing &keepGoing, const QString &codePage)
{
    const QString path = folder + entry.path;
    const bool isMember = !entry.member.isEmpty();
    const Packing packing = PackingOf(entry.path);
    const bool unpacked = isMember ? packing == Packing::Tar : packing == Packing::Compressed;
    const QString ext = upperExtension(isMember ? entry.member : InnerBookName(entry.path));
    // A book read in a chosen code page is searched as the reader shows it, whole.
    const bool convertedWhole =
        ext == u".RTF" || ext == u".HTM" || ext == u".HTML" || !codePage.isEmpty();
    const auto searchConverted = [&](const QByteArray &bytes) {
        return searchConvertedBytes(bytes, ext, codePage, searchText, cs, keepGoing);
    };
    try {
        // Plain text is searched as it is unpacked, a block at a time.
        if (unpacked && !convertedWhole) {
            const std::unique_ptr<ByteStream> stream = OpenUnpackedStream(path, entry.member);
            const SearchOutcome outcome = stream
                                              ? StreamContains(searchText, *stream, cs, keepGoing)
                                              : SearchOutcome::Unreadable;
            return outcome == SearchOutcome::Unreadable && isMember ? SearchOutcome::NotFound
                                                                    : outcome;
        }
        if (isMember) {
            const MemberData data = ExtractBookMember(path, entry.member);
            const SearchOutcome outcome = searchConverted(data.ok ? data.bytes : QByteArray());
            return outcome == SearchOutcome::Unreadable ? SearchOutcome::NotFound : outcome;
        }
        if (unpacked) {
            const MemberData data = DecompressBook(path);
            return data.ok ? searchConverted(data.bytes) : SearchOutcome::Unreadable;
        }
        if (convertedWhole) {
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly))
                return SearchOutcome::Unreadable;
            const QByteArray bytes = file.readAll();
            if (file.error() != QFileDevice::NoError)
                return SearchOutcome::Unreadable;
            return searchConverted(bytes);
        }
        return StreamContains(searchText, path, cs, keepGoing);
    } catch (...) {
        return SearchOutcome::Unreadable;
    }
}

EntrySearch::EntrySearch(const QString &folder, const QString &searchText, Qt::CaseSensitivity cs)
    : folder(folder), searchText(searchText), cs(cs)
{
}

EntrySearch::~EntrySearch() = default;

SearchOutcome EntrySearch::contains(const FoundEntry &entry, const KeepGoing &keepGoing,
                                    const QString &codePage)
{
    if (entry.member.isEmpty() || !codePage.isEmpty() || PackingOf(entry.path) != Packing::Tar)
        return EntryContains(folder, entry, searchText, cs, keepGoing, codePage);
    const QString path = folder + entry.path;
    if (path != tarPath) {
        tarPath = path;
        memberOutcomes.clear();
        pass = std::make_unique<TarPass>(path);
    }
    if (const auto known = memberOutcomes.find(entry.member); known != memberOutcomes.end())
        return known->second;
    try {
        while (pass && pass->next()) {
            // Packed members are never asked for (WalkDirectory leaves them out).
            if (PackingOf(pass->name()) != Packing::None && pass->name() != entry.member)
                continue;
            const SearchOutcome outcome = searchMember(keepGoing);
            if (outcome == SearchOutcome::Stopped) {
                // The pass stands inside a member; a later search starts the archive afresh.
                tarPath.clear();
                pass.reset();
                return outcome;
            }
            memberOutcomes[pass->name()] = outcome;
            if (pass->name() == entry.member)
                return outcome;
        }
    } catch (...) {
        pass.reset();
    }
    // Damage on the way, or a member the pass does not reach: searched on its own.
    return EntryContains(folder, entry, searchText, cs, keepGoing, codePage);
}

SearchOutcome EntrySearch::searchMember(const KeepGoing &keepGoing)
{
    const QString &member = pass->name();
    const QString ext = upperExtension(member);
    ByteStream &bytes = pass->member();
    SearchOutcome outcome;
    if (ext == u".RTF" || ext == u".HTM" || ext == u".HTML") {
        const std::optional<QByteArray> whole = readWhole(bytes);
        outcome = searchConvertedBytes(whole.value_or(QByteArray()), ext, QString(), searchText,
                                       cs, keepGoing);
    } else {
        outcome = StreamContains(searchText, bytes, cs, keepGoing);
    }
    // As EntryContains: a member that cannot be read is searched as an empty text.
    return outcome == SearchOutcome::Unreadable ? SearchOutcome::NotFound : outcome;
}
