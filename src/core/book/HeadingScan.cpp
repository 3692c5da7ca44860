#include "core/book/HeadingScan.h"

#include <QHash>

#include <algorithm>
#include <vector>

bool HeadingCollector::add(int i, QStringView L, bool blank, const std::function<bool()> &wholeLine,
                           bool marked)
{
    if (blank || marker > 0)
        return false;
    if (isGutenbergEndMarker(L)) {
        marker = i;
        return false;
    }
    HeadingCandidate c;
    c.match = rules.match(L);
    if (marked) {
        if (c.match.form == HeadingForm::None || c.match.form == HeadingForm::Bare) {
            c.match.form = HeadingForm::Chapter;
            c.match.kind = QStringLiteral("marked");
            c.match.key = L.trimmed().toString().toLower();
        }
        c.line = i;
        c.proseBefore = prose;
        prose = 0;
        found.append(c);
        return true;
    }
    if (c.match.form == HeadingForm::None && L.size() <= 40)
        c.contentsTitle = isContentsTitle(QStringView(L).trimmed());
    if ((c.match.form == HeadingForm::None && !c.contentsTitle) || (wholeLine && !wholeLine())) {
        ++prose;
        return false;
    }
    c.line = i;
    c.proseBefore = prose;
    prose = 0;
    found.append(c);
    return true;
}

namespace {

struct Judge
{
    const QList<HeadingCandidate> &c;
    std::vector<char> keep;
    std::vector<char> entry; // begins a section in place of a contents list
    QString runFirstKey;
    bool previousWasList = false;

    explicit Judge(const QList<HeadingCandidate> &candidates)
        : c(candidates), keep(static_cast<size_t>(candidates.size()), 1),
          entry(static_cast<size_t>(candidates.size()), 0)
    {
    }

    // Candidates i..j stand together with nothing but blank lines, page numbers or a stray line
    // between them. The same heading met again is where the book itself begins.
    void run(qsizetype i, qsizetype j)
    {
        qsizetype f = i;
        while (f <= j && c[f].contentsTitle)
            ++f;
        if (f > j)
            return;
        if (runFirstKey.isEmpty())
            runFirstKey = c[f].match.key;
        QHash<QString, QString> firstKeyOfKind;
        firstKeyOfKind.insert(c[f].match.kind, c[f].match.key);
        for (qsizetype s = f + 1; s <= j; ++s) {
            const HeadingMatch &m = c[s].match;
            if (c[s].contentsTitle)
                continue;
            if (m.key == runFirstKey || firstKeyOfKind.value(m.kind) == m.key) {
                judge(i, s - 1);
                run(s, j);
                return;
            }
            if (!firstKeyOfKind.contains(m.kind))
                firstKeyOfKind.insert(m.kind, m.key);
        }
        judge(i, j);
    }

    void judge(qsizetype i, qsizetype j)
    {
        bool titled = false;
        bool named = false; // an item more than a number: numbers alone are a list, not contents
        int items = 0;
        QHash<QString, int> kinds;
        int sameKind = 0;
        for (qsizetype k = i; k <= j; ++k) {
            if (c[k].contentsTitle) {
                titled = true;
                continue;
            }
            ++items;
            named = named || c[k].match.form != HeadingForm::Bare;
            sameKind = std::max(sameKind, ++kinds[c[k].match.kind]);
        }
        const bool list = (named && sameKind >= 3) || (titled && items >= 2);
        if (list) {
            for (qsizetype k = i; k <= j; ++k)
                keep[static_cast<size_t>(k)] = 0;
            if (!previousWasList)
                entry[static_cast<size_t>(i)] = 1;
        }
        previousWasList = list;
    }
};

struct Chain
{
    QList<int> lines;
    int last = 0;
    int lastLine = 0;
    int highers = 0; // higher-level headings seen when its last member was added
};

// Bare numbers that rise one by one (a gap of one is forgiven), starting again after a Part or a
// Book; a sequence counts when it holds three and is spread over the book.
void keepSequences(const QList<HeadingCandidate> &c, std::vector<char> &keep, int totalLines)
{
    QHash<int, std::vector<Chain>> chains; // by style
    QHash<int, int> chainOf;               // candidate index -> chain index within its style
    int highers = 0;
    for (qsizetype k = 0; k < c.size(); ++k) {
        if (!keep[static_cast<size_t>(k)])
            continue;
        const HeadingMatch &m = c[k].match;
        if (m.form == HeadingForm::Higher)
            ++highers;
        if (m.form != HeadingForm::Bare)
            continue;
        std::vector<Chain> &ofStyle = chains[m.style];
        int best = -1;
        int bestRank = 0;
        for (size_t n = 0; n < ofStyle.size(); ++n) {
            const Chain &ch = ofStyle[n];
            const bool restart = m.value == 1 && highers > ch.highers;
            const bool rises = m.value > ch.last && m.value <= ch.last + 2;
            if (!restart && !rises)
                continue;
            // The next number before a skipped one, then the most recent sequence.
            const int rank =
                (restart || m.value == ch.last + 1 ? 2 : 1) * (totalLines + 1) + ch.lastLine;
            if (rank > bestRank) {
                bestRank = rank;
                best = static_cast<int>(n);
            }
        }
        if (best < 0) {
            ofStyle.push_back(Chain());
            best = static_cast<int>(ofStyle.size() - 1);
        }
        Chain &ch = ofStyle[static_cast<size_t>(best)];
        ch.lines << c[k].line;
        ch.last = m.value;
        ch.lastLine = c[k].line;
        ch.highers = highers;
        chainOf.insert(static_cast<int>(k), best);
    }
    for (qsizetype k = 0; k < c.size(); ++k) {
        if (!keep[static_cast<size_t>(k)] || c[k].match.form != HeadingForm::Bare)
            continue;
        const Chain &ch =
            chains[c[k].match.style][static_cast<size_t>(chainOf.value(static_cast<int>(k)))];
        if (!headingsSpreadOverBook(ch.lines, totalLines))
            keep[static_cast<size_t>(k)] = 0;
    }
}

} // namespace

AcceptedHeadings acceptHeadings(const QList<HeadingCandidate> &all, int endMarker, int totalLines)
{
    QList<HeadingCandidate> c;
    for (const HeadingCandidate &h : all) {
        if (endMarker <= 0 || h.line < endMarker)
            c.append(h);
    }
    Judge judge(c);
    qsizetype i = 0;
    while (i < c.size()) {
        qsizetype j = i;
        while (j + 1 < c.size() && c[j + 1].proseBefore <= 1)
            ++j;
        judge.runFirstKey.clear();
        judge.previousWasList = false;
        judge.run(i, j);
        i = j + 1;
    }
    keepSequences(c, judge.keep, totalLines);
    // The same heading again a few lines on is one heading written twice, as some texts do; far
    // on, it is a chapter number mistyped in the book.
    qsizetype previous = -1;
    for (qsizetype k = 0; k < c.size(); ++k) {
        if (!judge.keep[static_cast<size_t>(k)] || c[k].contentsTitle)
            continue;
        if (previous >= 0 && c[k].match.key == c[previous].match.key && c[k].proseBefore <= 15)
            judge.keep[static_cast<size_t>(k)] = 0;
        else
            previous = k;
    }

    AcceptedHeadings accepted;
    for (qsizetype k = 0; k < c.size(); ++k) {
        const size_t n = static_cast<size_t>(k);
        const bool heading = judge.keep[n] && !c[k].contentsTitle;
        if (heading)
            accepted.headings << c[k].line;
        if (heading || judge.entry[n] || (judge.keep[n] && c[k].contentsTitle))
            accepted.starts << c[k].line;
    }
    if (endMarker > 1)
        accepted.starts << endMarker;
    return accepted;
}
