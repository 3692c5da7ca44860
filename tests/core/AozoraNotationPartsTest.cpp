#include "core/text/AozoraNotation.h"

#include <gtest/gtest.h>

namespace {

// Every mark that carries state from one line to the next: a symbol block, indented and
// emphasised blocks, block headings, page breaks before blank lines, and a last line without
// its line end.
QString markedBook()
{
    return QString::fromUtf8("坊っちゃん\r\n"
                             "-------------------------------------------------------\r\n"
                             "【テキスト中に現れる記号について】\r\n"
                             "《》：ルビ\r\n"
                             "-------------------------------------------------------\r\n"
                             "［＃ここから中見出し］\r\n"
                             "\u3000一\r\n"
                             "［＃ここで中見出し終わり］\r\n"
                             "親譲《おやゆず》りの｜無鉄砲《むてっぽう》で損ばかりしている。\r\n"
                             "［＃ここから２字下げ］\r\n"
                             "甲の行※［＃「てへん＋劣」、第3水準1-84-77］る\r\n"
                             "\r\n"
                             "乙の行［＃傍点］強く\r\n"
                             "言う［＃傍点終わり］腰《こし》\r\n"
                             "［＃ここで字下げ終わり］\r\n"
                             "［＃改ページ］\r\n"
                             "\r\n"
                             "\r\n"
                             "［＃５字下げ］二［＃「二」は中見出し］\r\n"
                             "砸※［＃「石＋去」、U+7838、12-3］を抜《ぬ》かした\r\n"
                             "［＃改丁］\r\n"
                             "［＃ここから大見出し］\r\n"
                             "三\r\n"
                             "［＃ここで大見出し終わり］\r\n"
                             "最後の行《ぎょう》");
}

void expectSameBook(const AozoraBook &parts, const AozoraBook &whole)
{
    EXPECT_EQ(parts.text, whole.text);
    ASSERT_EQ(parts.ruby.size(), whole.ruby.size());
    for (qsizetype i = 0; i < whole.ruby.size(); ++i) {
        EXPECT_EQ(parts.ruby[i].base, whole.ruby[i].base) << i;
        EXPECT_EQ(parts.ruby[i].length, whole.ruby[i].length) << i;
        EXPECT_EQ(parts.ruby[i].reading, whole.ruby[i].reading) << i;
    }
    ASSERT_EQ(parts.headings.size(), whole.headings.size());
    for (qsizetype i = 0; i < whole.headings.size(); ++i) {
        EXPECT_EQ(parts.headings[i].position, whole.headings[i].position) << i;
        EXPECT_EQ(parts.headings[i].length, whole.headings[i].length) << i;
        EXPECT_EQ(parts.headings[i].level, whole.headings[i].level) << i;
    }
    EXPECT_EQ(parts.sectionStarts, whole.sectionStarts);
    ASSERT_EQ(parts.indents.size(), whole.indents.size());
    for (qsizetype i = 0; i < whole.indents.size(); ++i) {
        EXPECT_EQ(parts.indents[i].lineStart, whole.indents[i].lineStart) << i;
        EXPECT_EQ(parts.indents[i].lineLength, whole.indents[i].lineLength) << i;
        EXPECT_EQ(parts.indents[i].characters, whole.indents[i].characters) << i;
    }
    ASSERT_EQ(parts.emphasis.size(), whole.emphasis.size());
    for (qsizetype i = 0; i < whole.emphasis.size(); ++i) {
        EXPECT_EQ(parts.emphasis[i].position, whole.emphasis[i].position) << i;
        EXPECT_EQ(parts.emphasis[i].length, whole.emphasis[i].length) << i;
        EXPECT_EQ(parts.emphasis[i].mark, whole.emphasis[i].mark) << i;
    }
}

QList<qsizetype> everyNth(const QString &text, qsizetype step)
{
    QList<qsizetype> cuts;
    for (qsizetype at = step; at < text.size(); at += step)
        cuts.append(at);
    return cuts;
}

QList<qsizetype> after(const QString &text, const char *what, qsizetype delta = 0)
{
    return {text.indexOf(QString::fromUtf8(what)) + delta};
}

} // namespace

TEST(AozoraNotationParts, PartsCutAnywhereGiveTheOneThreadResult)
{
    const QString book = markedBook();
    struct Cuts
    {
        const char *name;
        QList<qsizetype> cuts;
    };
    const Cuts cases[] = {
        {"every character (each line a part)", everyNth(book, 1)},
        {"every seventh character", everyNth(book, 7)},
        {"inside the symbol block", after(book, "《》：ルビ")},
        {"inside a block heading", after(book, "\u3000一")},
        {"inside an indented block", after(book, "\r\n乙の行")},
        {"inside an emphasised run", after(book, "言う［＃傍点終わり］")},
        {"between CR and LF", after(book, "する。\r\n", 4)},
        {"right after a page break", after(book, "［＃改ページ］\r\n", 9)},
        {"before the last line", after(book, "最後の行")},
        {"out of range and unsorted", {book.size() + 5, 30, -3, book.size(), 0, 12}},
    };
    ASSERT_GT(book.indexOf(QString::fromUtf8("最後の行")), 0);
    for (const RubyForm form : {RubyForm::Above, RubyForm::Brackets, RubyForm::Hidden}) {
        const AozoraBook whole = convertAozora(book, form);
        // The book really exercises what the parts must carry over.
        ASSERT_FALSE(whole.indents.isEmpty());
        ASSERT_FALSE(whole.emphasis.isEmpty());
        ASSERT_GE(whole.headings.size(), 3);
        ASSERT_GE(whole.sectionStarts.size(), 2);
        for (const Cuts &c : cases) {
            for (const int threads : {1, 3}) {
                SCOPED_TRACE(std::string(c.name) + ", " + rubyFormKey(form).toStdString() + ", " +
                             std::to_string(threads) + " thread(s)");
                expectSameBook(convertAozoraInParts(book, form, c.cuts, threads), whole);
            }
        }
    }
}

TEST(AozoraNotationParts, LongBookOnSeveralThreadsEqualsOneThread)
{
    // Long enough to be cut into parts by itself; repetitions shift every position.
    QString book;
    for (int i = 0; book.size() < 600'000; ++i)
        book += markedBook() + QStringLiteral("\r\n") + QString::number(i) + QStringLiteral("\r\n");
    const AozoraBook whole = convertAozora(book, RubyForm::Above, 1);
    ASSERT_GT(whole.ruby.size(), 1000);
    expectSameBook(convertAozora(book, RubyForm::Above, 4), whole);
}
