#pragma once

#include "core/book/TableOfContents.h"

#include <QString>
#include <QStringView>

#include <functional>

// The fitted lines a search runs over.
struct BookLines
{
    LineSource line; // fitted line n, 1 <= n <= totalLines
    // Line n goes on in line n + 1 with no blank between (a break between ideographs or inside a
    // word); unset for a book broken at spaces only.
    std::function<bool(int n)> joinsNext;
    int totalLines = 0;
    int linesPerPage = 1;
};

// Upper case per UTF-16 unit, so that every position stays where it was ("ß" stays one
// character); surrogates are left alone.
QString upperCasedPerCharacter(QStringView text);

// The leading blanks of the search text and its trimmed text up to the first blank, when the
// trimmed text holds a blank; empty otherwise (a single-line search).
QString FirstWord(const QString &searchText);

struct FindMatch
{
    bool found = false;
    int startOffset = 0; // 0-based, in the page text of page p (lines joined with CR LF)
    // Within page p when endPage == p; otherwise the offset of the match end within endPage.
    int length = 0;
    int endPage = 0;
};

// Looks for searchText at line n from column k (1-based) on; p is the page of line n.
// searchText must already be upper-cased when the search is not case-sensitive.
FindMatch MatchAtLine(const BookLines &book, const QString &firstWord, const QString &searchText,
                      Qt::CaseSensitivity cs, int n, int k, int p);

enum class FindKey { None, Space, Escape, Other };
enum class RestartAnswer { Yes, No, Cancel };

struct FindStartPoint
{
    int line = 0;   // n; beyond totalLines when the caret sits in an empty right page
    int column = 1; // k
    int page = 1;   // p
};

struct FindHooks
{
    std::function<FindKey()> pollKey;
    std::function<void(int page)> progress;    // at the first line of every tenth page
    std::function<RestartAnswer()> askRestart; // "Text not found. Start again ...?"
    std::function<void(bool)> scanning;        // true before a line-by-line scan, false after
};

enum class FindEnd { Hit, Cancelled, Closed, SpaceStopped, EscapeStopped };

struct FindResult
{
    FindEnd end = FindEnd::Cancelled;
    FindMatch match;
    int page = 0;          // the page of the line the hit starts on
    bool fromScan = false; // found by the scan, not on the caret's own line
    bool restarted = false;
};

FindResult FindInBook(const BookLines &book, const QString &searchText, Qt::CaseSensitivity cs,
                      const FindStartPoint &start, const FindHooks &hooks);
