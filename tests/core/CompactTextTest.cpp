#include "core/text/CompactText.h"

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
