#include "BookSteps.h"

#include <QStringEncoder>

TEST(HiddenText, Utf16WithoutByteOrderMarkOpensWhole)
{
    ReaderFixture fixture;
    TForm1 &form = fixture.start();
    QStringEncoder encoder(QStringEncoder::Utf16LE);
    const QByteArray bytes = encoder.encode(QStringLiteral("Call me Ishmael.\r\nSome years ago"));
    form.openFileFromUser(fixture.writeBook(QStringLiteral("utf16.txt"), bytes));
    EXPECT_TRUE(form.LinkeSeite->toPlainText().startsWith(QStringLiteral("Call me Ishmael.")))
        << form.LinkeSeite->toPlainText().toStdString();
    EXPECT_TRUE(fixture.prompts->shown.isEmpty());
}

TEST(HiddenText, ANulThatEndsTheTextIsReported)
{
    const struct
    {
        const char *name;
        QByteArray bytes;
        QStringList shown;
    } cases[] = {
        {"text after the NUL", QByteArray("First part.\0Second part.", 24),
         {QStringLiteral("The text ends at a NUL character; 12 bytes after it are not shown")}},
        {"only NUL padding after it", QByteArray("First part.\0\0\0\0", 15), {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ReaderFixture fixture;
        TForm1 &form = fixture.start();
        form.openFileFromUser(fixture.writeBook(QStringLiteral("nul.txt"), c.bytes));
        EXPECT_EQ(form.LinkeSeite->toPlainText().trimmed(), QStringLiteral("First part."));
        EXPECT_EQ(fixture.prompts->shown, c.shown);
    }
}
