#include "core/book/FindInBook.h"

namespace {

void upperCaseInto(QStringView text, QString &out)
{
    out.resize(text.size());
    QChar *to = out.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < 128)
            to[i] = QChar(c >= u'a' && c <= u'z' ? char16_t(c - 32) : c);
        else if (QChar::isSurrogate(c))
            to[i] = QChar(c);
        else
            to[i] = QChar(char16_t(QChar::toUpper(char32_t(c))));
    }
}

class LineReader
{
public:
    LineReader(const BookLines &book, Qt::CaseSensitivity cs) : book(book), cs(cs) {}

    // Line m as compared: upper-cased unless the search is case-sensitive. The view stays
    // valid until the next call.
    QStringView compared(int m)
    {
        const QStringView raw = book.line(m);
        if (cs == Qt::CaseSensitive)
            return raw;
        upperCaseInto(raw, buffer);
        return buffer;
    }

    int length(int m) const { return static_cast<int>(book.line(m).size()); }

    // Characters of the page text of page p before line n (each line break counts two).
    int offsetInPage(int p, int n) const
    {
        int offset = 0;
        for (int m = (p - 1) * book.linesPerPage + 1; m < n; ++m)
            offset += length(m) + 2;
        return offset;
    }

private:
    const BookLines &book;
    Qt::CaseSensitivity cs;
    QString buffer;
};

bool startsWithBlank(QStringView line)
{
    qsizetype i = 0;
    while (i < line.size() && (line[i] == u'\r' || line[i] == u'\n'))
        ++i;
    return i < line.size() && line[i] == u' ';
}

} // namespace

QString upperCasedPerCharacter(QStringView text)
{
    QString out;
    upperCaseInto(text, out);
    return out;
}

QString FirstWord(const QString &searchText)
{
    const QString trimmed = trimBlanks(searchText);
    const qsizetype blank = trimmed.indexOf(u' ');
    if (blank < 0)
        return QString();
    qsizetype lead = 0;
    while (lead < searchText.size() && searchText[lead].unicode() <= 32)
        ++lead;
    return searchText.left(lead) + trimmed.left(blank);
}

FindMatch MatchAtLine(const BookLines &book, const QString &firstWord, const QString &searchText,
                      Qt::CaseSensitivity cs, int n, int k, int p)
{
    FindMatch match;
    if (n < 1 || n > book.totalLines || searchText.isEmpty())
        return match;
    LineReader reader(book, cs);
    const qsizetype S = searchText.size();

    if (firstWord.isEmpty() && !(book.joinsNext && book.joinsNext(n))) {
        const QStringView line = reader.compared(n);
        const qsizetype at = line.indexOf(searchText, std::max(0, k - 1));
        if (at < 0)
            return match;
        match.found = true;
        match.startOffset = static_cast<int>(at) + reader.offsetInPage(p, n);
        match.length = static_cast<int>(S);
        match.endPage = p;
        return match;
    }

    const QString lineN = reader.compared(n).toString();
    // Where a line goes on in the next without a blank, a phrase may start in its last
    // characters with only a part of its first word.
    const QString &lead = firstWord.isEmpty() ? searchText : firstWord;
    const bool joined = book.joinsNext && book.joinsNext(n);
    const qsizetype firstTail = std::max<qsizetype>(0, lineN.size() - lead.size() + 1);
    qsizetype c = std::max(0, k - 1);
    bool inTail = false;
    QString R;
    while (true) {
        if (c > lineN.size())
            return match;
        if (!inTail) {
            const qsizetype at = QStringView(lineN).mid(c).indexOf(lead);
            if (at >= 0) {
                c += at;
            } else {
                if (!joined)
                    return match;
                inTail = true;
                c = std::max(c, firstTail);
            }
        }
        if (inTail) {
            while (c < lineN.size() &&
                   QStringView(lineN).mid(c) != QStringView(lead).left(lineN.size() - c))
                ++c;
            if (c >= lineN.size())
                return match;
        } else if (firstWord.isEmpty()) {
            match.found = true;
            match.startOffset = static_cast<int>(c) + reader.offsetInPage(p, n);
            match.length = static_cast<int>(S);
            match.endPage = p;
            return match;
        }
        R = lineN.mid(c);
        int e = n;
        qsizetype beforeLastLine = 0; // |R| before line e was appended, a joining blank included
        bool failed = false;
        int m = n;
        while (R.size() < S) {
            if (QStringView(R) != QStringView(searchText).left(R.size())) {
                failed = true;
                break;
            }
            ++m;
            if (m > book.totalLines)
                return match;
            const QStringView next = reader.compared(m);
            if (next.isEmpty())
                continue;
            const bool noBlank = e == m - 1 && book.joinsNext && book.joinsNext(e);
            if (!noBlank && !R.endsWith(u' ') && !startsWithBlank(next))
                R += u' ';
            beforeLastLine = R.size();
            R += next;
            e = m;
        }
        if (!failed && QStringView(R).left(S) == QStringView(searchText)) {
            match.found = true;
            match.startOffset = static_cast<int>(c) + reader.offsetInPage(p, n);
            const int q = (e - 1) / book.linesPerPage + 1;
            match.endPage = q;
            if (e == n) {
                match.length = static_cast<int>(S);
            } else {
                // The line break stands for a joining blank, so the blank itself adds nothing.
                int length = static_cast<int>(S - beforeLastLine);
                if (q > p) {
                    length += reader.offsetInPage(q, e);
                } else {
                    length += static_cast<int>(lineN.size() - c) + 2;
                    for (int between = n + 1; between < e; ++between)
                        length += reader.length(between) + 2;
                }
                match.length = length;
            }
            return match;
        }
        ++c;
    }
}

FindResult FindInBook(const BookLines &book, const QString &searchText, Qt::CaseSensitivity cs,
                      const FindStartPoint &start, const FindHooks &hooks)
{
    const QString S = cs == Qt::CaseSensitive ? searchText : upperCasedPerCharacter(searchText);
    const QString W = FirstWord(S);
    const int lpp = std::max(1, book.linesPerPage);
    FindResult result;
    int n = start.line;
    int p = start.page;
    FindMatch match;
    if (n >= 1 && n <= book.totalLines)
        match = MatchAtLine(book, W, S, cs, n, start.column, p);
    while (true) {
        if (match.found) {
            result.end = FindEnd::Hit;
            result.match = match;
            result.page = p;
            return result;
        }
        if (n >= book.totalLines) {
            const RestartAnswer answer =
                hooks.askRestart ? hooks.askRestart() : RestartAnswer::Cancel;
            if (answer == RestartAnswer::Cancel) {
                result.end = FindEnd::Cancelled;
                return result;
            }
            if (answer == RestartAnswer::No) {
                result.end = FindEnd::Closed;
                return result;
            }
            result.restarted = true;
            n = 0;
        }
        if (hooks.scanning)
            hooks.scanning(true);
        while (!match.found && n < book.totalLines) {
            const FindKey key = hooks.pollKey ? hooks.pollKey() : FindKey::None;
            if (key == FindKey::Space || key == FindKey::Escape) {
                if (hooks.scanning)
                    hooks.scanning(false);
                result.end = key == FindKey::Space ? FindEnd::SpaceStopped : FindEnd::EscapeStopped;
                return result;
            }
            ++n;
            p = (n - 1) / lpp + 1;
            if (hooks.progress && n == (p - 1) * lpp + 1 && p % 10 == 0)
                hooks.progress(p);
            match = MatchAtLine(book, W, S, cs, n, 1, p);
        }
        if (hooks.scanning)
            hooks.scanning(false);
        result.fromScan = match.found;
    }
}
