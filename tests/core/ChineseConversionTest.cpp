#include "core/text/ChineseConversion.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

QString qs(const char *text)
{
    return QString::fromUtf8(text);
}

} // namespace

TEST(ChineseConversion, PhrasesAndVariants)
{
    const struct
    {
        ChineseConversion to;
        const char *source;
        const char *expected;
    } cases[] = {
        {ChineseConversion::Traditional, "头发", "頭髮"},
        {ChineseConversion::Traditional, "他发现了理发店", "他發現了理髮店"},
        {ChineseConversion::Traditional, "干燥的天气", "乾燥的天氣"},
        {ChineseConversion::Taiwan, "里面", "裡面"},
        {ChineseConversion::HongKong, "里面", "裏面"},
        {ChineseConversion::Simplified, "頭髮後來", "头发后来"},
        {ChineseConversion::Traditional, "Latin text\r\nstays", "Latin text\r\nstays"},
        {ChineseConversion::None, "头发", "头发"},
        {ChineseConversion::Traditional, "A头发B，头😀发。𠀋头发", "A頭髮B，頭😀發。𠀋頭髮"},
    };
    for (const auto &c : cases) {
        const ChineseConverted converted = convertChinese(qs(c.source), c.to);
        ASSERT_TRUE(converted.ok) << converted.error.toStdString();
        EXPECT_EQ(converted.text, qs(c.expected)) << c.source;
    }
}

TEST(ChineseConversion, ThreadsGiveTheOneThreadText)
{
    // Phrases that OpenCC converts only whole, next to Latin, emoji and breaks of every kind; one
    // line far longer than a part, so a part must reach past its size to the next line end.
    const QStringList pieces = {
        QStringLiteral(u"头发"), QStringLiteral(u"理发店"), QStringLiteral(u"干燥"),
        QStringLiteral(u"里面"), QStringLiteral(u"后来"), QStringLiteral(u"软件"),
        QStringLiteral(u"，"), QStringLiteral(u"。"), QStringLiteral("Latin "),
        QStringLiteral(u"😀"), QStringLiteral(u"𠀋"), QStringLiteral("\r\n"),
        QStringLiteral("\n"), QStringLiteral("\r\n\r\n"), QStringLiteral(u"\u3000"),
    };
    QString book;
    quint32 seed = 12345;
    for (int i = 0; i < 200000; ++i) {
        seed = seed * 1664525u + 1013904223u;
        book += pieces[(seed >> 16) % pieces.size()];
    }
    QString longLine;
    for (int i = 0; i < 120000; ++i)
        longLine += pieces[i % 6];
    book.insert(book.size() / 3, longLine);
    for (const ChineseConversion to : {ChineseConversion::Traditional, ChineseConversion::Taiwan,
                                       ChineseConversion::HongKong}) {
        const ChineseConverted one = convertChinese(book, to, {}, 1);
        ASSERT_TRUE(one.ok);
        EXPECT_TRUE(one.text.contains(QStringLiteral(u"頭髮")));
        for (const int threads : {2, 3, 8}) {
            std::vector<int> percents;
            const ChineseConverted many =
                convertChinese(book, to, [&](int p) { percents.push_back(p); }, threads);
            ASSERT_TRUE(many.ok);
            EXPECT_TRUE(many.text == one.text) << threads << " threads";
            ASSERT_FALSE(percents.empty());
            EXPECT_EQ(percents.back(), 100);
        }
    }
}

