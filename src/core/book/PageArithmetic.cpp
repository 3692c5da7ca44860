#include "core/book/PageArithmetic.h"

TrimRecord TrimPage(QString &pageText)
{
    TrimRecord trim;
    const int n = static_cast<int>(pageText.size());
    int first = 1;
    while (first <= n && (pageText[first - 1] == u'\r' || pageText[first - 1] == u'\n')) {
        if (pageText[first - 1] == u'\n')
            ++trim.BlankLines;
        ++first;
    }
    trim.FirstChar = first;
    int last = n;
    while (last >= first) {
        const QChar c = pageText[last - 1];
        if (c != u'\n' && c != u'\r' && c != u' ')
            break;
        --last;
    }
    trim.LastChar = last;
    pageText = pageText.mid(first - 1, std::max(0, last - first + 1));
    return trim;
}

void recordHistoryPage(QStringList &history, int &selected, int page)
{
    // With nothing selected every entry goes, as the list's own selection rule implies.
    while (!history.isEmpty() && selected != history.size() - 1)
        history.removeLast();
    history.append(QString::number(page));
    selected = static_cast<int>(history.size()) - 1;
}
