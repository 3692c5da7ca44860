#include "core/text/PlainTextDecoding.h"

#include "BookGenerator.h"
#include "TestSupport.h"
#include "core/text/CompactText.h"
#include "core/text/DocumentFormats.h"
#include "core/text/TextDecoding.h"

#include <QStringDecoder>

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <mutex>
#include <random>
#include <vector>

namespace {

// The decoding as it is stated: cut at the NUL, validate, decode, then every line end CR LF.
bool referenceDecode(QByteArray bytes, QString &out)
{
    truncateAtNul(bytes);
    if (!isValidUtf8(bytes))
        return false;
    // A byte-order mark is the caller's to take off; here it is a character of the text.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    const QString text = decoder.decode(bytes);
    out.clear();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r' && i + 2 < text.size() && text[i + 1] == u'\r' && text[i + 2] == u'\n') {
            out += QStringLiteral("\r\n"); // converted twice, still one break
            i += 2;
        } else if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            out += QStringLiteral("\r\n");
            ++i;
        } else if (c == u'\r' || c == u'\n' || c == QChar::LineSeparator ||
                   c == QChar::ParagraphSeparator) {
            out += QStringLiteral("\r\n");
        } else {
            out += c;
        }
    }
    return true;
}

void expectSameAsReference(const QByteArray &bytes)
{
    QString expected;
    const bool valid = referenceDecode(bytes, expected);
    QString text;
    const Utf8Decoding d = decodeUtf8Document(bytes, text);
    ASSERT_EQ(d.valid, valid);
    if (!valid)
        return;
    ASSERT_EQ(text, expected);
    const qsizetype nul = bytes.indexOf('\0');
    EXPECT_EQ(d.bytesUsed, nul < 0 ? bytes.size() : nul);
    EXPECT_EQ(d.sameAsBytes, text.toUtf8() == bytes.first(d.bytesUsed));
}

// The one pass is held to the reference above; texts too large for that are held to it.
void expectSameAsOnePass(const QByteArray &bytes, int threads)
{
    QString one;
    const Utf8Decoding d1 = decodeUtf8Document(bytes, one);
    QString parts;
    const Utf8Decoding dn = decodeUtf8Document(bytes, parts, {}, threads);
    ASSERT_EQ(dn.valid, d1.valid);
    EXPECT_EQ(dn.bytesUsed, d1.bytesUsed);
    EXPECT_EQ(dn.sameAsBytes, d1.sameAsBytes);
    EXPECT_TRUE(parts == one);
}

} // namespace

TEST(PlainTextDecoding, AgreesWithDecodingStepByStep)
{
    struct Case
    {
        const char *name;
        QByteArray bytes;
    };
    const QByteArray line = QByteArray("0123456789abcd"); // 14 bytes: breaks meet 16-byte blocks
    std::vector<Case> cases = {
        {"CR LF across a block end", line + "x\r\n" + line + line},
        {"CR ends a block, no LF", line + "x\r" + line + line},
        {"CR CR LF", line + "\r\r\n" + line},
        {"CR CR LF across a block end", QByteArray(14, 'a') + "\r\r\n" + line},
        {"CR CR CR LF", line + "\r\r\r\n" + line},
        {"lone LF in a block", line + line + "\n" + line},
        {"LF first in a block after CR", QByteArray(15, 'a') + "\r\n" + line},
        {"NUL inside a block", line + line + QByteArray("a\0b", 3) + line},
        {"CR before NUL", line + QByteArray("\r\0\n", 3)},
        {"ends with CR", line + line + "\r"},
        {"line separators", "one\xE2\x80\xA8two\xE2\x80\xA9three\r\xE2\x80\xA8"},
        {"non-ASCII after ASCII block", QByteArray(16, 'a') + "caf\xC3\xA9\r\n\xF0\x9F\x93\x96"},
        {"overlong", QByteArray(20, 'a') + "\xC0\xAF"},
        {"surrogate", QByteArray(20, 'a') + "\xED\xA0\x80"},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80"},
        {"truncated at the end", QByteArray(30, 'a') + "\xE2\x82"},
        {"invalid after NUL is ignored", QByteArray("ok\0\xFF", 4)},
        {"NUL inside a sequence", QByteArray("\xC3\0", 2)},
        {"LF-only book", generateBookBytes(3, 20000).replace("\r\n", "\n")},
        {"CR LF book", generateBookBytes(3, 20000)},
        {"Chinese book", generateChineseBook(3, 5000).toUtf8()},
        {"three-byte overlong", "\xE4\xB8\x80\xE0\x80\xAF"},
        {"three-byte, second continuation missing", "\xE4\xB8\x80\xE4\xB8\x41"},
    };
    for (const HostileText &h : hostileTexts())
        cases.push_back({h.name, h.text.toUtf8()});
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        expectSameAsReference(c.bytes);
    }
}

TEST(PlainTextDecoding, RandomBytesAgreeWithDecodingStepByStep)
{
    // Line ends, NUL and the lead bytes of each sequence length, at every place in a block.
    static const char pool[][5] = {
        "a",    "\r",   "\n", "\r\n", "\xC3\xA9", "\xE2\x80\xA8", "\xF0\x9F\x93\x96",
        "\xC3", "\x80", " "};
    std::mt19937 random(19);
    for (int round = 0; round < 3000; ++round) {
        QByteArray bytes;
        const int parts = static_cast<int>(random() % 60);
        for (int k = 0; k < parts; ++k) {
            const unsigned pick = random() % 100;
            // Mostly valid text, so that the decoded case is met as often as the invalid one.
            const char *part = pick < 60 ? "abcdefgh" : pool[pick % 10];
            if (pick < 60)
                bytes.append(part, 1 + random() % 8);
            else if (pick % 10 >= 7 && random() % 4 != 0)
                bytes.append('b');
            else
                bytes.append(part);
        }
        if (random() % 20 == 0)
            bytes.insert(static_cast<qsizetype>(random() % (bytes.size() + 1)), '\0');
        SCOPED_TRACE(bytes.toHex().toStdString());
        expectSameAsReference(bytes);
        if (HasFatalFailure())
            return;
    }
}

TEST(PlainTextDecoding, OpenedUtf8KeepsItsBytesAsTheLoadedText)
{
    struct Case
    {
        const char *name;
        QByteArray bytes;
        bool shared; // the loaded text is the file's own bytes
    };
    const QByteArray book = generateBookBytes(5, 30000);
    const Case cases[] = {
        {"CR LF book", book, true},
        {"trailing blank lines", book + "\r\n\r\n  \t", true},
        {"LF book", QByteArray(book).replace("\r\n", "\n"), false},
        {"leading blank line", "\r\n" + book, false},
        {"byte-order mark", "\xEF\xBB\xBF" + book, false},
        {"NUL inside", QByteArray("ab\0cd", 5), false},
        {"Windows-1252", "caf\xE9\r\n", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const ConversionResult r = ConvertByExtension(c.bytes, QStringLiteral(".TXT"));
        EXPECT_EQ(!r.utf8.isNull(), c.shared);
        if (!r.utf8.isNull()) {
            EXPECT_EQ(r.utf8.constData(), c.bytes.constData()); // shared, not copied
            const CompactText loaded = CompactText::fromUtf8(r.utf8, r.utf8Size, r.text.size());
            EXPECT_TRUE(loaded == r.text);
            EXPECT_EQ(loaded.toString(), r.text);
        }
    }
}

// Large texts are decoded in parts on several threads; whatever lies across a part's edge must
// come out as it does in one pass. The edges are near every 4 MiB; each insert is tried at
// several offsets around them.
TEST(PlainTextDecoding, PartsOnThreadsAgreeWithOnePass)
{
    struct Case
    {
        const char *name;
        QByteArray insert;
        qsizetype at; // bytes from the first edge
    };
    const Case cases[] = {
        {"CR LF across an edge", "\r\n", 0},
        {"lone CR at an edge", "x\rx", 0},
        {"LF alone at an edge", "x\nx", 0},
        {"three-byte character across an edge", "\xE2\x82\xAC", 0},
        {"four-byte character across an edge", "\xF0\x9F\x93\x96", 0},
        {"line separator across an edge", "\xE2\x80\xA8", 0},
        {"NUL in the second part, invalid in the third", QByteArray("\0", 1), 1000},
        {"invalid in the second part", "\xFF", 1000},
        {"truncated character at an edge", "\xE2\x82x", 0},
        {"continuation bytes over an edge", QByteArray(40, '\x80'), -20},
    };
    const qsizetype edge = qsizetype(4) << 20;
    const QByteArray book = generateBookBytes(11, 10 << 20);
    ASSERT_GT(book.size(), 2 * edge + 100000);
    for (const Case &c : cases) {
        for (const qsizetype shift : {-3, -2, -1, 0, 1}) {
            SCOPED_TRACE(std::string(c.name) + " at " + std::to_string(shift));
            QByteArray bytes = book;
            bytes.replace(edge + c.at + shift, c.insert.size(), c.insert);
            if (c.insert == QByteArray("\0", 1))
                bytes[2 * edge + 10] = '\xFF';
            expectSameAsOnePass(bytes, 3);
            if (HasFatalFailure())
                return;
        }
    }
    SCOPED_TRACE("LF-only book");
    expectSameAsOnePass(QByteArray(book).replace("\r\n", "\n"), 2);
}

// Bytes read part by part may fail to come, or differ when a part is read the second time (a
// file changed meanwhile): nothing is decoded then, and nothing is written past the text.
TEST(PlainTextDecoding, PartsReadAgainMustBeTheBytesCounted)
{
    // English (ASCII) first, then Chinese: four parts of about 4 MiB.
    const QByteArray book =
        generateBookBytes(17, 5 << 20) + generateChineseBook(17, 3 << 20).toUtf8();
    enum class Reads { Same, FailOnce, FewerUnitsLater, MoreUnitsLater };
    struct Case
    {
        const char *name;
        Reads reads;
    };
    const Case cases[] = {
        {"the same bytes", Reads::Same},
        {"a read fails", Reads::FailOnce},
        {"ASCII turned into ideographs", Reads::FewerUnitsLater},
        {"ideographs turned into ASCII", Reads::MoreUnitsLater},
    };
    QString whole;
    ASSERT_TRUE(decodeUtf8Document(book, whole).valid);
    for (const Case &c : cases) {
        for (const int threads : {1, 4}) {
            SCOPED_TRACE(std::string(c.name) + ", threads " + std::to_string(threads));
            std::mutex lock;
            std::map<qsizetype, int> timesRead; // of each part, by where it starts
            int partsRead = 0;
            const Utf8PartRead read = [&](qsizetype from, qsizetype count, char *into) {
                std::memcpy(into, book.constData() + from, size_t(count));
                if (count < 1000) // looking for where to cut
                    return true;
                const std::lock_guard guard(lock);
                ++partsRead;
                if (c.reads == Reads::FailOnce && partsRead == 2)
                    return false;
                const bool again = ++timesRead[from] > 1;
                const bool ascii = static_cast<unsigned char>(into[0]) < 0x80;
                if (again && !ascii && c.reads == Reads::MoreUnitsLater)
                    std::memset(into, 'a', 3000);
                if (again && ascii && c.reads == Reads::FewerUnitsLater)
                    for (int k = 0; k + 3 <= 3000; k += 3)
                        std::memcpy(into + k, "\xE4\xB8\x80", 3);
                return true;
            };
            QString text;
            const Utf8Decoding d = decodeUtf8Parts(book.size(), read, text, {}, threads);
            // Four threads count every part, then read it again to decode it; one thread reads
            // each part once, so later changes never reach it.
            const bool twice = threads > 1;
            EXPECT_GE(partsRead, c.reads == Reads::FailOnce ? 2 : twice ? 8 : 4);
            const bool same = c.reads == Reads::Same || (!twice && c.reads != Reads::FailOnce);
            EXPECT_EQ(d.valid, same);
            EXPECT_EQ(d.unread, !same);
            if (same)
                EXPECT_TRUE(text == whole);
            else
                EXPECT_TRUE(text.isEmpty());
        }
    }
}
