#include "core/text/AozoraNotation.h"

#include <gtest/gtest.h>

namespace {

// Every mark that carries state from one line to the next: a symbol block, indented and
// emphasised blocks, block headings, page breaks before blank lines, a last line without its end.
const QString kBook = QString::fromUtf8(
    "坊っちゃん\r\n--------------------\r\n【テキスト中に現れる記号について】\r\n"
    "《》：ルビ\r\n--------------------\r\n［＃ここから中見出し］\r\n\u3000一\r\n"
    "［＃ここで中見出し終わり］\r\n親譲《おやゆず》りの｜無鉄砲《むてっぽう》で\r\n"
    "［＃ここから２字下げ］\r\n甲※［＃「てへん＋劣」、第3水準1-84-77］る\r\n\r\n二行目\r\n"
    "［＃ここで字下げ終わり］\r\n乙の行［＃傍点］強く\r\n言う［＃傍点終わり］腰《こし》\r\n"
    "［＃改ページ］\r\n\r\n\r\n［＃５字下げ］二［＃「二」は中見出し］\r\n"
    "砸※［＃「石＋去」、U+7838、12-3］を抜《ぬ》かした\r\n［＃改丁］\r\n"
    "［＃ここから大見出し］\r\n三\r\n［＃ここで大見出し終わり］\r\n最後の行《ぎょう》");

// Everything a converted book holds, as one text to compare.
QString described(const AozoraBook &b)
{
    QStringList all = {b.text};
    for (const RubySpan &r : b.ruby)
        all << QStringLiteral("ruby %1+%2 %3").arg(r.base).arg(r.length).arg(r.reading);
    for (const AozoraHeading &h : b.headings)
        all << QStringLiteral("heading %1+%2 %3").arg(h.position).arg(h.length).arg(h.level);
    for (const qsizetype s : b.sectionStarts)
        all << QStringLiteral("section %1").arg(s);
    for (const AozoraIndent &i : b.indents)
        all << QStringLiteral("indent %1+%2 %3")
                   .arg(i.lineStart)
                   .arg(i.lineLength)
                   .arg(i.characters);
    for (const AozoraEmphasis &e : b.emphasis)
        all << QStringLiteral("dots %1+%2 %3").arg(e.position).arg(e.length).arg(e.mark);
    return all.join(u'\n');
}

} // namespace

TEST(AozoraNotationParts, PartsCutAnywhereGiveTheOneThreadResult)
{
    // Every line start a cut: each part begins after every kind of open block once.
    QList<qsizetype> eachCharacter;
    for (qsizetype i = 1; i < kBook.size(); ++i)
        eachCharacter << i;
    const struct
    {
        const char *name;
        QList<qsizetype> cuts;
    } cases[] = {
        {"each character (each line a part)", eachCharacter},
        {"one cut inside an emphasised run", {kBook.indexOf(QString::fromUtf8("\r\n言う"))}},
        {"out of range and unsorted", {kBook.size() + 5, 30, -3, kBook.size(), 0, 12}},
    };
    for (const RubyForm form : {RubyForm::Above, RubyForm::Brackets, RubyForm::Hidden}) {
        const QString whole = described(convertAozora(kBook, form));
        // The book really has what the parts must carry over.
        for (const char *kind : {"indent", "dots", "heading", "section"})
            ASSERT_TRUE(whole.contains(QString::fromLatin1(kind))) << kind;
        for (const auto &c : cases) {
            for (const int threads : {1, 3}) {
                SCOPED_TRACE(std::string(c.name) + ", " + std::to_string(threads) + " thread(s)");
                EXPECT_EQ(described(convertAozoraInParts(kBook, form, c.cuts, threads)), whole);
            }
        }
    }
    // A long book is cut into parts by itself; repetitions shift every position.
    QString book;
    for (int i = 0; book.size() < 600'000; ++i)
        book += kBook + QStringLiteral("\r\n%1\r\n").arg(i);
    EXPECT_EQ(described(convertAozora(book, RubyForm::Above, 4)),
              described(convertAozora(book, RubyForm::Above, 1)));
}
