#include "core/speech/BookLanguage.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

struct GuessCase
{
    const char *name;
    const char16_t *sentence;
    QLocale::Language expected;
};

class BookLanguageGuess : public ::testing::TestWithParam<GuessCase>
{
};

// A book of a few hundred lines of the sentence, as a plain text file holds it.
QString bookOf(const char16_t *sentence)
{
    QString text;
    for (int i = 0; i < 300; ++i)
        text += QString::fromUtf16(sentence) + QStringLiteral("\r\n");
    return text;
}

TEST_P(BookLanguageGuess, FromTheLettersNotTheDesktop)
{
    if (!QFile::exists(QStringLiteral("/usr/share/libexttextcat/fpdb.conf")))
        GTEST_SKIP() << "libexttextcat-data is not installed";
    const GuessCase &c = GetParam();
    // An English desktop must not make a German book English, nor a German one a French book
    // German.
    for (const QLocale &desktop : {QLocale(QLocale::English, QLocale::UnitedStates),
                                   QLocale(QLocale::German, QLocale::Germany)}) {
        EXPECT_EQ(QLocale::languageToString(
                      guessBookLanguageFromText(bookOf(c.sentence), desktop))
                      .toStdString(),
                  QLocale::languageToString(c.expected).toStdString())
            << c.name << " on a " << desktop.name().toStdString() << " desktop";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Books, BookLanguageGuess,
    ::testing::Values(
        GuessCase{"English",
                  u"It is a truth universally acknowledged, that a single man in possession of a "
                  u"good fortune, must be in want of a wife.",
                  QLocale::English},
        GuessCase{"German",
                  u"Als Gregor Samsa eines Morgens aus unruhigen Träumen erwachte, fand er sich "
                  u"in seinem Bett zu einem ungeheueren Ungeziefer verwandelt.",
                  QLocale::German},
        GuessCase{"French",
                  u"Longtemps, je me suis couché de bonne heure. Parfois, à peine ma bougie "
                  u"éteinte, mes yeux se fermaient si vite que je n'avais pas le temps de me dire.",
                  QLocale::French},
        GuessCase{"Russian",
                  u"Все счастливые семьи похожи друг на друга, каждая несчастливая семья "
                  u"несчастлива по-своему.",
                  QLocale::Russian},
        GuessCase{"Ukrainian",
                  u"Реве та стогне Дніпр широкий, сердитий вітер завива, додолу верби гне "
                  u"високі, горами хвилю підійма.",
                  QLocale::Ukrainian},
        // Scripts of one language are known by the script alone.
        GuessCase{"Chinese", u"天下大勢，分久必合，合久必分。周末七國分爭，并入於秦。",
                  QLocale::Chinese}));

TEST(BookLanguageTest, WithoutFingerprintsTheScriptDecides)
{
    const QLocale desktop(QLocale::German, QLocale::Germany);
    const QString russian = bookOf(u"Все счастливые семьи похожи друг на друга.");
    EXPECT_EQ(guessBookLanguageFromText(russian, desktop, QStringLiteral("/nonexistent/fpdb.conf")),
              QLocale::Russian);
    EXPECT_EQ(guessBookLanguageFromText(bookOf(u"Ein Satz."), desktop,
                                        QStringLiteral("/nonexistent/fpdb.conf")),
              QLocale::German);
}

TEST(BookLanguageTest, SettingRoundTripsAndUnknownMeansTheGuess)
{
    for (QLocale::Language language : {QLocale::German, QLocale::English, QLocale::Russian,
                                       QLocale::NorwegianBokmal, QLocale::Portuguese})
        EXPECT_EQ(languageFromSetting(languageSetting(language)), language);
    EXPECT_EQ(languageSetting(QLocale::AnyLanguage), QString());
    EXPECT_EQ(languageFromSetting(QString()), QLocale::AnyLanguage);
    EXPECT_EQ(languageFromSetting(QStringLiteral("no such language")), QLocale::AnyLanguage);
}

TEST(BookLanguageTest, ChoicesAreEachLanguageOnceByName)
{
    const auto choices = languageChoices({QLocale::German, QLocale::English},
                                         {QLocale::English, QLocale::Chinese, QLocale::C});
    EXPECT_EQ(choices,
              (QList<QLocale::Language>{QLocale::Chinese, QLocale::English, QLocale::German}));
    EXPECT_EQ(languageCaption(QLocale::Chinese, false), QStringLiteral("Chinese (not hyphenated)"));
    EXPECT_EQ(languageCaption(QLocale::German, true), QStringLiteral("German"));
}

} // namespace
