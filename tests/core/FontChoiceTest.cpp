#include "TestSupport.h"
#include "core/layout/FontChoice.h"

#include <gtest/gtest.h>

TEST(FontChoiceTest, BuiltInListHoldsTheFortyFiveNamesInOrder)
{
    const QStringList &names = BuiltInExcludedFonts();
    ASSERT_EQ(names.size(), 45);
    EXPECT_EQ(names.first(), QStringLiteral("Botanical"));
    EXPECT_EQ(names.at(27), QStringLiteral("Wingdings"));
    EXPECT_EQ(names.at(30), QStringLiteral("Estrangelo Edessa"));
    EXPECT_EQ(names.last(), QStringLiteral("WST_Swed"));
    QStringList copy = names;
    EXPECT_EQ(copy.removeDuplicates(), 0);
}

TEST(FontChoiceTest, UsableFontsRemoveEveryOccurrenceIgnoringCase)
{
    struct Case
    {
        const char *what;
        QStringList installed;
        QStringList excluded;
        QStringList expected;
    };
    const Case cases[] = {
        {"order kept", {"Serif B", "Serif A", "Mono"}, {}, {"Serif B", "Serif A", "Mono"}},
        {"Wingdings in capitals", {"WINGDINGS", "DejaVu Serif"}, {}, {"DejaVu Serif"}},
        {"a name twice, removed twice", {"Symbol", "Serif", "symbol"}, {}, {"Serif"}},
        {"built-in names are whole names",
         {"Times New Roman", "Roman", "Wingdings 2x"},
         {},
         {"Times New Roman", "Wingdings 2x"}},
        {"settings list ignores case", {"Comic", "Serif", "COMIC"}, {"comic"}, {"Serif"}},
        {"settings list twice", {"A", "B"}, {"a", "A"}, {"B"}},
        {"everything excluded", {"Webdings", "Marlett", "Serif"}, {"SERIF"}, {}},
        {"nothing installed", {}, {"Serif"}, {}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(usableFonts(c.installed, c.excluded), c.expected) << c.what;
}

TEST(FontChoiceTest, DefaultFontFallsBackToTheSubstituteThenTheFirst)
{
    const QStringList usable = {"DejaVu Sans", "Liberation Serif", "Noto Mono"};
    struct Case
    {
        const char *what;
        QString defaultName;
        QString substitute;
        QString expected;
        bool replaced;
    };
    const Case cases[] = {
        {"listed", "Noto Mono", "Noto Mono", "Noto Mono", false},
        {"listed in other case keeps the list's spelling", "liberation serif", "x",
         "Liberation Serif", false},
        {"missing, substitute listed", "Times New Roman", "Liberation Serif", "Liberation Serif",
         true},
        {"missing, substitute not listed", "Times New Roman", "Nimbus Roman", "DejaVu Sans", true},
        {"missing, no substitute", "Nowhere", "", "DejaVu Sans", true},
        {"empty name", "", "", "DejaVu Sans", true},
    };
    for (const Case &c : cases) {
        const DefaultFontChoice choice = chooseDefaultFont(usable, c.defaultName, c.substitute);
        EXPECT_EQ(choice.name, c.expected) << c.what;
        EXPECT_EQ(choice.replaced, c.replaced) << c.what;
    }
    EXPECT_TRUE(chooseDefaultFont({}, "Serif", "Serif").name.isEmpty());
}

TEST(FontChoiceTest, DefaultFontSizeIsBroughtIntoTheSpinnerRange)
{
    struct Case
    {
        QString text;
        int size;
        bool valid;
    };
    const Case cases[] = {
        {"10", 10, true}, {"6", 6, true},      {"20", 20, true},           {"5", 6, true},
        {"40", 20, true}, {"-3", 6, true},     {"$C", 12, true},           {"abc", 10, false},
        {"", 10, false},  {"12pt", 10, false}, {"99999999999", 10, false},
    };
    for (const Case &c : cases) {
        const DefaultFontSize size = defaultFontSize(c.text, 6, 20);
        EXPECT_EQ(size.size, c.size) << c.text.toStdString();
        EXPECT_EQ(size.valid, c.valid) << c.text.toStdString();
    }
}

TEST(FontChoiceTest, HostileNamesAndSizesAreHarmless)
{
    for (const HostileText &h : hostileTexts()) {
        const QStringList installed = {h.text, QStringLiteral("Serif"), h.text};
        const QStringList usable = usableFonts(installed, {h.text});
        EXPECT_EQ(usable, QStringList{QStringLiteral("Serif")}) << h.name;
        const DefaultFontChoice choice = chooseDefaultFont(usable, h.text, h.text);
        EXPECT_EQ(choice.name, QStringLiteral("Serif")) << h.name;
        const DefaultFontSize size = defaultFontSize(h.text, 6, 20);
        EXPECT_GE(size.size, 6) << h.name;
        EXPECT_LE(size.size, 20) << h.name;
    }
}
