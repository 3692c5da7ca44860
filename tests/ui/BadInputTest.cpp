#include "ReaderFixture.h"

#include "BookGenerator.h"

#include "core/book/IniFile.h"
#include "ui/dialogs/FindInFilesDialog.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFontDatabase>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QPointer>
#include <QRandomGenerator>
#include <QTableWidget>

#include <gtest/gtest.h>

#include <malloc.h>
#include <sys/fsuid.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <optional>

namespace {

const QString kCannotOpen = QStringLiteral("Cannot open this file!");
const QString kFont = QStringLiteral("DejaVu Sans");

// Settings a user already has; no failed or odd open may lose any of them.
const QByteArray kStoredSettings = "[Options]\r\n"
                                   "Default font name=DejaVu Sans\r\n"
                                   "Default font size=12\r\n"
                                   "[/home/reader/Novels/Long Tale.txt]\r\n"
                                   "Fontname=DejaVu Sans\r\n"
                                   "Page=41\r\n"
                                   "Bookmark 1=17\r\n"
                                   "[/home/reader/Odd [name] = yes.txt]\r\n"
                                   "Page=7\r\n";

// Section name (lower case) to its lines, in file order.
using Sections = QMap<QString, QStringList>;

Sections sectionsOf(const QString &path)
{
    Sections sections;
    QString current;
    const QString text = QString::fromUtf8(readFileBytes(path));
    for (const QString &line : text.split(QStringLiteral("\r\n"))) {
        const qsizetype open = line.indexOf(u'[');
        const qsizetype close = line.lastIndexOf(u']');
        if (open == 0 && close > open) {
            current = line.mid(1, close - 1).toLower();
            sections[current];
        } else if (!line.isEmpty()) {
            sections[current] << line;
        }
    }
    return sections;
}

// Every line stored before is still in its section, except in the sections the program is
// meant to write when a document opens or the window closes; new lines may join.
void expectSettingsKept(const Sections &before, const Sections &after, const QStringList &mayChange)
{
    static const QStringList written = {QStringLiteral("last"), QStringLiteral("recent"),
                                        QStringLiteral("window")};
    for (auto it = before.begin(); it != before.end(); ++it) {
        if (written.contains(it.key()) || mayChange.contains(it.key(), Qt::CaseInsensitive))
            continue;
        ASSERT_TRUE(after.contains(it.key())) << "lost section " << it.key().toStdString();
        for (const QString &line : it.value())
            EXPECT_TRUE(after[it.key()].contains(line))
                << "section " << it.key().toStdString() << " lost " << line.toStdString();
    }
}

bool runningAsRoot()
{
    return ::geteuid() == 0;
}

// File access checks as an unprivileged user for as long as it lives; root would read and
// write everything, so permission cases could not fail otherwise.
class UnprivilegedAccess
{
public:
    UnprivilegedAccess()
    {
        if (!runningAsRoot())
            return;
        // The group too: a root group would match the files' group before "other" is asked.
        ::setfsgid(65534);
        ::setfsuid(65534);
        active = ::setfsuid(65534) == 65534 && ::setfsgid(65534) == 65534;
    }
    ~UnprivilegedAccess()
    {
        if (runningAsRoot()) {
            ::setfsuid(0);
            ::setfsgid(0);
        }
    }
    bool works() const { return !runningAsRoot() || active; }

private:
    bool active = false;
};

// The temporary folders belong to root with mode 0700; an unprivileged check needs a way in.
void openUpForEveryone(const QString &folder)
{
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                      QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                      QFileDevice::WriteOther | QFileDevice::ExeOther);
}

// Every window title in the order it was set.
class TitleRecorder : public QObject
{
public:
    explicit TitleRecorder(QWidget *window, std::function<void(const QString &)> onTitle = {})
        : window(window), onTitle(std::move(onTitle))
    {
        window->installEventFilter(this);
    }
    ~TitleRecorder() override
    {
        if (window)
            window->removeEventFilter(this);
    }

    QStringList titles;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == window && event->type() == QEvent::WindowTitleChange) {
            titles << window->windowTitle();
            if (onTitle)
                onTitle(titles.last());
        }
        return false;
    }

private:
    QPointer<QWidget> window;
    std::function<void(const QString &)> onTitle;
};

// A reader in its own program folder with a settings file a user already filled.
struct Reader
{
    ReaderFixture fx;

    Reader() { writeFileBytes(fx.settingsPath(), kStoredSettings); }

    TForm1 &start(const QStringList &arguments = {},
                  std::unique_ptr<ScriptedPrompts> prompts = nullptr)
    {
        if (!prompts)
            prompts = std::make_unique<ScriptedPrompts>();
        fx.prompts = prompts.get();
        fx.form = std::make_unique<TForm1>(fx.settingsPath(), fx.programDir, arguments,
                                           std::move(prompts));
        // Tests follow every progress title, as with the fixture's own start.
        fx.form->progressTitleIntervalMs = 0;
        showWindow(*fx.form);
        return *fx.form;
    }

    TForm1 &form() { return *fx.form; }
    const ReaderState &state() { return fx.form->readerState(); }
    ScriptedPrompts &prompts() { return *fx.prompts; }

    void open(const QString &path)
    {
        prompts().openAnswers.push_back(path);
        form().LadenClick();
    }

    QString shown() const { return fx.prompts ? fx.prompts->shown.join(u'|') : QString(); }

    // Closes the window as the user would; what it showed until then stays in lastShown.
    void stop()
    {
        fx.form->close();
        lastShown = fx.prompts->shown;
        fx.stop();
    }

    QStringList lastShown;
};

class BadInput : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!QFontDatabase::families().contains(kFont))
            GTEST_SKIP() << kFont.toStdString() << " is not installed";
    }
};

enum class Via { CommandLine, OpenDialog };

struct OpenOutcome
{
    bool failed = false;
    QString loadedText;
    QStringList shown;
    QString title;
};

// Starts a reader with the book on the command line, or starts it empty and opens the book
// through the Open dialog; the settings file must keep what it held.
OpenOutcome openInFreshReader(Reader &r, const QString &path, Via via)
{
    const Sections before = sectionsOf(r.fx.settingsPath());
    if (via == Via::CommandLine) {
        r.start({path});
    } else {
        r.start();
        r.open(path);
    }
    OpenOutcome outcome{r.state().OpenFailed, r.state().LoadedText.toString(), r.prompts().shown,
                        r.form().windowTitle()};
    r.fx.stop();
    expectSettingsKept(before, sectionsOf(r.fx.settingsPath()), {path});
    return outcome;
}

// Numbered paragraphs of one line each: with line breaks removed or kept, count * 2 - 1 lines.
QByteArray numberedLines(int count)
{
    QByteArray bytes;
    for (int n = 1; n <= count; ++n)
        bytes += "Line " + QByteArray::number(n) + "\r\n\r\n";
    return bytes;
}

QString cannotOpenTitle()
{
    return QStringLiteral("Tavolex Version 1.8.2 - May 2003");
}

TEST_F(BadInput, UnsuitableFilesGiveAMessageOrTheirTextAndKeepTheSettings)
{
    struct Case
    {
        const char *name;
        std::function<QString(Reader &)> make; // the path to open
        bool failed;
        QString text; // what opens; ignored when the open fails
    };
    const QByteArray program = readFileBytes(QCoreApplication::applicationFilePath());
    ASSERT_TRUE(program.startsWith("\x7f"
                                   "ELF"));
    // Binary bytes read as text up to their first NUL.
    const QString programText = QString::fromLatin1(program.left(program.indexOf('\0')));
    const std::vector<Case> cases = {
        {"ELF program",
         [&](Reader &r) { return r.fx.writeBook(QStringLiteral("program"), program); }, false,
         programText},
        {"PNG picture",
         [](Reader &r) {
             QImage image(16, 16, QImage::Format_RGB32);
             image.fill(Qt::red);
             const QString path = r.fx.programDir + QStringLiteral("/books/picture.png");
             QDir().mkpath(QFileInfo(path).absolutePath());
             EXPECT_TRUE(image.save(path, "PNG"));
             return path;
         },
         // 89 50 4E 47 0D 0A 1A 0A 00: not UTF-8, so Windows-1252 up to the NUL.
         false, QStringLiteral(u"\u2030PNG\r\n\x1a")},
        {"empty file",
         [](Reader &r) { return r.fx.writeBook(QStringLiteral("empty.txt"), QByteArray()); }, false,
         QString()},
        {"folder named like a book",
         [](Reader &r) {
             const QString path = r.fx.programDir + QStringLiteral("/books/folder.txt");
             QDir().mkpath(path);
             return path;
         },
         true,
         {}},
        {"folder named like an archive",
         [](Reader &r) {
             const QString path = r.fx.programDir + QStringLiteral("/books/folder.zip");
             QDir().mkpath(path);
             return path;
         },
         true,
         {}},
    };
    for (const Case &c : cases) {
        for (const Via via : {Via::CommandLine, Via::OpenDialog}) {
            SCOPED_TRACE(std::string(c.name) +
                         (via == Via::CommandLine ? " from the command line" : " by dialog"));
            Reader r;
            const QString path = c.make(r);
            const OpenOutcome outcome = openInFreshReader(r, path, via);
            if (c.failed && via == Via::CommandLine) {
                // No file of that name: nothing opens, and the message names it.
                EXPECT_FALSE(outcome.failed);
                EXPECT_EQ(outcome.shown, QStringList{kCannotOpen + u'\r' + path});
                EXPECT_EQ(outcome.title, cannotOpenTitle());
                continue;
            }
            EXPECT_EQ(outcome.failed, c.failed);
            if (c.failed) {
                EXPECT_EQ(outcome.shown, QStringList{kCannotOpen});
                EXPECT_EQ(outcome.title, cannotOpenTitle());
            } else {
                // What a NUL cuts off is said; nothing else is.
                if (readFileBytes(path).contains('\0')) {
                    ASSERT_EQ(outcome.shown.size(), 1);
                    EXPECT_TRUE(outcome.shown[0].startsWith(
                        QStringLiteral("The text ends at a NUL character; ")));
                } else {
                    EXPECT_EQ(outcome.shown, QStringList())
                        << outcome.shown.join(u'|').toStdString();
                }
                EXPECT_EQ(outcome.loadedText, c.text);
                EXPECT_TRUE(outcome.title.startsWith(QStringLiteral("File ") + path + " ("))
                    << outcome.title.toStdString();
            }
        }
    }
}

// Line ends are made CR LF inside the decoded text's own buffer; every mix must come out as
// the reader's lines.
TEST_F(BadInput, MixedLineEndsOpenAsCrLfLinesWithoutBlanksAround)
{
    const struct
    {
        const char *name;
        QByteArray bytes;
        QString text;
    } cases[] = {
        {"LF, CR and CR LF", "a\nb\rc\r\nd", QStringLiteral("a\r\nb\r\nc\r\nd")},
        // Line ends converted twice: one break, not a blank line after every line.
        {"CR before CR LF", "a\r\r\nb", QStringLiteral("a\r\nb")},
        {"CR CR CR LF", "a\r\r\r\nb", QStringLiteral("a\r\n\r\nb")},
        {"LF before CR", "a\n\rb", QStringLiteral("a\r\n\r\nb")},
        {"breaks in front", "\r\n\n\r a", QStringLiteral(" a")},
        {"blanks and breaks behind", "a \t\r\n\n \r", QStringLiteral("a")},
        {"only breaks", "\n\r\n\r", QString()},
        {"LF only book", "one\ntwo\n\nthree\n", QStringLiteral("one\r\ntwo\r\n\r\nthree")},
        {"no break at all", "word", QStringLiteral("word")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Reader r;
        const QString path = r.fx.writeBook(QStringLiteral("ends.txt"), c.bytes);
        r.start({path});
        EXPECT_FALSE(r.state().OpenFailed);
        EXPECT_EQ(r.state().LoadedText.toString(), c.text);
        EXPECT_EQ(r.prompts().shown, QStringList());
        r.fx.stop();
    }
}

TEST_F(BadInput, ZipCutInItsCentralDirectoryIsRefused)
{
    for (const int cut : {1, 12, 22, 40, 70}) {
        for (const Via via : {Via::CommandLine, Via::OpenDialog}) {
            SCOPED_TRACE(QStringLiteral("last %1 bytes cut, %2")
                             .arg(cut)
                             .arg(via == Via::CommandLine ? "command line" : "dialog")
                             .toStdString());
            Reader r;
            const QString path = r.fx.programDir + QStringLiteral("/books/cut.zip");
            QDir().mkpath(QFileInfo(path).absolutePath());
            writeZip(path, {{"tale.txt", numberedLines(400)}});
            const QByteArray whole = readFileBytes(path);
            ASSERT_GT(whole.size(), 200);
            writeFileBytes(path, whole.left(whole.size() - cut));
            const OpenOutcome outcome = openInFreshReader(r, path, via);
            EXPECT_TRUE(outcome.failed);
            EXPECT_EQ(outcome.shown, QStringList{kCannotOpen});
        }
    }
}

TEST_F(BadInput, UnreadableBookIsRefusedWithoutTouchingTheSettings)
{
    Reader r;
    openUpForEveryone(r.fx.programDir);
    const QString path = r.fx.writeBook(QStringLiteral("secret.txt"), "Private words\r\n");
    openUpForEveryone(r.fx.programDir + QStringLiteral("/books"));
    QFile::setPermissions(r.fx.settingsPath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                   QFileDevice::ReadOther |
                                                   QFileDevice::WriteOther);
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::Permissions()));
    UnprivilegedAccess access;
    if (!access.works())
        GTEST_SKIP() << "running as root and cannot drop file access rights";
    ASSERT_FALSE(QFile(path).open(QIODevice::ReadOnly)) << "the book is still readable";
    for (const Via via : {Via::CommandLine, Via::OpenDialog}) {
        SCOPED_TRACE(via == Via::CommandLine ? "command line" : "dialog");
        const OpenOutcome outcome = openInFreshReader(r, path, via);
        EXPECT_TRUE(outcome.failed);
        EXPECT_EQ(outcome.shown, QStringList{kCannotOpen});
        EXPECT_EQ(outcome.title, cannotOpenTitle());
    }
}

TEST_F(BadInput, ReadOnlySettingsStayUntouchedAndTheFailureIsSaid)
{
    struct Case
    {
        const char *name;
        bool readOnlyFolder; // else the file itself is read-only
    };
    for (const Case &c : {Case{"read-only file", false}, Case{"read-only folder", true}}) {
        SCOPED_TRACE(c.name);
        Reader r;
        const QString book = r.fx.writeBook(QStringLiteral("tale.txt"), numberedLines(500));
        openUpForEveryone(r.fx.programDir);
        openUpForEveryone(r.fx.programDir + QStringLiteral("/books"));
        const QFileDevice::Permissions readable =
            QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
        std::optional<UnprivilegedAccess> access;
        if (c.readOnlyFolder) {
            QFile::setPermissions(r.fx.settingsPath(),
                                  readable | QFileDevice::WriteOwner | QFileDevice::WriteOther);
            QFile::setPermissions(r.fx.programDir, readable | QFileDevice::ExeOwner |
                                                       QFileDevice::ExeGroup |
                                                       QFileDevice::ExeOther);
            // Root writes into a read-only folder anyway.
            access.emplace();
            if (!access->works()) {
                GTEST_SKIP() << "running as root and cannot drop file access rights";
            }
        } else {
            // Refused even for root, who could replace the file.
            ASSERT_TRUE(QFile::setPermissions(r.fx.settingsPath(), readable));
        }
        QByteArray before = readFileBytes(r.fx.settingsPath());
        const QString unable = unableToWriteMessage(r.fx.settingsPath());

        r.start({book});
        EXPECT_FALSE(r.state().OpenFailed);
        EXPECT_EQ(r.form().FittedLine(1), QStringLiteral("Line 1"));
        // The start-up defaults, the book's section and the recent list are all refused; one
        // message says so, and turning pages does not bring one more each time.
        EXPECT_EQ(r.prompts().shown, QStringList{unable}) << r.shown().toStdString();
        r.form().Blaettern(Qt::RightButton);
        EXPECT_EQ(r.state().CurrentPage, 3);
        EXPECT_EQ(r.prompts().shown, QStringList{unable}) << r.shown().toStdString();
        if (!c.readOnlyFolder) {
            // A write that succeeds again re-arms the message for the next refusal.
            ASSERT_TRUE(
                QFile::setPermissions(r.fx.settingsPath(), readable | QFileDevice::WriteOwner));
            r.form().Blaettern(Qt::RightButton);
            EXPECT_EQ(r.prompts().shown, QStringList{unable});
            ASSERT_TRUE(QFile::setPermissions(r.fx.settingsPath(), readable));
            before = readFileBytes(r.fx.settingsPath());
            r.form().Blaettern(Qt::RightButton);
            EXPECT_EQ(r.prompts().shown, (QStringList{unable, unable}));
            EXPECT_EQ(r.state().CurrentPage, 7);
        }
        r.stop();
        EXPECT_EQ(r.lastShown.filter(unable).size(), r.lastShown.size())
            << r.lastShown.join(u'|').toStdString();
        EXPECT_EQ(readFileBytes(r.fx.settingsPath()), before);
        EXPECT_EQ(QDir(r.fx.programDir).entryList(QDir::Files | QDir::Hidden),
                  QStringList{QStringLiteral("Tavolex.ini")})
            << "a temporary file was left behind";
        access.reset();
        QFile::setPermissions(r.fx.programDir, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                   QFileDevice::ExeOwner);
    }
}

TEST_F(BadInput, SettingsFileOfRandomBytesIsKeptAndTheReaderWorks)
{
    QRandomGenerator random(20240611);
    for (int round = 0; round < 4; ++round) {
        SCOPED_TRACE(round);
        Reader r;
        QByteArray garbage(4096, Qt::Uninitialized);
        for (char &b : garbage)
            b = static_cast<char>(random.bounded(256));
        writeFileBytes(r.fx.settingsPath(), garbage);
        const QString book = r.fx.writeBook(QStringLiteral("tale.txt"), numberedLines(500));

        r.start({book});
        EXPECT_FALSE(r.state().OpenFailed);
        EXPECT_EQ(r.form().FittedLine(1), QStringLiteral("Line 1"));
        EXPECT_EQ(r.prompts().shown, QStringList()) << r.shown().toStdString();
        r.form().Blaettern(Qt::RightButton);
        r.form().Blaettern(Qt::RightButton);
        const int page = r.state().CurrentPage;
        EXPECT_EQ(page, 5);
        r.fx.stop();

        // The unreadable bytes stay where they were; what the reader wrote follows them.
        EXPECT_TRUE(readFileBytes(r.fx.settingsPath()).startsWith(garbage.left(64)));
        EXPECT_EQ(IniFile(r.fx.settingsPath()).readString(book, QStringLiteral("Page"), {}),
                  QString::number(page));
        r.start({book});
        EXPECT_EQ(r.state().CurrentPage, page);
        EXPECT_EQ(r.prompts().shown, QStringList()) << r.shown().toStdString();
        r.fx.stop();
    }
}

TEST_F(BadInput, PathWithBracketsEqualsSpacesAndUmlautsKeepsItsPage)
{
    Reader r;
    const QString path = r.fx.writeBook(
        QStringLiteral(u"B\u00fccher [alt] = neu/\u00dcber [1]=x.txt"), numberedLines(900));
    const QString other = r.fx.writeBook(QStringLiteral("other.txt"), numberedLines(10));
    const Sections before = sectionsOf(r.fx.settingsPath());

    r.start();
    r.open(path);
    ASSERT_FALSE(r.state().OpenFailed);
    ASSERT_EQ(r.state().FileName, path);
    for (int i = 0; i < 3; ++i)
        r.form().Blaettern(Qt::RightButton);
    const int page = r.state().CurrentPage;
    ASSERT_EQ(page, 7);
    r.open(other);
    ASSERT_EQ(r.state().FileName, other);
    r.open(path);
    EXPECT_EQ(r.state().CurrentPage, page) << "reopened by dialog";
    r.stop();
    EXPECT_EQ(r.lastShown, QStringList());

    EXPECT_TRUE(sectionsOf(r.fx.settingsPath()).contains(path.toLower()));
    EXPECT_EQ(IniFile(r.fx.settingsPath()).readString(path, QStringLiteral("Page"), {}),
              QString::number(page));
    r.start({path});
    EXPECT_EQ(r.state().CurrentPage, page) << "reopened from the command line";
    r.fx.stop();
    expectSettingsKept(before, sectionsOf(r.fx.settingsPath()), {path, other});
}

// Asks the member chooser as a person would, but first lets the test change the archive
// behind the reader's back.
class ChooserThatWaits : public ScriptedPrompts
{
public:
    std::function<void()> whileChoosing;

    QString chooseArchiveMember(QWidget *parent, const QStringList &members) override
    {
        if (whileChoosing)
            whileChoosing();
        return ScriptedPrompts::chooseArchiveMember(parent, members);
    }
};

TEST_F(BadInput, ArchiveReplacedWhileItsMemberIsChosen)
{
    const QByteArray longText = numberedLines(3000);
    struct Case
    {
        const char *name;
        std::function<void(const QString &zip)> replace;
        bool failed;
        QString text;
    };
    const std::vector<Case> cases = {
        {"cut to half its size",
         [](const QString &zip) {
             const QByteArray whole = readFileBytes(zip);
             writeFileBytes(zip, whole.left(whole.size() / 2));
         },
         true,
         {}},
        {"emptied", [](const QString &zip) { writeFileBytes(zip, QByteArray()); }, true, {}},
        {"member gone",
         [](const QString &zip) {
             writeZip(zip, {{"other.txt", "Someone else\r\n"}});
         },
         true,
         {}},
        {"member shorter",
         [](const QString &zip) {
             writeZip(zip, {{"tale.txt", "Short now\r\n"}, {"other.txt", "x\r\n"}});
         },
         false, QStringLiteral("Short now")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Reader r;
        const QString zip = r.fx.programDir + QStringLiteral("/books/two.zip");
        QDir().mkpath(QFileInfo(zip).absolutePath());
        writeZip(zip, {{"tale.txt", longText}, {"other.txt", "Someone else\r\n"}});
        auto prompts = std::make_unique<ChooserThatWaits>();
        prompts->whileChoosing = [&] { c.replace(zip); };
        prompts->memberAnswers.push_back(QStringLiteral("tale.txt"));
        const Sections before = sectionsOf(r.fx.settingsPath());
        r.start({}, std::move(prompts));
        r.open(zip);
        EXPECT_EQ(r.state().OpenFailed, c.failed);
        if (c.failed) {
            EXPECT_EQ(r.prompts().shown, QStringList{kCannotOpen});
            EXPECT_EQ(r.form().windowTitle(), cannotOpenTitle());
        } else {
            EXPECT_EQ(r.prompts().shown, QStringList());
            EXPECT_EQ(r.state().LoadedText.toString(), c.text);
        }
        r.fx.stop();
        expectSettingsKept(before, sectionsOf(r.fx.settingsPath()), {});
    }
}

TEST_F(BadInput, FilesShrinkingBetweenListingAndReadingInFindInFiles)
{
    const QByteArray padding = QByteArray(6000, 'x') + "\r\n";
    const QString root = makeTempDir() + u'/';
    // Each file holds the needle when listed; what is read is what the file holds then.
    writeFileBytes(root + "a-front.txt", "needle\r\n" + padding);
    writeFileBytes(root + "b-back.txt", padding + "needle\r\n");
    writeFileBytes(root + "c-gone.txt", padding + "needle\r\n");
    writeFileBytes(root + "d-page.htm", "<p>" + padding + "needle</p>");
    writeZip(root + "e-arc.zip", {{"m.txt", padding + "needle\r\n"}, {"n.txt", "needle"}});
    writeZip(root + "f-arc.zip", {{"m.txt", padding + "needle\r\n"}});
    const auto shrink = [&] {
        const auto cut = [&](const char *name, int size) {
            QFile file(root + name);
            ASSERT_TRUE(file.resize(size)) << name;
        };
        cut("a-front.txt", 20);
        cut("b-back.txt", 100);
        ASSERT_TRUE(QFile::remove(root + "c-gone.txt"));
        cut("d-page.htm", 50);
        writeZip(root + "e-arc.zip", {{"n.txt", "needle"}});
        const QByteArray arc = readFileBytes(root + "f-arc.zip");
        writeFileBytes(root + "f-arc.zip", arc.left(arc.size() / 3));
    };

    ScriptedPrompts prompts;
    TFIFForm window;
    window.setPrompts(&prompts);
    bool shrunk = false;
    // The list is complete once the window says it searches the files' text.
    TitleRecorder recorder(&window, [&](const QString &title) {
        if (title == QStringLiteral("Searching text in files ...") && !shrunk) {
            shrunk = true;
            shrink();
        }
    });
    window.show();
    window.FIFDir->setText(root);
    window.FIFFind->setText(QStringLiteral("needle"));
    window.FIFStartClick();
    ASSERT_TRUE(shrunk);
    QStringList rows;
    for (int row = 0; row < window.Found->rowCount(); ++row) {
        const QString member = window.Found->item(row, 1)->text();
        rows << window.Found->item(row, 0)->text() + (member.isEmpty() ? "" : " | " + member);
    }
    EXPECT_EQ(rows, QStringList({"a-front.txt", "e-arc.zip | n.txt"}));
    EXPECT_EQ(prompts.shown, QStringList());
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Done"));
}

qint64 statusKb(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray key = QByteArray(field) + ':';
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

// From here on VmHWM counts the peak since this call.
bool resetPeakMemory()
{
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    return clearRefs.open(QIODevice::WriteOnly) && clearRefs.write("5") == 1;
}

bool builtWithAddressSanitizer()
{
#if defined(__SANITIZE_ADDRESS__)
    return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    return true;
#endif
#endif
    return false;
}

QString fittingTitle(int percent)
{
    return QStringLiteral("Fitting lines: %1% done").arg(percent, percent < 10 ? 2 : 0);
}

TEST_F(BadInput, HugeBookOpensWithProgressAndBoundedMemory)
{
    if (builtWithAddressSanitizer())
        GTEST_SKIP() << "too slow and too big under AddressSanitizer";
    constexpr qsizetype kTarget = 300 * 1000 * 1000;
    struct Case
    {
        const char *name;
        bool removeLineBreaks;
        // Times the file size: the text as loaded is kept beside the working text (compact,
        // for turning a rule back on), and breaks are removed in place.
        double allowance;
    };
    Reader r;
    const QString path = r.fx.programDir + QStringLiteral("/books/huge.txt");
    QDir().mkpath(QFileInfo(path).absolutePath());
    {
        const QByteArray chunk = generateBookBytes(7, 10 * 1000 * 1000);
        ASSERT_TRUE(chunk.endsWith("\r\n"));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        while (file.size() < kTarget)
            ASSERT_EQ(file.write(chunk), chunk.size());
    }
    const qint64 size = QFileInfo(path).size();
    for (const Case c :
         {Case{"line breaks kept", false, 4.0}, Case{"line breaks removed", true, 4.0}}) {
        SCOPED_TRACE(c.name);
        {
            IniFile ini(r.fx.settingsPath());
            ASSERT_EQ(ini.writeString(path, QStringLiteral("Remove line breaks"),
                                      c.removeLineBreaks ? "Yes" : "No"),
                      IniFile::WriteResult::Written);
            ASSERT_EQ(ini.writeString(path, QStringLiteral("Page"), QStringLiteral("1")),
                      IniFile::WriteResult::Written);
        }
        r.start();
        TitleRecorder recorder(&r.form());
        malloc_trim(0);
        ASSERT_TRUE(resetPeakMemory());
        const qint64 before = statusKb("VmRSS");
        QElapsedTimer timer;
        timer.start();
        r.open(path);
        const qint64 elapsed = timer.elapsed();
        const qint64 peak = statusKb("VmHWM");
        ASSERT_FALSE(r.state().OpenFailed);
        EXPECT_EQ(r.prompts().shown, QStringList());
        EXPECT_EQ(r.form().ZWEntfernen->isChecked(), c.removeLineBreaks);
        const qint64 addedBytes = (peak - before) * 1024;
        std::printf("[ measure  ] %s: %lld bytes opened in %lld ms, peak memory added %lld MB "
                    "(%.2f times the file), %d pages\n",
                    c.name, static_cast<long long>(size), static_cast<long long>(elapsed),
                    static_cast<long long>(addedBytes / 1000000), double(addedBytes) / size,
                    r.state().PageCount);
        EXPECT_LT(addedBytes, c.allowance * size);

        ASSERT_FALSE(recorder.titles.isEmpty());
        EXPECT_EQ(recorder.titles.first(),
                  QStringLiteral("Opening file ") + path + QStringLiteral(" ..."));
        QStringList fitting;
        for (const QString &title : recorder.titles)
            if (title.startsWith(QStringLiteral("Fitting lines:")))
                fitting << title;
        QStringList tenths;
        for (int percent = 0; percent <= 100; percent += 10)
            tenths << fittingTitle(percent);
        EXPECT_EQ(fitting, tenths);
        EXPECT_TRUE(recorder.titles.last().startsWith(QStringLiteral("File ") + path))
            << recorder.titles.last().toStdString();
        EXPECT_GT(r.state().PageCount, 10000);
        r.fx.stop();
    }
}

} // namespace
