#include "core/book/FindInBook.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

struct Book
{
    QStringList lines;
    int linesPerPage = 10;
    QList<int> joined; // lines that go on in the next without a blank

    BookLines view() const
    {
        BookLines b;
        b.line = [this](int n) { return QStringView(lines[n - 1]); };
        if (!joined.isEmpty())
            b.joinsNext = [this](int n) { return joined.contains(n); };
        b.totalLines = static_cast<int>(lines.size());
        b.linesPerPage = linesPerPage;
        return b;
    }

    // The page text of page p: its lines joined with CR LF.
    QString pageText(int p) const
    {
        const int first = (p - 1) * linesPerPage;
        return lines.mid(first, linesPerPage).join(QStringLiteral("\r\n"));
    }

    // The text a match covers, read from the page texts, line breaks read as one blank.
    QString covered(const FindMatch &m, int p) const
    {
        QString text;
        if (m.endPage == p) {
            text = pageText(p).mid(m.startOffset, m.length);
        } else {
            text = pageText(p).mid(m.startOffset);
            for (int q = p + 1; q < m.endPage; ++q)
                text += QStringLiteral("\r\n") + pageText(q);
            text += QStringLiteral("\r\n") + pageText(m.endPage).left(m.length);
        }
        return text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    }
};

FindMatch match(const Book &book, const QString &text, Qt::CaseSensitivity cs, int n, int k = 1)
{
    const QString S = cs == Qt::CaseSensitive ? text : upperCasedPerCharacter(text);
    const int p = (n - 1) / book.linesPerPage + 1;
    return MatchAtLine(book.view(), FirstWord(S), S, cs, n, k, p);
}

} // namespace

TEST(FindInBookTest, FirstWordSplitsPhrasesOnly)
{
    const std::pair<const char *, const char *> cases[] = {
        {"alice", ""},   {"end of", "end"},       {"  end of", "  end"},
        {"story  ", ""}, {" the end of", " the"}, {"a\tb", ""},
    };
    for (const auto &[text, first] : cases)
        EXPECT_EQ(FirstWord(QString::fromUtf8(text)), QString::fromUtf8(first)) << text;
}

TEST(FindInBookTest, UpperCasingKeepsEveryPosition)
{
    const QString text = QStringLiteral("straße ǆ \U0001D400 é");
    const QString upper = upperCasedPerCharacter(text);
    EXPECT_EQ(upper.size(), text.size());
    EXPECT_EQ(upper, QStringLiteral("STRAßE Ǆ \U0001D400 É"));
}

TEST(FindInBookTest, MatchesAtALine)
{
    Book book;
    book.lines = {
        QStringLiteral("It was the end"),                         // 1: 14 long
        QStringLiteral("of the tale, and the sto"),               // 2: 24
        QStringLiteral("ry went on. Alice met ALICE and alice."), // 3: 38
        QStringLiteral("the end "),                               // 4: 8, ends with a blank
        QStringLiteral("of the end, the end of"),                 // 5: 22, "end" twice
        QStringLiteral("Straße und STRASSE"),                     // 6: 18
        QString(),                                                // 7: empty, skipped when joining
        QStringLiteral("the end"),                                // 8
        QString(),                                                // 9
        QStringLiteral("of days"),                                // 10
        QStringLiteral("all of them at the end"),                 // 11: page 2
        QStringLiteral("of the book"),                            // 12: the last line
    };
    // Page text offsets of the lines of page 1.
    const int line2 = 16, line3 = 42, line4 = 82, line5 = 92, line6 = 116, line8 = 138;
    struct Case
    {
        const char *name;
        const char *text;
        Qt::CaseSensitivity cs;
        int line;
        int column;
        bool found;
        int start;
        int length;
        int endPage;
    };
    const Case cases[] = {
        // "end" (3), the line break (2), "of" (2).
        {"phrase across a break with a joining blank", "end of", Qt::CaseInsensitive, 1, 1, true,
         11, 7, 1},
        {"phrase across a break without a joining blank", "the end of", Qt::CaseInsensitive, 4, 1,
         true, line4, 12, 1},
        {"a single word never spans lines", "story", Qt::CaseInsensitive, 2, 1, false, 0, 0, 0},
        {"case-insensitive finds ALICE", "Alice", Qt::CaseInsensitive, 3, 20, true, line3 + 22, 5,
         1},
        {"case-insensitive finds alice", "ALICE", Qt::CaseInsensitive, 3, 24, true, line3 + 32, 5,
         1},
        {"case-sensitive skips ALICE and alice", "Alice", Qt::CaseSensitive, 3, 14, false, 0, 0, 0},
        {"case-sensitive finds Alice", "Alice", Qt::CaseSensitive, 3, 1, true, line3 + 12, 5, 1},
        {"first word twice on a line", "end of", Qt::CaseInsensitive, 5, 1, true, line5 + 16, 6, 1},
        {"ß stays one character", "STRASSE", Qt::CaseInsensitive, 6, 1, true, line6 + 11, 7, 1},
        {"a later column", "the", Qt::CaseInsensitive, 2, 5, true, line2 + 17, 3, 1},
        {"empty lines are skipped when joining", "the end of days", Qt::CaseInsensitive, 8, 1, true,
         line8, 7 + 2 + 2 + 7, 1},
        {"phrase onto the last line", "the end of the book", Qt::CaseInsensitive, 11, 1, true, 15,
         7 + 2 + 11, 2},
        {"phrase beyond the last line", "the book is", Qt::CaseInsensitive, 12, 1, false, 0, 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const FindMatch m = match(book, QString::fromUtf8(c.text), c.cs, c.line, c.column);
        ASSERT_EQ(m.found, c.found);
        if (!c.found)
            continue;
        EXPECT_EQ(m.startOffset, c.start);
        EXPECT_EQ(m.length, c.length);
        EXPECT_EQ(m.endPage, c.endPage);
        const int p = (c.line - 1) / book.linesPerPage + 1;
        EXPECT_EQ(book.covered(m, p).toUpper().simplified(), QString::fromUtf8(c.text).toUpper());
    }
}

TEST(FindInBookTest, JoiningBlankDoesNotLengthenTheSelection)
{
    // A phrase over a break where a blank was joined covers the line break, not also the blank;
    // a repeated search then starts right after the hit.
    Book book;
    book.lines = {QStringLiteral("x end"), QStringLiteral("of y end"), QStringLiteral("of z")};
    const FindMatch first = match(book, QStringLiteral("end of"), Qt::CaseInsensitive, 1);
    ASSERT_TRUE(first.found);
    EXPECT_EQ(first.startOffset, 2);
    EXPECT_EQ(first.length, 3 + 2 + 2);
    EXPECT_EQ(book.pageText(1).mid(first.startOffset + first.length, 2), QStringLiteral(" y"));
}

TEST(FindInBookTest, PhraseAcrossABreakWithoutBlank)
{
    Book book;
    book.lines = {QStringLiteral("我们在学习中"), QStringLiteral("文。他说："),
                  QStringLiteral("你好 super"), QStringLiteral("califragilistic word"),
                  QStringLiteral("next")};
    book.joined = {1, 2, 3};
    struct Case
    {
        const char *text;
        int line;
        int start;  // -1: not found
        int length; // in the page text, CR LF included
    };
    const Case cases[] = {
        {"学习中文", 1, 3, 6},
        {"中文。他说：你好", 1, 5, 12},
        {"学习中 文", 1, -1, 0},
        {"你好 SUPERcalifragilistic", 3, 15, 25},
        {"fragilistic word next", 4, 29, 22},
        {"你好super", 3, -1, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        const FindMatch m = match(book, QString::fromUtf8(c.text), Qt::CaseInsensitive, c.line);
        EXPECT_EQ(m.found, c.start >= 0);
        if (!m.found || c.start < 0)
            continue;
        EXPECT_EQ(m.startOffset, c.start);
        EXPECT_EQ(m.length, c.length);
        EXPECT_EQ(m.endPage, 1);
    }
}

TEST(FindInBookTest, PhraseRunningOntoTheNextPages)
{
    Book book;
    book.linesPerPage = 2;
    book.lines = {QStringLiteral("a"), QStringLiteral("the end"), QString(), QString(),
                  QStringLiteral("of all")};
    // From page 1 over the empty page 2 to page 3: the length is the end within page 3.
    const FindMatch m = match(book, QStringLiteral("end of"), Qt::CaseInsensitive, 2);
    ASSERT_TRUE(m.found);
    EXPECT_EQ(m.startOffset, 1 + 2 + 4);
    EXPECT_EQ(m.endPage, 3);
    EXPECT_EQ(m.length, 2);
}

namespace {

struct SearchRun
{
    QList<FindKey> keys;          // returned by the polls in turn, then None
    QList<RestartAnswer> answers; // for the restart question
    int questions = 0;
    QList<int> progress;
    int scans = 0;
};

FindResult run(const Book &book, const QString &text, FindStartPoint start, SearchRun &r,
               Qt::CaseSensitivity cs = Qt::CaseInsensitive)
{
    FindHooks hooks;
    hooks.pollKey = [&r] { return r.keys.isEmpty() ? FindKey::None : r.keys.takeFirst(); };
    hooks.progress = [&r](int page) { r.progress << page; };
    hooks.askRestart = [&r] {
        ++r.questions;
        return r.answers.isEmpty() ? RestartAnswer::Cancel : r.answers.takeFirst();
    };
    hooks.scanning = [&r](bool on) { r.scans += on ? 1 : 0; };
    return FindInBook(book.view(), text, cs, start, hooks);
}

Book numberedBook(int lines, int linesPerPage)
{
    Book book;
    book.linesPerPage = linesPerPage;
    for (int i = 1; i <= lines; ++i)
        book.lines << QStringLiteral("line %1 of the book").arg(i);
    return book;
}

} // namespace

TEST(FindInBookTest, SearchLoopStopsRestartsAndReports)
{
    Book book = numberedBook(100, 4);
    book.lines[40] = QStringLiteral("the needle is here"); // line 41, page 11
    book.lines[2] = QStringLiteral("a needle early on");   // line 3, page 1
    struct Case
    {
        const char *name;
        FindStartPoint start;
        QList<FindKey> keys;
        QList<RestartAnswer> answers;
        FindEnd end;
        int page;
        bool fromScan;
        bool restarted;
        int questions;
    };
    const Case cases[] = {
        {"hit on the caret's line", {3, 1, 1}, {}, {}, FindEnd::Hit, 1, false, false, 0},
        {"hit found by the scan", {4, 1, 1}, {}, {}, FindEnd::Hit, 11, true, false, 0},
        {"other keys are dropped",
         {4, 1, 1},
         {FindKey::Other, FindKey::Other},
         {},
         FindEnd::Hit,
         11,
         true,
         false,
         0},
        {"Space stops",
         {4, 1, 1},
         {FindKey::Other, FindKey::Space},
         {},
         FindEnd::SpaceStopped,
         0,
         false,
         false,
         0},
        {"Esc stops", {4, 1, 1}, {FindKey::Escape}, {}, FindEnd::EscapeStopped, 0, false, false, 0},
        {"restart Yes finds the earlier hit",
         {42, 1, 11},
         {},
         {RestartAnswer::Yes},
         FindEnd::Hit,
         1,
         true,
         true,
         1},
        {"restart No closes",
         {42, 1, 11},
         {},
         {RestartAnswer::No},
         FindEnd::Closed,
         0,
         false,
         false,
         1},
        {"restart Cancel",
         {42, 1, 11},
         {},
         {RestartAnswer::Cancel},
         FindEnd::Cancelled,
         0,
         false,
         false,
         1},
        {"on the last line the question comes at once",
         {100, 1, 25},
         {FindKey::Space},
         {RestartAnswer::Cancel},
         FindEnd::Cancelled,
         0,
         false,
         false,
         1},
        {"caret in an empty right page",
         {101, 1, 26},
         {},
         {RestartAnswer::No},
         FindEnd::Closed,
         0,
         false,
         false,
         1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        SearchRun r;
        r.keys = c.keys;
        r.answers = c.answers;
        const FindResult result = run(book, QStringLiteral("NEEDLE"), c.start, r);
        EXPECT_EQ(result.end, c.end);
        EXPECT_EQ(r.questions, c.questions);
        EXPECT_EQ(result.restarted, c.restarted);
        if (c.end == FindEnd::Hit) {
            EXPECT_EQ(result.page, c.page);
            EXPECT_EQ(result.fromScan, c.fromScan);
        }
    }
}

TEST(FindInBookTest, RepeatedFindContinuesAfterTheHit)
{
    Book book = numberedBook(30, 10);
    book.lines[4] = QStringLiteral("two cats and two cats");
    SearchRun r;
    const FindResult first = run(book, QStringLiteral("cats"), {5, 1, 1}, r);
    ASSERT_EQ(first.end, FindEnd::Hit);
    const int lineStart = 4 * (18 + 2);
    EXPECT_EQ(first.match.startOffset - lineStart, 4);
    // The caret goes to the end of the selection: column 8, k = 9.
    const FindResult second = run(book, QStringLiteral("cats"), {5, 9, 1}, r);
    ASSERT_EQ(second.end, FindEnd::Hit);
    EXPECT_EQ(second.match.startOffset - lineStart, 17);
}

TEST(FindInBookTest, ProgressEveryTenthPage)
{
    const Book book = numberedBook(120, 3);
    SearchRun r;
    r.answers = {RestartAnswer::Cancel};
    run(book, QStringLiteral("absent"), {1, 1, 1}, r);
    EXPECT_EQ(r.progress, (QList<int>{10, 20, 30, 40}));
    EXPECT_EQ(r.scans, 1);
}

TEST(FindInBookTest, HostileLinesAreSearchedWithoutHarm)
{
    for (const HostileText &h : hostileTexts()) {
        SCOPED_TRACE(h.name);
        Book book;
        book.lines = h.text.split(QStringLiteral("\r\n"));
        book.lines << QStringLiteral("the end") << QStringLiteral("of it");
        const int endLine = static_cast<int>(book.lines.size()) - 1;
        // A phrase across the last line break is found where it stands, whatever came before.
        SearchRun found;
        const FindResult hit = run(book, QStringLiteral("END OF"), {1, 1, 1}, found);
        ASSERT_EQ(hit.end, FindEnd::Hit);
        EXPECT_EQ(hit.page, (endLine - 1) / book.linesPerPage + 1);
        EXPECT_EQ(book.covered(hit.match, hit.page), QStringLiteral("end of"));
        // A phrase found nowhere ends at the question whether to start again.
        SearchRun absent;
        EXPECT_EQ(run(book, QStringLiteral("\U0001F600 of"), {1, 1, 1}, absent).end,
                  FindEnd::Cancelled);
        EXPECT_EQ(absent.questions, 1);
    }
}
