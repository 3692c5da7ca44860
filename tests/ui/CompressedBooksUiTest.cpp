#include "BookSteps.h"
#include "PackingSupport.h"
#include "core/book/IniFile.h"
#include "core/text/ZipUtils.h"
#include "ui/dialogs/FindInFilesDialog.h"

#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableWidget>

namespace {

const QString kCannotOpen = QStringLiteral("Cannot open this file!");

QByteArray book(const char *word, int lines = 400)
{
    QByteArray text;
    for (int i = 1; i <= lines; ++i)
        text += QByteArray(word) + " line " + QByteArray::number(i) + "\r\n";
    return text;
}

QString writePacked(ReaderFixture &fixture, const QString &name, const QByteArray &bytes,
                    const QString &suffix)
{
    return fixture.writeBook(name + u'.' + suffix, compressed(bytes, suffix));
}

// Writes folder/<names> with the given texts and packs them into archive, folder entry first.
QString writeTarOf(ReaderFixture &fixture, const QString &archive, const QString &folder,
                   const QList<std::pair<QString, QByteArray>> &books, const QString &compression)
{
    const QString staging = makeTempDir();
    QStringList entries{folder};
    for (const auto &[name, bytes] : books) {
        writeFileBytes(staging + u'/' + folder + u'/' + name, bytes);
        entries << folder + u'/' + name;
    }
    QDir().mkpath(fixture.programDir + QStringLiteral("/books"));
    const QString path = fixture.programDir + QStringLiteral("/books/") + archive;
    writeTar(path, staging, entries, compression);
    return path;
}

QString savedPage(TForm1 &form, const QString &section)
{
    return form.settings().readString(section, QStringLiteral("Page"), QString());
}

} // namespace

// A compressed book is the book inside it, known by the compressed file's own path.
TEST(CompressedBooksUiTest, CompressedBookOpensAndKeepsItsPageUnderItsPath)
{
    for (const QString &suffix :
         {QStringLiteral("gz"), QStringLiteral("bz2"), QStringLiteral("xz")}) {
        SCOPED_TRACE(suffix.toStdString());
        ReaderFixture fixture;
        TForm1 &form = fixture.start();
        form.ZWEntfernen->setChecked(false);
        const QString path = writePacked(fixture, QStringLiteral("tale.txt"), book("Tale"), suffix);
        form.openFileFromUser(path);
        ASSERT_FALSE(form.readerState().OpenFailed)
            << fixture.prompts->shown.join('|').toStdString();
        EXPECT_TRUE(form.readerState().ArchiveMember.isEmpty());
        EXPECT_TRUE(form.windowTitle().startsWith(QStringLiteral("File ") + path + " ("))
            << form.windowTitle().toStdString();
        EXPECT_TRUE(form.LinkeSeite->toPlainText().startsWith(QStringLiteral("Tale line 1")));
        ASSERT_GT(form.readerState().PageCount, 4);

        form.Blaettern(Qt::RightButton);
        form.Blaettern(Qt::RightButton);
        const int page = form.readerState().CurrentPage;
        ASSERT_GT(page, 1);
        EXPECT_EQ(savedPage(form, path), QString::number(page));

        form.openFileFromUser(fixture.writeBook(QStringLiteral("other.txt"), book("Other")));
        form.openFileFromUser(path);
        EXPECT_EQ(form.readerState().CurrentPage, page);
    }
}

// The name inside decides the conversion: HTML is converted and its lines left as they are.
TEST(CompressedBooksUiTest, NameInsideDecidesTheConversion)
{
    ReaderFixture fixture;
    TForm1 &form = fixture.start();
    form.ZWEntfernen->setChecked(true);
    const QString path =
        writePacked(fixture, QStringLiteral("novel.html"),
                    "<html><body><p>The old man</p><p>and the <b>sea</b></p></body></html>",
                    QStringLiteral("bz2"));
    form.openFileFromUser(path);
    ASSERT_FALSE(form.readerState().OpenFailed);
    const QString text = form.readerState().LoadedText.toString();
    EXPECT_TRUE(text.contains(QStringLiteral("The old man"))) << text.toStdString();
    EXPECT_FALSE(text.contains(u'<'));
    EXPECT_FALSE(form.ZWEntfernen->isChecked());
}

// Tar archives take the ZIP archive's way: one member opens at once, several through the
// chooser, and only a member alone in its archive has its page saved.
TEST(CompressedBooksUiTest, TarArchivesOpenLikeZipArchives)
{
    ReaderFixture fixture;
    TForm1 &form = fixture.start();
    const QString one =
        writeTarOf(fixture, QStringLiteral("one.tar.gz"), QStringLiteral("novel"),
                   {{QStringLiteral("a.txt"), book("Single")}}, QStringLiteral("gz"));
    form.openFileFromUser(one);
    ASSERT_FALSE(form.readerState().OpenFailed) << fixture.prompts->shown.join('|').toStdString();
    EXPECT_TRUE(fixture.prompts->memberLists.isEmpty());
    EXPECT_EQ(form.readerState().ArchiveMember, QStringLiteral("novel/a.txt"));
    EXPECT_FALSE(form.readerState().MultiMemberArchive);
    form.Blaettern(Qt::RightButton);
    EXPECT_EQ(savedPage(form, one), QString::number(form.readerState().CurrentPage));

    const QString many = writeTarOf(
        fixture, QStringLiteral("many.tar.xz"), QStringLiteral("novel"),
        {{QStringLiteral("a.txt"), book("First")}, {QStringLiteral("b.txt"), book("Second")}},
        QStringLiteral("xz"));
    fixture.prompts->memberAnswers.push_back(QStringLiteral("novel/b.txt"));
    form.openFileFromUser(many);
    ASSERT_FALSE(form.readerState().OpenFailed) << fixture.prompts->shown.join('|').toStdString();
    EXPECT_EQ(fixture.prompts->memberLists,
              (QList<QStringList>{{QStringLiteral("novel/a.txt"), QStringLiteral("novel/b.txt")}}));
    EXPECT_EQ(form.readerState().ArchiveMember, QStringLiteral("novel/b.txt"));
    EXPECT_TRUE(form.readerState().MultiMemberArchive);
    EXPECT_TRUE(
        form.windowTitle().startsWith(QStringLiteral("File [novel/b.txt] from archive ") + many));
    EXPECT_TRUE(form.LinkeSeite->toPlainText().startsWith(QStringLiteral("Second line 1")));
    form.Blaettern(Qt::RightButton);
    EXPECT_FALSE(form.settings().sectionExists(many));

    // Cancelling the chooser keeps the member on screen.
    const Shown before = Shown::of(form);
    fixture.prompts->memberAnswers.push_back(QString());
    form.openFileFromUser(many);
    EXPECT_TRUE(form.readerState().OpenFailed);
    EXPECT_EQ(Shown::of(form), before);
    EXPECT_TRUE(fixture.prompts->shown.isEmpty());
}

// A damaged stream says so and leaves the shown book whole, down to its page being saved.
TEST(CompressedBooksUiTest, DamagedStreamsChangeNothing)
{
    ReaderFixture fixture;
    TForm1 &form = fixture.start();
    QByteArray gz = compressed(book("Damaged"), QStringLiteral("gz"));
    gz[gz.size() - 8] = char(gz[gz.size() - 8] ^ 1); // the CRC
    const QString damaged = fixture.writeBook(QStringLiteral("damaged.txt.gz"), gz);
    const QString tar = writeTarOf(fixture, QStringLiteral("cut.tar.xz"), QStringLiteral("novel"),
                                   {{QStringLiteral("a.txt"), book("Cut")}}, QStringLiteral("xz"));
    writeFileBytes(tar, readFileBytes(tar).chopped(64));
    const QString unpacked = fixture.writeBook(QStringLiteral("plain.txt.xz"), book("Plain"));
    const QString shown = fixture.writeBook(QStringLiteral("shown.txt"), book("Shown"));
    form.openFileFromUser(shown);
    form.Blaettern(Qt::RightButton);
    const Shown before = Shown::of(form);
    for (const QString &path : {damaged, tar, unpacked}) {
        SCOPED_TRACE(path.toStdString());
        fixture.prompts->shown.clear();
        form.openFileFromUser(path);
        EXPECT_EQ(fixture.prompts->shown, QStringList{kCannotOpen});
        EXPECT_TRUE(form.readerState().OpenFailed);
        EXPECT_EQ(Shown::of(form), before);
        EXPECT_FALSE(form.settings().sectionExists(path));
    }
    form.Blaettern(Qt::RightButton);
    EXPECT_EQ(savedPage(form, shown), QString::number(form.readerState().CurrentPage));
}

TEST(CompressedBooksUiTest, OpenDialogOffersCompressedFiles)
{
    ReaderFixture fixture;
    TForm1 &form = fixture.start();
    const QString path =
        writePacked(fixture, QStringLiteral("tale.txt"), book("Tale"), QStringLiteral("xz"));
    fixture.prompts->openAnswers.push_back(path);
    form.LadenClick();
    ASSERT_EQ(fixture.prompts->fileRequests.size(), 1);
    const Prompts::FileDialogRequest &request = fixture.prompts->fileRequests.first();
    const qsizetype compressedFilter =
        request.filters.indexOf(QStringLiteral(
            "Compressed Files (*.gz *.bz2 *.xz *.tgz *.tbz2 *.tbz *.txz *.tar)"));
    ASSERT_GE(compressedFilter, 0);
    EXPECT_EQ(request.filters.at(compressedFilter + 1), QStringLiteral("All Files (*)"));
    EXPECT_EQ(request.filters.at(request.selectedFilter), QStringLiteral("All Files (*)"));
    EXPECT_EQ(form.readerState().FileName, path);
    EXPECT_FALSE(form.readerState().OpenFailed);
}

// Find in files lists a tar member and a compressed book where the phrase is, and opens them.
TEST(CompressedBooksUiTest, FindInFilesFindsPhrasesInsidePackedBooks)
{
    ReaderFixture fixture;
    TForm1 &form = fixture.start();
    const QByteArray phrase = "The old man\r\nand the sea.\r\n";
    writePacked(fixture, QStringLiteral("found.txt"), book("Gz") + phrase, QStringLiteral("gz"));
    writePacked(fixture, QStringLiteral("other.txt"), book("Other"), QStringLiteral("gz"));
    writeTarOf(
        fixture, QStringLiteral("shelf.tar.xz"), QStringLiteral("shelf"),
        {{QStringLiteral("a.txt"), book("A")}, {QStringLiteral("b.txt"), book("B") + phrase}},
        QStringLiteral("xz"));
    const QString root = fixture.programDir + QStringLiteral("/books/");

    ScriptedPrompts prompts;
    TFIFForm window;
    window.setPrompts(&prompts);
    window.FIFDir->setText(root);
    window.FIFFind->setText(QStringLiteral("old man and the sea"));
    window.FIFStartClick();
    QStringList rows;
    for (int r = 0; r < window.Found->rowCount(); ++r) {
        const QString member = window.Found->item(r, 1)->text();
        rows << window.Found->item(r, 0)->text() + (member.isEmpty() ? QString() : " | " + member);
    }
    EXPECT_EQ(rows, (QStringList{QStringLiteral("found.txt.gz"),
                                 QStringLiteral("shelf.tar.xz | shelf/b.txt")}));
    EXPECT_TRUE(prompts.shown.isEmpty());

    for (const auto &[file, member] :
         {std::pair{QStringLiteral("shelf.tar.xz"), QStringLiteral("shelf/b.txt")},
          std::pair{QStringLiteral("found.txt.gz"), QString()}}) {
        ScriptedPrompts::FindInFilesAnswer answer;
        answer.close = Prompts::FindInFilesClose::Ok;
        answer.fields.foundFile = root + file;
        answer.fields.foundMember = member;
        fixture.prompts->findInFilesAnswers.push_back(answer);
        form.StartFindInFiles();
        ASSERT_FALSE(form.readerState().OpenFailed);
        EXPECT_EQ(form.readerState().FileName, root + file);
        EXPECT_EQ(form.readerState().ArchiveMember, member);
        EXPECT_TRUE(
            form.readerState().LoadedText.toString().contains(QStringLiteral("and the sea")));
    }
}

// A compressed book that unpacks beyond the limit of unpacked books is refused with its size, as
// a plain file too large is, and nothing of what is shown changes.
TEST(CompressedBooksUiTest, CompressedBookBeyondTheLimitSaysItsSize)
{
    ReaderFixture fixture;
    TForm1 &form = fixture.start();
    const QString shown = fixture.writeBook(QStringLiteral("shown.txt"), book("Shown"));
    const QString huge = fixture.programDir + QStringLiteral("/books/zeros.txt.gz");
    const QString command = QStringLiteral("head -c %1 /dev/zero | gzip -1 > '%2'")
                                .arg(QString::number(MaxMemberSize + 4096), huge);
    runTool(QStringLiteral("/"), QStringLiteral("sh"), QStringList{QStringLiteral("-c"), command});
    form.openFileFromUser(shown);
    const Shown before = Shown::of(form);
    form.openFileFromUser(huge);
    EXPECT_EQ(fixture.prompts->shown,
              QStringList{QStringLiteral("This file is too large to open: it unpacks to more than "
                                         "1.0 GB (1073741824 bytes).\rA book unpacked from an "
                                         "archive or a compressed file may hold at most 1.0 GB.")});
    EXPECT_TRUE(form.readerState().OpenFailed);
    EXPECT_EQ(Shown::of(form), before);
}
