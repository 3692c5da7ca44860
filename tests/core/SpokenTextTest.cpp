#include "core/speech/SpokenText.h"
#include "core/speech/SpeechLanguage.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

// Fitted lines given directly: joins[n - 1] says line n runs on into n + 1 without a blank,
// ends[n - 1] that it ends its paragraph.
struct Lines
{
    QStringList text;
    std::vector<bool> joins;
    std::vector<bool> ends;

    SpokenLines spoken() const
    {
        SpokenLines l;
        l.line = [this](int n) { return QStringView(text[n - 1]); };
        l.joinsNext = [this](int n) { return joins[static_cast<size_t>(n - 1)]; };
        l.endsParagraph = [this](int n) { return ends[static_cast<size_t>(n - 1)]; };
        l.totalLines = static_cast<int>(text.size());
        return l;
    }
};

QStringList readAll(const Lines &lines, TextPoint from = {})
{
    QStringList said;
    for (auto s = nextSpokenSentence(lines.spoken(), from); s;
         s = nextSpokenSentence(lines.spoken(), s->next))
        said << s->text;
    return said;
}

TEST(SpokenTextTest, JoinsLinesAsCopyingDoes)
{
    const Lines lines{{QStringLiteral("The quick brown"), QStringLiteral("fox jum"),
                       QStringLiteral("ped. 我们在学"), QStringLiteral("习中文。Over"),
                       QStringLiteral(""), QStringLiteral("* * *"), QStringLiteral("End")},
                      {false, true, true, false, false, false, false},
                      {false, false, false, true, true, true, true}};
    EXPECT_EQ(readAll(lines), (QStringList{QStringLiteral("The quick brown fox jumped."),
                                           QStringLiteral("我们在学习中文。"),
                                           QStringLiteral("Over"), QStringLiteral("End")}));
}

TEST(SpokenTextTest, PlacesSentencesOnTheirLines)
{
    const Lines lines{{QStringLiteral("One. Two is"), QStringLiteral("long. Three")},
                      {false, false},
                      {false, true}};
    const auto first = nextSpokenSentence(lines.spoken(), {1, 0});
    ASSERT_TRUE(first);
    const auto second = nextSpokenSentence(lines.spoken(), first->next);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->text, QStringLiteral("Two is long."));
    EXPECT_EQ(second->start, (TextPoint{1, 5}));
    EXPECT_EQ(second->end, (TextPoint{2, 5}));
    // Reading from a selection starts inside a line.
    EXPECT_EQ(readAll(lines, {2, 6}), QStringList{QStringLiteral("Three")});
    EXPECT_FALSE(nextSpokenSentence(lines.spoken(), {3, 0}));
}

TEST(SpeechLanguageTest, GuessesTheBookLanguageAndOrdersVoices)
{
    const QString english = QStringLiteral("The rain in Spain stays mainly in the plain. ");
    const QString russian = QStringLiteral("Он ушёл домой и больше не вернулся никогда. ");
    struct Guess
    {
        QString text;
        QLocale desktop;
        QLocale::Language expected;
    };
    const Guess guesses[] = {
        {english.repeated(50), QLocale(QLocale::German), QLocale::German},
        {english.repeated(50), QLocale(QLocale::Russian), QLocale::English},
        {english.repeated(3) + russian.repeated(200), QLocale(QLocale::English), QLocale::Russian},
        {QStringLiteral("我们在学习中文。").repeated(20), QLocale::c(), QLocale::Chinese},
        {QStringLiteral("今日はいい天気ですね。").repeated(20), QLocale::c(), QLocale::Japanese},
        {QStringLiteral("שלום לכולם. ").repeated(20), QLocale::c(), QLocale::Hebrew},
    };
    for (const Guess &g : guesses)
        EXPECT_EQ(guessBookLanguage(g.text, g.desktop), g.expected)
            << g.text.left(20).toStdString();

    const QList<SpeakerVoice> voices = {
        {QStringLiteral("English (America)"), QLocale(QLocale::English, QLocale::UnitedStates)},
        {QStringLiteral("English (America)+Max"), QLocale(QLocale::English, QLocale::UnitedStates)},
        {QStringLiteral("German"), QLocale(QLocale::German)},
        {QStringLiteral("German+Max"), QLocale(QLocale::German)},
        {QStringLiteral("Chinese (Mandarin)"), QLocale::c()},
    };
    EXPECT_EQ(
        voiceChoices(voices, QLocale::German),
        (QStringList{QStringLiteral("German"), QStringLiteral("German+Max"),
                     QStringLiteral("English (America)"), QStringLiteral("Chinese (Mandarin)")}));
    EXPECT_EQ(automaticVoice(voices, QLocale::Chinese), QStringLiteral("Chinese (Mandarin)"));
    const QList<SpeakerVoice> englishVoices = {
        {QStringLiteral("English (Caribbean)"), QLocale(QLocale::English, QLocale::Jamaica)},
        {QStringLiteral("English (America)+Max"), QLocale(QLocale::English, QLocale::UnitedStates)},
        {QStringLiteral("English (America)"), QLocale(QLocale::English, QLocale::UnitedStates)},
    };
    EXPECT_EQ(automaticVoice(englishVoices, QLocale::English), QStringLiteral("English (America)"));
    EXPECT_EQ(automaticVoice(voices, QLocale::Korean), QString());
    EXPECT_DOUBLE_EQ(speechRate(-10), -1.0);
    EXPECT_DOUBLE_EQ(speechRate(5), 0.5);
    EXPECT_DOUBLE_EQ(speechRate(30), 1.0);
}

} // namespace
