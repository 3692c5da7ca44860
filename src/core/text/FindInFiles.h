#pragma once

#include "core/text/ByteStream.h"

#include <QString>
#include <QStringView>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <vector>

// One file, or one member of a ZIP or tar archive, to search. While walking, path is the full path;
// after SortFoundEntries it is relative to the search folder.
struct FoundEntry
{
    QString path;
    QString member; // empty for a plain file

    bool operator==(const FoundEntry &) const = default;
};
using FoundEntries = std::vector<FoundEntry>;

enum class SubFolders { Skip, Walk };

// Called between steps of a search; false ends it.
using KeepGoing = std::function<bool()>;

// folder ends in "/". Names beginning with "." are hidden and not visited; symlinked folders
// are not followed; unreadable folders yield nothing. Archives give one entry per member,
// members that are archives or compressed files themselves left out; a compressed book is one
// entry, as a plain file.
FoundEntries WalkDirectory(const QString &folder, SubFolders subFolders);

// Whether the folder can be listed and holds any entry at all, hidden ones included.
bool FolderHoldsEntries(const QString &folder);

// Paths made relative to folder; ordered by relative path, then member, case-insensitively and
// locale-aware, a path that begins another first.
FoundEntries SortFoundEntries(FoundEntries entries, const QString &folder);

enum class LineBreaks {
    // A run of CR and LF reads as one space when a non-space follows it and no space stands
    // before it (at the start of the text nothing does); other runs vanish.
    ReadAsSpace,
    // The text is taken as it stands.
    Unchanged,
};

// A substring matcher fed with characters in pieces, so that a text can be searched while it
// is read. Case-insensitive matching compares per-character upper case.
class StreamMatcher
{
public:
    StreamMatcher(const QString &searchText, Qt::CaseSensitivity cs, LineBreaks breaks);

    // True once the search text has occurred in everything fed so far.
    bool feed(const QChar *chars, qsizetype count);
    bool found() const { return isFound; }
    void reset();

private:
    char16_t fold(char16_t c) const;
    void step(char16_t c);
    bool beginsMatch(char16_t c) const;
    // The first position from i on whose character may begin a match, or count.
    qsizetype skipToPossibleStart(const QChar *chars, qsizetype i, qsizetype count) const;

    std::vector<char16_t> pattern;
    std::vector<int> fallback;
    std::array<char16_t, 256> lowFold{};
    std::array<bool, 256> lowBegins{};
    bool canSkip = false;
    // When the match begins with an ASCII character: its forms, for skipping eight at a time.
    bool asciiFirst = false;
    std::array<char16_t, 2> firstForms{};
    bool caseInsensitive;
    bool breaksAsSpace;
    int matched = 0;
    bool isFound = false;
    bool lastWasSpace = false;
    bool pendingBreak = false;
};

// A search text whose trimmed form holds no space is looked for as a plain substring; any
// other is matched with line breaks read as spaces. An empty search text is never found.
// keepGoing is asked every few thousand characters; false gives false.
bool TextContains(QStringView text, const QString &searchText, Qt::CaseSensitivity cs,
                  const KeepGoing &keepGoing = {});

enum class SearchOutcome { Found, NotFound, Unreadable, Stopped };

// Reads the file in 1024-byte blocks, decoding as it goes (UTF-8 or UTF-16 with a byte-order
// mark; else UTF-8, and at the first invalid sequence the file is read again from the start
// as decodeLegacyBytes would decode it, in the detector's code page or its East Asian
// fallback), and matches with line breaks read as spaces.
// keepGoing is asked after every block.
SearchOutcome StreamContains(const QString &searchText, const QString &path, Qt::CaseSensitivity cs,
                             const KeepGoing &keepGoing = {});
// The same for bytes from elsewhere; a failed read or rewind gives Unreadable.
SearchOutcome StreamContains(const QString &searchText, ByteStream &bytes, Qt::CaseSensitivity cs,
                             const KeepGoing &keepGoing = {});

// Searches one entry of a sorted list: ZIP members and HTML/RTF books converted by their
// extension, other books as a stream (tar members and compressed books unpacked as they are
// read, up to MaxMemberSize bytes). A member that cannot be extracted is searched as an empty
// text; an unreadable file, a damaged compressed book included, gives Unreadable. codePage: the
// code page the reader keeps for the entry (ConvertByExtension), empty for the automatic decision.
SearchOutcome EntryContains(const QString &folder, const FoundEntry &entry,
                            const QString &searchText, Qt::CaseSensitivity cs,
                            const KeepGoing &keepGoing = {}, const QString &codePage = {});

class TarPass;

// Searches the entries of a sorted list one after another for one search text. The members of a
// tar archive are searched in one reading of it: in archive order as far as the member asked
// for, each outcome kept for the entries still to come, so that the archive is unpacked once
// however its members are sorted. Other entries are searched as EntryContains does.
class EntrySearch
{
public:
    EntrySearch(const QString &folder, const QString &searchText, Qt::CaseSensitivity cs);
    ~EntrySearch();
    EntrySearch(const EntrySearch &) = delete;
    EntrySearch &operator=(const EntrySearch &) = delete;

    SearchOutcome contains(const FoundEntry &entry, const KeepGoing &keepGoing = {},
                           const QString &codePage = {});

private:
    SearchOutcome searchMember(const KeepGoing &keepGoing);

    QString folder;
    QString searchText;
    Qt::CaseSensitivity cs;
    QString tarPath;
    std::unique_ptr<TarPass> pass;
    std::map<QString, SearchOutcome> memberOutcomes;
};
