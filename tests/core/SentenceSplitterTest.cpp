#include "core/speech/SentenceSplitter.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

QStringList sentences(const QString &text, qsizetype maxLength = kLongestSpokenSentence)
{
    QStringList out;
    for (const SentenceSpan &s : splitSentences(text, maxLength))
        out << text.mid(s.start, s.length);
    return out;
}

struct Case
{
    const char *name;
    QString text;
    QStringList expected;
};

const Case kCases[] = {
    {"plain",
     QStringLiteral("It rained. We stayed in! Did you? Yes."),
     {QStringLiteral("It rained."), QStringLiteral("We stayed in!"), QStringLiteral("Did you?"),
      QStringLiteral("Yes.")}},
    {"titles and initials",
     QStringLiteral("Mr. Smith met Dr. Watson and J. R. R. Tolkien. They talked."),
     {QStringLiteral("Mr. Smith met Dr. Watson and J. R. R. Tolkien."),
      QStringLiteral("They talked.")}},
    {"e.g. and i.e.",
     QStringLiteral("Fruit, e.g. Apples, i.e. Red ones. Then more."),
     {QStringLiteral("Fruit, e.g. Apples, i.e. Red ones."), QStringLiteral("Then more.")}},
    {"I ends a sentence",
     QStringLiteral("So did I. Then he left."),
     {QStringLiteral("So did I."), QStringLiteral("Then he left.")}},
    {"lower case goes on",
     QStringLiteral("About approx. five... or six. Done."),
     {QStringLiteral("About approx. five... or six."), QStringLiteral("Done.")}},
    {"numbers",
     QStringLiteral("Pi is 3.14 or so. Next."),
     {QStringLiteral("Pi is 3.14 or so."), QStringLiteral("Next.")}},
    {"closing quotes stay",
     QStringLiteral("\u201CCome here!\u201D He came. She said, \"It is late.\" They left."),
     {QStringLiteral("\u201CCome here!\u201D"), QStringLiteral("He came."),
      QStringLiteral("She said, \"It is late.\""), QStringLiteral("They left.")}},
    {"ellipsis and runs",
     QStringLiteral("Wait\u2026 Really?! Yes..."),
     {QStringLiteral("Wait\u2026"), QStringLiteral("Really?!"), QStringLiteral("Yes...")}},
    {"line end ends",
     QStringLiteral("A heading\nThe text goes on\r\nhere"),
     {QStringLiteral("A heading"), QStringLiteral("The text goes on"), QStringLiteral("here")}},
    {"CJK",
     QStringLiteral("我们在学习中文。他说：「你好！」这是测试？好。"),
     {QStringLiteral("我们在学习中文。"), QStringLiteral("他说：「你好！」"),
      QStringLiteral("这是测试？"), QStringLiteral("好。")}},
    {"Japanese",
     QStringLiteral("今日は雨です。明日は晴れ！"),
     {QStringLiteral("今日は雨です。"), QStringLiteral("明日は晴れ！")}},
    {"Hebrew",
     QStringLiteral("שלום לכולם. מה שלומכם? טוב."),
     {QStringLiteral("שלום לכולם."), QStringLiteral("מה שלומכם?"), QStringLiteral("טוב.")}},
    {"Arabic",
     QStringLiteral("مرحبا بكم. كيف حالكم؟ بخير."),
     {QStringLiteral("مرحبا بكم."), QStringLiteral("كيف حالكم؟"), QStringLiteral("بخير.")}},
    {"Russian",
     QStringLiteral("Он ушёл, т.е. навсегда. Она осталась."),
     {QStringLiteral("Он ушёл, т.е. навсегда."), QStringLiteral("Она осталась.")}},
    {"blanks only", QStringLiteral("   \n  "), {}},
};

class SentenceSplitterTest : public testing::TestWithParam<Case>
{
};

TEST_P(SentenceSplitterTest, Splits)
{
    EXPECT_EQ(sentences(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, SentenceSplitterTest, testing::ValuesIn(kCases),
                         [](const auto &info) {
                             std::string name = info.param.name;
                             for (char &c : name) {
                                 if (!isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             }
                             return name;
                         });

// A sentence of 5,000 characters is read in pieces of at most the limit, cut after a comma or
// a blank where there is one, and nothing is lost.
TEST(SentenceSplitterLongTest, CutsLongSentencesWithoutLoss)
{
    struct Long
    {
        const char *name;
        QString text;
        QChar cutAfter; // every piece but the last ends with it; null: cut by length
    };
    QString words;
    while (words.size() < 5000)
        words += QStringLiteral("word ");
    QString commas;
    while (commas.size() < 5000)
        commas += QStringLiteral("one two three, ");
    QString ideographs;
    while (ideographs.size() < 5000)
        ideographs += QStringLiteral("我们在学习中文");
    QString emoji;
    while (emoji.size() < 5001)
        emoji += QStringLiteral("a\U0001F600");
    const Long cases[] = {{"blanks", words.trimmed(), QChar()},
                          {"commas", commas.trimmed(), u','},
                          {"ideographs", ideographs, QChar()},
                          {"surrogates", emoji, QChar()}};
    for (const Long &c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<SentenceSpan> spans = splitSentences(c.text, 400);
        ASSERT_GE(spans.size(), 12u);
        QString rebuilt;
        for (size_t i = 0; i < spans.size(); ++i) {
            const QStringView piece = QStringView(c.text).mid(spans[i].start, spans[i].length);
            EXPECT_LE(piece.size(), 400);
            EXPECT_FALSE(piece.back().isHighSurrogate());
            if (!c.cutAfter.isNull() && i + 1 < spans.size()) {
                EXPECT_EQ(piece.back(), c.cutAfter);
            }
            rebuilt += piece;
        }
        QString squeezed = c.text;
        squeezed.remove(u' ');
        rebuilt.remove(u' ');
        EXPECT_EQ(rebuilt, squeezed);
    }
}

} // namespace
