#include "core/book/ColourChoice.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

TEST(ColourChoiceTest, BackgroundChooserOffersTheCurrentColourOnlyWhenNew)
{
    struct Case
    {
        ColourValue current;
        QStringList expected;
    };
    const Case cases[] = {
        {DefaultPageColour, {"ColorA=E7E7E7", "ColorB=B8DCDC"}},
        {AlternatePageColour, {"ColorA=E7E7E7", "ColorB=B8DCDC"}},
        {ColourValue::fromRgb(0x12, 0x34, 0x56),
         {"ColorA=E7E7E7", "ColorB=B8DCDC", "ColorC=563412"}},
        {ColourValue{0}, {"ColorA=E7E7E7", "ColorB=B8DCDC", "ColorC=000000"}},
        {ColourValue::fromRgb(0xE7, 0xE7, 0xE6),
         {"ColorA=E7E7E7", "ColorB=B8DCDC", "ColorC=E6E7E7"}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(backgroundCustomColours(c.current), c.expected) << c.current.bgr;
}

TEST(ColourChoiceTest, TextChooserOffersBlackAndTheCurrentColour)
{
    EXPECT_EQ(textCustomColours(DefaultTextColour), QStringList{"ColorA=000000"});
    EXPECT_EQ(textCustomColours(ColourValue::fromRgb(0xFF, 0xFF, 0xFF)),
              (QStringList{"ColorA=000000", "ColorB=FFFFFF"}));
    EXPECT_EQ(textCustomColours(ColourValue::fromRgb(0xAB, 0x00, 0x01)),
              (QStringList{"ColorA=000000", "ColorB=0100AB"}));
}

TEST(ColourChoiceTest, CustomEntriesReadBack)
{
    struct Case
    {
        QString entry;
        std::optional<quint32> value;
    };
    const Case cases[] = {
        {"ColorA=E7E7E7", 0xE7E7E7}, {"ColorC=0000ff", 0x0000FF},     {"ColorB=B8DCDC", 0xB8DCDC},
        {"ColorA=E7E7E", {}},        {"ColorA=E7E7E7F", {}},          {"ColorA:E7E7E7", {}},
        {"ColourA=E7E7", {}},        {"ColorA=+7E7E7", {}},           {"ColorA=G7E7E7", {}},
        {"Color1=E7E7E7", {}},       {"ColorA=\uFF10\uFF10E7E7", {}},
    };
    for (const Case &c : cases) {
        const std::optional<ColourValue> value = customColourValue(c.entry);
        ASSERT_EQ(value.has_value(), c.value.has_value()) << c.entry.toStdString();
        if (value) {
            EXPECT_EQ(value->bgr, *c.value) << c.entry.toStdString();
        }
    }
    for (const QString &entry : backgroundCustomColours(ColourValue::fromRgb(1, 2, 3)))
        EXPECT_TRUE(customColourValue(entry).has_value()) << entry.toStdString();
    for (const HostileText &h : hostileTexts())
        EXPECT_FALSE(customColourValue(h.text).has_value()) << h.name;
}

TEST(ColourChoiceTest, ChosenColoursAreWrittenByNameOrAsHexadecimal)
{
    EXPECT_EQ(colourText(ColourValue::fromRgb(0xFF, 0, 0)), QStringLiteral("clRed"));
    EXPECT_EQ(colourText(ColourValue::fromRgb(0xDC, 0xDC, 0xB8)), QStringLiteral("$00B8DCDC"));
    EXPECT_EQ(colourText(DefaultPageColour), QStringLiteral("$00E7E7E7"));
    EXPECT_EQ(colourText(DefaultTextColour), QStringLiteral("clBlack"));
}
