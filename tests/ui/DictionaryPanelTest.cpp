#include "BookSteps.h"
#include "DictionaryFiles.h"
#include "ui/panels/DictionaryPanel.h"

#include <QListWidget>
#include <QTextBlock>
#include <QTextCursor>

namespace {

QByteArray walkingBook()
{
    QByteArray book = "The traveller walked home.\r\n";
    for (int i = 0; i < 300; ++i)
        // English enough for the language guess, which picks the word forms.
        book += "and then he went on along the road " + QByteArray::number(i) + "\r\n";
    return book;
}

// The reader on page 3 of a book whose left page starts with the traveller's line, looking words
// up in a folder of its own.
struct LookupFixture
{
    ReaderFixture fixture;
    TForm1 *form = nullptr;
    QString folder = makeTempDir();

    LookupFixture()
    {
        form = &startActive(fixture);
        form->ZWEntfernen->setChecked(false);
        form->openFileFromUser(fixture.writeBook(QStringLiteral("walk.txt"), walkingBook()));
    }

    // The reader finds the dictionaries written so far.
    void lookInFolder() const { form->setDictionaryFolders({folder}, {}); }

    // The middle of the word's n-th character on the left page.
    QPoint pointAt(const QString &word, int n = 2) const
    {
        const int at = int(form->LinkeSeite->toPlainText().indexOf(word));
        EXPECT_GE(at, 0);
        QTextCursor cursor(form->LinkeSeite->document());
        cursor.setPosition(at + n);
        return form->LinkeSeite->cursorRect(cursor).center() + QPoint(-2, 0);
    }
};

} // namespace

TEST(DictionaryPanelTest, DoubleClickAndCtrlDShowTheEntryAndEscLeavesThePageAsItWas)
{
    LookupFixture t;
    dictfiles::writeDictd(t.folder, QStringLiteral("small"), "Small English",
                          {{"walk", "to go on foot"}, {"home", "where one lives"}});
    t.lookInFolder();
    TForm1 &form = *t.form;
    const int page = form.readerState().CurrentPage;
    const QString left = form.LinkeSeite->toPlainText();
    const QPoint word = t.pointAt(QStringLiteral("walked"));
    QTest::mouseDClick(form.LinkeSeite->viewport(), Qt::LeftButton, {}, word);
    ASSERT_EQ(form.LinkeSeite->textCursor().selectedText(), QStringLiteral("walked"));
    press(form, Qt::Key_D, Qt::ControlModifier);
    ASSERT_TRUE(form.dictionaryPanelShown());
    // The word stays in sight.
    EXPECT_FALSE(form.DictionaryView->geometry().contains(
        form.LinkeSeite->viewport()->mapTo(&form, word)));
    const QString shown = form.DictionaryView->entriesText();
    EXPECT_TRUE(shown.contains(QLatin1String("Small English"))) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QStringLiteral("walked \u2192 walk"))) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QLatin1String("to go on foot"))) << shown.toStdString();
    EXPECT_TRUE(form.DictionaryView->hintText().isEmpty());

    // Page keys scroll the entries, Esc closes; the page is as it was.
    for (Qt::Key key : {Qt::Key_Down, Qt::Key_PageDown, Qt::Key_Space, Qt::Key_End})
        press(form, key);
    EXPECT_TRUE(form.dictionaryPanelShown());
    press(form, Qt::Key_Escape);
    EXPECT_FALSE(form.dictionaryPanelShown());
    EXPECT_EQ(form.readerState().CurrentPage, page);
    EXPECT_EQ(form.LinkeSeite->toPlainText(), left);

    // Ctrl+D opens and closes it again.
    press(form, Qt::Key_D, Qt::ControlModifier);
    EXPECT_TRUE(form.dictionaryPanelShown());
    press(form, Qt::Key_D, Qt::ControlModifier);
    EXPECT_FALSE(form.dictionaryPanelShown());
    EXPECT_EQ(form.readerState().CurrentPage, page);
}

TEST(DictionaryPanelTest, CtrlDWithoutSelectionTakesTheWordUnderThePointer)
{
    LookupFixture t;
    dictfiles::writeDictd(t.folder, QStringLiteral("small"), "Small English",
                          {{"walk", "to go on foot"}, {"home", "where one lives"},
                           {"traveller", "one who travels"}});
    t.lookInFolder();
    TForm1 &form = *t.form;
    const struct
    {
        const char *word;
        const char *expected;
    } cases[] = {
        {"home", "where one lives"},
        {"traveller", "one who travels"},
        {"walked", "to go on foot"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.word);
        QTextCursor none = form.LinkeSeite->textCursor();
        none.clearSelection();
        form.LinkeSeite->setTextCursor(none);
        QCursor::setPos(form.LinkeSeite->viewport()->mapToGlobal(t.pointAt(QString::fromUtf8(c.word))));
        press(form, Qt::Key_D, Qt::ControlModifier);
        ASSERT_TRUE(form.dictionaryPanelShown());
        EXPECT_TRUE(form.DictionaryView->titleText().endsWith(QString::fromUtf8(c.word)))
            << form.DictionaryView->titleText().toStdString();
        EXPECT_TRUE(form.DictionaryView->entriesText().contains(QString::fromUtf8(c.expected)));
        press(form, Qt::Key_Escape);
    }
    // Past the end of the line there is no word to look up.
    QCursor::setPos(form.LinkeSeite->viewport()->mapToGlobal(
        t.pointAt(QStringLiteral("home."), 4) + QPoint(120, 0)));
    press(form, Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(form.DictionaryView->titleText(), QStringLiteral("DICTIONARY"));
    EXPECT_TRUE(form.DictionaryView->entriesText().startsWith(QLatin1String("Select a word")));
}

TEST(DictionaryPanelTest, MissingWordsDamagedAndSwitchedOffDictionariesAreSaidSo)
{
    LookupFixture t;
    t.lookInFolder();
    TForm1 &form = *t.form;
    QTest::mouseDClick(form.LinkeSeite->viewport(), Qt::LeftButton, {}, t.pointAt(QStringLiteral("walked")));
    press(form, Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(form.DictionaryView->entriesText(), QStringLiteral("No dictionary has \"walked\""));
    EXPECT_TRUE(form.DictionaryView->hintText().contains(QLatin1String("dict-gcide")));
    press(form, Qt::Key_Escape);

    dictfiles::writeDictd(t.folder, QStringLiteral("small"), "Small English", {{"walk", "to go"}});
    dictfiles::writeDictd(t.folder, QStringLiteral("broken"), "Broken", {{"walk", "to go"}});
    writeFileBytes(t.folder + QStringLiteral("/broken.dict.dz"), "not a dictzip file");
    form.setDictionaryFolders({t.folder}, {});
    press(form, Qt::Key_D, Qt::ControlModifier);
    EXPECT_TRUE(form.DictionaryView->entriesText().contains(QLatin1String("to go")));
    EXPECT_TRUE(form.DictionaryView->hintText().contains(QLatin1String("broken: not a dictzip")))
        << form.DictionaryView->hintText().toStdString();
    press(form, Qt::Key_Escape);

    // Switched off in the menu: stored, and left out of the next lookup.
    QListWidgetItem *small = nullptr;
    for (int i = 0; i < form.DictionaryChoice->count(); ++i) {
        if (form.DictionaryChoice->item(i)->data(Qt::UserRole) == QStringLiteral("small"))
            small = form.DictionaryChoice->item(i);
    }
    ASSERT_NE(small, nullptr);
    EXPECT_EQ(small->text(), QStringLiteral("Small English"));
    EXPECT_EQ(small->checkState(), Qt::Checked);
    small->setCheckState(Qt::Unchecked);
    EXPECT_TRUE(t.fixture.settingsText().contains(QLatin1String("Dictionaries=broken=on;small=off")))
        << t.fixture.settingsText().toStdString();
    press(form, Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(form.DictionaryView->entriesText(), QStringLiteral("No dictionary has \"walked\""));
}

// The indexes cost tens of megabytes: they are read at the first sign of a look-up, not at start.
TEST(DictionaryPanelTest, IndexesAreReadAtTheFirstSignOfALookUpOnly)
{
    const struct
    {
        const char *sign;
        std::function<void(LookupFixture &)> act;
        bool reads;
    } rows[] = {
        {"none, long after start", [](LookupFixture &) { QTest::qWait(1800); }, false},
        {"a word selected",
         [](LookupFixture &t) {
             QTest::mouseDClick(t.form->LinkeSeite->viewport(), Qt::LeftButton, {},
                                t.pointAt(QStringLiteral("walked")));
         },
         true},
        {"a selection the reader did not make (find, read aloud)",
         [](LookupFixture &t) {
             QTextCursor found(t.form->LinkeSeite->document());
             found.select(QTextCursor::WordUnderCursor);
             t.form->LinkeSeite->setTextCursor(found);
         },
         false},
        {"the small menu", [](LookupFixture &t) { t.form->OpenMenuPanel(); }, false},
        {"the large menu",
         [](LookupFixture &t) {
             t.form->OpenMenuPanel();
             t.form->ExpandClick();
         },
         true},
        {"Ctrl+D", [](LookupFixture &t) { press(*t.form, Qt::Key_D, Qt::ControlModifier); },
         true},
    };
    for (const auto &row : rows) {
        LookupFixture t;
        dictfiles::writeDictd(t.folder, QStringLiteral("small"), "Small English",
                              {{"walk", "to go on foot"}});
        t.lookInFolder();
        QApplication::processEvents();
        EXPECT_FALSE(t.form->dictionaries().loadingStarted()) << row.sign;
        row.act(t);
        EXPECT_EQ(t.form->dictionaries().loadingStarted(), row.reads) << row.sign;
    }
}
