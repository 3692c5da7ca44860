#include "core/book/HeadingForms.h"
#include "core/book/ChapterHeadings.h"

#include <gtest/gtest.h>

TEST(HeadingFormsTest, EachFormAsReadersWriteItBesideANearMiss)
{
    struct Case
    {
        const char *line;
        HeadingForm form;
    };
    using F = HeadingForm;
    const Case cases[] = {
        {"CHAPTER THE LAST", F::Chapter},
        {"Chapter the First", F::Chapter},
        {"Book the First", F::Higher},
        {"Chapter the last of the wine was drunk", F::None},
        {"FIRST EPILOGUE: 1813 - 20", F::Chapter},
        {"Second Epilogue", F::Chapter},
        {"First, he went to the epilogue", F::None},
        {"CHAPITRE PREMIER. — LE FORWARD.", F::Chapter},
        {"CHAPITRE II. — UNE LETTRE INATTENDUE.", F::Chapter},
        {"Chapitre premier", F::Chapter},
        {"Chapitre deuxième", F::Chapter},
        {"Deuxième partie", F::Higher},
        {"Chapter 3: He left at once.", F::None},
        {"Erstes Kapitel", F::Chapter},
        {"Erstes Capitel: Eine schweifende Klippe", F::Chapter},
        {"Einundzwanzigstes Kapitel", F::Chapter},
        {"Zweiter Theil", F::Higher},
        {"Erstes Buch", F::Higher},
        {"Erstes sah er das Kapitel nicht", F::None},
        {"Глава первая", F::Chapter},
        {"ГЛАВА ОСЬМАЯ", F::Chapter},
        {"Глава двадцать третья", F::Chapter},
        {"Глава Х", F::Chapter}, // Cyrillic Х for X
        {"ЧАСТЬ ПЕРВАЯ", F::Higher},
        {"Часть первая. Детство", F::Higher},
        {"Часть первого урожая пропала", F::None},
        {"Primera parte", F::Higher},
        {"Capítulo primero", F::Chapter},
        {"Libro primo", F::Higher},
        {"Capitolo undicesimo", F::Chapter},
        {"Part of the problem", F::None},
        {"CHAP. IV.", F::Chapter},
        {"פרק א", F::Chapter},
        {"פרק י״א", F::Chapter},
        {"פרק ראשון", F::Chapter},
        {"החלק השני", F::Higher},
        {"ספר שלישי", F::Higher},
        {"פרק של החיים", F::None},
        {"الفصل الأول", F::Chapter},
        {"الفصل الحادي عشر", F::Chapter},
        {"الباب ٣", F::Chapter},
        {"الجزء الثاني", F::Higher},
        {"الفصل في الكتاب", F::None},
        {"第一卷 山河", F::Higher},
        {"第三回 风雨", F::Chapter},
        {"第四回中既将薛家母子在荣府内寄居等事略已表明．", F::None},
        // Numbers alone: headings only in a sequence, which the scan judges.
        {"XIV", F::Bare},
        {"XIV.", F::Bare},
        {"12", F::Bare},
        {"十二", F::Bare},
        {"IIII", F::None},
        {"1865", F::None},
        {"12 March", F::None},
    };
    const HeadingRules rules;
    for (const Case &c : cases)
        EXPECT_EQ(rules.match(QString::fromUtf8(c.line)).form, c.form) << c.line;
}

TEST(HeadingFormsTest, NumbersAloneCarryTheirValueAndStyle)
{
    struct Case
    {
        const char *line;
        int value;
        int style;
    };
    const Case cases[] = {{"12", 12, 1},     {"12.", 12, 2},       {"XIV", 14, 3},
                          {"XIV.", 14, 4},   {"MCMXC", 1990, 3},   {"十二", 12, 5},
                          {"二十三", 23, 5}, {"一百零五", 105, 5}, {"七、", 7, 5}};
    for (const Case &c : cases) {
        const HeadingMatch m = matchBuiltInHeading(QString::fromUtf8(c.line));
        EXPECT_EQ(m.form, HeadingForm::Bare) << c.line;
        EXPECT_EQ(m.value, c.value) << c.line;
        EXPECT_EQ(m.style, c.style) << c.line;
    }
}

TEST(HeadingFormsTest, ContentsTitlesAndTheGutenbergEndMarker)
{
    for (const char *title : {"CONTENTS", "Table of Contents", "Inhalt", "Table des matières.",
                              "Оглавление", "目录", "目次"})
        EXPECT_TRUE(isContentsTitle(QString::fromUtf8(title))) << title;
    for (const char *other : {"Contents of the box", "Table", "CHAPTER I"})
        EXPECT_FALSE(isContentsTitle(QString::fromUtf8(other))) << other;
    EXPECT_TRUE(isGutenbergEndMarker(
        QStringLiteral("*** END OF THE PROJECT GUTENBERG EBOOK WAR AND PEACE ***")));
    EXPECT_TRUE(isGutenbergEndMarker(QStringLiteral("End of the Project Gutenberg EBook of X")));
    EXPECT_FALSE(isGutenbergEndMarker(
        QStringLiteral("*** START OF THE PROJECT GUTENBERG EBOOK WAR AND PEACE ***")));
    EXPECT_FALSE(isGutenbergEndMarker(QStringLiteral("End of the chapter")));
}
