#include "BookSteps.h"

#include <QClipboard>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace {

const QString kChinese = QStringLiteral(
    "我们在学习中文。他说：「你好！」（这是注释）这是一个测试，好吗？天气很好，我们去"
    "公园散步吧。书里的每一个字都要看得见，一个也不能少。");
const QString kJapanese = QStringLiteral(
    "ちょっとキャッシュを使ってみよう。人々はコーヒーを飲みながら、「今日はいい天気ですね」と"
    "言った。山々のシャッターが閉まっていた。");
const QString kThai = QStringLiteral("ภาษาไทยเป็นภาษาที่ใช้ในประเทศไทย คนไทยพูดภาษาไทยทุกวัน"
                                     "หนังสือเล่มนี้เขียนเป็นภาษาไทย");
const QString kNoLineStart =
    QStringLiteral("。，、」』）！？ぁぃぅぇぉっゃゅょァィゥェォッャュョー々");

} // namespace

// In the fonts the page draws with: lines fit, break where a typesetter would, and a phrase
// across such a break is found and copied without a blank.
TEST(ScriptBreaks, CjkAndThaiFitFindAndCopyWithoutBlanks)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    QString text;
    for (int i = 0; i < 6; ++i)
        text += kChinese + QStringLiteral("\r\n\r\n") + kJapanese + QStringLiteral("\r\n\r\n") +
                kThai + QStringLiteral("\r\n\r\n");
    form.openFileFromUser(fixture.writeBook(QStringLiteral("scripts.txt"), text.toUtf8()));
    const ReaderState &s = form.readerState();
    ASSERT_GT(s.TotalLines, 20);

    const QFontMetricsF metrics(form.pageFont());
    const double width = form.wrapWidth();
    int joined = 0;
    int firstJoin = 0;
    for (int n = 1; n <= s.TotalLines; ++n) {
        const QString line = form.FittedLine(n);
        EXPECT_LE(metrics.horizontalAdvance(line), width) << line.toStdString();
        if (n > 1 && FittedLineJoinsNext(s.pieces, n - 1)) {
            EXPECT_FALSE(kNoLineStart.contains(line.front())) << line.toStdString();
        }
        if (FittedLineJoinsNext(s.pieces, n)) {
            ++joined;
            if (firstJoin == 0 && n < s.LinesPerPage)
                firstJoin = n;
        }
    }
    ASSERT_GT(joined, 10);
    ASSERT_GT(firstJoin, 0);

    const QString a = form.FittedLine(firstJoin);
    const QString b = form.FittedLine(firstJoin + 1);
    ASSERT_GE(a.size(), 3);
    ASSERT_GE(b.size(), 3);
    const QString phrase = a.right(3) + b.left(3);

    form.LinkeSeite->setFocus();
    QTest::qWait(0);
    ASSERT_EQ(s.FocusPage, QStringLiteral("Links"));
    QTextDocument *page = form.LinkeSeite->document();
    const int block = firstJoin - 1 - s.LeftTrim.BlankLines;
    QTextCursor cursor(page);
    cursor.setPosition(page->findBlockByNumber(block).position() + static_cast<int>(a.size()) - 3);
    cursor.setPosition(page->findBlockByNumber(block + 1).position() + 3, QTextCursor::KeepAnchor);
    form.LinkeSeite->setTextCursor(cursor);
    form.KopierenClick();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), phrase);

    form.LinkeSeite->moveCursor(QTextCursor::Start);
    form.SuchenClick();
    form.FindText->setText(phrase);
    form.FindStartClick(form.FindStart);
    EXPECT_EQ(s.CurrentPage, 1);
    EXPECT_EQ(form.LinkeSeite->textCursor().selectedText(),
              a.right(3) + QChar(QChar::ParagraphSeparator) + b.left(3));
}
