#include "core/layout/ParagraphStyle.h"

#include "core/text/DocumentFormats.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <random>

namespace {

using Shape = ParagraphStyle::Shape;

const char *const kWords[] = {
    "the",   "of",     "and",      "a",         "to",       "in",      "was",   "her",
    "that",  "it",     "his",      "she",       "not",      "be",      "with",  "had",
    "house", "letter", "morning",  "carriage",  "whispered", "nothing", "could", "garden",
    "would", "evening", "remember", "neighbourhood", "afterwards", "never", "sister", "river"};

class Prose
{
public:
    explicit Prose(unsigned seed) : random(seed) {}

    QString sentence()
    {
        QString s;
        const int words = 6 + int(random() % 14);
        for (int i = 0; i < words; ++i) {
            QString w = QString::fromLatin1(kWords[random() % std::size(kWords)]);
            if (i == 0)
                w[0] = w[0].toUpper();
            s += (i ? QStringLiteral(" ") : QString()) + w;
        }
        return s + (random() % 4 == 0 ? QStringLiteral("?") : QStringLiteral("."));
    }
    QString paragraph()
    {
        QStringList s;
        const int sentences = 2 + int(random() % 6);
        for (int i = 0; i < sentences; ++i)
            s << sentence();
        return s.join(u' ');
    }
    std::mt19937 random;
};

// Greedy wrapping at a width, as the tools that made such texts did.
QStringList wrap(const QString &paragraph, int width)
{
    QStringList out;
    QString line;
    for (const QString &word : paragraph.split(u' ')) {
        if (!line.isEmpty() && line.size() + 1 + word.size() > width) {
            out << line;
            line.clear();
        }
        line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + word;
    }
    out << line;
    return out;
}

enum class Marks { BlankLines, Indented, None };

QString wrappedBook(int width, Marks marks, int paragraphs = 120)
{
    Prose prose(unsigned(width) * 7 + unsigned(marks));
    QStringList lines;
    for (int p = 0; p < paragraphs; ++p) {
        QStringList wrapped = wrap(prose.paragraph(), width - (marks == Marks::Indented ? 4 : 0));
        if (marks == Marks::Indented)
            wrapped[0] = QStringLiteral("    ") + wrapped[0];
        lines << wrapped;
        if (marks == Marks::BlankLines)
            lines << QString();
    }
    return lines.join(QStringLiteral("\r\n"));
}

QString onePerLine(bool blankLines)
{
    Prose prose(5);
    QStringList lines;
    for (int p = 0; p < 150; ++p) {
        // Dialogue as well as long paragraphs, as in novels.
        lines << (p % 3 == 0 ? prose.sentence() : prose.paragraph());
        if (blankLines)
            lines << QString();
    }
    return lines.join(QStringLiteral("\r\n"));
}

QString verseLine(Prose &prose)
{
    QString line = prose.sentence();
    line.chop(1);
    return line.left(28 + int(prose.random() % 20)).trimmed() +
           (prose.random() % 2 ? QStringLiteral(",") : QString());
}

QString verse()
{
    Prose prose(9);
    QStringList lines;
    for (int stanza = 0; stanza < 30; ++stanza) {
        for (int i = 0; i < 4; ++i)
            lines << QStringLiteral("  ") + verseLine(prose);
        lines << QString();
    }
    return lines.join(QStringLiteral("\r\n"));
}

QString play()
{
    Prose prose(13);
    const QStringList speakers = {"First Citizen:", "MENENIUS.", "All:", "Second Citizen:"};
    QStringList lines;
    for (int speech = 0; speech < 60; ++speech) {
        lines << speakers[speech % speakers.size()];
        const int count = 1 + int(prose.random() % 5);
        for (int i = 0; i < count; ++i)
            lines << verseLine(prose);
        lines << QString();
    }
    return lines.join(QStringLiteral("\r\n"));
}

} // namespace

TEST(ParagraphStyle, TellsEachKindOfText)
{
    const struct
    {
        const char *name;
        QString text;
        Shape shape;
        int width;
        bool blank;
        bool indented;
        QString description;
    } cases[] = {
        {"one paragraph per line", onePerLine(false), Shape::OneParagraphPerLine, 0, false, false,
         "one paragraph per line"},
        {"one paragraph per line, blank lines between", onePerLine(true),
         Shape::OneParagraphPerLine, 0, false, false, "one paragraph per line"},
        {"wrapped at 65 after blank lines", wrappedBook(65, Marks::BlankLines), Shape::HardWrapped,
         65, true, false, "wrapped at 65 characters, paragraphs after blank lines"},
        {"wrapped at 72, indented", wrappedBook(72, Marks::Indented), Shape::HardWrapped, 72,
         false, true, "wrapped at 72 characters, paragraphs indented"},
        {"wrapped at 80, unmarked", wrappedBook(80, Marks::None), Shape::HardWrapped, 80, false,
         false, "wrapped at 80 characters, paragraphs after sentence ends"},
        {"wrapped at 72, unmarked", wrappedBook(72, Marks::None), Shape::HardWrapped, 72, false,
         false, "wrapped at 72 characters, paragraphs after sentence ends"},
        {"verse", verse(), Shape::ShortLines, 0, false, false,
         "short lines (verse, a play or lists), kept"},
        {"a play", play(), Shape::ShortLines, 0, false, false,
         "short lines (verse, a play or lists), kept"},
        {"too short", QStringLiteral("One line.\r\nAnother line."), Shape::TooShort, 0, false,
         false, "too few lines to tell"},
        {"empty", QString(), Shape::TooShort, 0, false, false, "too few lines to tell"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const ParagraphStyle style = detectParagraphStyle(c.text);
        EXPECT_EQ(int(style.shape), int(c.shape));
        // The width found may be a character short of the one wrapped at.
        EXPECT_NEAR(style.wrapWidth, c.width, 1);
        EXPECT_EQ(style.blankLineParagraphs, c.blank);
        EXPECT_EQ(style.indentedParagraphs, c.indented);
        if (c.width == 0 || style.wrapWidth == c.width) {
            EXPECT_EQ(style.description().toStdString(), c.description.toStdString());
        }
    }
}

TEST(ParagraphStyle, SwitchesFollowTheShape)
{
    const struct
    {
        const char *name;
        QString text;
        bool remove;
        bool indent;
        bool punctuation;
    } cases[] = {
        {"one paragraph per line", onePerLine(false), false, true, false},
        {"verse", verse(), false, true, false},
        {"blank lines", wrappedBook(70, Marks::BlankLines), true, true, false},
        {"indented", wrappedBook(70, Marks::Indented), true, true, false},
        {"unmarked", wrappedBook(70, Marks::None), true, true, true},
        {"too short: the switches as they always started", QStringLiteral("a\r\nb"), true, true,
         false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const ParagraphStyle style = detectParagraphStyle(c.text);
        EXPECT_EQ(style.removeLineBreaks(), c.remove);
        EXPECT_EQ(style.keepBeforeIndent(), c.indent);
        EXPECT_EQ(style.keepAfterPunctuation(), c.punctuation);
        EXPECT_EQ(style.shortLineLimit() > 0, c.remove && style.wrapWidth > 0);
    }
}

// Line ends converted twice would make every line a paragraph of its own.
TEST(ParagraphStyle, CrCrLfBookIsStillWrapped)
{
    QString text = wrappedBook(70, Marks::BlankLines);
    const QByteArray bytes = text.replace(QStringLiteral("\r\n"), QStringLiteral("\r\r\n")).toUtf8();
    const ParagraphStyle style = detectParagraphStyle(ConvertByExtension(bytes, ".TXT").text);
    EXPECT_EQ(int(style.shape), int(Shape::HardWrapped));
    EXPECT_TRUE(style.blankLineParagraphs);
}

// A large book is judged from lines spread over it: the style of its middle counts as much as
// that of its start, and a line without end does not stop the count.
TEST(ParagraphStyle, LargeBooksAreSampledThroughout)
{
    const QString verseStart = verse();
    QString book = verseStart;
    while (book.size() < (qsizetype(3) << 20))
        book += QStringLiteral("\r\n\r\n") + wrappedBook(70, Marks::Indented, 400);
    const ParagraphStyle style = detectParagraphStyle(book);
    EXPECT_EQ(int(style.shape), int(Shape::HardWrapped));
    EXPECT_TRUE(style.indentedParagraphs);

    const QString longLine = QString(5000, u'x') + QStringLiteral("\r\n");
    const ParagraphStyle afterLong = detectParagraphStyle(longLine + wrappedBook(65, Marks::None));
    EXPECT_EQ(int(afterLong.shape), int(Shape::HardWrapped));
    EXPECT_EQ(afterLong.wrapWidth, 65);
}
