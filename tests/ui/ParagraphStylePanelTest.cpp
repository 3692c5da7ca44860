#include "BookSteps.h"

#include "app/TocCommand.h"
#include "core/book/IniFile.h"
#include "ui/pages/SetOffLineDrawing.h"

#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextLayout>
#include <QTextStream>

namespace {

const char *const kWords[] = {"the",   "of",      "and",      "a",       "to",     "in",
                              "was",   "her",     "house",    "letter",  "morning", "carriage",
                              "never", "sister",  "whispered", "garden", "evening", "remember"};

QByteArray sentence(int seed)
{
    QByteArray s = "It";
    for (int i = 0; i < 8 + seed % 9; ++i)
        s += QByteArray(" ") + kWords[(seed * 7 + i * 13) % std::size(kWords)];
    return s + ".";
}

QByteArray paragraph(int seed)
{
    QByteArray p;
    for (int i = 0; i < 2 + seed % 5; ++i)
        p += (i ? " " : "") + sentence(seed * 3 + i);
    return p;
}

QList<QByteArray> wrapped(const QByteArray &text, int width)
{
    QList<QByteArray> lines;
    QByteArray line;
    for (const QByteArray &word : text.split(' ')) {
        if (!line.isEmpty() && line.size() + 1 + word.size() > width) {
            lines << line;
            line.clear();
        }
        line += (line.isEmpty() ? "" : " ") + word;
    }
    return lines << line;
}

// A modern novel: a paragraph a line, no blank lines, chapters headed "Chapter n".
QByteArray onePerLineNovel()
{
    QByteArray book;
    for (int chapter = 1; chapter <= 6; ++chapter) {
        book += "Chapter " + QByteArray::number(chapter) + "\r\n";
        for (int p = 0; p < 40; ++p)
            book += paragraph(chapter * 100 + p) + "\r\n";
    }
    return book;
}

// A scanned novel wrapped at 70, blank lines between paragraphs, a poem in it.
QByteArray wrappedNovel(const QByteArray &header = {})
{
    QByteArray book = header;
    book += "CHAPTER I.\r\n\r\n";
    for (int p = 0; p < 80; ++p) {
        if (p == 3)
            book += "Shall I compare thee to a summer's day?\r\n"
                    "Thou art more lovely and more temperate:\r\n\r\n";
        book += wrapped(paragraph(p), 70).join("\r\n") + "\r\n\r\n";
    }
    return book;
}

QStringList fittedLines(const TForm1 &form)
{
    QStringList lines;
    for (int n = 1; n <= form.readerState().TotalLines; ++n)
        lines << form.FittedLine(n);
    return lines;
}

} // namespace

TEST(ParagraphStylePanel, FirstOpenSetsTheSwitchesTheBookNeeds)
{
    const struct
    {
        const char *name;
        QByteArray book;
        bool remove;
        bool indent;
        bool punctuation;
        QString detected;
    } cases[] = {
        {"a paragraph a line", onePerLineNovel(), false, true, false,
         "Detected: one paragraph per line"},
        {"wrapped, blank lines", wrappedNovel(), true, true, false,
         "Detected: wrapped at 70 characters, paragraphs after blank lines"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ReaderFixture f;
        TForm1 &form = f.start();
        // The switches as another book left them.
        form.ZWEntfernen->setChecked(!c.remove);
        form.Einzug->setChecked(!c.indent);
        form.Punctuation->setChecked(!c.punctuation);
        form.openFileFromUser(f.writeBook(QStringLiteral("book.txt"), c.book));
        EXPECT_EQ(form.ZWEntfernen->isChecked(), c.remove);
        EXPECT_EQ(form.Einzug->isChecked(), c.indent);
        EXPECT_EQ(form.Punctuation->isChecked(), c.punctuation);
        EXPECT_TRUE(form.ShortLines->isChecked());
        EXPECT_EQ(form.ShortLines->isEnabled(), c.remove);
        EXPECT_EQ(form.DetectedStyle->text(), c.detected);
        IniFile ini(f.settingsPath());
        EXPECT_EQ(ini.readString(form.readerState().FileName, "Remove line breaks", {}),
                  c.remove ? "Yes" : "No");
        EXPECT_EQ(ini.readString(form.readerState().FileName, "Check short lines", {}), "Yes");
    }
}

TEST(ParagraphStylePanel, StoredSwitchesStayExactly)
{
    // The last row is a section stored before "Check short lines" existed: its lines stay.
    const struct
    {
        const char *shortLines;
        bool checked;
    } rows[] = {{"No", false}, {"Yes", true}, {nullptr, false}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.shortLines ? row.shortLines : "absent");
        ReaderFixture f;
        const QString path = f.writeBook(QStringLiteral("book.txt"), onePerLineNovel());
        QList<IniEntry> stored = {{"Remove line breaks", "Yes"},
                                  {"Check indentation", "No"},
                                  {"Check punctuation marks", "Yes"}};
        if (row.shortLines)
            stored.append(IniEntry{"Check short lines", row.shortLines});
        ASSERT_EQ(IniFile(f.settingsPath()).writeStrings(path, stored),
                  IniFile::WriteResult::Written);
        TForm1 &form = f.start({path});
        EXPECT_TRUE(form.ZWEntfernen->isChecked());
        EXPECT_FALSE(form.Einzug->isChecked());
        EXPECT_TRUE(form.Punctuation->isChecked());
        EXPECT_EQ(form.ShortLines->isChecked(), row.checked);
        // What the lines show is still said.
        EXPECT_EQ(form.DetectedStyle->text(), QStringLiteral("Detected: one paragraph per line"));
    }
}

TEST(ParagraphStylePanel, ShortLinesKeepVerseAndTheSwitchJoinsItAgain)
{
    ReaderFixture f;
    TForm1 &form = f.start();
    form.openFileFromUser(f.writeBook(QStringLiteral("novel.txt"), wrappedNovel()));
    ASSERT_TRUE(form.ZWEntfernen->isChecked());
    const QString verse = QStringLiteral("Shall I compare thee to a summer's day?");
    EXPECT_TRUE(fittedLines(form).contains(verse));
    EXPECT_TRUE(form.readerState().WorkingText.contains(
        QStringLiteral("summer's day?\r\nThou art more lovely")));
    // Prose is joined as before.
    EXPECT_TRUE(form.readerState().WorkingText.contains(QString::fromLatin1(paragraph(0))));

    form.ShortLines->setChecked(false);
    EXPECT_FALSE(fittedLines(form).contains(verse));
    EXPECT_TRUE(form.readerState().WorkingText.contains(
        QStringLiteral("summer's day? Thou art more lovely")));
    EXPECT_EQ(IniFile(f.settingsPath())
                  .readString(form.readerState().FileName, "Check short lines", {}),
              "No");
}

TEST(ParagraphStylePanel, HeadingDrawnCentredAndBoldAsFitted)
{
    ReaderFixture f;
    TForm1 &form = f.start();
    form.openFileFromUser(f.writeBook(QStringLiteral("novel.txt"), wrappedNovel()));
    ASSERT_EQ(form.readerState().CurrentPage, 1);
    ASSERT_EQ(form.FittedLine(1), QStringLiteral("CHAPTER I."));
    EXPECT_TRUE(form.isSetOffLine(1));
    EXPECT_FALSE(form.isSetOffLine(3));
    QPlainTextEdit *page = form.LinkeSeite;
    const QString before = page->toPlainText();
    const QTextBlock heading = page->document()->begin();
    ASSERT_EQ(heading.text(), QStringLiteral("CHAPTER I."));
    EXPECT_EQ(SetOffLineDrawing::kindOf(heading), SetOff::Heading);
    EXPECT_EQ(SetOffLineDrawing::kindOf(heading.next().next()), SetOff::None);

    page->document()->documentLayout()->blockBoundingRect(heading);
    page->document()->documentLayout()->blockBoundingRect(heading.next().next());
    QTextLayout *layout = heading.layout();
    ASSERT_EQ(layout->lineCount(), 1);
    EXPECT_TRUE(SetOffLineDrawing::drawnBold(layout));
    const QTextLine line = layout->lineAt(0);
    const double margin = page->document()->documentMargin();
    const double middle = margin + (page->viewport()->width() - 2 * margin) / 2;
    const double drawnMiddle = line.cursorToX(0) + line.naturalTextWidth() / 2;
    EXPECT_NEAR(drawnMiddle, middle, 2.0);
    // A line of prose stays where it was.
    const QTextLine prose = heading.next().next().layout()->lineAt(0);
    EXPECT_NEAR(prose.cursorToX(0), margin, 1.0);
    EXPECT_FALSE(SetOffLineDrawing::drawnBold(heading.next().next().layout()));

    // The text is the text: the page, the fitted line and a copy are unchanged.
    EXPECT_EQ(page->toPlainText(), before);
    EXPECT_EQ(form.FittedLine(1), QStringLiteral("CHAPTER I."));
    QTextCursor cursor(heading);
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    page->setTextCursor(cursor);
    page->setFocus();
    form.KopierenClick();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("CHAPTER I."));
}

TEST(ParagraphStylePanel, GutenbergBookOpensAtItsTitleTheFirstTime)
{
    QByteArray header = "The Project Gutenberg eBook of Nothing\r\n\r\n";
    for (int i = 0; i < 150; ++i)
        header += "This eBook is for the use of anyone anywhere, line " + QByteArray::number(i) +
                  "\r\n\r\n";
    header += "*** START OF THE PROJECT GUTENBERG EBOOK NOTHING ***\r\n\r\n\r\n";
    ReaderFixture f;
    TForm1 &form = f.start();
    const QString path = f.writeBook(QStringLiteral("pg1.txt"), wrappedNovel(header));
    form.openFileFromUser(path);
    const int lpp = form.readerState().LinesPerPage;
    const int page = form.readerState().CurrentPage;
    ASSERT_GT(page, 1);
    // The page holds the first line of the book, and nothing was taken away before it.
    bool found = false;
    for (int n = (page - 1) * lpp + 1; n <= page * lpp; ++n)
        found = found || form.FittedLine(n) == QStringLiteral("CHAPTER I.");
    EXPECT_TRUE(found);
    EXPECT_TRUE(form.FittedLine(1).startsWith(QStringLiteral("The Project Gutenberg eBook")));

    // The second time the stored page counts.
    form.Blaettern(Qt::LeftButton);
    const int stored = form.readerState().CurrentPage;
    ASSERT_LT(stored, page);
    f.stop();
    TForm1 &again = f.start({path});
    EXPECT_EQ(again.readerState().CurrentPage, stored);
}

TEST(ParagraphStylePanel, TocCommandTakesTheSameDecision)
{
    ReaderFixture f;
    f.start({}, false);
    f.stop();
    const QString path = f.writeBook(QStringLiteral("novel.txt"), onePerLineNovel());
    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    ASSERT_EQ(printTableOfContents(f.settingsPath(), f.programDir, path, outStream, errStream), 0);
    outStream.flush();
    // Joined into one wall of text the book would have one section; kept, it has its chapters.
    for (int chapter = 1; chapter <= 6; ++chapter)
        EXPECT_TRUE(out.contains(QStringLiteral("Chapter %1").arg(chapter))) << out.toStdString();
}
