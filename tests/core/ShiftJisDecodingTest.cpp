#include "core/text/ShiftJisDecoding.h"

#include "core/text/TextDecoding.h"

#include <QStringDecoder>

#include <gtest/gtest.h>

namespace {

struct Converted
{
    QString text;
    bool ok = false;
};

Converted byConverter(QByteArrayView bytes)
{
    QStringDecoder decoder("windows-31j", QStringDecoder::Flag::Stateless);
    Converted c;
    c.text = decoder.decode(bytes);
    c.ok = !decoder.hasError();
    return c;
}

QByteArray bytesOf(std::initializer_list<int> values)
{
    QByteArray bytes;
    for (const int v : values)
        bytes += static_cast<char>(v);
    return bytes;
}

} // namespace

TEST(ShiftJisDecoding, EveryByteAndPairAsTheConverterDecodesIt)
{
    // Between other characters, so that a pair read as two single bytes would show.
    int pairsDecoded = 0;
    for (int first = 0; first < 256; ++first) {
        for (int second = -1; second < 256; ++second) {
            QByteArray bytes = "A" + bytesOf({first});
            if (second >= 0)
                bytes += static_cast<char>(second);
            bytes += "\xe3\x81\r\n"; // a double-byte character after them, and a line end
            const Converted expected = byConverter(bytes);
            QString quick = QStringLiteral("untouched");
            const bool ok = decodeShiftJisQuickly(bytes, quick);
            SCOPED_TRACE(QByteArray(bytes.toHex(' ')).toStdString());
            ASSERT_EQ(ok, expected.ok);
            if (ok)
                ASSERT_EQ(quick, expected.text);
            else
                ASSERT_EQ(quick, QStringLiteral("untouched"));
            if (ok && second >= 0 && expected.text.size() == 5)
                ++pairsDecoded;
        }
    }
    // NEC and IBM rows included; far fewer would mean rows fell back to the converter.
    EXPECT_GT(pairsDecoded, 9000);
}

TEST(ShiftJisDecoding, PartsOnSeveralThreadsEqualTheWholeText)
{
    const QString line =
        QString::fromUtf8("親譲りの無鉄砲で小供の時から損ばかりしている。ｱｲｳ abc ①ⅰ纊彅\r\n");
    QByteArray bytes;
    ASSERT_TRUE(encodeWithCodec(line, "windows-31j", bytes));
    QByteArray book;
    // Lines of every length, so that the cuts fall at every offset within a line.
    for (int i = 0; book.size() < 3'000'000; ++i)
        book += bytes.left(bytes.size() - 2 - (i % 40) * 2) + "\r\n";
    const Converted expected = byConverter(book);
    ASSERT_TRUE(expected.ok);
    struct Case
    {
        const char *name;
        QByteArray bytes;
        int threads;
    };
    const Case cases[] = {
        {"one thread", book, 1},
        {"two threads", book, 2},
        {"seven threads", book, 7},
        {"no line feed to cut after", QByteArray(book).replace('\n', ' '), 4},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QString text;
        ASSERT_TRUE(decodeShiftJisQuickly(c.bytes, text, c.threads));
        EXPECT_EQ(text, byConverter(c.bytes).text);
    }
}

TEST(ShiftJisDecoding, BadBytesAnywhereLeaveItToTheConverter)
{
    QByteArray book;
    for (int i = 0; i < 60'000; ++i)
        book += "\x88\x9f\x88\xa0 line\r\n";
    const qsizetype positions[] = {0, book.size() / 3, book.size() / 2 + 1, book.size() - 1};
    for (const qsizetype at : positions) {
        QByteArray bad = book;
        bad[at] = '\x85'; // a lead byte of no character, or cut from its second byte
        QString text = QStringLiteral("untouched");
        SCOPED_TRACE(at);
        EXPECT_FALSE(decodeShiftJisQuickly(bad, text, 4));
        EXPECT_EQ(text, QStringLiteral("untouched"));
        // Decoding by name still says what the converter says.
        QString viaName;
        EXPECT_EQ(decodeWithCodec(bad, "windows-31j", viaName, 4), byConverter(bad).ok);
    }
}
