#include "core/layout/ComplexText.h"

#include <gtest/gtest.h>

#include <QString>

namespace {

// The planes a book's characters come from: letters of every script, ideographs, emoji, tags.
TEST(ComplexText, TableAgreesWithQtForEveryCodePoint)
{
    for (const auto &[from, to] : {std::pair<char32_t, char32_t>{0, 0x40000},
                                   {0xE0000, 0xE1000}, {0x10FF00, 0x110000}}) {
        int mismatches = 0;
        for (char32_t c = from; c < to; ++c) {
            const CharScript got = charScriptOf(c);
            if (got.script != QChar::script(c) || got.shaping != characterNeedsShaping(c)) {
                if (++mismatches <= 5)
                    ADD_FAILURE() << "U+" << std::hex << unsigned(c);
            }
        }
        EXPECT_EQ(mismatches, 0);
    }
}

// One character at a time through Qt: what the one-pass scan must answer.
TextScripts slowScripts(QStringView text)
{
    TextScripts expected;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i].unicode(), text[i + 1].unicode());
            ++i;
        }
        if (c < 0x300)
            continue;
        expected.shaping = expected.shaping || characterNeedsShaping(c);
        const QChar::Script s = QChar::script(c);
        if (s != QChar::Script_Common && s != QChar::Script_Inherited &&
            std::find(expected.scripts.begin(), expected.scripts.end(), s) ==
                expected.scripts.end()) {
            expected.scripts.push_back(s);
            expected.firstAt.push_back(c > 0xFFFF ? i - 1 : i);
        }
    }
    return expected;
}

TEST(ComplexText, OnePassMatchesCharacterByCharacter)
{
    const QString cases[] = {
        QString(),
        QStringLiteral("Plain English, nothing above Latin-1."),
        QStringLiteral("第一章 天下大势，分久必合。ひらがなとカタカナ、한국어"),
        QStringLiteral("ภาษาไทย ແລະ ພາສາລາວ ភាសាខ្មែរ မြန်မာ"),
        QStringLiteral("English then עברית then العربية then Ελληνικά and Кириллица"),
        QStringLiteral("e\u0301 combining, \u200D joiner, 🇩🇪 flag, 👍🏽 modifier"),
        QStringLiteral("𠀀𠀁 ideographs beyond the BMP, 𝔸 mathematical"),
        // Unpaired halves of surrogate pairs, at the end and inside.
        QStringLiteral("lone ") + QChar(0xD800) + QStringLiteral(" high") + QChar(0xDC00) +
            QStringLiteral("x") + QChar(0xD83D),
        QStringLiteral("Latin ") + QString(40, QChar(0x4E00)) + QStringLiteral(" then Devanagari हिन्दी"),
    };
    for (const QString &text : cases) {
        SCOPED_TRACE(text.toStdString());
        const TextScripts expected = slowScripts(text);
        const TextScripts got = textScriptsOf(text);
        EXPECT_EQ(got.shaping, expected.shaping);
        EXPECT_EQ(got.scripts, expected.scripts);
        EXPECT_EQ(got.firstAt, expected.firstAt);
        EXPECT_EQ(needsShaping(text), expected.shaping);
        EXPECT_EQ(scriptsOf(text), expected.scripts);
    }
}

} // namespace
