#include "core/book/ChapterHeadings.h"
#include "core/book/TableOfContents.h"

#include <gtest/gtest.h>

TEST(ChapterHeadingsTest, LinesThatAreHeadingsAndLinesThatAreNot)
{
    struct Case
    {
        const char *line;
        bool heading;
    };
    const Case cases[] = {
        // English, numbers, Roman numerals and number words in any case
        {"CHAPTER XII.", true},
        {"Chapter 12", true},
        {"  chapter iv  ", true},
        {"Chapter Twenty-First", true},
        {"BOOK II", true},
        {"Part One", true},
        {"Volume 3: The Return", true},
        {"Chapter 7 The Storm", true},
        {"ACT III", true},
        {"Scene 2", true},
        {"Canto XXXIV", true},
        {"Letter 4", true},
        {"Section Nineteen", true},
        {"Prologue", true},
        {"EPILOGUE", true},
        {"Appendix A", true},
        {"Introduction", true},
        {"XIV", true},
        {"XIV.", true},
        {"12", true},
        {"12.", true},
        // Other Latin-script and Cyrillic languages
        {"Kapitel 4", true},
        {"Teil II", true},
        {"Buch 3", true},
        {"Chapitre XII", true},
        {"Livre 2", true},
        {"Partie 1", true},
        {"Capítulo 7", true},
        {"Capitolo 9", true},
        {"Parte 2", true},
        {"Hoofdstuk 5", true},
        {"Rozdział 3", true},
        {"Глава 5", true},
        {"ГЛАВА XII", true},
        {"Часть 2", true},
        {"Книга 1", true},
        {"Розділ 7", true},
        // Chinese, Japanese, Korean
        {"第一百二十三章 风雨", true},
        {"第十二章 标题", true},
        {"第3章", true},
        {"第二回", true},
        {"第五卷 山河", true},
        {"序章", true},
        {"楔子 开端", true},
        {"番外 一", true},
        {"尾声", true},
        {"后记", true},
        {"第3話", true},
        {"第十二話 夜", true},
        {"プロローグ", true},
        {"エピローグ", true},
        {"제3장", true},
        {"제 12 장", true},
        {"3장", true},
        // Not headings
        {"Chapter and verse were quoted to him.", false},
        {"Chapter and verse ...", false},
        {"Part of the problem was ...", false},
        {"Part of the problem was the rain", false},
        {"Part 2 of the plan failed", false},
        {"1. Take the flour and the eggs", false},
        {"12 March 1865", false},
        {"12.03.1865", false},
        {"1865", false},
        {"March 12, 1865.", false},
        {"Chapter 3: He left at once.", false},
        {"Chapter Onerous", false},
        {"Books were everywhere", false},
        {"CHAPTER XII. THE VERY LONG TITLE OF A CHAPTER THAT GOES ON AND ON", false},
        {"第一章的内容很好。", false},
        {"他说第三章写得很好。", false},
        {"", false},
        {"   ", false},
        {"mix", false},
        {"I think so!", false},
    };
    const HeadingRules rules;
    for (const Case &c : cases)
        EXPECT_EQ(rules.isHeading(QString::fromUtf8(c.line)), c.heading) << c.line;
}

TEST(ChapterHeadingsTest, TheReadersOwnRuleIsAddedAndAnInvalidOneIsNamed)
{
    const QString scroll = QStringLiteral("~ Scroll 4 ~");
    EXPECT_FALSE(HeadingRules().isHeading(scroll));
    EXPECT_TRUE(HeadingRules(QStringLiteral("^~ Scroll \\d+ ~$")).isHeading(scroll));
    EXPECT_TRUE(
        HeadingRules(QStringLiteral("^~ Scroll \\d+ ~$")).isHeading(QStringLiteral("Chapter 2")));
    // The length and sentence limits hold for the reader's rule as well.
    EXPECT_FALSE(HeadingRules(QStringLiteral("^~")).isHeading(QStringLiteral("~ It ended!")));

    EXPECT_TRUE(headingRuleError(QStringLiteral("^~ Scroll \\d+ ~$")).isEmpty());
    const QString error = headingRuleError(QStringLiteral("^(Scroll"));
    EXPECT_TRUE(error.contains(QStringLiteral("^(Scroll"))) << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("not a valid regular expression")));
    EXPECT_FALSE(HeadingRules(QStringLiteral("^(Scroll")).isHeading(QStringLiteral("(Scroll")));
}

TEST(ChapterHeadingsTest, StoredChoiceTextsReadBackAndUnknownOnesAreAutomatic)
{
    for (TocSource s : {TocSource::Automatic, TocSource::BlankLines, TocSource::Headings,
                        TocSource::HeadingsAndBlankLines})
        EXPECT_EQ(tocSourceFromKey(tocSourceKey(s)), s);
    EXPECT_EQ(tocSourceFromKey(QString()), TocSource::Automatic);
    EXPECT_EQ(tocSourceFromKey(QStringLiteral("Chapters")), TocSource::Automatic);
}

TEST(ChapterHeadingsTest, HeadingsCountAsSpreadInThreeTenthsOfTheBook)
{
    struct Case
    {
        QList<int> lines;
        int total;
        bool spread;
    };
    const Case cases[] = {
        {{1, 400, 800}, 1000, true},
        {{5, 6, 7, 8, 9, 10}, 1000, false}, // a list of chapters at
                                            // the start
        {{1, 500}, 1000, false},
        {{1, 2, 999}, 1000, false},
        {{}, 0, false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(headingsSpreadOverBook(c.lines, c.total), c.spread);
}

namespace {

// Prose lines with a heading line at each given index (0-based) and blankRun blank lines before
// every heading.
QStringList book(int length, const QList<int> &headingAt, const QString &heading, int blankRun)
{
    QStringList lines;
    for (int i = 0; i < length; ++i) {
        if (headingAt.contains(i)) {
            for (int b = 0; b < blankRun; ++b)
                lines << QString();
            lines << heading.arg(i);
        } else {
            lines << QStringLiteral("and the prose went on, line %1,").arg(i);
        }
    }
    return lines;
}

TocResult scan(const QStringList &lines, TocSource source, const QString &P = QStringLiteral("3"))
{
    TocInput input;
    input.totalLines = static_cast<int>(lines.size());
    input.linesPerPage = 10;
    input.pageCount = (input.totalLines + 9) / 10;
    input.precedingBlankLinesText = P;
    input.headerSizeText = QStringLiteral("2");
    input.source = source;
    return BuildToc(input, [&lines](int n) { return QStringView(lines[n - 1]); }, {});
}

QStringList firstLines(const TocResult &r)
{
    QStringList out;
    for (const TocSection &s : r.sections)
        out << s.firstLine;
    return out;
}

} // namespace

TEST(ChapterHeadingsTest, EachSourceStartsTheSectionsItNames)
{
    // Headings after one blank line, and one run of four blank lines before a letter.
    QStringList lines = book(300, {50, 150, 250}, QStringLiteral("Chapter %1"), 1);
    lines.insert(100, QString());
    lines.insert(100, QString());
    lines.insert(100, QString());
    lines.insert(100, QString());
    lines.insert(104, QStringLiteral("Dear Sir,"));
    const QString title = lines[0];
    const QStringList chapters = {QStringLiteral("Chapter 50"), QStringLiteral("Chapter 150"),
                                  QStringLiteral("Chapter 250")};
    struct Case
    {
        TocSource source;
        TocSource used;
        QStringList sections;
    };
    const Case cases[] = {
        {TocSource::BlankLines, TocSource::BlankLines, {title, QStringLiteral("Dear Sir,")}},
        {TocSource::Headings, TocSource::Headings, QStringList{title} + chapters},
        {TocSource::Automatic, TocSource::Headings, QStringList{title} + chapters},
        {TocSource::HeadingsAndBlankLines,
         TocSource::HeadingsAndBlankLines,
         {title, chapters[0], QStringLiteral("Dear Sir,"), chapters[1], chapters[2]}},
    };
    for (const Case &c : cases) {
        const TocResult r = scan(lines, c.source);
        EXPECT_EQ(r.used, c.used) << tocSourceKey(c.source).toStdString();
        EXPECT_EQ(firstLines(r), c.sections) << tocSourceKey(c.source).toStdString();
    }
}

TEST(ChapterHeadingsTest, AutomaticKeepsBlankLinesWithoutSpreadHeadings)
{
    // Three headings, all in the first tenth: a list of contents, not the chapters.
    const QStringList lines = book(300, {3, 5, 7}, QStringLiteral("Chapter %1"), 4);
    const TocResult r = scan(lines, TocSource::Automatic);
    EXPECT_EQ(r.used, TocSource::BlankLines);
    EXPECT_EQ(firstLines(r), firstLines(scan(lines, TocSource::BlankLines)));
}

TEST(ChapterHeadingsTest, HeadingsAloneNeedNoBlankLineCount)
{
    const QStringList lines = book(100, {20, 60}, QStringLiteral("Chapter %1"), 0);
    EXPECT_EQ(scan(lines, TocSource::Headings, QStringLiteral("x")).sections.size(), 3);
    EXPECT_EQ(scan(lines, TocSource::HeadingsAndBlankLines, QStringLiteral("x")).end,
              TocEnd::BadPrecedingBlankLines);
}
