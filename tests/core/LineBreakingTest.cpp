#include "core/layout/LineFitter.h"
#include "core/book/FindInBook.h"
#include "core/text/Saving.h"

#include <QStringList>
#include <QTextBoundaryFinder>

#include <gtest/gtest.h>

namespace {

// Every UTF-16 unit is 10 pixels wide.
class FixedMeasurer : public TextMeasurer
{
public:
    double advance(QStringView text) const override
    {
        ++calls;
        return 10.0 * static_cast<double>(text.size());
    }
    double tabStopDistance() const override { return 80; }
    mutable int calls = 0;
};

struct Fitted
{
    FitPieces pieces;
    int total = 0;
};

std::unique_ptr<Fitted> fit(const QString &text, double width, const TextMeasurer &m)
{
    auto f = std::make_unique<Fitted>();
    WordWidthCache cache;
    cutIntoPieces(text, f->pieces);
    for (FitPiece &p : f->pieces)
        if (p.used())
            wrapPiece(p, width, m, cache);
    f->total = numberFittedLines(f->pieces);
    return f;
}

const QString kNoLineStart =
    QStringLiteral("。，、」』）！？ぁぃぅぇぉっゃゅょァィゥェォッャュョー々");
const QString kNoLineEnd = QStringLiteral("「『（");

struct Fixture
{
    const char *name;
    QString text;
    bool spacesOnly; // a space-separated script: every break consumes a space
};

const Fixture kFixtures[] = {
    {"Chinese",
     QStringLiteral(
         "我们在学习中文。他说：「你好！」（这是注释）这是一个测试，好吗？天气很好，我们去"
         "公园散步吧。书里的每一个字都要看得见，一个也不能少。\r\n\r\n第二段落：「今天"
         "下雨了。」她回答说，“没关系，我们明天再去。”"),
     false},
    {"Japanese",
     QStringLiteral("ちょっとキャッシュを使ってみよう。人々はコーヒーを飲みながら、「今日はいい天気"
                    "ですね」と言った。ジョッキでビールを飲んだ。山々のシャッターが閉まっ"
                    "ていた。"),
     false},
    {"Korean",
     QStringLiteral("한국어는 띄어쓰기를 사용합니다. 이 문장은 공백에서만 줄이 바뀌어야 합니다. "
                    "다람쥐 헌 쳇바퀴에 타고파."),
     true},
    {"Thai",
     QStringLiteral("ภาษาไทยเป็นภาษาที่ใช้ในประเทศไทย คนไทยพูดภาษาไทยทุกวัน"
                    "หนังสือเล่มนี้เขียนเป็นภาษาไทย"),
     false},
    {"Myanmar", QStringLiteral("မြန်မာဘာသာစကားသည် မြန်မာနိုင်ငံ၏ ရုံးသုံးဘာသာစကား ဖြစ်သည်။"), false},
    {"English with accents and emoji",
     QStringLiteral("Cafe\u0301 na\u0308i\u0308ve re\u0301sume\u0301 \U0001F44D\U0001F3FD "
                    "\U0001F468\u200D\U0001F469\u200D\U0001F467 \U0001F1E9\U0001F1EA "
                    "a\u0301\u0302\u0303\u0304b\u0301\u0302\u0303\u0304c\u0301\u0302\u0303"
                    "\u0304 supercalifragilisticexpialidocious"),
     true},
};

bool atGrapheme(QStringView rawLine, qsizetype pos)
{
    // Qt's own segmentation splits Myanmar marks from their letters; a mark never starts one.
    const QChar c = rawLine[pos];
    if (c.isMark() || c.isLowSurrogate() || c == QChar(0x200D) || rawLine[pos - 1] == QChar(0x200D))
        return false;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, rawLine.data(), rawLine.size());
    finder.setPosition(pos);
    return finder.isAtBoundary();
}

// The raw line of the piece text that holds position pos, and pos within it.
std::pair<QStringView, qsizetype> rawLineAt(QStringView text, qsizetype pos)
{
    const qsizetype from = text.lastIndexOf(QStringLiteral("\r\n"), pos - 1);
    const qsizetype start = from < 0 ? 0 : from + 2;
    qsizetype end = text.indexOf(QStringLiteral("\r\n"), start);
    if (end < 0)
        end = text.size();
    return {text.mid(start, end - start), pos - start};
}

} // namespace

TEST(LineBreaking, FittedLinesBreakWhereATypesetterWould)
{
    const FixedMeasurer m;
    for (const Fixture &fx : kFixtures) {
        for (double width : {35.0, 60.0, 95.0, 130.0, 215.0}) {
            SCOPED_TRACE(std::string(fx.name) + " at " + std::to_string(width));
            const auto f = fit(fx.text, width, m);
            const FitPiece &piece = f->pieces[0];
            ASSERT_FALSE(f->pieces[1].used());
            const QStringView text(piece.text);
            qsizetype covered = 0; // the text before it is in a line or is a skipped blank
            for (size_t k = 0; k < piece.lines.size(); ++k) {
                const LineSpan span = piece.lines[k];
                const QStringView line = text.mid(span.start, span.length);
                // Nothing lost, nothing doubled: only blanks and line ends between lines.
                ASSERT_GE(span.start, covered);
                const QStringView gap = text.mid(covered, span.start - covered);
                for (QChar c : gap)
                    EXPECT_TRUE(c == u' ' || c == u'\r' || c == u'\n') << "lost " << k;
                covered = span.start + span.length;
                if (line.isEmpty())
                    continue;
                const auto [raw, at] = rawLineAt(text, span.start);
                if (at > 0) {
                    EXPECT_FALSE(kNoLineStart.contains(line.front())) << "line " << k;
                    EXPECT_TRUE(atGrapheme(raw, at)) << "grapheme split before line " << k;
                }
                if (k + 1 < piece.lines.size()) {
                    const LineSpan next = piece.lines[k + 1];
                    const bool runsOn = next.start == span.start + span.length;
                    EXPECT_EQ(bool(span.joinsNext), runsOn) << "line " << k;
                    if (span.joinsNext) {
                        EXPECT_FALSE(kNoLineEnd.contains(line.back())) << "line " << k;
                        // Space-separated words are cut only when wider than the line.
                        const auto [nextRaw, pos] = rawLineAt(text, next.start);
                        const qsizetype from = nextRaw.lastIndexOf(u' ', pos - 1) + 1;
                        qsizetype to = nextRaw.indexOf(u' ', pos);
                        to = to < 0 ? nextRaw.size() : to;
                        if (fx.spacesOnly) {
                            EXPECT_GT(m.advance(nextRaw.mid(from, to - from)), width)
                                << "word cut at line " << k;
                        }
                    }
                }
                // A line wider than the page holds a single grapheme.
                if (m.advance(line) > width) {
                    QTextBoundaryFinder g(QTextBoundaryFinder::Grapheme, line.data(), line.size());
                    EXPECT_EQ(g.toNextBoundary(), line.size()) << "too wide, line " << k;
                }
            }
            for (QChar c : text.mid(covered))
                EXPECT_EQ(c, u' ') << "lost at the end";
        }
    }
}

TEST(LineBreaking, ThaiBreaksBetweenWords)
{
    // "ภาษาไทย" is two words, "ภาษา" and "ไทย": the line holds the first word, not a part of the
    // second.
    const FixedMeasurer m;
    const auto f = fit(QStringLiteral("ภาษาไทยภาษาไทย"), 60, m);
    ASSERT_GE(f->total, 2);
    EXPECT_EQ(FittedLine(f->pieces, 1).toString(), QStringLiteral("ภาษา"));
    EXPECT_EQ(FittedLine(f->pieces, 2).toString(), QStringLiteral("ไทย"));
}

TEST(LineBreaking, IdeographsAreMeasuredOnceEach)
{
    // A paragraph without spaces is not measured again by prefixes for every line.
    QString paragraph;
    const QString han = QStringLiteral("天地玄黄宇宙洪荒日月盈昃辰宿列张寒来暑往秋收冬藏");
    for (int i = 0; i < 40; ++i)
        paragraph += han + QStringLiteral("，") + han + QStringLiteral("。");
    FixedMeasurer m;
    WordWidthCache cache;
    LineSpans out;
    wrapRawLine(paragraph, 0, 200, m, cache, out);
    EXPECT_GT(out.size(), 90u);
    EXPECT_LE(m.calls, han.size() + 3); // the characters, the two marks and a space
    const int before = m.calls;
    out.clear();
    wrapRawLine(paragraph, 0, 200, m, cache, out);
    EXPECT_EQ(m.calls, before);
}

TEST(LineBreaking, CopyJoinsUnspacedBreaksWithoutABlank)
{
    const FixedMeasurer m;
    const QString raw = QStringLiteral("我们在学习中文。He said hello to everyone here. "
                                       "天气很好，我们去公园散步吧。");
    const auto f = fit(raw + QStringLiteral("\r\nnext paragraph"), 70, m);
    QString selected;
    for (int n = 1; n <= f->total; ++n) {
        if (n > 1)
            selected += QChar::ParagraphSeparator;
        selected += FittedLine(f->pieces, n);
    }
    const QString copied = JoinSelectionLines(selectionLinesForCopy(
        selected, 1, [&f](int n) { return FittedLineJoinsNext(f->pieces, n); }));
    EXPECT_EQ(copied, raw + QStringLiteral(" next paragraph"));
}
