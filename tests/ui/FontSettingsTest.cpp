#include "BookSteps.h"

#include "core/layout/FontChoice.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTextCursor>

namespace {

// Records every window title and counts the paints of both pages.
class Observer : public QObject
{
public:
    explicit Observer(TForm1 &form) : form(form)
    {
        form.installEventFilter(this);
        form.LinkeSeite->viewport()->installEventFilter(this);
        form.RechteSeite->viewport()->installEventFilter(this);
        QApplication::processEvents();
        QApplication::processEvents();
        reset();
    }
    ~Observer() override
    {
        form.removeEventFilter(this);
        form.LinkeSeite->viewport()->removeEventFilter(this);
        form.RechteSeite->viewport()->removeEventFilter(this);
    }
    void reset()
    {
        titles.clear();
        pagePaints = 0;
    }
    bool refitted() const { return titles.filter(QStringLiteral("Fitting lines")).size() > 0; }
    // Paints that the last action caused, once they have been carried out.
    int paints()
    {
        QApplication::processEvents();
        QApplication::processEvents();
        return pagePaints;
    }

    QStringList titles;
    int pagePaints = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == &form && event->type() == QEvent::WindowTitleChange)
            titles << form.windowTitle();
        else if (watched != &form && event->type() == QEvent::Paint)
            ++pagePaints;
        return false;
    }

private:
    TForm1 &form;
};

// Paragraphs of one long line each, so the page width decides the number of fitted lines.
QByteArray paragraphBook()
{
    QByteArray book;
    for (int p = 1; p <= 40; ++p) {
        for (int w = 0; w < 70; ++w)
            book += "word" + QByteArray::number((p * 7 + w) % 13) + ' ';
        book += "end.\r\n\r\n";
    }
    return book;
}

void writeSettings(ReaderFixture &fixture, const QByteArray &text)
{
    writeFileBytes(fixture.settingsPath(), text);
}

QStringList installedFamilies()
{
    QStringList families;
    for (const QString &family : QFontDatabase::families()) {
        if (!QFontDatabase::isPrivateFamily(family))
            families << family;
    }
    return families;
}

QStringList listed(const QComboBox *box)
{
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

// Another listed font than the one in use.
int otherFontIndex(const TForm1 &form)
{
    return form.Schriftart->currentIndex() == 0 ? 1 : 0;
}

// A selection that every refill of the pages drops.
void markPage(TForm1 &form)
{
    QTextCursor cursor = form.LinkeSeite->textCursor();
    cursor.setPosition(0);
    cursor.setPosition(3, QTextCursor::KeepAnchor);
    form.LinkeSeite->setTextCursor(cursor);
    ASSERT_TRUE(form.LinkeSeite->textCursor().hasSelection());
}

} // namespace

TEST(FontSettingsTest, FontListLeavesOutBuiltInAndConfiguredFonts)
{
    const QStringList installed = installedFamilies();
    ASSERT_GE(installed.size(), 2);
    const QString excluded = installed.first().toUpper();
    ReaderFixture fixture;
    writeSettings(fixture, "[Excluded Fonts]\n" + excluded.toUtf8() + "=\n");
    TForm1 &form = fixture.start({}, false);
    const QStringList items = listed(form.Schriftart);
    EXPECT_EQ(items, usableFonts(installed, {excluded}));
    EXPECT_FALSE(items.contains(installed.first(), Qt::CaseInsensitive));
    for (const QString &name : BuiltInExcludedFonts())
        EXPECT_FALSE(items.contains(name, Qt::CaseInsensitive)) << name.toStdString();
    EXPECT_TRUE(fixture.prompts->shown.isEmpty());
}

TEST(FontSettingsTest, MissingDefaultFontBecomesItsSubstituteOrTheFirstFont)
{
    ReaderFixture fixture;
    TForm1 &form = fixture.start({}, false);
    // The built-in default is not installed here; the system's stand-in for it is listed.
    const QString substitute = QFontInfo(QFont(QStringLiteral("Times New Roman"))).family();
    ASSERT_GE(form.Schriftart->findText(substitute, Qt::MatchFixedString), 0);
    EXPECT_EQ(form.Schriftart->currentText().toLower(), substitute.toLower());
    EXPECT_EQ(form.LinkeSeite->font().family(), form.Schriftart->currentText());
    EXPECT_EQ(form.RechteSeite->font().family(), form.Schriftart->currentText());
    EXPECT_FALSE(form.LinkeSeite->font().kerning());
    EXPECT_TRUE(fixture.settingsText().contains(QStringLiteral("Default font name=") +
                                                form.Schriftart->currentText()));
    fixture.stop();

    // With the stand-in excluded as well, the first usable font is taken.
    ReaderFixture second;
    writeSettings(second, "[Options]\nDefault font name=No Such Font\n[Excluded Fonts]\n" +
                              QFontInfo(QFont(QStringLiteral("No Such Font"))).family().toUtf8() +
                              "=\n");
    TForm1 &other = second.start({}, false);
    ASSERT_GT(other.Schriftart->count(), 0);
    EXPECT_EQ(other.Schriftart->currentIndex(), 0);
    EXPECT_EQ(other.readerState().DefaultFontName, other.Schriftart->itemText(0));
    EXPECT_TRUE(second.settingsText().contains(QStringLiteral("Default font name=") +
                                               other.Schriftart->itemText(0)));
}

TEST(FontSettingsTest, NoUsableFontEndsTheProgramWithTheMessage)
{
    ReaderFixture fixture;
    QByteArray settings = "[Options]\nDefault font name=Times New Roman\n[Excluded Fonts]\n";
    for (const QString &family : installedFamilies())
        settings += family.toUtf8() + "=\n";
    writeSettings(fixture, settings);
    TForm1 &form = fixture.start({}, false);
    EXPECT_TRUE(form.noFontsLeft());
    EXPECT_EQ(fixture.prompts->shown,
              QStringList{QStringLiteral("No Fonts available - exit program!")});
    EXPECT_EQ(form.Schriftart->count(), 0);
    EXPECT_TRUE(
        fixture.settingsText().contains(QStringLiteral("Default font name=Times New Roman")));
}

TEST(FontSettingsTest, DefaultFontSizeOutOfRangeOrNotANumber)
{
    struct Case
    {
        QByteArray value;
        int size;
        QStringList shown;
    };
    const Case cases[] = {
        {"14", 14, {}},
        {"40", 20, {}},
        {"3", 6, {}},
        {"big", 10, {QStringLiteral("'big' is not a valid integer value")}},
    };
    for (const Case &c : cases) {
        ReaderFixture fixture;
        writeSettings(fixture, "[Options]\nDefault font size=" + c.value + "\n");
        TForm1 &form = fixture.start({}, false);
        EXPECT_EQ(form.FontUpDown->value(), c.size) << c.value.constData();
        EXPECT_EQ(form.Fontgroesse->text(), QString::number(c.size));
        EXPECT_EQ(form.LinkeSeite->font().pointSize(), c.size);
        EXPECT_EQ(form.readerState().AppliedFontSize, c.size);
        EXPECT_EQ(fixture.prompts->shown, c.shown) << c.value.constData();
    }
}

TEST(FontSettingsTest, ChoosingTheFontInUseDoesNothing)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    form.openFileFromUser(fixture.writeBook(QStringLiteral("book.txt"), paragraphBook()));
    const QString settings = fixture.settingsText();
    markPage(form);
    Observer observer(form);
    form.SchriftartChange();
    EXPECT_EQ(observer.paints(), 0);
    EXPECT_TRUE(observer.titles.isEmpty());
    EXPECT_TRUE(form.LinkeSeite->textCursor().hasSelection());
    EXPECT_EQ(fixture.settingsText(), settings);

    form.Schriftart->setCurrentIndex(otherFontIndex(form));
    form.SchriftartChange();
    EXPECT_GT(observer.paints(), 0);
    EXPECT_TRUE(observer.refitted());
    EXPECT_EQ(form.LinkeSeite->font().family(), form.Schriftart->currentText());
    EXPECT_EQ(form.RechteSeite->font().family(), form.Schriftart->currentText());
    EXPECT_FALSE(form.LinkeSeite->font().kerning());
    EXPECT_TRUE(fixture.settingsText().contains(QStringLiteral("Fontname=") +
                                                form.Schriftart->currentText()));
}

TEST(FontSettingsTest, FontChangeWithoutADocumentWritesOnlyTheDefaults)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    const QString before = fixture.settingsText();
    const QString oldFont = form.Schriftart->currentText();
    form.Schriftart->setCurrentIndex(otherFontIndex(form));
    const QString newFont = form.Schriftart->currentText();
    form.SchriftartChange();
    QString expected = before;
    expected.replace(QStringLiteral("Default font name=") + oldFont,
                     QStringLiteral("Default font name=") + newFont);
    EXPECT_EQ(fixture.settingsText(), expected);
    EXPECT_EQ(form.readerState().DefaultFontName, newFont);

    form.FontUpDown->setValue(15);
    expected.replace(QStringLiteral("Default font size=10"),
                     QStringLiteral("Default font size=15"));
    EXPECT_EQ(fixture.settingsText(), expected);
    EXPECT_EQ(form.readerState().DefaultFontSize, QStringLiteral("15"));
    EXPECT_EQ(form.readerState().AppliedFontSize, 15);
    EXPECT_EQ(form.LinkeSeite->font().pointSize(), 15);
}

TEST(FontSettingsTest, SizeStepsStopAtTwentyAndNeedADocument)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    const int size = form.FontUpDown->value();
    const QString settings = fixture.settingsText();
    form.StepFontSize(+1);
    EXPECT_EQ(form.FontUpDown->value(), size);
    EXPECT_EQ(fixture.settingsText(), settings);

    form.openFileFromUser(fixture.writeBook(QStringLiteral("book.txt"), paragraphBook()));
    form.FontUpDown->setValue(20);
    const QString atTwenty = fixture.settingsText();
    markPage(form);
    Observer observer(form);
    form.StepFontSize(+1);
    EXPECT_EQ(form.FontUpDown->value(), 20);
    EXPECT_EQ(form.LinkeSeite->font().pointSize(), 20);
    EXPECT_TRUE(observer.titles.isEmpty());
    EXPECT_TRUE(form.LinkeSeite->textCursor().hasSelection());
    EXPECT_EQ(fixture.settingsText(), atTwenty);

    // Without automatic fitting a size change re-paginates only.
    form.AutoFitAll->setChecked(false);
    const int lines = form.readerState().TotalLines;
    form.StepFontSize(-1);
    EXPECT_EQ(form.LinkeSeite->font().pointSize(), 19);
    EXPECT_FALSE(observer.refitted());
    EXPECT_EQ(form.readerState().TotalLines, lines);
    EXPECT_TRUE(fixture.settingsText().contains(QStringLiteral("Fontsize=19")));
}

TEST(FontSettingsTest, MarginsRelayoutOnlyWhenTheyChangeAndRefitOnlyForWidth)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    form.openFileFromUser(fixture.writeBook(QStringLiteral("book.txt"), paragraphBook()));
    ASSERT_TRUE(form.AutoFitAll->isChecked());
    const int lines = form.readerState().TotalLines;
    const int perPage = form.readerState().LinesPerPage;
    const QRect page = form.LinkeSeite->geometry();
    markPage(form);
    Observer observer(form);

    // All margins 0 and nothing applied before: switched on without a new layout.
    form.ApplyMargins->click();
    EXPECT_TRUE(form.ApplyMargins->isChecked());
    EXPECT_EQ(observer.paints(), 0);
    EXPECT_TRUE(form.LinkeSeite->textCursor().hasSelection());
    const QString text = fixture.settingsText();
    for (const char *entry : {"Left=0", "Right=0", "Top=0", "Bottom=0", "Apply=Yes"})
        EXPECT_TRUE(text.contains(QLatin1String(entry))) << entry;

    // Top margin only: the same lines on shorter pages.
    form.MarginTopUpDown->setValue(60);
    EXPECT_TRUE(form.ChangeMargins->isEnabled());
    form.ChangeMarginsClick();
    EXPECT_FALSE(form.ChangeMargins->isEnabled());
    EXPECT_FALSE(observer.refitted());
    EXPECT_EQ(form.readerState().TotalLines, lines);
    EXPECT_LT(form.readerState().LinesPerPage, perPage);
    EXPECT_EQ(form.LinkeSeite->y(), page.y() + 60);
    EXPECT_TRUE(fixture.settingsText().contains(QStringLiteral("Top=60")));

    // Left margin: narrower pages, refitted.
    observer.reset();
    form.MarginLeftUpDown->setValue(80);
    form.ChangeMarginsClick();
    EXPECT_TRUE(observer.refitted());
    EXPECT_GT(form.readerState().TotalLines, lines);
    EXPECT_EQ(form.LinkeSeite->x(), page.x() + 80);
    EXPECT_EQ(form.readerState().ActiveMargins, (Margins{80, 0, 60, 0}));

    // Switched off: back to the full page, written as "No".
    observer.reset();
    form.ApplyMargins->click();
    EXPECT_EQ(form.LinkeSeite->geometry(), page);
    EXPECT_EQ(form.readerState().TotalLines, lines);
    EXPECT_EQ(form.readerState().LinesPerPage, perPage);
    EXPECT_TRUE(fixture.settingsText().contains(QStringLiteral("Apply=No")));
    EXPECT_TRUE(fixture.settingsText().contains(QStringLiteral("Left=80")));
}

TEST(FontSettingsTest, ChangedMarginsWaitForApplyAndForTheCommand)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    const QRect page = form.LinkeSeite->geometry();
    form.MarginRightUpDown->setValue(30);
    form.ChangeMarginsClick();
    // Not applied: remembered, but the page keeps its place.
    EXPECT_EQ(form.readerState().MarginSettings, (Margins{0, 30, 0, 0}));
    EXPECT_EQ(form.LinkeSeite->geometry(), page);
    EXPECT_TRUE(fixture.settingsText().contains(QStringLiteral("Right=30")));
    EXPECT_TRUE(fixture.settingsText().contains(QStringLiteral("Apply=No")));
    form.ApplyMargins->click();
    EXPECT_EQ(form.LinkeSeite->width(), page.width() - 30);
    fixture.stop();

    TForm1 &again = fixture.start();
    EXPECT_TRUE(again.ApplyMargins->isChecked());
    EXPECT_EQ(again.MarginRightUpDown->value(), 30);
    EXPECT_EQ(again.LinkeSeite->width(), page.width() - 30);
}

TEST(FontSettingsTest, AntialiasingSwitchesThePageTextOnly)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    EXPECT_TRUE(form.Antialiasing->isChecked());
    EXPECT_EQ(form.LinkeSeite->font().styleStrategy() & QFont::NoAntialias, 0);
    const QString settings = fixture.settingsText();
    form.Antialiasing->click();
    for (QPlainTextEdit *page : {form.LinkeSeite, form.RechteSeite}) {
        EXPECT_TRUE(page->font().styleStrategy() & QFont::NoAntialias);
        EXPECT_FALSE(page->font().kerning());
    }
    EXPECT_FALSE(form.Schriftart->font().styleStrategy() & QFont::NoAntialias);
    form.Antialiasing->click();
    EXPECT_TRUE(form.LinkeSeite->font().styleStrategy() & QFont::PreferAntialias);
    EXPECT_EQ(fixture.settingsText(), settings);
}

TEST(FontSettingsTest, AntialiasingKeepsEveryOtherFlagOfThePageFont)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    const int smoothing = QFont::PreferAntialias | QFont::NoAntialias;
    const int others = form.LinkeSeite->font().styleStrategy() & ~smoothing;
    ASSERT_TRUE(others & QFont::PreferNoShaping);
    for (int click = 1; click <= 2; ++click) {
        SCOPED_TRACE(click);
        form.Antialiasing->click();
        for (QPlainTextEdit *page : {form.LinkeSeite, form.RechteSeite})
            EXPECT_EQ(page->font().styleStrategy() & ~smoothing, others);
    }
}

TEST(FontSettingsTest, TypingIntoTheFontListChangesNothing)
{
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    form.QuickFind->setChecked(false);
    form.OpenMenuPanel();
    form.Schriftart->setFocus();
    const int index = form.Schriftart->currentIndex();
    for (Qt::Key key : {Qt::Key_Z, Qt::Key_A, Qt::Key_D, Qt::Key_L})
        QTest::keyClick(form.Schriftart, key);
    EXPECT_EQ(form.Schriftart->currentIndex(), index);
}
