#include "core/text/AozoraNotation.h"

#include "core/layout/LineBreakRemoval.h"
#include "core/text/ChineseConversion.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

QString qs(const char *text)
{
    return QString::fromUtf8(text);
}

struct Case
{
    const char *name;
    const char *source;
    const char *brackets; // the text with readings in brackets
    const char *hidden;   // the text without readings
};

} // namespace

TEST(AozoraNotation, RubyAndAnnotationsInEachForm)
{
    const Case cases[] = {
        {"ruby after kanji", "親譲《おやゆず》りの", "親譲(おやゆず)りの", "親譲りの"},
        {"base marked with bar", "この｜無鉄砲《むてっぽう》さ", "この無鉄砲(むてっぽう)さ",
         "この無鉄砲さ"},
        {"bar takes in kana", "｜あいつ等《ら》", "あいつ等(ら)", "あいつ等"},
        {"kanji run stops at kana", "はいって来た男《ひと》", "はいって来た男(ひと)",
         "はいって来た男"},
        {"katakana run", "古いノート《帳面》を", "古いノート(帳面)を", "古いノートを"},
        {"latin run", "the word Hamlet《ハムレット》 here", "the word Hamlet(ハムレット) here",
         "the word Hamlet here"},
        {"repetition mark in base", "時々《ときどき》", "時々(ときどき)", "時々"},
        {"unbalanced open bracket stays", "漢字《かんじ", "漢字《かんじ", "漢字《かんじ"},
        {"empty reading stays", "漢字《》", "漢字《》", "漢字《》"},
        {"nested brackets stay", "漢字《《かんじ》》", "漢字《《かんじ》》", "漢字《《かんじ》》"},
        {"no base stays", "「《かんじ》」", "「《かんじ》」", "「《かんじ》」"},
        {"bar without ruby stays", "左｜右", "左｜右", "左｜右"},
        {"reading on the next line is no reading", "漢字《かん\r\nじ》", "漢字《かん\r\nじ》",
         "漢字《かん\r\nじ》"},
        {"unclosed annotation stays", "文［＃傍点", "文［＃傍点", "文［＃傍点"},
        {"emphasis dropped", "彼は走る［＃「走る」に傍点］。", "彼は走る。", "彼は走る。"},
        {"emphasis span dropped", "［＃傍点］強く［＃傍点終わり］言う", "強く言う", "強く言う"},
        {"gaiji by plane-row-cell", "※［＃「てへん＋劣」、第3水準1-84-77］る", "挘る", "挘る"},
        {"gaiji of plane 2", "※［＃「てへん＋兀」、第4水準2-1-1］", "𠂉", "𠂉"},
        {"gaiji by code point", "※［＃「石＋去」、U+7838、12-3］", "砸", "砸"},
        {"gaiji without a code keeps the mark", "※［＃「口＋世」、174-14］", "※", "※"},
        {"gaiji in a reading", "枘《※［＃「木＋吶のつくり」、第3水準1-85-54］》", "枘(枘)", "枘"},
        {"one-line indent", "［＃２字下げ］本文", "　　本文", "　　本文"},
        {"block indent", "［＃ここから３字下げ］\r\n甲\r\n\r\n乙\r\n［＃ここで字下げ終わり］\r\n丙",
         "　　　甲\r\n\r\n　　　乙\r\n丙", "　　　甲\r\n\r\n　　　乙\r\n丙"},
        {"page break leaves a blank line", "前\r\n［＃改ページ］\r\n後", "前\r\n\r\n後",
         "前\r\n\r\n後"},
        {"other annotations dropped", "本文［＃「本文」は底本では「本分」］です", "本文です",
         "本文です"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(convertAozora(qs(c.source), RubyForm::Brackets).text, qs(c.brackets)) << c.name;
        const AozoraBook above = convertAozora(qs(c.source), RubyForm::Above);
        EXPECT_EQ(above.text, qs(c.hidden)) << c.name;
        EXPECT_EQ(convertAozora(qs(c.source), RubyForm::Hidden).text, qs(c.hidden)) << c.name;
        const bool withRuby = qs(c.brackets).contains(u'(');
        EXPECT_EQ(above.ruby.isEmpty(), !withRuby) << c.name;
    }
}

TEST(AozoraNotation, RubyAboveKeepsTheSpanOfItsBase)
{
    const AozoraBook book = convertAozora(
        qs("親譲《おやゆず》りの｜無鉄砲《むてっぽう》で\r\n腰《こし》を抜《ぬ》かした"),
        RubyForm::Above);
    ASSERT_EQ(book.text, qs("親譲りの無鉄砲で\r\n腰を抜かした"));
    const struct
    {
        const char *base;
        const char *reading;
    } expected[] = {{"親譲", "おやゆず"}, {"無鉄砲", "むてっぽう"}, {"腰", "こし"}, {"抜", "ぬ"}};
    ASSERT_EQ(book.ruby.size(), 4);
    for (int i = 0; i < 4; ++i) {
        const RubySpan &span = book.ruby[i];
        EXPECT_EQ(book.text.mid(span.base, span.length), qs(expected[i].base)) << i;
        EXPECT_EQ(span.reading, qs(expected[i].reading)) << i;
    }
}

TEST(AozoraNotation, HeadingsAndPageBreaksMarkWhereSectionsBegin)
{
    const QString source = qs("［＃ここから２字下げ］\r\n"
                              "第一章［＃「第一章」は大見出し］\r\n"
                              "［＃ここで字下げ終わり］\r\n"
                              "本文。\r\n"
                              "［＃改ページ］\r\n"
                              "\r\n"
                              "［＃中見出し］二［＃中見出し終わり］\r\n"
                              "［＃ここから小見出し］\r\n"
                              "三の節\r\n"
                              "［＃ここで小見出し終わり］\r\n"
                              "終わり");
    const AozoraBook book = convertAozora(source, RubyForm::Above);
    EXPECT_EQ(book.text, qs("　　第一章\r\n本文。\r\n\r\n\r\n二\r\n三の節\r\n終わり"));
    ASSERT_EQ(book.headings.size(), 3);
    const struct
    {
        const char *title;
        int level;
    } expected[] = {{"第一章", 1}, {"二", 2}, {"三の節", 3}};
    for (int i = 0; i < 3; ++i) {
        const AozoraHeading &h = book.headings[i];
        EXPECT_EQ(book.text.mid(h.position, h.length), qs(expected[i].title)) << i;
        EXPECT_EQ(h.level, expected[i].level) << i;
    }
    ASSERT_EQ(book.sectionStarts.size(), 1);
    EXPECT_EQ(book.text.mid(book.sectionStarts[0], 1), qs("二"));
}

TEST(AozoraNotation, SymbolBlockIsTakenOut)
{
    const QString source = qs("坊っちゃん\r\n夏目漱石\r\n\r\n"
                              "-------------------------------------------------------\r\n"
                              "【テキスト中に現れる記号について】\r\n\r\n"
                              "《》：ルビ\r\n（例）親譲《おやゆず》り\r\n"
                              "-------------------------------------------------------\r\n\r\n"
                              "一\r\n");
    EXPECT_TRUE(looksLikeAozora(source));
    EXPECT_EQ(convertAozora(source, RubyForm::Brackets).text,
              qs("坊っちゃん\r\n夏目漱石\r\n\r\n\r\n一\r\n"));
}

TEST(AozoraNotation, RecognitionNeedsRubyWithAnnotationsOrTheSymbolBlock)
{
    const struct
    {
        const char *name;
        const char *text;
        bool aozora;
    } cases[] = {
        {"ruby and an annotation", "親譲《おやゆず》り\r\n［＃改ページ］", true},
        {"ruby alone", "親譲《おやゆず》り", false},
        {"annotation alone", "本文［＃改ページ］", false},
        {"Chinese book titles", "他读了《红楼梦》和［＃注］", false},
        {"reading in kanji is no ruby sign", "見《見る》［＃注］", false},
        {"plain English", "A book <<with>> brackets [#1]", false},
        {"katakana reading", "倫敦《ロンドン》［＃「倫敦」に傍点］", true},
        {"a bracket before the annotation", "［注］親譲《おやゆず》り\r\n［＃改ページ］", true},
        {"symbol block after another heading", "【目次】\r\n【テキスト中に現れる記号について】", true},
    };
    for (const auto &c : cases)
        EXPECT_EQ(looksLikeAozora(qs(c.text)), c.aozora) << c.name;
}

TEST(AozoraNotation, GaijiCodes)
{
    const struct
    {
        const char *annotation;
        const char *character;
    } cases[] = {
        {"「木＋吶のつくり」、第3水準1-85-54", "枘"},
        {"「土へん＋竒」、第3水準1-14-2", "𠀋"},
        {"二の字点、1-2-22", "〻"},
        {"「てへん＋劣」、第3水準1-84-77", "挘"},
        {"「てへん＋兀」、第4水準2-1-1", "𠂉"},
        {"「石＋去」、U+7838、12-3", "砸"},
        {"U+20B9F", "𠮟"},
        {"U+D800", ""},
        {"1-95-1", ""},
        {"「口＋世」、174-14", ""},
        {"ページ数なし", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(aozoraGaiji(qs(c.annotation)), qs(c.character)) << c.annotation;
}

TEST(AozoraNotation, MarksFollowTheTextIntoJoinedLines)
{
    // A mark on every third character that is not a join's own, several on each long line.
    const QString longLines =
        qs("　親譲りの無鉄砲で小供の時から損ばかりしている。\r\n").repeated(4) +
        qs("a word -\r\nand another\r\n\r\n　二行目").repeated(2);
    for (const QString &loaded :
         {qs("　一\r\n本文の\r\n続き a \r\n b-\r\nc\r\n\r\n　二\r\n終"), longLines}) {
        QList<qsizetype> marks;
        for (qsizetype at = 0; at < loaded.size(); at += 3)
            if (!QStringLiteral("\r\n -").contains(loaded[at]))
                marks << at;
        LineBreakRules rules;
        rules.keepBeforeIndent = false;
        QString joined = loaded;
        RemoveSingleLineBreaks(joined, rules);
        ASSERT_NE(joined, loaded);
        const QList<qsizetype> carried = carryIntoJoinedText(loaded, joined, marks);
        ASSERT_EQ(carried.size(), marks.size());
        for (qsizetype k = 0; k < marks.size(); ++k)
            EXPECT_EQ(joined.at(carried[k]), loaded.at(marks[k])) << k;
    }
}

TEST(AozoraNotation, HostileTextsWithoutNotationStayAsTheyAre)
{
    for (const HostileText &h : hostileTexts()) {
        for (const RubyForm form : {RubyForm::Above, RubyForm::Brackets}) {
            const AozoraBook book = convertAozora(h.text, form);
            EXPECT_EQ(book.text, h.text) << h.name;
            EXPECT_TRUE(book.ruby.isEmpty()) << h.name;
        }
        EXPECT_FALSE(looksLikeAozora(h.text)) << h.name;
        // Brackets around the text open nothing that could swallow it.
        const QString bracketed = qs("《") + h.text + qs("［＃");
        EXPECT_EQ(convertAozora(bracketed, RubyForm::Hidden).text, bracketed) << h.name;
        const ChineseConverted chinese = convertChinese(h.text, ChineseConversion::Traditional);
        EXPECT_TRUE(chinese.ok) << h.name;
    }
}

TEST(AozoraNotation, IndentedLinesAreListedWithTheirDepth)
{
    const AozoraBook book = convertAozora(qs("前\r\n［＃ここから２字下げ］\r\n長い手紙の一行目。\r\n\r\n"
                                             "二行目。\r\n［＃ここで字下げ終わり］\r\n"
                                             "［＃３字下げ］一行だけ\r\n後"),
                                          RubyForm::Above);
    QStringList indents; // each indented line with its depth
    for (const AozoraIndent &indent : book.indents)
        indents << book.text.mid(indent.lineStart, indent.lineLength) + u'/' +
                       QString::number(indent.characters);
    EXPECT_EQ(indents.join(u'|'), qs("　　長い手紙の一行目。/2|　　二行目。/2|　　　一行だけ/3"));
}

TEST(AozoraNotation, MarksFollowAnEdit)
{
    const QString source = qs("一［＃「一」は大見出し］\r\n親譲《おやゆず》りの無鉄砲《むてっぽう》で\r\n"
                              "［＃改ページ］\r\n［＃ここから２字下げ］\r\n腰《こし》を抜《ぬ》かした");
    const AozoraBook book = convertAozora(source, RubyForm::Above);
    ASSERT_EQ(book.text, qs("一\r\n親譲りの無鉄砲で\r\n\r\n　　腰を抜かした"));
    const struct
    {
        const char *name;
        const char *edited;
        const char *bases; // the ruby bases left, in order
        int marks;         // the heading, the page break and the indented line left
    } cases[] = {
        {"unchanged", "一\r\n親譲りの無鉄砲で\r\n\r\n　　腰を抜かした", "親譲|無鉄砲|腰|抜", 1},
        {"typed before", "序\r\n一\r\n親譲りの無鉄砲で\r\n\r\n　　腰を抜かした", "親譲|無鉄砲|腰|抜", 1},
        {"base changed", "一\r\n親譲りの無謀で\r\n\r\n　　腰を抜かした", "親譲|腰|抜", 1},
        {"text between", "一\r\n親譲りのとても無鉄砲で\r\n\r\n　　腰を抜かした", "親譲|無鉄砲|腰|抜", 1},
        {"end cut", "一\r\n親譲りの無鉄砲で", "親譲|無鉄砲", 0},
        {"all new", "別の本", "", 0},
    };
    for (const auto &c : cases) {
        const QString edited = qs(c.edited);
        const AozoraBook carried = carriedThroughEdit(book, book.text, edited);
        QStringList bases;
        for (const RubySpan &span : carried.ruby)
            bases << edited.mid(span.base, span.length);
        EXPECT_EQ(bases.join(u'|'), qs(c.bases)) << c.name;
        EXPECT_EQ(carried.headings.size(), c.name == std::string("all new") ? 0 : 1) << c.name;
        for (const AozoraHeading &h : carried.headings)
            EXPECT_EQ(edited.mid(h.position, h.length), qs("一")) << c.name;
        EXPECT_EQ(carried.sectionStarts.size(), c.marks) << c.name;
        for (const qsizetype start : carried.sectionStarts)
            EXPECT_EQ(edited.mid(start, 4), qs("　　腰を")) << c.name;
        EXPECT_EQ(carried.indents.size(), c.marks) << c.name;
        for (const AozoraIndent &indent : carried.indents)
            EXPECT_EQ(edited.mid(indent.lineStart, indent.lineLength), qs("　　腰を抜かした"))
                << c.name;
    }
}

TEST(AozoraNotation, EmphasisMarksLieOverTheirRun)
{
    const struct
    {
        const char *source;
        const char *text;
        const char *marked; // empty: no emphasis
        char16_t mark;
    } cases[] = {
        {"るのは嫌だ［＃「嫌だ」に傍点］。", "るのは嫌だ。", "嫌だ", u'\uFE45'},
        {"嫌だ、嫌だ［＃「嫌だ」に傍点］", "嫌だ、嫌だ", "嫌だ", u'\uFE45'},
        {"あの男［＃「男」に白丸傍点］", "あの男", "男", u'○'},
        {"あの男［＃「男」に白ゴマ傍点］", "あの男", "男", u'\uFE46'},
        {"あの男［＃「男」の左に傍点］", "あの男", "男", u'\uFE45'},
        {"［＃傍点］本当に［＃傍点終わり］そうか", "本当にそうか", "本当に", u'\uFE45'},
        {"［＃ここから丸傍点］本当に［＃ここで丸傍点終わり］だ", "本当にだ", "本当に", u'●'},
        {"ない語［＃「別の語」に傍点］", "ない語", "", 0},
        {"あの男［＃「男」に傍線］", "あの男", "", 0},
    };
    for (const auto &c : cases) {
        const AozoraBook book = convertAozora(qs(c.source), RubyForm::Above);
        EXPECT_EQ(book.text, qs(c.text)) << c.source;
        if (qs(c.marked).isEmpty()) {
            EXPECT_TRUE(book.emphasis.isEmpty()) << c.source;
            continue;
        }
        ASSERT_EQ(book.emphasis.size(), 1) << c.source;
        const AozoraEmphasis &e = book.emphasis[0];
        EXPECT_EQ(book.text.mid(e.position, e.length), qs(c.marked)) << c.source;
        EXPECT_EQ(e.position, book.text.lastIndexOf(qs(c.marked))) << c.source;
        EXPECT_EQ(e.mark, QChar(c.mark)) << c.source;
    }
}
