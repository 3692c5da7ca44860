#include "core/layout/SetOffLines.h"

#include "TestSupport.h"
#include "UnitFit.h"

#include <gtest/gtest.h>

TEST(SetOffLines, SceneBreaksAndTheirNearMisses)
{
    const struct
    {
        const char16_t *line;
        bool sceneBreak;
    } cases[] = {
        {u"* * *", true},
        {u"                 *       *       *", true},
        {u"***", true},
        {u"#", true},
        {u"~~~", true},
        {u"-----", true},
        {u"=======", true},
        {u"\u00B7 \u00B7 \u00B7", true},
        {u"\u2022\u2022\u2022", true},
        {u"o o o", true},
        {u"0  0  0", true},
        {u"*\t*\t*", true},
        {u"***Important***", false},
        {u"* Item", false},
        {u"- a list item", false},
        {u"o", false}, // a letter
        {u"00", false},
        {u"* * * and then", false},
        {u"", false},
        {u"     ", false},
        {u"_____", false},
        {u"* * * * * * * * * * * * * * * * * * * * * * * * * *", false}, // no longer short
    };
    for (const auto &c : cases) {
        const QString line = QString::fromUtf16(c.line);
        EXPECT_EQ(isSceneBreak(line), c.sceneBreak) << line.toStdString();
    }
}

TEST(SetOffLines, CentredLinesBalanceTheirBlanks)
{
    const struct
    {
        const char *name;
        QString line;
        int width;
        bool centred;
    } cases[] = {
        {"title", QString(31, u' ') + "CHAPTER I", 72, true},
        {"a few characters off", QString(29, u' ') + "CHAPTER I", 72, true},
        {"centred at a narrower width", QString(28, u' ') + "CHAPTER I", 72, true},
        {"far off", QString(22, u' ') + "CHAPTER I", 72, false},
        {"longer title", QString(18, u' ') + "PRIDE AND PREJUDICE AND MORE", 64, true},
        {"flush left", QStringLiteral("CHAPTER I"), 72, false},
        {"indented verse", QStringLiteral("    The woods are lovely, dark and deep,"), 72, false},
        {"deeply indented but left", QString(8, u' ') + "By the author of the letters", 72, false},
        {"right-aligned", QString(50, u' ') + "Yours truly,", 72, false},
        {"wider than the text", QString(40, u' ') + QString(40, u'x'), 72, false},
        {"text not wrapped", QString(31, u' ') + "CHAPTER I", 0, false},
        {"tab inside the lead", QString(20, u' ') + "\t" + "CHAPTER I", 72, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(isCentredLine(c.line, c.width), c.centred);
    }
}

TEST(SetOffLines, ClassifiesRawLines)
{
    const SetOffLines rules(QString(), 70);
    EXPECT_EQ(rules.classify(u"CHAPTER XII."), SetOff::Heading);
    EXPECT_EQ(rules.classify(u"  Chapter 3"), SetOff::Heading);
    EXPECT_EQ(rules.classify(u"* * *"), SetOff::SceneBreak);
    EXPECT_EQ(rules.classify(QString(27, u' ') + "THE END OF IT"), SetOff::Centred);
    EXPECT_EQ(rules.classify(u"Chapter and verse were quoted at him all evening."), SetOff::None);
    EXPECT_EQ(rules.classify(u"It was the best of times."), SetOff::None);
    // The reader's own rule counts as the table of contents counts it.
    const SetOffLines own(QStringLiteral("^Stave [A-Z]+$"), 70);
    EXPECT_EQ(own.classify(u"Stave ONE"), SetOff::Heading);
    EXPECT_EQ(rules.classify(u"Stave ONE"), SetOff::None);
    for (const HostileText &h : hostileTexts())
        (void)rules.classify(h.text);
}

// Every fitted line of a set-off raw line is set off, and no line of a paragraph is.
TEST(SetOffLines, FittedLinesTakeTheirRawLinesKind)
{
    const QString text = QStringLiteral(
        "CHAPTER I.\r\n\r\nIt is a truth universally acknowledged, that a single man\r\n"
        "\r\n* * *\r\nChapter 2 begins here, or so it seems, for a while.");
    FitPieces pieces = unitFit(text, 20);
    const int total = numberFittedLines(pieces);
    const SetOffLines rules(QString(), 0);
    const std::vector<SetOff> kinds = rules.ofFittedLines(pieces, 1, total + 5);
    ASSERT_EQ(int(kinds.size()), total);
    std::vector<SetOff> expected;
    for (int n = 1; n <= total; ++n) {
        const QString line = FittedLine(pieces, n).toString();
        expected.push_back(line == "CHAPTER I."    ? SetOff::Heading
                           : line == "* * *"       ? SetOff::SceneBreak
                                                   : SetOff::None);
    }
    EXPECT_EQ(kinds, expected);
    // "Chapter 2 begins here, ..." wraps; its first fitted line alone would read as a heading.
    EXPECT_EQ(FittedLine(pieces, total - 2).toString().trimmed(), QStringLiteral("Chapter 2 begins"));
    const std::vector<SetOff> middle = rules.ofFittedLines(pieces, total - 2, 1);
    ASSERT_EQ(middle.size(), 1u);
    EXPECT_EQ(middle.front(), SetOff::None);
}
