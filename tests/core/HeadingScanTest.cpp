#include "core/book/TableOfContents.h"

#include <gtest/gtest.h>

#include <QSet>

namespace {

// A book written as blocks: a block is a line of the book, or "~n" for n lines of prose.
QStringList write(const QStringList &blocks)
{
    QStringList lines;
    for (const QString &b : blocks) {
        if (b.startsWith(u'~')) {
            const int n = b.mid(1).toInt();
            for (int l = 0; l < n; ++l)
                lines << QStringLiteral("and the story went on, line after line, as stories do,");
        } else {
            lines << b;
        }
    }
    return lines;
}

TocResult scan(const QStringList &lines, TocSource source = TocSource::Automatic,
               const QSet<int> &wrapped = {})
{
    TocInput input;
    input.totalLines = static_cast<int>(lines.size());
    input.linesPerPage = 10;
    input.pageCount = (input.totalLines + 9) / 10;
    input.precedingBlankLinesText = QStringLiteral("3");
    input.headerSizeText = QStringLiteral("5");
    input.source = source;
    input.wholeLine = [wrapped](int n) { return !wrapped.contains(n); };
    return BuildToc(input, [&lines](int n) { return QStringView(lines[n - 1]); }, {});
}

QStringList firstLines(const TocResult &r)
{
    QStringList out;
    for (const TocSection &s : r.sections)
        out << s.firstLine.trimmed();
    return out;
}

std::string joined(const QStringList &lines)
{
    return lines.join(QStringLiteral(" | ")).toStdString();
}

// n chapters "<prefix><number>" with prose between them.
QStringList chapters(const QString &prefix, const QStringList &numbers)
{
    QStringList blocks;
    for (const QString &n : numbers)
        blocks << QString() << prefix + n << QString() << QStringLiteral("~40");
    return blocks;
}

} // namespace

TEST(HeadingScanTest, OnlyChaptersAreListed)
{
    const QStringList roman = {"I", "II", "III", "IV", "V"};
    const QStringList arabic = {"1", "2", "3", "4", "5"};
    const QStringList endnotes = {"~2", "", "1", "~1", "", "2", "~1", "", "3", "~1", "", "4", "~1"};
    struct Case
    {
        const char *name;
        QStringList blocks;
        QStringList listed;
    };
    const Case cases[] = {
        {"bare Roman numerals in sequence", QStringList{"Title", "~3"} + chapters({}, roman),
         QStringList{"Title"} + roman},
        {"endnote numbers after the last chapter",
         QStringList{"Title", "~3"} + chapters({}, roman) + endnotes, QStringList{"Title"} + roman},
        {"a numbered list is no sequence of chapters",
         QStringList{"Title", "~3"} + chapters(QStringLiteral("Chapter "), arabic) +
             QStringList{"1.", "~1", "2.", "~1", "3.", "~1"},
         QStringList{"Title"} + chapters(QStringLiteral("Chapter "), arabic).filter("Chapter")},
        {"numbers start again after BOOK II",
         QStringList{"Title", "BOOK I"} + chapters({}, arabic.mid(0, 3)) + QStringList{"BOOK II"} +
             chapters({}, arabic.mid(0, 3)),
         QStringList{"Title", "BOOK I", "1", "2", "3", "BOOK II", "1", "2", "3"}},
        {"a second run of small numbers at the end without a higher heading",
         QStringList{"Title", "~3"} + chapters({}, arabic) + endnotes,
         QStringList{"Title"} + arabic},
        {"a contents list followed by the same headings in the body",
         QStringList{"Title", "", "CONTENTS", "", "CHAPTER I. The Start", "", "CHAPTER II. Later",
                     "", "CHAPTER III. The End", "", "", "", "CHAPTER I.", "~40", "CHAPTER II.",
                     "~40", "CHAPTER III.", "~40"},
         QStringList{"Title", "CONTENTS", "CHAPTER I.", "CHAPTER II.", "CHAPTER III."}},
        {"a contents list with page numbers and no title",
         QStringList{"Title", "~3", "Chapter 1", "3", "Chapter 2", "9", "Chapter 3", "15", "",
                     "Chapter 1", "~40", "Chapter 2", "~40", "Chapter 3", "~40"},
         QStringList{"Title", "Chapter 1", "Chapter 1", "Chapter 2", "Chapter 3"}},
        {"the licence after the end marker is one entry",
         QStringList{"Title", "~3"} + chapters(QStringLiteral("Chapter "), arabic.mid(0, 3)) +
             QStringList{"*** END OF THE PROJECT GUTENBERG EBOOK TITLE ***", "", "Section 1.", "~2",
                         "Section 2.", "~2", "Section 3.", "~2"},
         QStringList{"Title", "Chapter 1", "Chapter 2", "Chapter 3",
                     "*** END OF THE PROJECT GUTENBERG EBOOK TITLE ***"}},
        {"a heading written twice in a row is listed once",
         QStringList{"Title", "~3", "第一回 甲", "~40", "第二回 乙", "~3", "第二回 乙", "~40",
                     "第三回 丙", "~40"},
         QStringList{"Title", "第一回 甲", "第二回 乙", "第三回 丙"}},
    };
    for (const Case &c : cases) {
        const TocResult r = scan(write(c.blocks));
        EXPECT_EQ(r.used, TocSource::Headings) << c.name;
        EXPECT_EQ(joined(firstLines(r)), joined(c.listed)) << c.name;
    }
}

TEST(HeadingScanTest, AWrappedTailThatReadsLikeANumberIsNoHeading)
{
    QStringList lines = write(QStringList{"Title", "~3"} +
                              chapters(QStringLiteral("Chapter "), {"1", "2", "3", "4"}));
    // "... the treasure   200": the tail stands alone on a fitted line.
    lines.insert(60, QStringLiteral("200"));
    lines.insert(60, QStringLiteral("In the chest, so the old map said, lay the treasure"));
    const int tail = 62;
    EXPECT_FALSE(firstLines(scan(lines, TocSource::Headings)).contains(QStringLiteral("200")));
    lines[tail - 1] = QStringLiteral("Chapter 9");
    EXPECT_TRUE(firstLines(scan(lines, TocSource::Headings)).contains(QStringLiteral("Chapter 9")));
    EXPECT_FALSE(
        firstLines(scan(lines, TocSource::Headings, {tail})).contains(QStringLiteral("Chapter 9")));
}

TEST(HeadingScanTest, AHeadingBeginsASectionInsideTheHeaderBeforeIt)
{
    struct Case
    {
        QStringList blocks;
        QStringList listed;
    };
    const Case cases[] = {
        {{"The Book", "", "Chapter 1", "~40", "Chapter 2", "~40", "Chapter 3", "~40"},
         {"The Book", "Chapter 1", "Chapter 2", "Chapter 3"}},
        {{"《书名》", "第一章", "~40", "第二章", "~40", "第三章", "~40"},
         {"《书名》", "第一章", "第二章", "第三章"}},
        {{"Book the First", "", "CHAPTER I.", "~40", "CHAPTER II.", "~40", "CHAPTER III.", "~40"},
         {"Book the First", "CHAPTER I.", "CHAPTER II.", "CHAPTER III."}},
    };
    for (const Case &c : cases) {
        for (TocSource source : {TocSource::Automatic, TocSource::HeadingsAndBlankLines}) {
            const TocResult r = scan(write(c.blocks), source);
            EXPECT_EQ(joined(firstLines(r)), joined(c.listed))
                << tocSourceKey(source).toStdString();
            ASSERT_GE(r.sections.size(), 2);
            // The header stops where the next section begins, unmarked.
            EXPECT_FALSE(r.sections[0].header.contains(c.listed[1]));
            EXPECT_FALSE(r.sections[0].header.endsWith(QStringLiteral(" ...")));
        }
    }
    // The blank-line choice is unchanged: the heading stays in the title's header.
    const TocResult blank = scan(write(cases[0].blocks), TocSource::BlankLines);
    EXPECT_EQ(firstLines(blank).first(), QStringLiteral("The Book"));
    EXPECT_TRUE(blank.sections[0].header.contains(QStringLiteral("Chapter 1")));
}

TEST(HeadingScanTest, ListsSpreadOverTheBookLeaveItToBlankLines)
{
    // Heading-like lines in three tenths, but each time a list of them: no chapters.
    const QStringList list = {"", "Scene 1", "Scene 2", "Scene 3", ""};
    const QStringList lines = write(QStringList{"Title", "~30"} + list +
                                    QStringList{"~30", "", "", "", "The Second Part", "~30"} +
                                    list + QStringList{"~30"} + list + QStringList{"~30"});
    const TocResult automatic = scan(lines);
    EXPECT_EQ(automatic.used, TocSource::BlankLines);
    EXPECT_EQ(joined(firstLines(automatic)), "Title | The Second Part");
}
