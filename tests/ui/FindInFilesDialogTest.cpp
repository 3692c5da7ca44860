#include "BookSteps.h"
#include "ui/dialogs/FindInFilesDialog.h"

#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

#include <functional>
#include <zip.h>

namespace {

// A folder with a book at the top, one in a subfolder and an archive of three members.
QString makeTree()
{
    const QString root = makeTempDir() + u'/';
    QDir(root).mkpath(QStringLiteral("sub"));
    writeFileBytes(root + "top.txt", "The old man\r\nand the sea.\r\n");
    writeFileBytes(root + "sub/book.txt", "the old man and\r\nthe sea\r\n");
    writeFileBytes(root + "spaced.txt", "the old  man and  the sea\r\n");
    writeZip(root + "arc.zip", {{"a.txt", "An old man and a boy."},
                                {"b.htm", "<p>the old <i>man</i><br>and the sea</p>"},
                                {"inner.zip", "the old man"}});
    return root;
}

struct Window
{
    ScriptedPrompts prompts;
    TFIFForm form;

    Window() { form.setPrompts(&prompts); }

    void search(const QString &folder, const QString &text, bool subDirs = false,
                bool caseSensitive = false)
    {
        form.FIFDir->setText(folder);
        form.FIFFind->setText(text);
        form.SubDirs->setChecked(subDirs);
        form.FIFCSens->setChecked(caseSensitive);
        form.FIFStartClick();
    }

    QStringList rows() const
    {
        QStringList rows;
        for (int r = 0; r < form.Found->rowCount(); ++r) {
            const QString path = form.Found->item(r, 0)->text();
            const QString member = form.Found->item(r, 1)->text();
            rows << (member.isEmpty() ? path : path + " | " + member);
        }
        return rows;
    }
};

} // namespace

TEST(FindInFilesTest, WindowLayout)
{
    Window w;
    TFIFForm &f = w.form;
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Find text in files"));
    EXPECT_EQ(f.size(), QSize(570, 353));
    const struct
    {
        QWidget *control;
        QString caption;
        QString hint;
    } controls[] = {
        {f.Label1, "Text to find", ""},
        {f.FIFCSens, "&Case sensitive", ""},
        {f.Label4, "Directory", ""},
        {f.FIFBrowse, "&Browse", ""},
        {f.SubDirs, "&Subdirectories", ""},
        {f.FIFStart, "&Find", "Start searching [Alt+F]"},
        {f.FIFStop, "Sto&p", "Stop searching [Alt+P]"},
        {f.FIFAbort, "&Abort", "Abort searching [Alt+A]"},
        {f.FIFClose, "E&xit", "Close this dialog [Alt+X]"},
    };
    for (const auto &c : controls) {
        SCOPED_TRACE(c.caption.toStdString());
        const QVariant text = c.control->property("text");
        EXPECT_EQ(text.toString(), c.caption);
        EXPECT_EQ(c.control->toolTip(), c.hint);
    }
    EXPECT_EQ(f.Found->horizontalHeaderItem(0)->text(), QStringLiteral("Found files/archives"));
    EXPECT_EQ(f.Found->horizontalHeaderItem(1)->text(), QStringLiteral("Files in archives"));
    EXPECT_EQ(f.Found->columnWidth(0), 283);
    EXPECT_EQ(f.Found->columnWidth(1), 249);
    EXPECT_TRUE(f.FIFFind->text().isEmpty());
    EXPECT_TRUE(f.FIFDir->text().isEmpty());
    EXPECT_EQ(f.FIFCSens->focusPolicy(), Qt::ClickFocus);
}

TEST(FindInFilesTest, StartChecksAndTheirMessages)
{
    const QString root = makeTree();
    const QString empty = makeTempDir();
    // Something is there, but nothing to search: a hidden file and a subfolder.
    const QString nothingToSearch = makeTempDir();
    QDir(nothingToSearch).mkpath(QStringLiteral("sub"));
    writeFileBytes(nothingToSearch + "/.hidden.txt", "the sea");
    const struct
    {
        const char *name;
        QString folder;
        QString text;
        QStringList shown;
        QString dirAfter;
    } cases[] = {
        {"no text", root, "", {"Please enter text to find"}, root},
        {"no folder", "", "sea", {"Please specify a directory"}, ""},
        {"missing folder",
         root + "nowhere",
         "sea",
         {"Please specify an existing directory"},
         root + "nowhere/"},
        {"empty folder", empty, "sea", {"Please specify an existing directory"}, empty + "/"},
        {"nothing to search",
         nothingToSearch,
         "sea",
         {"No files found!", "No matches found!"},
         nothingToSearch + "/"},
        {"nothing matches", root, "whale", {"No matches found!"}, root},
        {"trailing slash added", root.chopped(1), "the sea", {}, root},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Window w;
        w.search(c.folder, c.text);
        EXPECT_EQ(w.prompts.shown, c.shown);
        EXPECT_EQ(w.form.FIFDir->text(), c.dirAfter);
        EXPECT_TRUE(w.form.SearchState.isEmpty());
    }

    // An earlier result stays when there is nothing to search, so no second message.
    Window w;
    w.search(root, "the sea");
    ASSERT_FALSE(w.rows().isEmpty());
    const QStringList before = w.rows();
    w.search(nothingToSearch, "the sea");
    EXPECT_EQ(w.prompts.shown, QStringList{QStringLiteral("No files found!")});
    EXPECT_EQ(w.rows(), before);
}

TEST(FindInFilesTest, ResultsFollowTheMatchingRule)
{
    const QString root = makeTree();
    writeFileBytes(root + "upper.txt", "GR\xDCNE Wiese\r\n");
    writeFileBytes(root + "lower.txt", u"gr\u00fcne Wiese\r\n"_qs.toUtf8());
    const struct
    {
        const char *name;
        QString text;
        bool subDirs;
        bool caseSensitive;
        QStringList rows;
    } cases[] = {
        {"top folder only",
         "old man and",
         false,
         false,
         {"arc.zip | a.txt", "arc.zip | b.htm", "top.txt"}},
        {"with subfolders",
         "old man and",
         true,
         false,
         {"arc.zip | a.txt", "arc.zip | b.htm", "sub/book.txt", "top.txt"}},
        {"third word on the next line",
         "man and the sea",
         true,
         false,
         {"arc.zip | b.htm", "sub/book.txt", "top.txt"}},
        {"two spaces are not one",
         "the old man",
         true,
         false,
         {"arc.zip | b.htm", "sub/book.txt", "top.txt"}},
        {"umlaut, either case", u"gr\u00dcne"_qs, false, false, {"lower.txt", "upper.txt"}},
        {"umlaut, exact form", u"GR\u00dcNE"_qs, false, true, {"upper.txt"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Window w;
        w.search(root, c.text, c.subDirs, c.caseSensitive);
        EXPECT_EQ(w.rows(), c.rows);
        EXPECT_EQ(w.form.windowTitle(), QStringLiteral("Done"));
        EXPECT_TRUE(w.prompts.shown.isEmpty());
    }
}

TEST(FindInFilesTest, StopKeepsRowsAndAbortCloses)
{
    const QString root = makeTempDir() + u'/';
    for (int i = 0; i < 12; ++i)
        writeFileBytes(root + QStringLiteral("f%1.txt").arg(i, 2, 10, QChar(u'0')), "needle here");

    const struct
    {
        const char *name;
        std::function<void(TFIFForm &)> press;
        QString title;
        int result;
        bool closed;
    } cases[] = {
        {"Stop button", [](TFIFForm &f) { f.FIFStopClick(); }, "Stopped", -1, false},
        {"Space", [](TFIFForm &f) { QTest::keyClick(f.FIFFind, Qt::Key_Space); }, "Stopped", -1,
         false},
        {"Abort button", [](TFIFForm &f) { f.FIFAbortClick(); }, "Aborting ...",
         TFIFForm::AbortResult, true},
        {"Esc", [](TFIFForm &f) { QTest::keyClick(f.FIFFind, Qt::Key_Escape); }, "Aborting ...",
         TFIFForm::AbortResult, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Window w;
        w.form.show();
        w.form.setResult(-1);
        // Pressed from inside the search, once two rows are there.
        std::function<void()> watch = [&] {
            if (w.form.Found->rowCount() >= 2 && !w.form.Found->item(1, 0)->text().isEmpty())
                c.press(w.form);
            else
                QTimer::singleShot(0, &w.form, watch);
        };
        QTimer::singleShot(0, &w.form, watch);
        w.search(root, "needle");
        const int rows = int(w.rows().size());
        EXPECT_GE(rows, 2);
        EXPECT_LT(rows, 12);
        EXPECT_EQ(w.form.windowTitle(), c.title);
        EXPECT_EQ(w.form.result(), c.result);
        EXPECT_EQ(w.form.isVisible(), !c.closed);
        EXPECT_TRUE(w.prompts.shown.isEmpty());
        EXPECT_TRUE(w.form.SearchState.isEmpty());
    }
}

TEST(FindInFilesTest, KeysStartAndOpen)
{
    const QString root = makeTree();
    Window w;
    w.form.show();
    w.form.FIFDir->setText(root);
    w.form.FIFFind->setText(QStringLiteral("boy"));
    w.form.FIFFind->setFocus();
    QTest::keyClick(w.form.FIFFind, Qt::Key_Return);
    EXPECT_EQ(w.rows(), QStringList{QStringLiteral("arc.zip | a.txt")});
    EXPECT_EQ(QApplication::focusWidget(), w.form.Found);
    w.form.Found->setCurrentCell(0, 0);
    QTest::keyClick(w.form.Found, Qt::Key_Return);
    EXPECT_EQ(w.form.result(), int(QDialog::Accepted));
    EXPECT_EQ(w.form.ChosenFile, root + "arc.zip");
    EXPECT_EQ(w.form.ChosenMember, QStringLiteral("a.txt"));
    Prompts::FindInFilesFields fields;
    w.form.storeFields(fields);
    EXPECT_EQ(fields.foundFile, root + "arc.zip");
    EXPECT_EQ(w.form.closeKind(w.form.result()), Prompts::FindInFilesClose::Ok);

    // The folder picker's choice gets its trailing slash.
    w.prompts.folderAnswers.push_back(root.chopped(1));
    w.form.FIFBrowseClick();
    EXPECT_EQ(w.form.FIFDir->text(), root);
}

TEST(FindInFilesTest, MemberChosenFromTheFindPanelOpens)
{
    const QString root = makeTree();
    ReaderFixture fixture;
    TForm1 &form = startActive(fixture);
    fixture.prompts->findInFilesWindow = [&](QWidget *parent, Prompts::FindInFilesFields &fields) {
        TFIFForm *window = parent->findChild<TFIFForm *>();
        window->setPrompts(fixture.prompts);
        window->loadFields(fields);
        window->FIFDir->setText(root);
        window->show();
        window->FIFStartClick();
        const QList<QTableWidgetItem *> items = window->Found->findItems("b.htm", Qt::MatchExactly);
        if (items.isEmpty()) {
            ADD_FAILURE() << "b.htm not among the results";
            return Prompts::FindInFilesClose::Cancel;
        }
        const int row = items.first()->row();
        const QRect cell = window->Found->visualItemRect(window->Found->item(row, 0));
        QTest::mouseClick(window->Found->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(window->Found->viewport(), Qt::LeftButton, {}, cell.center());
        window->storeFields(fields);
        return window->closeKind(window->result());
    };
    form.SuchenClick();
    form.FindText->setText(QStringLiteral("man and the"));
    form.FindStartClick(form.FindInFiles);
    ASSERT_TRUE(fixture.prompts->shown.isEmpty()) << fixture.prompts->shown.join("|").toStdString();
    EXPECT_EQ(form.readerState().FileName, root + "arc.zip");
    EXPECT_EQ(form.readerState().ArchiveMember, QStringLiteral("b.htm"));
    EXPECT_TRUE(form.readerState().LoadedText.toString().contains(QStringLiteral("and the sea")));
    EXPECT_EQ(form.FindText->text(), QStringLiteral("man and the"));
    EXPECT_FALSE(form.Finden->isVisible());

    // Abort leaves the find panel as it was.
    fixture.prompts->findInFilesWindow = [&](QWidget *parent, Prompts::FindInFilesFields &fields) {
        TFIFForm *window = parent->findChild<TFIFForm *>();
        window->loadFields(fields);
        window->FIFFind->setText(QStringLiteral("changed"));
        window->FIFCSens->setChecked(true);
        window->FIFAbortClick();
        window->storeFields(fields);
        return window->closeKind(window->result());
    };
    form.FindStartClick(form.FindInFiles);
    EXPECT_EQ(form.FindText->text(), QStringLiteral("man and the"));
    EXPECT_FALSE(form.FindCSens->isChecked());
    EXPECT_EQ(form.readerState().ArchiveMember, QStringLiteral("b.htm"));
}
