#include "core/text/ShiftJisDecoding.h"

#include "core/text/TextDecoding.h"

#include <QStringDecoder>

#include <gtest/gtest.h>

namespace {

// The converter's own answer, or a null string when it finds an error.
QString byConverter(QByteArrayView bytes)
{
    QStringDecoder decoder("windows-31j", QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    return decoder.hasError() ? QString() : text;
}

QString quickly(const QByteArray &bytes, int threads = 1)
{
    QString text;
    return decodeShiftJisQuickly(bytes, text, threads) ? text : QString();
}

} // namespace

TEST(ShiftJisDecoding, EveryByteAndPairAsTheConverterDecodesIt)
{
    int pairs = 0;
    for (int first = 0; first < 256; ++first) {
        for (int second = -1; second < 256; ++second) {
            // Between other characters, so that a pair read as two single bytes would show.
            QByteArray bytes = "A" + QByteArray(1, char(first));
            if (second >= 0)
                bytes += char(second);
            bytes += "\xe3\x81\r\n";
            const QString expected = byConverter(bytes);
            SCOPED_TRACE(bytes.toHex(' ').toStdString());
            ASSERT_EQ(quickly(bytes), expected);
            pairs += second >= 0 && expected.size() == 5;
        }
    }
    // NEC and IBM rows included; far fewer would mean rows left to the converter.
    EXPECT_GT(pairs, 9000);
}

TEST(ShiftJisDecoding, PartsOnThreadsAndBadBytesAnywhere)
{
    QByteArray line;
    ASSERT_TRUE(
        encodeWithCodec(QString::fromUtf8("親譲りの無鉄砲で損ばかりしている。ｱｲｳ abc ①ⅰ纊彅\r\n"),
                        "windows-31j", line));
    QByteArray book;
    // Lines of every length, so that the cuts fall at every offset within a line.
    for (int i = 0; book.size() < 3'000'000; ++i)
        book += line.left(line.size() - 2 - (i % 40) * 2) + "\r\n";
    const auto bad = [&](qsizetype at) {
        QByteArray b = book;
        b[at] = '\x85'; // a lead byte of no character, or one cut from its second byte
        return b;
    };
    const struct
    {
        const char *name;
        QByteArray bytes;
        int threads;
    } cases[] = {
        {"one thread", book, 1},
        {"seven threads", book, 7},
        {"no line feed to cut after", QByteArray(book).replace('\n', ' '), 4},
        {"bad byte first", bad(0), 4},
        {"bad byte in a later part", bad(book.size() / 2 + 1), 4},
        {"bad byte last", bad(book.size() - 1), 4},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString expected = byConverter(c.bytes);
        EXPECT_EQ(quickly(c.bytes, c.threads), expected);
        // Decoding by name says what the converter says, about bad bytes too.
        QString viaName;
        EXPECT_EQ(decodeWithCodec(c.bytes, "windows-31j", viaName, c.threads), !expected.isNull());
    }
}
