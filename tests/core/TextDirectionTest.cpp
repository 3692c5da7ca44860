#include "core/layout/TextDirection.h"
#include "core/layout/ComplexText.h"
#include "core/layout/LineFitter.h"
#include "UnitFit.h"

#include <gtest/gtest.h>

TEST(TextDirection, AParagraphTakesItsFirstStrongCharacter)
{
    const struct
    {
        QString text;
        bool rightToLeft;
    } cases[] = {
        {QStringLiteral("Hello עולם"), false},
        {QStringLiteral("שלום world"), true},
        {QStringLiteral("123 (مرحبا) abc"), true},
        {QStringLiteral("  \"«١٢٣»\" word"), false}, // Arabic digits are weak, the word decides
        {QStringLiteral("12345"), false},
        {QString(), false},
        {QStringLiteral("...\r\nשלום"), false},          // the paragraph ends before the Hebrew
        {QStringLiteral("\U00010900 Phoenician"), true}, // a strong character beyond the BMP
    };
    for (const auto &c : cases)
        EXPECT_EQ(startsRightToLeft(c.text), c.rightToLeft) << c.text.toStdString();
}

TEST(TextDirection, ContinuationLinesKeepTheirParagraphsDirection)
{
    // The Hebrew paragraph wraps so that a line starts with a Latin word; the English one so that
    // a line starts with a Hebrew word.
    const QString text =
        QStringLiteral("שלום עולם EULA text more\r\n\r\nplain words עולם here\r\n");
    FitPieces pieces = unitFit(text, 10);
    const int total = numberFittedLines(pieces);
    std::vector<bool> expected;
    for (int n = 1; n <= total; ++n) {
        const QString line = FittedLine(pieces, n).toString();
        const bool inHebrewParagraph = n <= 3;
        expected.push_back(inHebrewParagraph && !line.isEmpty());
    }
    ASSERT_GE(total, 6);
    ASSERT_TRUE(FittedLine(pieces, 2).startsWith(u"EULA"))
        << FittedLine(pieces, 2).toString().toStdString();
    // Every window onto the lines gives the same answers, from wherever it starts.
    for (int first = 1; first <= total; ++first) {
        const std::vector<bool> got = rightToLeftLines(pieces, first, total);
        ASSERT_EQ(got.size(), size_t(total - first + 1));
        for (size_t i = 0; i < got.size(); ++i)
            EXPECT_EQ(got[i], expected[first - 1 + i]) << "line " << first + i;
    }
}

TEST(ComplexText, ShapingIsNeededWhereTextIsUnreadableWithout)
{
    const struct
    {
        const char *name;
        QString text;
        bool shaping;
    } cases[] = {
        {"English", QStringLiteral("Plain English, with “quotes” and – dashes."), false},
        {"Latin-1", QStringLiteral("Größe, naïve café"), false},
        {"Russian and Greek", QStringLiteral("Привет, καλημέρα"), false},
        {"Chinese and kana", QStringLiteral("中文，ひらがな、カタカナ。한국어"), false},
        {"a plain emoji", QStringLiteral("smile \U0001F600"), false},
        {"combining accent", QStringLiteral("cafe\u0301"), true},
        {"Arabic", QStringLiteral("text مرحبا"), true},
        {"Hebrew mirrors brackets", QStringLiteral("(שלום)"), true},
        {"Devanagari", QStringLiteral("नमस्ते"), true},
        {"Thai", QStringLiteral("ภาษาไทย"), true},
        {"skin tone", QStringLiteral("\U0001F44D\U0001F3FD"), true},
        {"flag", QStringLiteral("\U0001F1EF\U0001F1F5"), true},
        {"zero-width joiner", QStringLiteral("\U0001F468\u200D\U0001F469"), true},
        {"a lone surrogate", QString(QChar(0xD83D)), false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(needsShaping(c.text), c.shaping) << c.name;
}
