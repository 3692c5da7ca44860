#include "PackingSupport.h"
#include "ReaderFixture.h"

#include <QCheckBox>
#include <QStringEncoder>

#include <gtest/gtest.h>

namespace {

// Paragraphs of lines broken inside them, indented lines, blank lines, a hyphen at a break.
QString bookText(const QString &words)
{
    QString text;
    for (int i = 0; i < 300; ++i) {
        text += words + QStringLiteral(" %1\r\n").arg(i);
        if (i % 7 == 0)
            text += QStringLiteral("  ") + words + QStringLiteral(" exam-\r\nple\r\n\r\n");
    }
    text.chop(2); // the reader trims the last line break
    return text;
}

QByteArray windows1251(const QString &text)
{
    QByteArray bytes;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 0x410 && u <= 0x44F)
            bytes += char(0xC0 + (u - 0x410));
        else if (u == 0x451)
            bytes += char(0xB8);
        else if (u < 0x80)
            bytes += char(u);
        else
            ADD_FAILURE() << "not in the table: " << unsigned(u);
    }
    return bytes;
}

// The text "Remove line breaks" gives back, switched off after the book opened with it on,
// is the file's text, and switching it on again joins as before: the loaded text is kept only
// as where the lines were joined.
TEST(LoadedText, BreaksComeBackAsTheFileHadThem)
{
    const QString english = bookText(QStringLiteral("The quick brown fox jumps."));
    const QString russian = bookText(QStringLiteral("Съешь же ещё этих мягких французских булок"));
    const QString chinese = bookText(QStringLiteral("天下大势，分久必合，合久必分。"));
    QStringEncoder utf16(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
    struct Case
    {
        const char *name;
        QString file;
        QByteArray bytes;
        QString text;
    };
    const Case cases[] = {
        {"UTF-8", QStringLiteral("en.txt"), english.toUtf8(), english},
        {"UTF-8, Chinese", QStringLiteral("zh.txt"), chinese.toUtf8(), chinese},
        {"UTF-16", QStringLiteral("zh16.txt"), QByteArray(utf16.encode(chinese)), chinese},
        {"Windows-1251", QStringLiteral("ru.txt"), windows1251(russian.toLower()),
         russian.toLower()},
        {"gzip", QStringLiteral("en.txt.gz"), compressed(english.toUtf8(), QStringLiteral("gz")),
         english},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ReaderFixture f;
        TForm1 &form = f.start({f.writeBook(c.file, c.bytes)});
        const ReaderState &state = form.readerState();
        ASSERT_FALSE(state.OpenFailed);
        // Short sample lines may read as a book of one paragraph a line: join them all the same.
        form.ZWEntfernen->setChecked(true);
        const QString joined = state.WorkingText;
        EXPECT_LT(joined.size(), c.text.size());
        EXPECT_EQ(state.LoadedText.toString(), c.text);
        for (int round = 0; round < 2; ++round) {
            form.ZWEntfernen->setChecked(false);
            EXPECT_EQ(state.WorkingText, c.text);
            EXPECT_TRUE(state.LoadedText == c.text);
            form.ZWEntfernen->setChecked(true);
            EXPECT_EQ(state.WorkingText, joined);
            EXPECT_EQ(state.LoadedText.toString(), c.text);
        }
        // Nothing beside the one working text but where its lines were joined.
        EXPECT_LT(state.LoadedText.storedBytes(), c.text.size());
    }
}

} // namespace
