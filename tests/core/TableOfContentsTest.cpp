#include "core/book/TableOfContents.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

TocResult scan(const QStringList &lines, const QString &P, const QString &H, bool countBlank,
               int linesPerPage = 10, const AbortKeyPoll &poll = {})
{
    TocInput input;
    input.totalLines = static_cast<int>(lines.size());
    input.linesPerPage = linesPerPage;
    input.pageCount = input.totalLines == 0 ? 0 : (input.totalLines - 1) / linesPerPage + 1;
    input.precedingBlankLinesText = P;
    input.headerSizeText = H;
    input.countBlankLines = countBlank;
    return BuildToc(
        input, [&lines](int n) { return QStringView(lines[n - 1]); }, poll);
}

QStringList prose(int count)
{
    QStringList lines;
    for (int i = 1; i <= count; ++i)
        lines << QStringLiteral("prose %1").arg(i);
    return lines;
}

QStringList bookWithGap(int blanks)
{
    QStringList lines = {QStringLiteral("Heading"), QString(), QStringLiteral("A sentence.")};
    lines << prose(40);
    for (int i = 0; i < blanks; ++i)
        lines << QString();
    lines << QStringLiteral("Second heading") << QStringLiteral("more text")
          << QStringLiteral("and more");
    return lines;
}

} // namespace

TEST(TableOfContentsTest, SectionsAndHeadersFollowTheBlankLineRules)
{
    struct Expected
    {
        int line;
        QString firstLine;
        QString header;
    };
    struct Case
    {
        const char *name;
        QStringList lines;
        QString P;
        QString H;
        bool countBlank;
        QList<Expected> sections;
    };
    const QString sentenceHeader = QStringLiteral("Heading\r\nA sentence.prose 1prose 2 ...");
    const QList<Case> cases = {
        {"three blank lines start a second section",
         bookWithGap(3),
         "3",
         "5",
         true,
         {{1, "Heading", sentenceHeader}, {47, "Second heading", "Second headingmore text ..."}}},
        {"two blank lines do not",
         bookWithGap(2),
         "3",
         "5",
         true,
         {{1, "Heading", sentenceHeader}}},
        {"a heading within the header window is merged",
         {"Title", "", "", "", "Chapter", "text", "", "", "", "Next", "a", "b", "c", "d", "e"},
         "3",
         "5",
         true,
         {{1, "Title", "Title\r\nChapter ..."}, {10, "Next", "Nextabcd ..."}}},
        {"blank lines not counted stretch the header",
         {"Title", "", "", "Subtitle", "Body"},
         "3",
         "2",
         false,
         {{1, "Title", "Title\r\nSubtitle ..."}}},
        {"blank lines counted close the header early",
         {"Title", "", "", "Subtitle", "Body"},
         "3",
         "2",
         true,
         {{1, "Title", "Title\r\n ..."}}},
        {"a text beginning with blank lines starts with an empty section",
         {"", "", "", "Heading", "x"},
         "3",
         "5",
         true,
         {{1, "", "\r\nHeading ..."}}},
        {"one line: one section without a mark", {"Only"}, "3", "5", true, {{1, "Only", "Only"}}},
        {"the last line closes the header and is not added",
         {"Title", "x", "y"},
         "3",
         "5",
         true,
         {{1, "Title", "Titlex ..."}}},
        {"the last line can begin a section, without a mark",
         {"A", "b", "", "Z"},
         "1",
         "1",
         true,
         {{1, "A", "A ..."}, {4, "Z", "Z"}}},
        {"blank means codes 0 to 32",
         {"A", " \t", QString(QChar(0x1F)), "B", "c"},
         "2",
         "1",
         true,
         {{1, "A", "A ..."}, {4, "B", "B ..."}}},
        {"a no-break space is not blank",
         {"A", " \t", "\xC2\xA0", QString(QChar(0x1F)), "B", "c"},
         "2",
         "1",
         true,
         {{1, "A", "A ..."}}},
        {"no lines, no sections", {}, "3", "5", true, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const TocResult r = scan(c.lines, c.P, c.H, c.countBlank);
        EXPECT_EQ(r.end, TocEnd::Complete);
        ASSERT_EQ(r.sections.size(), c.sections.size());
        for (qsizetype i = 0; i < c.sections.size(); ++i) {
            EXPECT_EQ(r.sections[i].line, c.sections[i].line);
            EXPECT_EQ(r.sections[i].page, (c.sections[i].line - 1) / 10 + 1);
            EXPECT_EQ(r.sections[i].firstLine, c.sections[i].firstLine);
            EXPECT_EQ(r.sections[i].header, c.sections[i].header);
        }
    }
}

TEST(TableOfContentsTest, SpaceStopsTheScanButNotAtItsStart)
{
    QStringList lines;
    for (int chapter = 1; chapter <= 10; ++chapter) {
        lines << QStringLiteral("Chapter %1").arg(chapter) << prose(20) << QString() << QString()
              << QString();
    }
    struct Case
    {
        const char *name;
        int spaceAtPoll; // the poll (0 = the one before the scan) that finds a Space; -1 never
        TocEnd end;
        int sections;
        bool lastMarked;
    };
    const Case cases[] = {
        {"a Space pending at the start is ignored", 0, TocEnd::Complete, 10, true},
        {"a Space at line 1 leaves nothing", 1, TocEnd::SpaceStopped, 0, false},
        // Line 50 is in the header of chapter 3 (line 49); its header stays open.
        {"a Space later keeps what was found", 50, TocEnd::SpaceStopped, 3, false},
        {"no Space", -1, TocEnd::Complete, 10, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        int polls = 0;
        const TocResult r =
            scan(lines, "3", "5", true, 10, [&] { return polls++ == c.spaceAtPoll; });
        EXPECT_EQ(r.end, c.end);
        ASSERT_EQ(r.sections.size(), c.sections);
        if (c.sections > 0) {
            EXPECT_EQ(r.sections.last().header.endsWith(QStringLiteral(" ...")), c.lastMarked);
        }
    }
    int polls = 0;
    scan(lines, "3", "5", true, 10, [&] { return ++polls < 0; });
    EXPECT_EQ(polls, lines.size() + 1); // once before the scan, once per line
}

TEST(TableOfContentsTest, SettingTextsThatAreNoNumbers)
{
    const QStringList lines = bookWithGap(3);
    const TocResult badH = scan(lines, "3", "x", true);
    EXPECT_EQ(badH.end, TocEnd::BadHeaderSize);
    EXPECT_TRUE(badH.sections.isEmpty());
    const TocResult badP = scan(lines, "three", "5", true);
    EXPECT_EQ(badP.end, TocEnd::BadPrecedingBlankLines);
    EXPECT_TRUE(badP.sections.isEmpty());
    // Without lines P is never needed.
    EXPECT_EQ(scan({}, "three", "5", true).end, TocEnd::Complete);
}

TEST(TableOfContentsTest, ProgressTitleAndPages)
{
    EXPECT_EQ(tocProgressTitle(3, 7, 20),
              QStringLiteral("TOC section 3 (page 7/20) - Press Space to abort"));
    QList<std::pair<int, int>> reported;
    const QStringList lines = bookWithGap(3);
    TocInput input;
    input.totalLines = static_cast<int>(lines.size());
    input.linesPerPage = 7;
    input.pageCount = 8;
    input.precedingBlankLinesText = "3";
    input.headerSizeText = "5";
    const TocResult r = BuildToc(
        input, [&lines](int n) { return QStringView(lines[n - 1]); }, {},
        [&](int n, int page) {
            reported.append({n, page});
        });
    ASSERT_EQ(r.sections.size(), 2);
    EXPECT_EQ(r.sections[1].page, (47 - 1) / 7 + 1);
    EXPECT_EQ(reported, (QList<std::pair<int, int>>{{1, 1}, {2, 7}}));
}

TEST(TableOfContentsTest, HostileTextsScanWithoutHarm)
{
    for (const HostileText &h : hostileTexts()) {
        SCOPED_TRACE(h.name);
        const QStringList lines = h.text.split(QStringLiteral("\r\n"));
        const TocResult r = scan(lines, "1", "1", false);
        ASSERT_FALSE(r.sections.isEmpty());
        EXPECT_EQ(r.sections.first().line, 1);
    }
}

TEST(TableOfContentsTest, SectionJumpTargets)
{
    const QList<int> pages = {3, 7, 12};
    struct Case
    {
        int current;
        bool forward;
        int target;
    };
    const Case cases[] = {
        {1, true, 3},   {3, true, 7},   {5, true, 7},    {6, true, 7}, // right page follows
        {12, true, 20}, {15, true, 20}, {20, false, 12}, {12, false, 7}, {7, false, 3},
        {8, false, 7},  {3, false, 1},  {1, false, 1},   {2, false, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.current << (c.forward ? " forward" : " back"));
        EXPECT_EQ(sectionJumpTarget(pages, c.current, 20, c.forward), c.target);
    }
    EXPECT_EQ(sectionJumpTarget({}, 5, 20, true), 5);
    EXPECT_EQ(sectionJumpTarget({1}, 1, 1, true), 1);
}

TEST(TableOfContentsTest, AnOwnRuleThatHitsItsLimitEndsTheScanInsteadOfHanging)
{
    // Nested repeats fail on "a...ab" only after trying every split of the a's: 2^20 ways, a
    // few milliseconds a line, below the matcher's own default limit.
    const QString slowLine = QString(20, u'a') + u'b';
    QStringList lines = prose(30);
    lines[10] = QStringLiteral("~ 1 ~");
    lines[20] = slowLine;
    struct Case
    {
        const char *name;
        QString rule;
        TocEnd end;
        qsizetype sections;
    };
    const Case cases[] = {
        {"nested repeats", QStringLiteral("^(a+)+$|^~ \\d+ ~$"), TocEnd::RuleTooSlow, 0},
        {"stacked wildcards", QStringLiteral("^(.*)*(.*)*c$|^~ \\d+ ~$"), TocEnd::RuleTooSlow, 0},
        {"a sound rule on the same lines", QStringLiteral("^~ \\d+ ~$"), TocEnd::Complete, 2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TocInput input;
        input.totalLines = static_cast<int>(lines.size());
        input.pageCount = input.totalLines;
        input.headerSizeText = QStringLiteral("1");
        input.source = TocSource::Headings;
        input.headingRule = c.rule;
        const TocResult r =
            BuildToc(input, [&lines](int n) { return QStringView(lines[n - 1]); }, {});
        EXPECT_EQ(r.end, c.end);
        EXPECT_EQ(r.sections.size(), c.sections);
    }
    EXPECT_EQ(headingRuleTooSlowMessage(QStringLiteral("^(a+)+$")),
              QStringLiteral("The heading rule \"^(a+)+$\" is too slow for this book"));
}

TEST(TocText, IdeographicSpacesAreBlanks)
{
    EXPECT_TRUE(isBlankLine(u"\u3000\u3000 "));
    EXPECT_FALSE(isBlankLine(u"\u3000\u4E00"));
    EXPECT_EQ(trimBlanks(u"\u3000\u3000\u4E8C\u3000"), QStringLiteral(u"\u4E8C"));
}
