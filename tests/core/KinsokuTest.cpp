#include "core/layout/Kinsoku.h"

#include <gtest/gtest.h>

#include <QString>
#include <QTextBoundaryFinder>

#include <random>

namespace {

// What the fitter took from Qt before: every line-break boundary after the run's start.
std::vector<qsizetype> finderEnds(QStringView run)
{
    std::vector<qsizetype> ends;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Line, run.data(), run.size());
    for (qsizetype p = finder.toNextBoundary(); p > 0; p = finder.toNextBoundary())
        ends.push_back(p);
    return ends;
}

std::vector<qsizetype> tableEnds(QStringView run)
{
    std::vector<qsizetype> ends;
    EXPECT_TRUE(kinsokuUnitEnds(run, 0, ends)) << run.toString().toStdString();
    return ends;
}

QString hex(QStringView s)
{
    QString out;
    for (const QChar c : s)
        out += QString::number(c.unicode(), 16) + u' ';
    return out;
}

// Each covered character between two ideographs, and doubled.
TEST(Kinsoku, EveryCoveredCharacterBreaksAsQtSays)
{
    int covered = 0;
    for (char32_t u = 0; u < 0x10000; ++u) {
        const char16_t c = char16_t(u);
        if (kinsokuClassOf(c) == KinsokuClass::Other || QChar::isSurrogate(u))
            continue;
        ++covered;
        const QChar one(0x4E00);
        for (const QString &run : {QString(one) + QChar(c) + one, QString(QChar(c)) + QChar(c)})
            ASSERT_EQ(tableEnds(run), finderEnds(run)) << hex(run).toStdString();
    }
    EXPECT_GT(covered, 20000);
}

QString sampleCharacters()
{
    QString sample = QStringLiteral("一中國人説話的了がはをのかなカタナアイ0a9Zｚ０");
    for (char16_t c = 0x2000; c < 0x3100; ++c)
        if (kinsokuClassOf(c) != KinsokuClass::Other && !(c >= 0x3041 && c <= 0x30FA))
            sample += QChar(c);
    for (const char16_t c : {0x3041, 0x3063, 0x3083, 0x30A1, 0x30C3, 0x30F5, 0x30FC, 0x309D})
        sample += QChar(c);
    for (char16_t c = 0xFF00; c < 0xFF61; ++c)
        if (kinsokuClassOf(c) != KinsokuClass::Other && !(c >= 0xFF21 && c <= 0xFF5A))
            sample += QChar(c);
    return sample;
}

TEST(Kinsoku, EveryPairAndRandomRunsBreakAsQtSays)
{
    const QString sample = sampleCharacters();
    for (const QChar a : sample)
        for (const QChar b : sample) {
            const QString run = QString(a) + b;
            ASSERT_EQ(tableEnds(run), finderEnds(run)) << hex(run).toStdString();
        }
    std::mt19937 random(7);
    std::uniform_int_distribution<qsizetype> pick(0, sample.size() - 1);
    std::uniform_int_distribution<int> length(1, 40);
    for (int round = 0; round < 20000; ++round) {
        QString run;
        for (int k = length(random); k > 0; --k)
            run += sample[pick(random)];
        ASSERT_EQ(tableEnds(run), finderEnds(run)) << hex(run).toStdString();
    }
}

// Where a line may end, as offsets after the run's start (the run's end last).
TEST(Kinsoku, LineStartsAndEnds)
{
    struct Case
    {
        const char16_t *run;
        std::vector<qsizetype> ends;
    };
    const Case cases[] = {
        {u"天下大势", {1, 2, 3, 4}},
        {u"他说：「好。」", {1, 3, 7}},           // no line starts with ：。」, none ends with 「
        {u"（注）一二", {3, 4, 5}},
        {u"ちょっと待って", {3, 4, 6, 7}},        // small kana stay with the kana before
        {u"コーヒー！？", {2, 6}},               // the prolonged sound mark and !? too
        {u"他——走了", {1, 3, 4, 5}},             // two dashes hold together
        {u"第12章Qt6版", {1, 3, 4, 7, 8}},          // letters and digits hold together
        {u"“好”他说", {4, 5}},                   // quotation marks hold to both sides
        {u"等等……好", {1, 4, 5}},                // no line starts with an ellipsis
    };
    for (const Case &c : cases) {
        const QString run = QString::fromUtf16(c.run);
        EXPECT_EQ(tableEnds(run), c.ends) << run.toStdString();
        EXPECT_EQ(finderEnds(run), c.ends) << run.toStdString();
    }
    // Offsets are added; Thai and ASCII punctuation are not covered and change nothing.
    std::vector<qsizetype> ends{5};
    EXPECT_TRUE(kinsokuUnitEnds(u"一二", 10, ends));
    EXPECT_EQ(ends, (std::vector<qsizetype>{5, 11, 12}));
    EXPECT_FALSE(kinsokuUnitEnds(u"一ภาษา", 0, ends));
    EXPECT_FALSE(kinsokuUnitEnds(u"一,二", 0, ends));
    EXPECT_EQ(ends.size(), 3u);
}

} // namespace
