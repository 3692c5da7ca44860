#include "TestSupport.h"
#include "core/layout/Hyphenation.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>

namespace {

// The word with "-" at every point, so a failure shows where the points are.
QString marked(const QString &word, const std::vector<qsizetype> &points)
{
    QString out = word;
    for (auto it = points.rbegin(); it != points.rend(); ++it)
        out.insert(*it, u'-');
    return out;
}

struct WordCase
{
    QLocale::Language language;
    const char16_t *word;
    const char16_t *expected; // the word with its points marked
};

class HyphenationPoints : public ::testing::TestWithParam<WordCase>
{
};

TEST_P(HyphenationPoints, ComeFromTheInstalledPatterns)
{
    const WordCase &c = GetParam();
    const auto hyphenator = hyphenatorFor(c.language);
    if (!hyphenator)
        GTEST_SKIP() << "no patterns for " << QLocale::languageToString(c.language).toStdString();
    const QString word = QString::fromUtf16(c.word);
    const std::string expected = QString::fromUtf16(c.expected).toStdString();
    EXPECT_EQ(marked(word, hyphenator->points(word)).toStdString(), expected);
    // The second look-up comes from the cache and agrees.
    EXPECT_EQ(marked(word, hyphenator->points(word)).toStdString(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Languages, HyphenationPoints,
    ::testing::Values(
        WordCase{QLocale::English, u"hyphenation", u"hy-phen-ation"},
        WordCase{QLocale::English, u"“Elizabeth,”", u"“Eliz-a-beth,”"},
        WordCase{QLocale::English, u"I", u"I"},
        // Too short for two letters before and three after any break.
        WordCase{QLocale::English, u"into", u"into"},
        WordCase{QLocale::German, u"Silbentrennung", u"Sil-ben-tren-nung"},
        WordCase{QLocale::German, u"Größenverhältnisse", u"Grö-ßen-ver-hält-nisse"},
        WordCase{QLocale::French, u"bibliothèque", u"bi-blio-thèque"},
        WordCase{QLocale::Russian, u"программирование", u"программи-ро-ва-ние"},
        WordCase{QLocale::Ukrainian, u"бібліотека", u"бібліо-тека"},
        // The last syllable is shorter than three letters and stays on.
        WordCase{QLocale::Italian, u"biblioteca", u"bi-blio-teca"},
        WordCase{QLocale::Spanish, u"biblioteca", u"bi-blio-teca"}));

struct RefusedCase
{
    const char16_t *word;
    const char *why;
};

class NotHyphenated : public ::testing::TestWithParam<RefusedCase>
{
};

TEST_P(NotHyphenated, EvenWhereThePatternsWould)
{
    const auto hyphenator = hyphenatorFor(QLocale::English);
    if (!hyphenator)
        GTEST_SKIP() << "no English patterns";
    const QString word = QString::fromUtf16(GetParam().word);
    EXPECT_TRUE(hyphenator->points(word).empty()) << GetParam().why << ": " << word.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Words, NotHyphenated,
    ::testing::Values(RefusedCase{u"representation2000", "a digit"},
                      RefusedCase{u"REPRESENTATION", "all capitals"},
                      RefusedCase{u"well-representation", "a hyphen of its own"},
                      RefusedCase{u"https://representation.example.org", "an address"},
                      RefusedCase{u"representation@example.org", "a mail address"},
                      RefusedCase{u"www.representation.org", "a host name"}));

TEST(HyphenationTest, SoftHyphensAreTheOnlyPointsOfTheirWord)
{
    // Any hyphenator, even one without patterns, knows the writer's points.
    const Hyphenator none(QStringLiteral("/nonexistent/hyph_xx.dic"));
    EXPECT_FALSE(none.isValid());
    const QString word = QStringLiteral("repre\u00ADsen\u00ADtation");
    EXPECT_EQ(none.points(word), (std::vector<qsizetype>{6, 10}));
    EXPECT_TRUE(none.points(QStringLiteral("representation")).empty());
}

TEST(HyphenationTest, PatternFilesAreFoundByLanguage)
{
    const QString folder = defaultHyphenationFolder();
    const QString german = hyphenationDictionaryPath(QLocale::German, folder);
    if (german.isEmpty())
        GTEST_SKIP() << "hyphen-de is not installed";
    EXPECT_TRUE(QFileInfo::exists(german));
    EXPECT_TRUE(hyphenationLanguages(folder).contains(QLocale::German));
    EXPECT_TRUE(hyphenationDictionaryPath(QLocale::Chinese, folder).isEmpty());
    EXPECT_EQ(hyphenatorFor(QLocale::Chinese), nullptr);
    // One hyphenator per pattern file for the program's life.
    EXPECT_EQ(hyphenatorFor(QLocale::German), hyphenatorFor(QLocale::German));
}

} // namespace

namespace {

// Large pattern files are read on a thread of their own; the caller hears when they are there.
TEST(HyphenationTest, LargePatternsArriveLater)
{
    QFile english(QStringLiteral("/usr/share/hyphen/hyph_en_US.dic"));
    if (!english.open(QIODevice::ReadOnly))
        GTEST_SKIP() << "hyphen-en-us is not installed";
    const QString folder = makeTempDir();
    // English patterns under a Dutch name, padded with comments past the read-at-once size.
    QByteArray bytes = english.readAll();
    const qsizetype firstLine = bytes.indexOf('\n') + 1;
    bytes.insert(firstLine, QByteArray("% padding\n").repeated(50'000));
    writeFileBytes(folder + QStringLiteral("/hyph_nl_NL.dic"), bytes);

    std::promise<void> read;
    auto arrived = read.get_future();
    std::atomic<int> calls = 0;
    const auto first = hyphenatorOrLoad(QLocale::Dutch, [&] {
        ++calls;
        read.set_value();
    }, folder);
    EXPECT_EQ(first, nullptr);
    ASSERT_EQ(arrived.wait_for(std::chrono::minutes(2)), std::future_status::ready);
    const auto later = hyphenatorOrLoad(QLocale::Dutch, {}, folder);
    ASSERT_NE(later, nullptr);
    EXPECT_EQ(later->points(QStringLiteral("hyphenation")), (std::vector<qsizetype>{2, 6}));
    EXPECT_EQ(calls, 1);
    // A language without patterns never calls back.
    EXPECT_EQ(hyphenatorOrLoad(QLocale::Chinese, [&] { ++calls; }, folder), nullptr);
}

} // namespace
