#include "core/book/GutenbergFrame.h"

#include "TestSupport.h"
#include "UnitFit.h"

#include <gtest/gtest.h>

namespace {

const QString kHeader = QStringLiteral(
    "The Project Gutenberg eBook of Pride and Prejudice\r\n\r\nTitle: Pride and Prejudice\r\n"
    "\r\n");

} // namespace

TEST(GutenbergFrame, FindsTheFirstLineAfterTheStartMarker)
{
    const struct
    {
        const char *name;
        QString text;
        QString startsWith; // empty: no start
    } cases[] = {
        {"current marker",
         kHeader + "*** START OF THE PROJECT GUTENBERG EBOOK PRIDE AND PREJUDICE ***\r\n\r\n\r\n"
                   "                  PRIDE AND PREJUDICE\r\n",
         "                  PRIDE AND PREJUDICE"},
        {"older marker",
         kHeader + "*** START OF THIS PROJECT GUTENBERG EBOOK FRANKENSTEIN ***\r\n\r\nProduced by "
                   "a volunteer\r\n",
         "Produced by"},
        {"no spaces, lower case",
         kHeader + "***start of the project gutenberg ebook x***\r\nLetter 1\r\n", "Letter 1"},
        {"the title carries the stars onto the next line",
         kHeader + "*** START OF THE PROJECT GUTENBERG EBOOK THE HISTORY OF\r\nTHE DECLINE ***\r\n"
                   "\r\nVOLUME I\r\n",
         "VOLUME I"},
        {"small print, old form",
         kHeader + "*END*THE SMALL PRINT! FOR PUBLIC DOMAIN ETEXTS*Ver.04.29.93*END*\r\n\r\n"
                   "Moby Dick\r\n",
         "Moby Dick"},
        {"small print, later form",
         kHeader + "*END THE SMALL PRINT! FOR PUBLIC DOMAIN EBOOKS*Ver.02/11/02*END*\r\n   \r\n"
                   "Emma\r\n",
         "Emma"},
        {"lines of blanks skipped", kHeader + "*** START OF THE PROJECT GUTENBERG EBOOK A ***\r\n"
                                               " \t \r\n\r\nText",
         "Text"},
        {"the end marker is no start",
         "Text\r\n*** END OF THE PROJECT GUTENBERG EBOOK A ***\r\nLicence\r\n", QString()},
        {"marker inside a sentence",
         "He wrote *** START OF THE PROJECT GUTENBERG EBOOK in jest.\r\nMore\r\n", QString()},
        {"nothing after the marker",
         kHeader + "*** START OF THE PROJECT GUTENBERG EBOOK A ***\r\n\r\n", QString()},
        {"no marker", QStringLiteral("Just a book.\r\nWith lines.\r\n"), QString()},
        {"empty", QString(), QString()},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const qsizetype at = gutenbergTextStart(c.text);
        if (c.startsWith.isEmpty()) {
            EXPECT_EQ(at, -1);
        } else {
            ASSERT_GE(at, 0);
            EXPECT_TRUE(c.text.mid(at).startsWith(c.startsWith)) << c.text.mid(at).toStdString();
        }
    }
    for (const HostileText &h : hostileTexts())
        (void)gutenbergTextStart(h.text);
}

TEST(GutenbergFrame, MarkerBeyondTheHeaderIsNotTheStart)
{
    const QString text = QString(200000, u'x') +
                         "\r\n*** START OF THE PROJECT GUTENBERG EBOOK A ***\r\nText\r\n";
    EXPECT_EQ(gutenbergTextStart(text), -1);
}

TEST(GutenbergFrame, FittedLineOfAPosition)
{
    QString text;
    for (int i = 0; i < 400; ++i)
        text += QStringLiteral("line %1 with some words in it\r\n").arg(i);
    const FitPieces pieces = unitFit(text, 18);
    for (const int raw : {0, 1, 57, 120, 399}) {
        const qsizetype at = text.indexOf(QStringLiteral("line %1 ").arg(raw));
        const int n = fittedLineAt(pieces, text, at);
        ASSERT_GT(n, 0);
        EXPECT_TRUE(FittedLine(pieces, n).startsWith(QStringLiteral("line %1 ").arg(raw)))
            << raw;
        // A position inside the raw line's second fitted line.
        const qsizetype inside = text.indexOf(u"in it", at);
        EXPECT_EQ(fittedLineAt(pieces, text, inside), n + 1) << raw;
    }
    EXPECT_EQ(fittedLineAt(pieces, text, text.size() + 10), 0);
    EXPECT_EQ(fittedLineAt(pieces, QStringLiteral("another text"), 0), 0);
}
