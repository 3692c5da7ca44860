#include "core/book/RecentFiles.h"

namespace {

const QString kLast = QStringLiteral("Last");
const QString kLastReadFile = QStringLiteral("Last read file");
const QString kRecent = QStringLiteral("Recent");

RecentKeyChange writeEntryKey(int position, const QString &value)
{
    // position is 1-based: entry 1 is the last read file, entry k + 1 is "Recent k".
    if (position == 1)
        return {RecentKeyChange::Kind::Write, kLast, kLastReadFile, value};
    return {RecentKeyChange::Kind::Write, kRecent, recentKeyName(position - 1), value};
}

} // namespace

RecentName SplitRecentName(const QString &fullPath, const QString &baseDirectory)
{
    if (!baseDirectory.isEmpty() && baseDirectory.size() < fullPath.size() &&
        fullPath.startsWith(baseDirectory, Qt::CaseSensitive))
        return {baseDirectory, fullPath.mid(baseDirectory.size())};
    return {QString(), fullPath};
}

QString RecentFiles::fullPath(int index) const
{
    return prefixes.value(index) + shown.value(index);
}

void RecentFiles::setEntry(int index, const QString &path, const QString &baseDirectory)
{
    const RecentName name = SplitRecentName(path, baseDirectory);
    shown[index] = name.shown;
    prefixes[index] = name.prefix;
}

void RecentFiles::append(const QString &path, const QString &baseDirectory)
{
    const RecentName name = SplitRecentName(path, baseDirectory);
    shown.append(name.shown);
    prefixes.append(name.prefix);
}

void RecentFiles::removeLast()
{
    shown.removeLast();
    prefixes.removeLast();
}

QString recentKeyName(int k)
{
    return QStringLiteral("Recent ") + QString::number(k);
}

QString directoryOf(const QString &filePath)
{
    const qsizetype slash = filePath.lastIndexOf(u'/');
    return slash < 0 ? QString() : filePath.left(slash + 1);
}

RecentFiles loadRecentFiles(const QString &lastReadFile, const QStringList &recentValues,
                            const QString &baseDirectory)
{
    RecentFiles list;
    if (lastReadFile.isEmpty())
        return list;
    list.append(lastReadFile, baseDirectory);
    for (const QString &value : recentValues) {
        if (list.size() >= RecentFiles::MaxEntries)
            break;
        if (!value.isEmpty())
            list.append(value, baseDirectory);
    }
    return list;
}

QList<RecentKeyChange> recordRecentFile(RecentFiles &list, const QString &fileName,
                                        const QString &baseDirectory)
{
    int found = -1;
    for (int i = 0; i < list.size() && found < 0; ++i) {
        if (list.fullPath(i) == fileName)
            found = i;
    }
    if (found < 0) {
        if (list.size() < RecentFiles::MaxEntries)
            list.append(QString(), baseDirectory);
        found = list.size() - 1;
    }
    for (int j = found; j >= 1; --j)
        list.setEntry(j, list.fullPath(j - 1), baseDirectory);
    list.setEntry(0, fileName, baseDirectory);

    QList<RecentKeyChange> changes;
    for (int position = 1; position <= list.size(); ++position)
        changes << writeEntryKey(position, list.fullPath(position - 1));
    return changes;
}

QList<RecentKeyChange> removeRecentFile(RecentFiles &list, int index, const QString &baseDirectory)
{
    QList<RecentKeyChange> changes;
    const int n = list.size();
    if (n < 2 || index < 0 || index >= n)
        return changes;
    for (int b = index; b < n - 1; ++b) {
        list.setEntry(b, list.fullPath(b + 1), baseDirectory);
        changes << writeEntryKey(b + 1, list.fullPath(b));
    }
    list.removeLast();
    changes << RecentKeyChange{RecentKeyChange::Kind::Delete, kRecent, recentKeyName(n - 1), {}};
    return changes;
}

void rebaseRecentFiles(RecentFiles &list, const QString &baseDirectory)
{
    for (int i = 0; i < list.size(); ++i)
        list.setEntry(i, list.fullPath(i), baseDirectory);
}

TwoLines splitForTwoLines(const QString &text, double limit,
                          const std::function<double(const QString &)> &width)
{
    if (width(text) < limit)
        return {text, QString()};
    // Widths grow with the length of a leading part, so the shortest wide enough is found by
    // halving; a path may be thousands of characters long.
    qsizetype low = 0;
    qsizetype high = text.size();
    while (low < high) {
        const qsizetype middle = (low + high) / 2;
        if (width(text.left(middle)) >= limit)
            high = middle;
        else
            low = middle + 1;
    }
    // Never split a surrogate pair.
    if (high < text.size() && high > 0 && text.at(high - 1).isHighSurrogate())
        ++high;
    return {text.left(high), text.mid(high)};
}
