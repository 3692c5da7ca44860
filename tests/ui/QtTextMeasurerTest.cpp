#include "ui/pages/QtTextMeasurer.h"

#include <QFontDatabase>
#include <QFontMetricsF>

#include <gtest/gtest.h>

namespace {

struct FontCase
{
    const char *family;
    int size;
    QFont::HintingPreference hinting;
};

// Every width the fitter takes from the measuring font must be the page font's own, whichever
// font the measurer picks: the lines would otherwise break where the page does not.
TEST(QtTextMeasurer, MeasuresEveryCharacterAsThePageFont)
{
    const FontCase cases[] = {
        {"Liberation Serif", 12, QFont::PreferDefaultHinting},
        {"DejaVu Sans", 17, QFont::PreferDefaultHinting},
        {"DejaVu Serif", 9, QFont::PreferFullHinting},
        {"WenQuanYi Micro Hei", 14, QFont::PreferDefaultHinting},
        {"Liberation Mono", 11, QFont::PreferVerticalHinting},
    };
    QString characters;
    for (char16_t c = 0x20; c < 0x250; ++c)
        characters += QChar(c);
    for (char16_t c = 0x400; c < 0x460; ++c)
        characters += QChar(c);
    for (char16_t c = 0x3000; c < 0x3100; ++c)
        characters += QChar(c);
    for (char16_t c = 0x4E00; c < 0x5600; c += 3)
        characters += QChar(c);
    const QString words[] = {QStringLiteral("AVAWAY To Ty"), QStringLiteral("第一章　天下大势，分久必合。"),
                             QStringLiteral("ﬁnal Straße Привет")};
    int tried = 0;
    for (const FontCase &fc : cases) {
        const QString family = QString::fromLatin1(fc.family);
        if (!QFontDatabase::families().contains(family))
            continue;
        ++tried;
        SCOPED_TRACE(fc.family);
        QFont page(family, fc.size);
        page.setFamilies({family, QStringLiteral("WenQuanYi Micro Hei")});
        page.setStyleStrategy(QFont::PreferNoShaping);
        page.setHintingPreference(fc.hinting);
        const QtTextMeasurer measurer(page, 80, words[1]);
        const QFontMetricsF shown(page);
        int differ = 0;
        for (const QChar c : characters) {
            if (measurer.advance(QStringView(&c, 1)) != shown.horizontalAdvance(QString(c)) &&
                ++differ < 5)
                ADD_FAILURE() << "U+" << std::hex << unsigned(c.unicode());
        }
        for (const QString &word : words)
            EXPECT_EQ(measurer.advance(word), shown.horizontalAdvance(word));
        EXPECT_EQ(measurer.forAnotherThread()->advance(words[1]), shown.horizontalAdvance(words[1]));
        // A hinting the reader was asked for stays what is measured.
        if (fc.hinting != QFont::PreferDefaultHinting) {
            EXPECT_EQ(measurer.measuredFont().hintingPreference(), fc.hinting);
        }
    }
    if (tried == 0)
        GTEST_SKIP() << "none of the fonts is installed";
}

} // namespace
