#pragma once

#include <QString>
#include <QStringList>

// How a page's text was trimmed for display; positions are 1-based in the untrimmed page text
// (the page's lines joined with CR LF).
struct TrimRecord
{
    int FirstChar = 0;
    int BlankLines = 0;
    int LastChar = 0;
};

// Drops the leading line breaks and the trailing line breaks and blanks of a page text.
TrimRecord TrimPage(QString &pageText);

// First and last fitted line of page p (1-based); last may exceed TotalLines.
inline int firstLineOfPage(int page, int linesPerPage)
{
    return (page - 1) * linesPerPage + 1;
}

// The page history after a page change: entries after the selected one are dropped, then the
// page is appended and selected. selected is -1 when nothing is selected.
void recordHistoryPage(QStringList &history, int &selected, int page);
