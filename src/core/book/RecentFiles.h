#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// An entry's full path is prefix + shown name; the prefix is the base directory the path lay
// under when the entry was last written, or empty.
struct RecentName
{
    QString prefix;
    QString shown;
};

// Splits against the base directory: the base is cut off only from a longer path that starts
// with it exactly (case-sensitive).
RecentName SplitRecentName(const QString &fullPath, const QString &baseDirectory);

// The recent list as the window holds it: two parallel lists, index 0 is the newest entry.
struct RecentFiles
{
    static constexpr int MaxEntries = 10;

    QStringList shown;    // the items of RecentList
    QStringList prefixes; // RecentPrefixes

    int size() const { return int(shown.size()); }
    bool isEmpty() const { return shown.isEmpty(); }
    QString fullPath(int index) const;
    void setEntry(int index, const QString &fullPath, const QString &baseDirectory);
    void append(const QString &fullPath, const QString &baseDirectory);
    void removeLast();
};

// A change the settings file must receive after a change of the list, in order.
struct RecentKeyChange
{
    enum class Kind { Write, Delete };
    Kind kind = Kind::Write;
    QString section;
    QString key;
    QString value;
    friend bool operator==(const RecentKeyChange &, const RecentKeyChange &) = default;
};

// "Recent " and k; key k holds entry k + 1.
QString recentKeyName(int k);

// The directory part of a file path, ending in "/"; empty when the path has none.
QString directoryOf(const QString &filePath);

// Builds the list from "Last read file" and the values of "Recent 1" to "Recent 9"; empty
// values are skipped, so gaps close. An empty last read file gives an empty list.
RecentFiles loadRecentFiles(const QString &lastReadFile, const QStringList &recentValues,
                            const QString &baseDirectory);

// Records fileName as entry 1: a listed path moves to the top, a new one drops the oldest of a
// full list. Entries moved down are split again; those below the found position keep theirs.
QList<RecentKeyChange> recordRecentFile(RecentFiles &list, const QString &fileName,
                                        const QString &baseDirectory);

// Removes entry index (0-based) from a list of at least two entries; the keys from that
// position on are rewritten and the last one deleted. Nothing happens to a shorter list.
QList<RecentKeyChange> removeRecentFile(RecentFiles &list, int index, const QString &baseDirectory);

// Splits every entry again against a new base; the full paths stay.
void rebaseRecentFiles(RecentFiles &list, const QString &baseDirectory);

// The two lines of a full path in a field of the given width: the first line is the shortest
// leading part at least `limit` wide (all of the text when narrower), the second the rest.
struct TwoLines
{
    QString first;
    QString second;
};
TwoLines splitForTwoLines(const QString &text, double limit,
                          const std::function<double(const QString &)> &width);
