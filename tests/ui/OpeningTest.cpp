#include "BookSteps.h"
#include "core/book/IniFile.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QUrl>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

namespace {

const QString kCannotOpen = QStringLiteral("Cannot open this file!");

QByteArray book(const char *word, int lines = 200)
{
    QByteArray text;
    for (int i = 1; i <= lines; ++i)
        text += QByteArray(word) + " line " + QByteArray::number(i) + "\r\n";
    return text;
}

// Opens and closes the write end of a FIFO whenever a reader waits on it: a reader that
// should never have opened it then reads an empty file instead of blocking the test.
class FifoUnblocker
{
public:
    explicit FifoUnblocker(const QString &path)
        : name(QFile::encodeName(path)), worker([this] {
              while (!stop) {
                  const int fd = ::open(name.constData(), O_WRONLY | O_NONBLOCK);
                  if (fd >= 0)
                      ::close(fd);
                  std::this_thread::sleep_for(std::chrono::milliseconds(1));
              }
          })
    {
    }
    ~FifoUnblocker()
    {
        stop = true;
        worker.join();
    }

private:
    const QByteArray name;
    std::atomic<bool> stop = false;
    std::thread worker;
};

// The special files a user may meet, made at `path`; /dev/null stands for every device, an
// empty one, so that a reader that reads it anyway fails here rather than filling the memory.
struct SpecialFile
{
    const char *name;
    std::function<std::unique_ptr<FifoUnblocker>(const QString &)> make;
};

std::unique_ptr<FifoUnblocker> makeFifo(const QString &path)
{
    EXPECT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    return std::make_unique<FifoUnblocker>(path);
}

std::unique_ptr<FifoUnblocker> linkDevice(const QString &path)
{
    EXPECT_TRUE(QFile::link(QStringLiteral("/dev/null"), path));
    return nullptr;
}

const SpecialFile kSpecialFiles[] = {{"a FIFO", makeFifo}, {"a device", linkDevice}};

void drop(TForm1 &form, const QString &path)
{
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    const QPoint at = form.rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&form, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent dropped(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&form, &dropped);
    QApplication::processEvents();
}

// Turns a page and tells whether the page was written to the document's section.
bool pageTurnIsSaved(TForm1 &form)
{
    form.Blaettern(Qt::RightButton);
    const QString section = form.readerState().FileName;
    return form.settings().readString(section, QStringLiteral("Page"), QString()) ==
           QString::number(form.readerState().CurrentPage);
}

// Gives the first member of an archive a compression method nobody can read, as a damaged or
// encrypted member would be.
void damageFirstMember(const QString &zip)
{
    QByteArray bytes = readFileBytes(zip);
    bytes[8] = 77;
    bytes[bytes.indexOf("PK\x01\x02") + 10] = 77;
    writeFileBytes(zip, bytes);
}

} // namespace

TEST(OpeningTest, CommandLineNamingNoRegularFileOpensNothingAndSaysSoOnce)
{
    struct Case
    {
        const char *name;
        std::function<std::unique_ptr<FifoUnblocker>(const QString &)> make;
    };
    const Case cases[] = {
        {"a folder",
         [](const QString &path) {
             EXPECT_TRUE(QDir().mkpath(path));
             return std::unique_ptr<FifoUnblocker>();
         }},
        {"a FIFO", makeFifo},
        {"a device", linkDevice},
        {"a missing file", [](const QString &) { return std::unique_ptr<FifoUnblocker>(); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ReaderFixture fixture;
        const QString path = fixture.programDir + QStringLiteral("/named");
        const auto unblocker = c.make(path);
        TForm1 &form = fixture.start({path});
        // Every layout pass without a document tries the command line again.
        form.resize(form.width() + 20, form.height());
        QApplication::processEvents();
        EXPECT_EQ(fixture.prompts->shown, QStringList{kCannotOpen + u'\r' + path});
        EXPECT_TRUE(form.readerState().FileName.isEmpty());
        EXPECT_EQ(form.readerState().PageCount, 0);
    }
}

TEST(OpeningTest, SpecialFilesAreRefusedWhereverTheyAreChosen)
{
    struct Route
    {
        const char *name;
        std::function<void(ReaderFixture &, TForm1 &, const QString &)> open;
    };
    const Route routes[] = {
        {"the Open dialog",
         [](ReaderFixture &f, TForm1 &form, const QString &path) {
             f.prompts->openAnswers.push_back(path);
             form.LadenClick();
         }},
        {"a drop", [](ReaderFixture &, TForm1 &form, const QString &path) { drop(form, path); }},
        {"the recent list",
         [](ReaderFixture &, TForm1 &form, const QString &) {
             form.RecentShowClick();
             const QRect item = form.RecentList->visualItemRect(form.RecentList->item(1));
             QTest::mouseClick(form.RecentList->viewport(), Qt::LeftButton, {}, item.center());
         }},
    };
    for (const Route &route : routes) {
        for (const SpecialFile &special : kSpecialFiles) {
            SCOPED_TRACE(std::string(route.name) + ", " + special.name);
            ReaderFixture fixture;
            TForm1 &form = fixture.start();
            // Read once as a book, so that the recent list holds it, then replaced.
            const QString path = fixture.writeBook(QStringLiteral("special.txt"), book("Old"));
            form.openFileFromUser(path);
            ASSERT_TRUE(QFile::remove(path));
            const auto unblocker = special.make(path);
            form.openFileFromUser(fixture.writeBook(QStringLiteral("good.txt"), book("Good")));
            const Shown before = Shown::of(form);

            route.open(fixture, form, path);

            EXPECT_EQ(fixture.prompts->shown, QStringList{kCannotOpen});
            EXPECT_EQ(Shown::of(form), before);
            EXPECT_TRUE(form.readerState().OpenFailed);
        }
    }
}

TEST(OpeningTest, FileTooLargeForTheMemoryIsRefusedWithItsSize)
{
    ReaderFixture fixture;
    TForm1 &form = fixture.start();
    form.openFileFromUser(fixture.writeBook(QStringLiteral("good.txt"), book("Good")));
    const Shown before = Shown::of(form);
    const QString large = fixture.writeBook(QStringLiteral("large.txt"), QByteArray(2000, 'x'));
    const QString zip = fixture.programDir + QStringLiteral("/books/large.zip");
    writeZip(zip, {{"large.txt", QByteArray(2000, 'x')}});
    form.availableMemory = [] { return qint64(1000); };
    const QString message =
        QStringLiteral("This file is too large to open: 2.0 kB (2000 bytes).\rOpening it needs "
                       "about 6.3 kB of memory; 1000 bytes are available.");
    for (const QString &path : {large, zip}) {
        SCOPED_TRACE(path.toStdString());
        fixture.prompts->shown.clear();
        form.openFileFromUser(path);
        EXPECT_EQ(fixture.prompts->shown, QStringList{message});
        EXPECT_EQ(Shown::of(form), before);
    }
    form.availableMemory = [] { return qint64(6400); };
    form.openFileFromUser(large);
    EXPECT_FALSE(form.readerState().OpenFailed);
}

// A failed open leaves the book on screen as it was, down to its page being saved.
TEST(OpeningTest, FailedOpenKeepsTheWholeIdentityOfTheShownBook)
{
    struct Case
    {
        const char *name;
        bool fromArchive; // the shown book is the only member of an archive
        bool preselected; // the failing member comes from find in files
    };
    for (const Case &c : {Case{"book, member chosen", false, false},
                          Case{"book, member from find in files", false, true},
                          Case{"one-member archive, member chosen", true, false}}) {
        SCOPED_TRACE(c.name);
        ReaderFixture fixture;
        TForm1 &form = fixture.start();
        QString shownPath = fixture.writeBook(QStringLiteral("book.txt"), book("Shown"));
        if (c.fromArchive) {
            shownPath = fixture.programDir + QStringLiteral("/books/single.zip");
            writeZip(shownPath, {{"story.txt", book("Shown")}});
        }
        form.openFileFromUser(shownPath);
        ASSERT_FALSE(form.readerState().OpenFailed);
        const Shown before = Shown::of(form);

        const QString pair = fixture.programDir + QStringLiteral("/books/pair.zip");
        writeZip(pair, {{"secret.txt", book("Secret")}, {"open.txt", book("Open")}});
        damageFirstMember(pair);
        if (c.preselected) {
            ScriptedPrompts::FindInFilesAnswer answer;
            answer.close = Prompts::FindInFilesClose::Ok;
            answer.fields.foundFile = pair;
            answer.fields.foundMember = QStringLiteral("secret.txt");
            fixture.prompts->findInFilesAnswers.push_back(answer);
            form.StartFindInFiles();
        } else {
            fixture.prompts->memberAnswers.push_back(QStringLiteral("secret.txt"));
            form.openFileFromUser(pair);
        }

        EXPECT_EQ(fixture.prompts->shown, QStringList{kCannotOpen});
        EXPECT_TRUE(form.readerState().OpenFailed);
        EXPECT_FALSE(form.readerState().MemberPreselected);
        EXPECT_EQ(Shown::of(form), before);
        EXPECT_TRUE(pageTurnIsSaved(form));
    }
}

// Whether a member shares its archive's section decides whether its page is saved, however it
// was opened and whatever was shown before.
TEST(OpeningTest, MembersOfSeveralAreNeverSavedHoweverTheyAreOpened)
{
    struct Case
    {
        const char *name;
        std::vector<std::pair<QByteArray, QByteArray>> members;
        QString member;
        bool fromFindInFiles;
        QStringList offered; // the chooser's list, empty when it is not shown
        bool multi;
    };
    const QByteArray text = book("Member");
    const Case cases[] = {
        {"one of two, chosen",
         {{"a.txt", text}, {"b.txt", text}},
         "b.txt",
         false,
         {"a.txt", "b.txt"},
         true},
        {"one of two, from find in files",
         {{"a.txt", text}, {"b.txt", text}},
         "b.txt",
         true,
         {},
         true},
        {"the only one, from find in files", {{"a.txt", text}}, "a.txt", true, {}, false},
        {"zip -r of one book",
         {{"novel/", ""}, {"novel/a.txt", text}},
         "novel/a.txt",
         false,
         {},
         false},
        {"zip -r of two books",
         {{"novel/", ""}, {"novel/a.txt", text}, {"novel/b.txt", text}},
         "novel/b.txt",
         false,
         {"novel/a.txt", "novel/b.txt"},
         true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ReaderFixture fixture;
        TForm1 &form = fixture.start();
        ASSERT_TRUE(QDir().mkpath(fixture.programDir + QStringLiteral("/books")));
        // The book shown before has the other flag, which must not be passed on.
        if (c.multi) {
            form.openFileFromUser(fixture.writeBook(QStringLiteral("before.txt"), text));
        } else {
            const QString before = fixture.programDir + QStringLiteral("/books/before.zip");
            writeZip(before, {{"x.txt", text}, {"y.txt", text}});
            fixture.prompts->memberAnswers.push_back(QStringLiteral("x.txt"));
            form.openFileFromUser(before);
            fixture.prompts->memberLists.clear();
        }
        ASSERT_EQ(form.readerState().MultiMemberArchive, !c.multi);
        const QString zip = fixture.programDir + QStringLiteral("/books/novel.zip");
        writeZip(zip, c.members);

        if (c.fromFindInFiles) {
            ScriptedPrompts::FindInFilesAnswer answer;
            answer.close = Prompts::FindInFilesClose::Ok;
            answer.fields.foundFile = zip;
            answer.fields.foundMember = c.member;
            fixture.prompts->findInFilesAnswers.push_back(answer);
            form.StartFindInFiles();
        } else {
            if (!c.offered.isEmpty())
                fixture.prompts->memberAnswers.push_back(c.member);
            form.openFileFromUser(zip);
        }

        ASSERT_FALSE(form.readerState().OpenFailed)
            << fixture.prompts->shown.join('|').toStdString();
        EXPECT_EQ(form.readerState().ArchiveMember, c.member);
        EXPECT_EQ(fixture.prompts->memberLists,
                  c.offered.isEmpty() ? QList<QStringList>() : QList<QStringList>{c.offered});
        EXPECT_EQ(form.readerState().MultiMemberArchive, c.multi);
        EXPECT_EQ(pageTurnIsSaved(form), !c.multi);
        EXPECT_EQ(form.settings().sectionExists(zip), !c.multi);
    }
}

namespace {

// Every window title from the moment the window is shown.
struct TitleLog : QObject
{
    explicit TitleLog(QWidget *window) : window(window) { window->installEventFilter(this); }
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == window && event->type() == QEvent::WindowTitleChange)
            titles << window->windowTitle();
        return false;
    }
    QWidget *window;
    QStringList titles;
};

} // namespace

TEST(OpeningTest, TitleShowsProgressFromTheFirstMomentOfEveryOpen)
{
    ReaderFixture fx;
    QByteArray text;
    for (int i = 0; i < 3000; ++i)
        text += "A line of a paragraph that goes on " + QByteArray::number(i) +
                (i % 5 == 4 ? "\r\n\r\n" : "\r\n");
    const QString first = fx.writeBook(QStringLiteral("first.txt"), text);
    const QString second = fx.writeBook(QStringLiteral("second.txt"), text);
    QStringList fitting;
    for (int percent = 0; percent <= 100; percent += 10)
        fitting << QStringLiteral("Fitting lines: %1% done").arg(percent, percent < 10 ? 2 : 0);

    TForm1 &form = fx.start({first}, false);
    for (const QString &path : {first, second}) {
        SCOPED_TRACE(path.toStdString());
        TitleLog log(&form);
        if (path == first)
            showWindow(form);
        else
            form.openFileFromUser(path);
        ASSERT_FALSE(form.readerState().OpenFailed);
        const QString opening = QStringLiteral("Opening file ") + path + QStringLiteral(" ...");
        ASSERT_FALSE(log.titles.isEmpty());
        EXPECT_EQ(log.titles.first(), opening);
        // Reading and decoding count before anything else runs.
        const qsizetype read = log.titles.indexOf(opening + QStringLiteral(" 50% done"));
        const qsizetype decoded = log.titles.indexOf(opening + QStringLiteral(" 100% done"));
        EXPECT_GT(read, 0);
        EXPECT_GT(decoded, read);
        EXPECT_LT(decoded, log.titles.indexOf(QStringLiteral("Removing line breaks: 10% done")));
        EXPECT_EQ(log.titles.filter(QStringLiteral("Fitting lines")), fitting);
        EXPECT_TRUE(log.titles.last().startsWith(QStringLiteral("File ") + path));
    }
}

// The book of the command line is read ahead while the window is built; the open shows it only
// while it is still that file and the book has no code page of its own.
TEST(OpeningTest, BookReadAheadIsShownOnlyWhileItIsStillTheBook)
{
    struct Case
    {
        const char *name;
        QByteArray bytes;
        QByteArray storedCodePage;
        QByteArray rewrittenTo; // empty: left as it is
        QString shown;
    };
    const Case cases[] = {
        {"unchanged", "Alpha beta.\r\n", "", "", QStringLiteral("Alpha beta.")},
        {"rewritten meanwhile", "Alpha beta.\r\n", "", "Gamma delta, longer.\r\n",
         QStringLiteral("Gamma delta, longer.")},
        // Four KOI8-R letters are too few for the automatic decision, which reads Windows-1252.
        {"a code page of its own", "\xF3\xCE\xC5\xC7\r\n", "KOI8-R", "", QStringLiteral("Снег")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ReaderFixture fixture;
        const QString path = fixture.writeBook(QStringLiteral("ahead.txt"), c.bytes);
        if (!c.storedCodePage.isEmpty())
            writeFileBytes(fixture.settingsPath(),
                           "[" + path.toUtf8() + "]\r\nCode page=" + c.storedCodePage + "\r\n");
        TForm1 &form = fixture.start({path}, false);
        form.prefetchBook(BookPrefetch::start(path));
        if (!c.rewrittenTo.isEmpty())
            writeFileBytes(path, c.rewrittenTo);
        showWindow(form);
        EXPECT_EQ(form.LinkeSeite->toPlainText().trimmed(), c.shown);
        EXPECT_TRUE(fixture.prompts->shown.isEmpty());
    }
}
