#include "ReaderFixture.h"

#include "core/book/IniFile.h"
#include "core/text/TextDecoding.h"
#include "ui/pages/RubyDrawing.h"

#include <QComboBox>
#include <QImage>
#include <QPlainTextEdit>
#include <QSet>
#include <QTextBlock>

#include <cmath>

#include <gtest/gtest.h>

namespace {

// A faithful piece of an Aozora Bunko file: its symbol block, headings, ruby with and without
// ｜, a gaiji, emphasis, an indented block and page breaks, in Shift_JIS with CR LF.
QString aozoraText()
{
    QStringList lines = {
        QStringLiteral(u"坊っちゃん"),
        QStringLiteral(u"夏目漱石"),
        QString(),
        QStringLiteral("-------------------------------------------------------"),
        QStringLiteral(u"【テキスト中に現れる記号について】"),
        QStringLiteral(u"《》：ルビ"),
        QStringLiteral(u"（例）坊《ぼ》っちゃん"),
        QStringLiteral("-------------------------------------------------------"),
    };
    const QStringList chapters = {QStringLiteral(u"一"), QStringLiteral(u"二"),
                                  QStringLiteral(u"三")};
    for (const QString &chapter : chapters) {
        lines << QString() << QStringLiteral(u"［＃改ページ］") << QString()
              << QStringLiteral(u"［＃５字下げ］%1［＃「%1」は中見出し］").arg(chapter) << QString();
        for (int i = 0; i < 30; ++i)
            lines << QStringLiteral(u"　親譲《おやゆず》りの｜無鉄砲《むてっぽう》で小供の時から損"
                                    u"ばかりしている。※［＃「てへん＋劣」、第3水準1-84-77］る"
                                    u"［＃「る」に傍点］のは嫌だ。");
        lines << QStringLiteral(u"［＃ここから２字下げ］") << QStringLiteral(u"清の手紙。")
              << QStringLiteral(u"［＃ここで字下げ終わり］");
    }
    return lines.join(QStringLiteral("\r\n"));
}

QByteArray shiftJis(const QString &text)
{
    QByteArray bytes;
    encodeWithCodec(text, "windows-31j", bytes);
    return bytes;
}

RubyOverlay *rubyOverlay(const QPlainTextEdit *page)
{
    return static_cast<RubyOverlay *>(
        page->viewport()->findChild<QWidget *>(QStringLiteral("RubyOverlay")));
}

QString allLines(const TForm1 &form)
{
    QStringList lines;
    for (int n = 1; n <= form.readerState().TotalLines; ++n)
        lines << form.FittedLine(n);
    return lines.join(u'\n');
}

void choose(QComboBox *menu, const QString &item)
{
    const int index = menu->findText(item);
    ASSERT_GE(index, 0) << item.toStdString();
    menu->setCurrentIndex(index);
    emit menu->activated(index);
}

QString stored(const ReaderFixture &f, const QString &book, const QString &key)
{
    return IniFile(f.settingsPath()).readString(book, key, {});
}

} // namespace

TEST(EastAsian, AozoraBookOpensConvertedWithItsChaptersAndStoredChoices)
{
    ReaderFixture f;
    const QString book = f.writeBook("botchan.txt", shiftJis(aozoraText()));
    TForm1 &form = f.start({book});
    EXPECT_EQ(form.CodePageMenu->currentText(), QStringLiteral("Automatic (Shift_JIS)"));
    EXPECT_EQ(form.AozoraMenu->currentText(), QStringLiteral("Automatic (found)"));
    const QString text = allLines(form);
    for (const QString &raw : {QStringLiteral(u"《"), QStringLiteral(u"［＃"),
                               QStringLiteral(u"｜"), QStringLiteral(u"※"),
                               QStringLiteral(u"テキスト中に現れる記号")})
        EXPECT_FALSE(text.contains(raw)) << raw.toStdString();
    EXPECT_EQ(form.RubyMenu->currentText(), QStringLiteral("above"));
    EXPECT_TRUE(text.contains(QStringLiteral(u"親譲りの無鉄砲で")));
    EXPECT_TRUE(QString(text).remove(u'\n').contains(QStringLiteral(u"挘るのは嫌だ。")));
    EXPECT_TRUE(text.contains(QStringLiteral(u"\n　　清の手紙。\n")));
    EXPECT_TRUE(text.contains(QStringLiteral(u"\n　　　　　二\n")));

    // Every chapter begins a section, whatever the blank lines before it.
    form.CreateTOCClick();
    const QString toc = form.tocAsText();
    for (const char16_t *chapter : {u"　　　　　一", u"　　　　　二", u"　　　　　三"})
        EXPECT_TRUE(toc.contains(u'\t' + QString::fromUtf16(chapter) + u'\n'))
            << toc.toStdString();

    choose(form.RubyMenu, QStringLiteral("in brackets"));
    EXPECT_TRUE(allLines(form).contains(QStringLiteral(u"親譲(おやゆず)りの無鉄砲(むてっぽう)で")));
    EXPECT_EQ(stored(f, book, QStringLiteral("Ruby")), QStringLiteral("Brackets"));
    choose(form.RubyMenu, QStringLiteral("hidden"));
    EXPECT_TRUE(allLines(form).contains(QStringLiteral(u"親譲りの無鉄砲で")));
    EXPECT_EQ(stored(f, book, QStringLiteral("Ruby")), QStringLiteral("Hidden"));

    choose(form.AozoraMenu, QStringLiteral("No"));
    EXPECT_TRUE(allLines(form).contains(QStringLiteral(u"親譲《おやゆず》り")));
    EXPECT_FALSE(form.RubyMenu->isEnabled());
    EXPECT_EQ(stored(f, book, QStringLiteral("Aozora notation")), QStringLiteral("No"));
    EXPECT_TRUE(f.prompts->shown.isEmpty());
    f.stop();

    TForm1 &again = f.start({book});
    EXPECT_EQ(again.AozoraMenu->currentText(), QStringLiteral("No"));
    EXPECT_EQ(again.RubyMenu->currentText(), QStringLiteral("hidden"));
    EXPECT_TRUE(allLines(again).contains(QStringLiteral(u"［＃改ページ］")));
}

TEST(EastAsian, ChineseShownConvertedWhileTheFileKeepsItsCharacters)
{
    ReaderFixture f;
    QString written;
    for (int i = 1; i <= 200; ++i)
        written += QStringLiteral(u"第%1章\r\n\r\n他的头发里面有软件。\r\n\r\n").arg(i);
    written = written.trimmed();
    const QByteArray bytes = written.toUtf8();
    const QString book = f.writeBook("book.txt", bytes);
    TForm1 &form = f.start({book});
    EXPECT_EQ(form.ChineseMenu->currentText(), QStringLiteral("as written"));
    EXPECT_FALSE(form.RubyMenu->isEnabled());
    form.Blaettern(Qt::RightButton);
    const int page = form.readerState().CurrentPage;

    choose(form.ChineseMenu, QStringLiteral("Traditional (Taiwan)"));
    EXPECT_EQ(form.readerState().CurrentPage, page);
    const QString shown = allLines(form);
    EXPECT_TRUE(shown.contains(QStringLiteral(u"他的頭髮裡面有軟件。"))) << shown.left(80).toStdString();
    EXPECT_FALSE(shown.contains(QStringLiteral(u"头发")));
    EXPECT_EQ(stored(f, book, QStringLiteral("Chinese conversion")), QStringLiteral("Taiwan"));

    // The editor and saving keep the file's characters; an edit is converted for the pages.
    form.BearbeitenClick();
    EXPECT_TRUE(form.OriginalText->toPlainText().startsWith(QStringLiteral(u"第1章")));
    EXPECT_TRUE(form.OriginalText->toPlainText().contains(QStringLiteral(u"头发")));
    form.OriginalText->moveCursor(QTextCursor::Start);
    form.OriginalText->insertPlainText(QStringLiteral(u"理发"));
    form.OriginalTextKeyDown(Qt::Key_Escape);
    EXPECT_TRUE(form.FittedLine(1).startsWith(QStringLiteral(u"理髮第1章")));
    const QString copy = f.programDir + QStringLiteral("/books/copy.txt");
    f.prompts->saveAnswers.push_back(copy);
    f.prompts->saveFilterAnswers.push_back(0);
    f.prompts->questionAnswers.push_back(QMessageBox::Yes);
    form.SpeichernClick();
    const QString saved = QString::fromUtf8(readFileBytes(copy));
    EXPECT_TRUE(saved.startsWith(QStringLiteral(u"理发第1章"))) << saved.left(40).toStdString();
    EXPECT_TRUE(saved.contains(QStringLiteral(u"头发")));
    EXPECT_FALSE(saved.contains(QStringLiteral(u"頭髮")));
    EXPECT_TRUE(form.FittedLine(1).startsWith(QStringLiteral(u"理髮")));

    choose(form.ChineseMenu, QStringLiteral("as written"));
    EXPECT_TRUE(allLines(form).contains(QStringLiteral(u"头发")));
}

TEST(EastAsian, RubyIsDrawnCentredAboveItsBaseAtOnePitchForEveryLine)
{
    ReaderFixture f;
    const QString book = f.writeBook("botchan.txt", shiftJis(aozoraText()));
    TForm1 &form = f.start({book});
    for (int i = 0; i < 2; ++i)
        form.Blaettern(Qt::RightButton);
    QPlainTextEdit *page = form.LinkeSeite;
    RubyOverlay *overlay = rubyOverlay(page);
    ASSERT_NE(overlay, nullptr);
    const QList<RubyOverlay::Placed> placed = overlay->placed();
    ASSERT_GT(placed.size(), 4);
    const QFontMetricsF metrics(page->document()->defaultFont());
    const qreal row = rubyRowFor(page->document()->defaultFont());
    ASSERT_GT(row, 0);
    QSet<QString> readings;
    for (const RubyOverlay::Placed &p : placed) {
        readings.insert(p.reading);
        EXPECT_GT(p.base.width(), 0);
        EXPECT_NEAR(p.readingRect.center().x(), p.base.center().x(), 1.0) << p.reading.toStdString();
        EXPECT_LE(p.readingRect.bottom(), p.base.top() + 1) << p.reading.toStdString();
        EXPECT_GE(p.readingRect.top(), p.base.top() - row - metrics.lineSpacing())
            << p.reading.toStdString();
    }
    EXPECT_TRUE(readings.contains(QStringLiteral(u"おやゆず")));
    EXPECT_TRUE(readings.contains(QStringLiteral(u"むてっぽう")));

    // Every line at the same pitch, room for the ruby row included; the page holds fewer lines.
    const qreal pitch = std::ceil(metrics.lineSpacing() + row);
    QTextCursor cursor(page->document());
    qreal previous = -1;
    for (int b = 0; b < page->document()->blockCount(); ++b) {
        cursor.setPosition(page->document()->findBlockByNumber(b).position());
        const qreal top = page->cursorRect(cursor).top();
        if (previous >= 0) {
            EXPECT_NEAR(top - previous, pitch, 1.0) << b;
        }
        previous = top;
    }
    const int withRuby = form.readerState().LinesPerPage;
    choose(form.RubyMenu, QStringLiteral("hidden"));
    // The book's emphasis dots keep the row; no reading is drawn.
    EXPECT_EQ(form.readerState().LinesPerPage, withRuby);
    for (const RubyOverlay::Placed &p : overlay->placed())
        EXPECT_EQ(p.reading, QStringLiteral(u"\uFE45"));
}

TEST(EastAsian, ReadAloudSpeaksTheReadingsOfRubyAbove)
{
    ReaderFixture f;
    const QString book = f.writeBook(
        "story.txt", shiftJis(QStringLiteral(u"［＃５字下げ］一［＃「一」は中見出し］\r\n\r\n"
                                             u"　親譲《おやゆず》りの｜無鉄砲《むてっぽう》で損ばかりしている。")));
    TForm1 &form = f.start({book});
    ASSERT_EQ(form.RubyMenu->currentText(), QStringLiteral("above"));
    form.ReadAloudClick();
    f.speaker->answerReady();
    while (f.speaker->said.size() < 2 && form.readingAloud())
        f.speaker->finish();
    ASSERT_EQ(f.speaker->said.size(), 2) << f.speaker->said.join(u'|').toStdString();
    EXPECT_EQ(f.speaker->said[1], QStringLiteral(u"おやゆずりのむてっぽうで損ばかりしている。"));
}

TEST(EastAsian, AnEditKeepsTheMarksAndASaveKeepsTheReadingsAndAsksBeforeReplacingTheNotation)
{
    ReaderFixture f;
    const QByteArray original = shiftJis(aozoraText());
    const QString book = f.writeBook("botchan.txt", original);
    TForm1 &form = f.start({book});
    const auto readingsOf = [&form] {
        QStringList readings;
        for (const RubySpan &span : form.readerState().EastAsian.marks.ruby)
            readings << span.reading;
        return readings;
    };
    const QStringList before = readingsOf();
    ASSERT_GT(before.size(), 60);

    form.BearbeitenClick();
    form.OriginalText->moveCursor(QTextCursor::Start);
    form.OriginalText->insertPlainText(QStringLiteral(u"序\r\n"));
    form.OriginalTextKeyDown(Qt::Key_Escape);
    EXPECT_EQ(readingsOf(), before);
    form.CreateTOCClick();
    const QString toc = form.tocAsText();
    for (const char16_t *chapter : {u"　　　　　一", u"　　　　　二", u"　　　　　三"})
        EXPECT_TRUE(toc.contains(u'\t' + QString::fromUtf16(chapter) + u'\n'))
            << toc.toStdString();

    // Over its own file only with a yes to the question that says what is lost.
    f.prompts->saveAnswers.push_back(book);
    f.prompts->saveFilterAnswers.push_back(0);
    f.prompts->confirmAnswers.push_back(false);
    form.SpeichernClick();
    ASSERT_FALSE(f.prompts->shown.isEmpty());
    EXPECT_TRUE(f.prompts->shown.last().contains(QStringLiteral("Aozora Bunko notation")));
    EXPECT_EQ(readFileBytes(book), original);

    const QString copy = f.programDir + QStringLiteral("/books/copy.txt");
    f.prompts->saveAnswers.push_back(copy);
    f.prompts->saveFilterAnswers.push_back(0);
    f.prompts->questionAnswers.push_back(QMessageBox::No);
    form.SpeichernClick();
    const QByteArray bytes = readFileBytes(copy);
    ASSERT_FALSE(bytes.isEmpty()) << f.prompts->shown.join(u'|').toStdString();
    // A character outside Shift_JIS (the gaiji) makes the copy UTF-8.
    const QString saved = QString::fromUtf8(bytes);
    EXPECT_TRUE(saved.startsWith(QStringLiteral(u"序\r\n坊っちゃん")));
    EXPECT_TRUE(saved.contains(QStringLiteral(u"親譲(おやゆず)りの無鉄砲(むてっぽう)で")));
    EXPECT_FALSE(saved.contains(QStringLiteral(u"［＃")));
}

TEST(EastAsian, EveryLineOfAnIndentedBlockIsDrawnIndented)
{
    ReaderFixture f;
    const QString letter = QStringLiteral(u"拝啓、お変わりなくお過ごしでしょうか。").repeated(5);
    const QString text = QStringLiteral(u"［＃改ページ］\r\n親譲《おやゆず》り") + letter.left(60) +
                         QStringLiteral(u"\r\n［＃ここから２字下げ］\r\n") + letter +
                         QStringLiteral(u"\r\n［＃ここで字下げ終わり］\r\n　後書き") + letter;
    TForm1 &form = f.start({f.writeBook("letter.txt", shiftJis(text))});
    QPlainTextEdit *page = form.LinkeSeite;
    const QTextDocument *document = page->document();
    const qreal indent =
        QFontMetricsF(document->defaultFont()).horizontalAdvance(QStringLiteral(u"\u3000\u3000"));
    // Lines of the block after its first stand in; all others, and the text, are as they were.
    QString kinds; // per line: o outside the block, f its first line, i a later one
    qreal margin = -1;
    QTextCursor cursor(page->document());
    for (QTextBlock b = document->begin(); b.isValid(); b = b.next()) {
        const QChar previous = kinds.isEmpty() ? u'o' : kinds.back();
        kinds += b.text().startsWith(QStringLiteral(u"\u3000\u3000")) ? u'f'
                 : b.text().startsWith(u'\u3000')                     ? u'o'
                 : previous == u'o'                                     ? u'o'
                                                                        : u'i';
        cursor.setPosition(b.position());
        const qreal left = page->cursorRect(cursor).left();
        margin = margin < 0 ? left : margin;
        EXPECT_NEAR(left, kinds.back() == u'i' ? margin + indent : margin, 1.0) << kinds.size();
        EXPECT_LE(left + b.layout()->lineAt(0).naturalTextWidth(), page->viewport()->width());
    }
    EXPECT_TRUE(kinds.contains(QStringLiteral("oofiiioo"))) << kinds.toStdString();
    EXPECT_EQ(allLines(form).count(u'\u3000'), 3); // the two of the block and the one of 後書き
}

TEST(EastAsian, EmphasisDotsAreDrawnOverEachCharacterInEveryRubyForm)
{
    ReaderFixture f;
    const QString book = f.writeBook(
        "dots.txt", shiftJis(QStringLiteral(u"［＃５字下げ］一［＃「一」は中見出し］\r\n\r\n"
                                            u"　親譲《おやゆず》りの無鉄砲で、それは嫌だ［＃「嫌だ」に傍点］。")));
    TForm1 &form = f.start({book});
    RubyOverlay *overlay = rubyOverlay(form.LinkeSeite);
    ASSERT_NE(overlay, nullptr);
    const QFontMetricsF page(form.LinkeSeite->document()->defaultFont());
    for (const QString &ruby :
         {QStringLiteral("above"), QStringLiteral("in brackets"), QStringLiteral("hidden")}) {
        choose(form.RubyMenu, ruby);
        QStringList readings;
        QList<qreal> dotCentres;
        for (const RubyOverlay::Placed &p : overlay->placed()) {
            readings << p.reading;
            if (p.reading == QStringLiteral(u"\uFE45")) {
                // One character wide, the dot centred over it and above the line.
                EXPECT_NEAR(p.base.width(), page.horizontalAdvance(u'嫌'), 1.5);
                EXPECT_NEAR(p.readingRect.center().x(), p.base.center().x(), 1.0);
                EXPECT_LE(p.readingRect.bottom(), p.base.top() + 1);
                dotCentres << p.base.center().x();
                // Something is drawn there, whatever fonts the machine has.
                const QImage drawn =
                    form.LinkeSeite->viewport()->grab(p.readingRect.toAlignedRect()).toImage();
                int inked = 0;
                for (int y = 0; y < drawn.height(); ++y)
                    for (int x = 0; x < drawn.width(); ++x)
                        inked += qGray(drawn.pixel(x, y)) < 128;
                EXPECT_GT(inked, 0) << ruby.toStdString();
            }
        }
        ASSERT_EQ(dotCentres.size(), 2) << ruby.toStdString();
        EXPECT_GT(dotCentres[1], dotCentres[0]);
        EXPECT_EQ(readings.contains(QStringLiteral(u"おやゆず")), ruby == QStringLiteral("above"))
            << ruby.toStdString();
        EXPECT_FALSE(allLines(form).contains(QStringLiteral(u"傍点")));
    }
}

TEST(EastAsian, EveryLineOfAnAozoraBookIsAParagraph)
{
    ReaderFixture f;
    TForm1 &form = f.start({f.writeBook(
        "short.txt", shiftJis(QStringLiteral(u"親譲《おやゆず》りの無鉄砲で損ばかりしている。［＃「損」に傍点］\r\n"
                                             u"「弱虫やーい」\r\n"
                                             u"と囃《はや》したからである。")))});
    EXPECT_EQ(allLines(form), QStringLiteral(u"親譲りの無鉄砲で損ばかりしている。\n「弱虫やーい」\n"
                                             u"と囃したからである。"));
}

TEST(EastAsian, ARubyBaseCutByALineEndCarriesItsReadingOverEachPart)
{
    ReaderFixture f;
    const QString filler =
        QStringLiteral(u"いろはにほへとちりぬるをわかよたれそつねならむ").repeated(8);
    const QString head = QStringLiteral(u"親《おや》［＃改ページ］");
    TForm1 &form = f.start({f.writeBook("measure.txt", shiftJis(head + u"\r\n"_qs + filler))});
    const auto firstFillerLine = [&form] {
        int n = 1;
        while (n < form.readerState().TotalLines && !form.FittedLine(n).startsWith(u'い'))
            ++n;
        return n;
    };
    // How many characters a line holds; the base is then set across each line end.
    const qsizetype width = form.FittedLine(firstFillerLine()).size();
    ASSERT_GT(width, 8);
    const QString base = QStringLiteral(u"東西南北");
    const struct
    {
        int before; // characters of the base on the first line
        QString first, second;
    } cases[] = {{1, u"とう"_qs, u"ざいなんぼく"_qs},
                 {2, u"とうざい"_qs, u"なんぼく"_qs},
                 {3, u"とうざいなん"_qs, u"ぼく"_qs}};
    QString text = head;
    for (const auto &c : cases)
        text +=
            u"\r\n"_qs + filler.left(width - c.before) + u"｜東西南北《とうざいなんぼく》の話。"_qs;
    form.openFileFromUser(f.writeBook("cut.txt", shiftJis(text)));
    QPlainTextEdit *page = form.LinkeSeite;
    const qreal character = QFontMetricsF(page->document()->defaultFont()).horizontalAdvance(u'東');
    QList<RubyOverlay::Placed> cut = rubyOverlay(page)->placed();
    cut.removeIf([](const RubyOverlay::Placed &p) { return p.reading == u"おや"_qs; });
    ASSERT_EQ(cut.size(), 2 * std::size(cases));
    for (int k = 0, line = firstFillerLine(); k < int(std::size(cases)); ++k, line += 2) {
        const auto &c = cases[k];
        SCOPED_TRACE(c.before);
        ASSERT_TRUE(form.FittedLine(line).endsWith(base.left(c.before)));
        ASSERT_TRUE(form.FittedLine(line + 1).startsWith(base.mid(c.before)));
        // Each share over its own part of the base, above its own line.
        const RubyOverlay::Placed &one = cut[2 * k], &two = cut[2 * k + 1];
        EXPECT_EQ(one.reading + u'|' + two.reading, c.first + u'|' + c.second);
        EXPECT_LT(one.base.top(), two.base.top());
        EXPECT_NEAR(one.base.width(), c.before * character, 1.5);
        EXPECT_NEAR(two.base.width(), (base.size() - c.before) * character, 1.5);
        for (const RubyOverlay::Placed *p : {&one, &two}) {
            EXPECT_NEAR(p->readingRect.center().x(), p->base.center().x(), 1.0);
            EXPECT_LE(p->readingRect.bottom(), p->base.top() + 1);
        }
    }
}
