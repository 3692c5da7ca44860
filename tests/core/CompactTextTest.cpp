#include "core/text/CompactText.h"
#include "core/layout/LineBreakRemoval.h"

#include "TestSupport.h"

#include <QList>

#include <gtest/gtest.h>

namespace {

TEST(CompactTextTest, EveryTextComesBackExactly)
{
    std::vector<std::pair<std::string, QString>> texts;
    for (const HostileText &hostile : hostileTexts())
        texts.emplace_back(hostile.name, hostile.text);
    texts.emplace_back("Latin",
                       QStringLiteral("Stra\u00DFe, caf\u00E9, \u201Cquoted\u201D \u2014 ok"));
    texts.emplace_back("Cyrillic and CJK",
                       QStringLiteral("\u0416\u0443\u0440\u043D\u0430\u043B \u65E5\u672C\u8A9E"));
    texts.emplace_back("lone high surrogate", QString(QChar(0xD800)) + QStringLiteral("abc"));
    texts.emplace_back("lone low surrogate at the end", QStringLiteral("abc") + QChar(0xDC00));
    texts.emplace_back("pair reversed", QString(QChar(0xDC00)) + QChar(0xD800));
    for (const auto &[name, text] : texts) {
        SCOPED_TRACE(name);
        const CompactText compact(text);
        EXPECT_EQ(compact.toString(), text);
        EXPECT_EQ(compact.size(), text.size());
        EXPECT_EQ(compact.isEmpty(), text.isEmpty());
        EXPECT_TRUE(compact == text);
    }
}

TEST(CompactTextTest, ComparisonSeesEveryDifference)
{
    const QString text = QStringLiteral("Ein Stra\u00DFenname \U0001F600 und mehr");
    const CompactText compact(text);
    const QList<QString> others = {
        text.chopped(1),
        text + u' ',
        QString(text).replace(u'\u00DF', u's'),
        QString(text).replace(QStringLiteral("\U0001F600"), QStringLiteral("\U0001F601")),
        QString(),
    };
    for (const QString &other : others) {
        SCOPED_TRACE(other.toStdString());
        EXPECT_FALSE(compact == other);
    }
    const CompactText broken(QString(QChar(0xD800)) + u'x');
    EXPECT_FALSE(broken == QStringLiteral("\uFFFDx"));
}

TEST(CompactTextTest, LatinBookCostsAboutHalfOfItsUtf16Size)
{
    QString book;
    for (int i = 0; i < 2000; ++i)
        book += QStringLiteral("Gar\u00E7on, \u00FCber die Stra\u00DFe \u2013 line %1.\r\n").arg(i);
    const CompactText compact(book);
    EXPECT_LT(compact.storedBytes(), book.size() * 2 * 6 / 10);
}

} // namespace

namespace {

// Removes the breaks of `working` by `rules` as the reader does, keeping only the joins.
void removeKeepingJoins(CompactText &loaded, QString &working, const LineBreakRules &rules)
{
    ASSERT_TRUE(loaded.sharesData(working));
    loaded.releaseShared();
    std::vector<qsizetype> joins;
    RemoveSingleLineBreaks(working, rules, {}, &joins);
    working.squeeze();
    loaded.rebase(working, std::move(joins));
}

TEST(CompactTextTest, JoinedTextGivesTheLoadedTextBack)
{
    LineBreakRules keepAll; // before indents: kept
    LineBreakRules punctuation;
    punctuation.keepBeforeIndent = false;
    punctuation.keepAfterPunctuation = true;
    LineBreakRules none;
    none.keepBeforeIndent = false;
    const QString texts[] = {
        QStringLiteral("one\r\ntwo\r\n\r\nthree \r\nfour\r\n  five-\r\nsix\r\n"),
        QStringLiteral("\r\n\r\nstarts and ends with breaks\r\nx\r\n\r\n"),
        QStringLiteral("Ende.\r\nNeu: \u00FCber\r\n\u4E00\u4E8C\r\n\u4E09\r\n\U0001F600 -\r\n- dash"),
        QStringLiteral("ab"),
        QString(),
        QStringLiteral("word \r\n word\r\n\tindented\r\n").repeated(50),
    };
    for (const QString &text : texts) {
        SCOPED_TRACE(text.left(40).toStdString());
        // Once, or a rule given up later: the joined text joined further.
        for (const std::vector<LineBreakRules> &passes :
             {std::vector{keepAll}, std::vector{punctuation}, std::vector{keepAll, none},
              std::vector{punctuation, keepAll, none}}) {
            QString working = text;
            working.detach();
            CompactText loaded = CompactText::sharing(working);
            for (const LineBreakRules &rules : passes) {
                if (!loaded.sharesData(working))
                    break; // an empty text shares nothing and has nothing to join
                removeKeepingJoins(loaded, working, rules);
            }
            EXPECT_EQ(loaded.size(), text.size());
            EXPECT_EQ(loaded.toString(), text);
            EXPECT_TRUE(loaded == text);
            EXPECT_EQ(loaded == working, working == text);
            EXPECT_LT(loaded.storedBytes(), text.size() * 8 + 1);
            const QString joined = working;
            working = QString();
            working = loaded.takeString();
            EXPECT_EQ(working, text);
            EXPECT_TRUE(loaded.sharesData(working) || working.isEmpty());
            EXPECT_TRUE(loaded == text);
        }
    }
}

} // namespace
