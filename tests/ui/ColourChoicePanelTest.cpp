#include "BookSteps.h"

#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>

namespace {

QColor rgb(int r, int g, int b)
{
    return QColor(r, g, b);
}

QColor pageBase(const TForm1 &form)
{
    return form.LinkeSeite->palette().color(QPalette::Base);
}

QColor buttonFace()
{
    return QApplication::palette().color(QPalette::Button);
}

// The two fill points, a point of the binding and one of the outer page edge, in the picture.
struct BookPoints
{
    QPoint leftPage{256, 366};
    QPoint rightPage{768, 366};
    QPoint binding{512, 366};
    QPoint outerEdge{10, 366};
    QPoint outside{0, 0};
};

QColor at(const TForm1 &form, QPoint p)
{
    return form.bookImage().pixelColor(p);
}

} // namespace

TEST(ColoursTest, BackgroundChooserOffersItsCustomColoursAndWritesTheChoice)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    ScriptedPrompts &prompts = *fixture.prompts;
    struct Step
    {
        std::optional<QColor> answer;
        QStringList offered;
        const char *written; // nullptr: unchanged
    };
    const Step steps[] = {
        {rgb(0xFF, 0, 0), {"ColorA=E7E7E7", "ColorB=B8DCDC"}, "Background=clRed"},
        {rgb(0xDC, 0xDC, 0xB8),
         {"ColorA=E7E7E7", "ColorB=B8DCDC", "ColorC=0000FF"},
         "Background=$00B8DCDC"},
        {std::nullopt, {"ColorA=E7E7E7", "ColorB=B8DCDC"}, nullptr},
        {rgb(0x12, 0x34, 0x56), {"ColorA=E7E7E7", "ColorB=B8DCDC"}, "Background=$00563412"},
        {rgb(0xE7, 0xE7, 0xE7),
         {"ColorA=E7E7E7", "ColorB=B8DCDC", "ColorC=563412"},
         "Background=$00E7E7E7"},
    };
    QColor current = rgb(0xE7, 0xE7, 0xE7);
    for (const Step &step : steps) {
        const QString before = fixture.settingsText();
        prompts.colourAnswers.push_back(step.answer);
        form.HintergrundClick();
        ASSERT_FALSE(prompts.colourCustomLists.isEmpty());
        EXPECT_EQ(prompts.colourCustomLists.takeLast(), step.offered);
        EXPECT_EQ(prompts.colourInitials.takeLast(), current);
        if (step.written) {
            current = *step.answer;
            EXPECT_TRUE(fixture.settingsText().contains(QLatin1String(step.written)))
                << step.written;
        } else {
            EXPECT_EQ(fixture.settingsText(), before);
        }
        EXPECT_EQ(pageBase(form), current);
        EXPECT_EQ(form.RechteSeite->palette().color(QPalette::Base), current);
        EXPECT_EQ(at(form, BookPoints().leftPage), current);
        EXPECT_EQ(at(form, BookPoints().rightPage), current);
    }
    EXPECT_TRUE(prompts.shown.isEmpty());
}

TEST(ColoursTest, TextChooserOffersBlackAndTheColourInUse)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    ScriptedPrompts &prompts = *fixture.prompts;
    prompts.colourAnswers.push_back(rgb(0xFF, 0xFF, 0xFF));
    form.TextfarbeClick();
    EXPECT_EQ(prompts.colourCustomLists.last(), QStringList{"ColorA=000000"});
    EXPECT_EQ(prompts.colourInitials.last(), rgb(0, 0, 0));
    EXPECT_TRUE(fixture.settingsText().contains(QLatin1String("Text=clWhite")));
    for (QPlainTextEdit *page : {form.LinkeSeite, form.RechteSeite})
        EXPECT_EQ(page->palette().color(QPalette::Text), rgb(0xFF, 0xFF, 0xFF));

    prompts.colourAnswers.push_back(std::nullopt);
    const QString settings = fixture.settingsText();
    form.TextfarbeClick();
    EXPECT_EQ(prompts.colourCustomLists.last(), (QStringList{"ColorA=000000", "ColorB=FFFFFF"}));
    EXPECT_EQ(fixture.settingsText(), settings);
    EXPECT_EQ(form.LinkeSeite->palette().color(QPalette::Text), rgb(0xFF, 0xFF, 0xFF));

    // The keys of the commands reach the same choosers.
    prompts.colourAnswers.push_back(rgb(0x80, 0, 0));
    press(form, Qt::Key_T, Qt::ControlModifier);
    EXPECT_TRUE(fixture.settingsText().contains(QLatin1String("Text=clMaroon")));
    prompts.colourAnswers.push_back(std::nullopt);
    press(form, Qt::Key_B, Qt::ControlModifier);
    EXPECT_EQ(prompts.colourCustomLists.last(), (QStringList{"ColorA=E7E7E7", "ColorB=B8DCDC"}));
    EXPECT_EQ(prompts.colourCustomLists.size(), 4);
}

TEST(ColoursTest, BookPictureIsComposedAroundTwoPagesInThePageColour)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    const QImage &book = form.bookImage();
    ASSERT_EQ(book.size(), QSize(1024, 733));
    const BookPoints p;
    const QColor page = rgb(0xE7, 0xE7, 0xE7);
    EXPECT_EQ(at(form, p.leftPage), page);
    EXPECT_EQ(at(form, p.rightPage), page);
    // The whole page is filled, up to its corners; beside the binding it darkens softly.
    for (QPoint corner : {QPoint(18, 6), QPoint(497, 721), QPoint(526, 6), QPoint(1005, 721)})
        EXPECT_EQ(at(form, corner), page) << corner.x() << "," << corner.y();
    for (QPoint gutter : {QPoint(507, 300), QPoint(516, 300)}) {
        EXPECT_LT(at(form, gutter).red(), page.red());
        EXPECT_GT(at(form, gutter).red(), page.red() * 3 / 4);
    }
    // Around the book the window shows; the artwork keeps its own colours.
    for (QPoint outside : {QPoint(0, 0), QPoint(1023, 0), QPoint(0, 732), QPoint(1023, 732),
                           QPoint(512, 0), QPoint(300, 732)})
        EXPECT_EQ(at(form, outside), buttonFace()) << outside.x() << "," << outside.y();
    for (QPoint art : {p.binding, p.outerEdge, QPoint(300, 5), QPoint(300, 725)}) {
        EXPECT_NE(at(form, art), page) << art.x();
        EXPECT_NE(at(form, art), buttonFace()) << art.x();
    }
    EXPECT_TRUE(form.Buchseiten->isVisible());
    EXPECT_EQ(form.palette().color(QPalette::Window), buttonFace());
}

TEST(ColoursTest, BookStyleSwitchPaintsWindowOrBook)
{
    ReaderFixture fixture;
    writeFileBytes(fixture.settingsPath(), "[Colors]\nText=$00F0F0F0\nBackground=$00302010\n");
    TForm1 &form = startActive(fixture);
    const QColor page = rgb(0x10, 0x20, 0x30);
    EXPECT_EQ(pageBase(form), page);
    EXPECT_EQ(form.LinkeSeite->palette().color(QPalette::Text), rgb(0xF0, 0xF0, 0xF0));
    EXPECT_EQ(at(form, BookPoints().leftPage), page);
    EXPECT_EQ(at(form, BookPoints().rightPage), page);

    form.ShowPages->click();
    EXPECT_FALSE(form.ShowPages->isChecked());
    EXPECT_TRUE(fixture.settingsText().contains(QLatin1String("Book style=No")));
    EXPECT_EQ(form.palette().color(QPalette::Window), page);
    EXPECT_FALSE(form.Buchseiten->isVisible());
    EXPECT_TRUE(form.Trennstrich->isVisible());
    EXPECT_EQ(pageBase(form), page);
    // The drop-down panels keep the desktop's colours.
    EXPECT_EQ(form.Menu->palette().color(QPalette::Window),
              QApplication::palette().color(QPalette::Window));
    EXPECT_TRUE(form.readerState().LayoutCause.isEmpty());

    form.ShowPages->click();
    EXPECT_TRUE(fixture.settingsText().contains(QLatin1String("Book style=Yes")));
    EXPECT_EQ(form.palette().color(QPalette::Window), buttonFace());
    EXPECT_TRUE(form.Buchseiten->isVisible());
    EXPECT_FALSE(form.Trennstrich->isVisible());
    EXPECT_EQ(at(form, BookPoints().leftPage), page);
    fixture.stop();

    TForm1 &again = fixture.start();
    EXPECT_TRUE(again.ShowPages->isChecked());
    EXPECT_EQ(again.palette().color(QPalette::Window), buttonFace());
}
