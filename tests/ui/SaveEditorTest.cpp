#include "BookSteps.h"
#include "core/book/IniFile.h"
#include "core/text/Saving.h"

#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>

#include <csignal>
#include <sys/resource.h>
#include <zip.h>

namespace {

const QString kBreaksQuestion = QStringLiteral(
    "The 'Remove line breaks' option is currently active.\rWould you like to save the text "
    "without single line breaks?");
const QString kBreaksNotice = QStringLiteral(
    "The text has been saved without single line breaks, and the\r 'Remove single line breaks' "
    "option has been deactivated.");
const QString kUnsaved = QStringLiteral("Edited text has not been saved!\rExit program?");
const QString kEditorTitle = QStringLiteral(
    "Internal editor - Press Esc or click the close button to exit, then use 'Save as' to save "
    "your changes");

void makeZip(const QString &path, const QList<std::pair<QString, QByteArray>> &members)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    int error = 0;
    zip_t *archive =
        zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    ASSERT_NE(archive, nullptr);
    for (const auto &[name, bytes] : members) {
        zip_source_t *source =
            zip_source_buffer(archive, bytes.constData(), zip_uint64_t(bytes.size()), 0);
        ASSERT_GE(zip_file_add(archive, name.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8), 0);
    }
    ASSERT_EQ(zip_close(archive), 0);
}

QString lastRead(TForm1 &form)
{
    return form.settings().readString(QStringLiteral("Last"), QStringLiteral("Last read file"),
                                      QString());
}

// Paragraphs of two short lines each: removing single breaks joins every pair.
const QByteArray kTwoLineParagraphs = "one two\r\nthree four\r\n\r\nfive six\r\nseven eight";
// Nothing to join.
const QByteArray kNoSingleBreaks = "one two three four\r\n\r\nfive six seven eight";

void planSave(ReaderFixture &f, const QString &answer)
{
    f.prompts->saveAnswers.push_back(answer);
    f.prompts->saveFilterAnswers.push_back(0);
}

} // namespace

TEST(SaveEditor, SaveDialogOfAnArchiveMember)
{
    ReaderFixture f;
    TForm1 &form = f.start();
    const QString zipPath = f.programDir + QStringLiteral("/books/A.zip");
    makeZip(zipPath, {{QStringLiteral("story.txt"), kNoSingleBreaks}});
    form.openFileFromUser(zipPath);
    ASSERT_EQ(form.readerState().ArchiveMember, QStringLiteral("story.txt"));

    planSave(f, QString()); // cancelled
    form.SpeichernClick();
    ASSERT_EQ(f.prompts->fileRequests.size(), 1);
    const Prompts::FileDialogRequest &request = f.prompts->fileRequests.first();
    EXPECT_EQ(request.title, QStringLiteral("Save as ..."));
    EXPECT_EQ(request.fileName, f.programDir + QStringLiteral("/books/story"));
    EXPECT_EQ(request.filters.size(), 3);
    EXPECT_EQ(request.defaultSuffix, QStringLiteral("txt"));
    ASSERT_TRUE(request.suffixForFilter);
    EXPECT_EQ(request.suffixForFilter(1), QStringLiteral("tvx"));
    EXPECT_EQ(request.suffixForFilter(2), QStringLiteral("txt"));
    EXPECT_EQ(request.suffixForFilter(0), QStringLiteral("txt"));
    EXPECT_TRUE(f.prompts->shown.isEmpty());
    EXPECT_EQ(form.readerState().FileName, zipPath);
}

TEST(SaveEditor, SaveCases)
{
    struct Case
    {
        const char *name;
        QByteArray book;
        bool removeBreaks;
        bool targetExists;
        std::deque<bool> confirms;
        std::deque<QMessageBox::StandardButton> questions;
        bool saved;
        bool savedWithoutBreaks;
    };
    const std::vector<Case> cases = {
        {"nothing removed asks nothing", kNoSingleBreaks, true, false, {}, {}, true, false},
        {"breaks kept", kTwoLineParagraphs, false, false, {}, {}, true, false},
        {"removed, Yes", kTwoLineParagraphs, true, false, {}, {QMessageBox::Yes}, true, true},
        {"removed, No", kTwoLineParagraphs, true, false, {}, {QMessageBox::No}, true, false},
        {"overwrite, OK", kNoSingleBreaks, true, true, {true}, {}, true, false},
        {"overwrite, Cancel", kNoSingleBreaks, true, true, {false}, {}, false, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ReaderFixture f;
        TForm1 &form = f.start();
        form.AutoFitAll->setChecked(true);
        form.ZWEntfernen->setChecked(c.removeBreaks);
        const QString book = f.writeBook(QStringLiteral("book.txt"), c.book);
        form.openFileFromUser(book);
        const ReaderState &s = form.readerState();
        const QString loaded = s.LoadedText.toString();
        const QString working = s.WorkingText;
        const QString target = f.programDir + QStringLiteral("/out/copy.txt");
        if (c.targetExists)
            writeFileBytes(target, "old contents");
        QDir().mkpath(QFileInfo(target).absolutePath());

        planSave(f, target);
        f.prompts->confirmAnswers = c.confirms;
        f.prompts->questionAnswers = c.questions;
        form.SpeichernClick();

        QStringList expectedShown;
        if (c.targetExists)
            expectedShown << QStringLiteral("File ") + target +
                                 QStringLiteral(" already exists! Overwrite?");
        if (!c.questions.empty())
            expectedShown << kBreaksQuestion;
        if (c.savedWithoutBreaks)
            expectedShown << kBreaksNotice;
        EXPECT_EQ(f.prompts->shown, expectedShown);

        if (!c.saved) {
            EXPECT_EQ(readFileBytes(target), QByteArray("old contents"));
            EXPECT_EQ(s.FileName, book);
            continue;
        }
        const QString written = c.savedWithoutBreaks ? working : loaded;
        EXPECT_EQ(QString::fromUtf8(readFileBytes(target)), written);
        EXPECT_EQ(s.FileName, target);
        EXPECT_EQ(s.LoadedText.toString(), written);
        EXPECT_EQ(lastRead(form), target);
        EXPECT_TRUE(form.windowTitle().startsWith(QStringLiteral("File ") + target + " ("));
        EXPECT_FALSE(s.TextModified);
        EXPECT_TRUE(f.settingsText().contains(QStringLiteral("[") + target + "]"));
        // The switch goes off without fitting the text again.
        EXPECT_EQ(form.ZWEntfernen->isChecked(), c.removeBreaks && !c.savedWithoutBreaks);
        EXPECT_EQ(form.LayoutChangedSinceFit(), c.savedWithoutBreaks);
        EXPECT_EQ(s.WorkingText, working);
    }
}

TEST(SaveEditor, FailedSaveChangesNothing)
{
    enum class Fault { MissingFolder, FullDisk, ReadOnlyFolder };
    for (Fault fault : {Fault::MissingFolder, Fault::FullDisk, Fault::ReadOnlyFolder}) {
        if (fault == Fault::ReadOnlyFolder && geteuid() == 0)
            continue; // folder permissions do not bind root; the full disk stands in
        SCOPED_TRACE(static_cast<int>(fault));
        ReaderFixture f;
        TForm1 &form = f.start();
        form.ZWEntfernen->setChecked(false);
        QByteArray big;
        for (int i = 0; i < 3000; ++i)
            big += "A line of a book that is long enough to fill a disk quickly.\r\n";
        const QString book = f.writeBook(QStringLiteral("book.txt"), big);
        form.openFileFromUser(book);
        // Edited text, so that the flag is seen to survive.
        form.BearbeitenClick();
        form.OriginalText->moveCursor(QTextCursor::Start);
        form.OriginalText->insertPlainText(QStringLiteral("Edited. "));
        QTest::keyClick(form.OriginalText, Qt::Key_Escape);
        ASSERT_TRUE(form.readerState().TextModified);
        const QString title = form.windowTitle();
        const QString loaded = form.readerState().LoadedText.toString();

        const QString folder = f.programDir + QStringLiteral("/out");
        QString target = folder + QStringLiteral("/copy.txt");
        if (fault == Fault::MissingFolder)
            target = folder + QStringLiteral("/gone/copy.txt");
        else
            writeFileBytes(target, "precious");
        if (fault == Fault::ReadOnlyFolder)
            QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        planSave(f, target);
        if (fault != Fault::MissingFolder)
            f.prompts->confirmAnswers.push_back(true);

        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        if (fault == Fault::FullDisk) {
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit small = old;
            small.rlim_cur = 64 * 1024;
            ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
        }
        form.SpeichernClick();
        setrlimit(RLIMIT_FSIZE, &old);
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ExeOwner);

        ASSERT_FALSE(f.prompts->shown.isEmpty());
        EXPECT_EQ(f.prompts->shown.last(),
                  QStringLiteral("Cannot save file ") + target + QStringLiteral("!"));
        const ReaderState &s = form.readerState();
        EXPECT_EQ(s.FileName, book);
        EXPECT_EQ(form.windowTitle(), title);
        EXPECT_EQ(lastRead(form), book);
        EXPECT_TRUE(s.TextModified);
        EXPECT_EQ(s.LoadedText.toString(), loaded);
        if (fault != Fault::MissingFolder) {
            EXPECT_EQ(readFileBytes(target), QByteArray("precious"));
            EXPECT_EQ(QDir(folder).entryList(QDir::Files),
                      QStringList{QStringLiteral("copy.txt")});
        }
        f.prompts->confirmAnswers.push_back(true); // the unsaved-edits question on closing
        f.stop();
    }
}

TEST(SaveEditor, SavedTextReadsBackTheSame)
{
    struct Case
    {
        const char *name;
        QByteArray bytes;
        TextEncoding encoding;
    };
    const std::vector<Case> cases = {
        {"Windows-1252", "Caf\xE9 \x96 na\xEFve \x80" "5\r\nsecond line\r\n\r\nthird", 
         TextEncoding::Windows1252},
        {"UTF-8", "Caf\xC3\xA9 \xE2\x80\x93 \xD0\x96\r\nsecond line", TextEncoding::Utf8},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ReaderFixture f;
        TForm1 &form = f.start();
        form.ZWEntfernen->setChecked(false);
        form.openFileFromUser(f.writeBook(QStringLiteral("book.txt"), c.bytes));
        ASSERT_EQ(form.readerState().LoadedEncoding, c.encoding);
        const QString loaded = form.readerState().LoadedText.toString();
        const QString target = f.programDir + QStringLiteral("/books/saved.txt");
        planSave(f, target);
        form.SpeichernClick();
        EXPECT_EQ(readFileBytes(target), c.bytes);
        form.openFileFromUser(target);
        EXPECT_EQ(form.readerState().LoadedText.toString(), loaded);
        EXPECT_EQ(form.readerState().LoadedEncoding, c.encoding);
    }
}

TEST(SaveEditor, CopyJoinsTheSelectedLines)
{
    ReaderFixture f;
    TForm1 &form = startActive(f);
    openBookOfPages(f, form, 3);
    form.LinkeSeite->setFocus();
    QTest::qWait(0);
    ASSERT_EQ(form.readerState().FocusPage, QStringLiteral("Links"));

    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    QTextCursor cursor(form.LinkeSeite->document());
    cursor.setPosition(form.LinkeSeite->document()->findBlockByNumber(0).position() + 2);
    cursor.setPosition(form.LinkeSeite->document()->findBlockByNumber(1).position() + 4,
                       QTextCursor::KeepAnchor);
    form.LinkeSeite->setTextCursor(cursor);
    press(form, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("ne 1 line"));

    // An empty selection empties the clipboard.
    form.LinkeSeite->moveCursor(QTextCursor::Start);
    form.KopierenClick();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString());
}

TEST(SaveEditor, EditorLimits)
{
    for (const auto &[length, limit] :
         std::vector<std::pair<int, qsizetype>>{{100000, 1000000}, {250000, 2500000}}) {
        ReaderFixture f;
        TForm1 &form = f.start();
        QByteArray book;
        while (book.size() < length)
            book += "Words upon words fill this line.\r\n";
        book.truncate(length - 1);
        book += 'x';
        form.openFileFromUser(f.writeBook(QStringLiteral("long.txt"), book));
        ASSERT_EQ(form.readerState().LoadedText.size(), length);
        form.BearbeitenClick();
        EXPECT_EQ(form.originalTextMaxLength(), limit) << length;
        if (length == 100000) {
            // A paste beyond the limit is cut at the limit.
            form.OriginalText->moveCursor(QTextCursor::End);
            form.OriginalText->insertPlainText(
                (QString(99, u'y') + u'\n').repeated(9500));
            EXPECT_EQ(form.OriginalText->document()->characterCount() - 1, limit);
        }
        QTest::keyClick(form.OriginalText, Qt::Key_Escape);
        f.prompts->confirmAnswers.push_back(true);
        f.stop();
    }
}

TEST(SaveEditor, EditorOpensAndLeaves)
{
    ReaderFixture f;
    TForm1 &form = startActive(f);
    openBookOfPages(f, form, 5);
    form.AutoFitAll->setChecked(false);
    form.ZWEntfernen->setChecked(true); // not fitted yet
    ASSERT_TRUE(form.LayoutChangedSinceFit());
    const QString title = form.windowTitle();
    const int page = form.readerState().CurrentPage;

    form.BearbeitenClick();
    EXPECT_TRUE(form.editorShown());
    EXPECT_EQ(form.windowTitle(), kEditorTitle);
    EXPECT_EQ(form.OriginalText->toPlainText(),
              QString(form.readerState().LoadedText.toString()).replace(QStringLiteral("\r\n"), "\n"));
    EXPECT_EQ(form.OriginalText->font().family(), QStringLiteral("Arial"));
    EXPECT_EQ(form.OriginalText->font().pointSize(), 8);
    EXPECT_FALSE(form.OriginalText->tabChangesFocus());
    // The reader's keys are off: End moves the caret, not the page.
    QTest::keyClick(form.OriginalText, Qt::Key_End);
    QTest::keyClick(form.OriginalText, Qt::Key_Tab);
    EXPECT_EQ(form.readerState().CurrentPage, page);

    // Leaving without a change keeps the layout; the tab typed is undone first.
    QTest::keyClick(form.OriginalText, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(form.OriginalText, Qt::Key_Escape);
    EXPECT_FALSE(form.editorShown());
    EXPECT_EQ(form.windowTitle(), title);
    EXPECT_FALSE(form.readerState().TextModified);
    EXPECT_TRUE(form.LayoutChangedSinceFit());
    press(form, Qt::Key_End);
    EXPECT_NE(form.readerState().CurrentPage, page) << "keys work again";

    // The close box while editing only leaves the editor.
    form.BearbeitenClick();
    EXPECT_FALSE(form.close());
    EXPECT_FALSE(form.editorShown());
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(f.prompts->shown.isEmpty());

    // A change refits and is remembered until saved.
    form.BearbeitenClick();
    form.OriginalText->moveCursor(QTextCursor::Start);
    QTest::keyClicks(form.OriginalText, QStringLiteral("New "));
    QTest::keyClick(form.OriginalText, Qt::Key_Escape);
    EXPECT_TRUE(form.readerState().TextModified);
    EXPECT_TRUE(form.readerState().LoadedText.toString().startsWith(QStringLiteral("New line 1")));
    EXPECT_TRUE(form.readerState().LoadedText.toString().contains(QStringLiteral("\r\n")));
    EXPECT_FALSE(form.LayoutChangedSinceFit());

    f.prompts->confirmAnswers.push_back(false);
    EXPECT_FALSE(form.close());
    EXPECT_EQ(f.prompts->shown, QStringList{kUnsaved});
    EXPECT_TRUE(form.isVisible());
    f.prompts->confirmAnswers.push_back(true);
    EXPECT_TRUE(form.close());
    EXPECT_TRUE(form.readerState().Closing);
}

TEST(SaveEditor, ExitAsks)
{
    struct Case
    {
        const char *name;
        bool withDocument;
        std::deque<QMessageBox::StandardButton> answers;
        bool closes;
    };
    const std::vector<Case> cases = {
        {"no document: no question", false, {}, true},
        {"Yes closes", true, {QMessageBox::Yes}, true},
        {"No stays", true, {QMessageBox::No}, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ReaderFixture f;
        TForm1 &form = f.start();
        if (c.withDocument)
            form.openFileFromUser(f.writeBook(QStringLiteral("b.txt"), kNoSingleBreaks));
        f.prompts->questionAnswers = c.answers;
        form.BeendenClick();
        EXPECT_EQ(f.prompts->shown,
                  c.withDocument ? QStringList{QStringLiteral("Exit Tavolex?")} : QStringList{});
        EXPECT_EQ(form.isVisible(), !c.closes);
        EXPECT_EQ(form.readerState().Closing, c.closes);
    }
}
