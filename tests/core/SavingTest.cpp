#include "core/text/Saving.h"
#include "TestSupport.h"
#include "core/text/DocumentFormats.h"
#include "core/text/TextDecoding.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QStringEncoder>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/fsuid.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// The joining rule step by step on the whole text, as slow as it is plain.
QString joinByRepeatedRemoval(QString text)
{
    for (;;) {
        const qsizetype p = text.indexOf(QStringLiteral("\r\n"));
        if (p < 0)
            return text;
        text.remove(p, 2);
        if (p == 0)
            continue;
        bool needSpace = true;
        qsizetype b = p - 1;
        while (b >= 0 && (text[b] == u'\r' || text[b] == u'\n'))
            --b;
        if (b >= 0 && text[b] == u' ')
            needSpace = false;
        qsizetype f = p;
        while (f < text.size() && (text[f] == u'\r' || text[f] == u'\n'))
            ++f;
        if (f < text.size() && text[f] == u' ')
            needSpace = false;
        if (needSpace)
            text.insert(p, u' ');
    }
}

struct JoinCase
{
    const char *name;
    QString in;
    QString out;
};

} // namespace

TEST(JoinSelectionLines, Cases)
{
    const std::vector<JoinCase> cases = {
        {"one CR LF", QStringLiteral("first line\r\nsecond line"),
         QStringLiteral("first line second line")},
        {"trailing space", QStringLiteral("first line \r\nsecond"),
         QStringLiteral("first line second")},
        {"leading space", QStringLiteral("first\r\n second"), QStringLiteral("first second")},
        {"empty line between paragraphs", QStringLiteral("para one.\r\n\r\npara two."),
         QStringLiteral("para one. para two.")},
        {"leading CR LF", QStringLiteral("\r\nstarts here"), QStringLiteral("starts here")},
        {"two leading pairs", QStringLiteral("\r\n\r\nx"), QStringLiteral("x")},
        {"empty selection", QString(), QString()},
        {"trailing CR LF", QStringLiteral("end\r\n"), QStringLiteral("end ")},
        {"lone CR and LF stay", QStringLiteral("a\rb\nc"), QStringLiteral("a\rb\nc")},
        {"lone CR before a pair", QStringLiteral("a\r\r\nb"), QStringLiteral("a\r b")},
        {"pair closes a new pair", QStringLiteral("x \r\r\n\nb"), QStringLiteral("x b")},
        {"tab is no space", QStringLiteral("a\t\r\nb"), QStringLiteral("a\t b")},
    };
    for (const JoinCase &c : cases) {
        EXPECT_EQ(JoinSelectionLines(c.in), c.out) << c.name;
        EXPECT_EQ(joinByRepeatedRemoval(c.in), c.out) << c.name << " (reference)";
    }
}

TEST(JoinSelectionLines, AgreesWithRepeatedRemovalOnRandomTexts)
{
    QRandomGenerator rng(20261208);
    const QChar alphabet[] = {u'a', u' ', u'\r', u'\n', u'\t'};
    for (int round = 0; round < 20000; ++round) {
        QString text;
        const int length = static_cast<int>(rng.bounded(12));
        for (int i = 0; i < length; ++i)
            text += alphabet[rng.bounded(5)];
        ASSERT_EQ(JoinSelectionLines(text), joinByRepeatedRemoval(text)) << text.toStdString();
    }
}

TEST(JoinSelectionLines, HostileTextsLeaveNoPair)
{
    for (const HostileText &h : hostileTexts()) {
        const QString joined = JoinSelectionLines(h.text);
        EXPECT_FALSE(joined.contains(QStringLiteral("\r\n"))) << h.name;
        EXPECT_LE(joined.size(), h.text.size() + 1) << h.name;
    }
    // A long run of breaks is one space, found without rescanning the run for every pair.
    QString run = QStringLiteral("a");
    for (int i = 0; i < 200000; ++i)
        run += QStringLiteral("\r\n");
    run += u'b';
    EXPECT_EQ(JoinSelectionLines(run), QStringLiteral("a b"));
}

TEST(EncodeForSaving, ChoosesAnEncodingThatReadsBack)
{
    struct Case
    {
        const char *name;
        QString text;
        TextEncoding loaded;
        SaveEncoding expected;
    };
    const std::vector<Case> cases = {
        {"1252 document", QStringLiteral("Caf\u00e9 \u2013 \u20ac5\r\nline"),
         TextEncoding::Windows1252, SaveEncoding::Windows1252},
        {"1252 document with a character outside it", QStringLiteral("Caf\u00e9 \u0416"),
         TextEncoding::Windows1252, SaveEncoding::Utf8},
        {"1252 bytes that would read as UTF-8", QStringLiteral("\u00c3\u00a9"),
         TextEncoding::Windows1252, SaveEncoding::Utf8},
        {"UTF-8 document", QStringLiteral("Caf\u00e9"), TextEncoding::Utf8, SaveEncoding::Utf8},
        {"UTF-8 with BOM loses the mark", QStringLiteral("x\u00e9"), TextEncoding::Utf8Bom,
         SaveEncoding::Utf8},
        {"UTF-16 document", QStringLiteral("\u0416"), TextEncoding::Utf16LE, SaveEncoding::Utf8},
        {"surrogate pair", QStringLiteral("\U0001F600"), TextEncoding::Windows1252,
         SaveEncoding::Utf8},
    };
    for (const Case &c : cases) {
        const SaveBytes saved = encodeForSaving(c.text, c.loaded);
        EXPECT_EQ(saved.encoding, c.expected) << c.name;
        EXPECT_FALSE(saved.bytes.startsWith("\xEF\xBB\xBF")) << c.name;
        EXPECT_EQ(decodeDocumentBytes(saved.bytes).text, c.text) << c.name;
    }
    EXPECT_EQ(encodeForSaving(QStringLiteral("\u00e9\u2013"), TextEncoding::Windows1252).bytes,
              QByteArray("\xE9\x96"));
    for (const HostileText &h : hostileTexts()) {
        const SaveBytes saved = encodeForSaving(h.text, TextEncoding::Windows1252);
        QString expected = h.text;
        truncateAtNul(expected);
        // A leading byte-order mark is read as a mark, not as text; a lone surrogate is no
        // character any encoding can hold.
        if (!expected.startsWith(QChar(0xFEFF)) && expected.isValidUtf16()) {
            EXPECT_EQ(decodeDocumentBytes(saved.bytes).text, expected) << h.name;
        }
    }
}

TEST(WriteFileAtomically, WritesAndReplaces)
{
    const QString dir = makeTempDir();
    const QString path = dir + QStringLiteral("/book.txt");
    ASSERT_TRUE(writeFileAtomically(path, "first"));
    EXPECT_EQ(readFileBytes(path), QByteArray("first"));
    ASSERT_TRUE(writeFileAtomically(path, "second, longer"));
    EXPECT_EQ(readFileBytes(path), QByteArray("second, longer"));
    EXPECT_EQ(QDir(dir).entryList(QDir::Files), QStringList{QStringLiteral("book.txt")});
}

TEST(WriteFileAtomically, FailureLeavesTheTargetIntact)
{
    const QString dir = makeTempDir();
    const QString path = dir + QStringLiteral("/book.txt");
    writeFileBytes(path, "precious old text");

    // A file that may grow only so far stands in for a full disk; it stops root as well.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    QString error;
    const bool ok = writeFileAtomically(path, QByteArray(100000, 'x'), &error);
    setrlimit(RLIMIT_FSIZE, &old);

    EXPECT_FALSE(ok);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(readFileBytes(path), QByteArray("precious old text"));
    EXPECT_EQ(QDir(dir).entryList(QDir::Files), QStringList{QStringLiteral("book.txt")});

    EXPECT_FALSE(writeFileAtomically(dir + QStringLiteral("/missing/sub/x.txt"), "x", &error));
    EXPECT_FALSE(writeFileAtomically(dir, "x", &error)) << "a folder is no target";
}

namespace {

// File access checks as an unprivileged user for as long as it lives, on this thread; root
// would write everywhere, so a permission case could not fail otherwise.
class UnprivilegedFileAccess
{
public:
    UnprivilegedFileAccess()
    {
        if (geteuid() != 0)
            return;
        // The group too: a root group would match the files' group before "other" is asked.
        setfsgid(nobody);
        setfsuid(nobody);
        active = setfsuid(nobody) == int(nobody) && setfsgid(nobody) == int(nobody);
    }
    ~UnprivilegedFileAccess()
    {
        if (geteuid() == 0) {
            setfsuid(0);
            setfsgid(0);
        }
    }
    UnprivilegedFileAccess(const UnprivilegedFileAccess &) = delete;
    UnprivilegedFileAccess &operator=(const UnprivilegedFileAccess &) = delete;
    bool works() const { return geteuid() != 0 || active; }

private:
    static constexpr uid_t nobody = 65534;
    bool active = false;
};

} // namespace

TEST(WriteFileAtomically, ReadOnlyFolderRefusesWithoutHarm)
{
    const QString dir = makeTempDir();
    const QString path = dir + QStringLiteral("/book.txt");
    writeFileBytes(path, "old");
    const QFileDevice::Permissions readAndEnter = QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                                  QFileDevice::ReadGroup | QFileDevice::ExeGroup |
                                                  QFileDevice::ReadOther | QFileDevice::ExeOther;
    // The file stays writable for everyone: only the folder may refuse, and writing into the
    // file in place would be the harm.
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                                QFileDevice::ReadOther | QFileDevice::WriteOther));
    ASSERT_TRUE(QFile::setPermissions(dir, readAndEnter));
    {
        const UnprivilegedFileAccess access;
        if (!access.works()) {
            QFile::setPermissions(dir, readAndEnter | QFileDevice::WriteOwner);
            GTEST_SKIP() << "running as root and cannot drop file access rights";
        }
        QString error;
        EXPECT_FALSE(writeFileAtomically(path, "new", &error));
        EXPECT_FALSE(error.isEmpty());
    }
    QFile::setPermissions(dir, readAndEnter | QFileDevice::WriteOwner);
    EXPECT_EQ(readFileBytes(path), QByteArray("old"));
    EXPECT_EQ(QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("book.txt")});
}

TEST(SaveDialog, PrefillSuffixAndEditorLimit)
{
    struct Prefill
    {
        QString file, member, expected;
    };
    const std::vector<Prefill> prefills = {
        {QStringLiteral("/books/A.zip"), QStringLiteral("story.txt"),
         QStringLiteral("/books/story")},
        {QStringLiteral("/books/A.zip"), QStringLiteral("dir/story.txt"),
         QStringLiteral("/books/story")},
        {QStringLiteral("/books/A.zip"), QStringLiteral("README"), QStringLiteral("/books/README")},
        {QStringLiteral("/books/tale.old.txt"), QString(), QStringLiteral("/books/tale.old")},
        {QStringLiteral("/books.v2/tale"), QString(), QStringLiteral("/books.v2/tale")},
        {QStringLiteral("/books/novel.html.gz"), QString(), QStringLiteral("/books/novel")},
        {QStringLiteral("/books/A.tar.xz"), QStringLiteral("dir/story.txt"),
         QStringLiteral("/books/story")},
    };
    for (const Prefill &p : prefills)
        EXPECT_EQ(saveDialogPrefill(p.file, p.member), p.expected) << p.file.toStdString();

    EXPECT_EQ(saveSuffixForFilter(0), QStringLiteral("txt"));
    EXPECT_EQ(saveSuffixForFilter(1), QStringLiteral("tvx"));
    EXPECT_EQ(saveSuffixForFilter(2), QStringLiteral("txt"));

    const std::vector<std::pair<qsizetype, qsizetype>> limits = {
        {0, 1000000}, {100000, 1000000}, {100001, 1000010}, {250000, 2500000}};
    for (const auto &[length, limit] : limits)
        EXPECT_EQ(editorMaxLength(length), limit) << length;
}

TEST(EncodeForSaving, KeepsALegacyEncodingWhenTheTextReadsBack)
{
    QByteArray koi8 =
        readFileBytes(QStringLiteral(TAVOLEX_TEST_DATA "/encodings/russian.koi8r.txt"));
    koi8.replace("\n", "\r\n");
    koi8.chop(2); // the reader trims the last line end
    const ConversionResult loaded = ConvertByExtension(koi8, QStringLiteral(".TXT"));
    ASSERT_EQ(loaded.encoding, TextEncoding::Other);
    ASSERT_EQ(loaded.encodingName, QByteArray("KOI8-R"));
    const SaveBytes unchanged = encodeForSaving(loaded.text, loaded.encoding, loaded.encodingName);
    EXPECT_EQ(unchanged.encoding, SaveEncoding::Legacy);
    EXPECT_EQ(unchanged.bytes, koi8);

    const QString russian = loaded.text;
    const QString japanese = QString::fromUtf8(
        readFileBytes(QStringLiteral(TAVOLEX_TEST_DATA "/encodings/japanese.utf8.txt")));
    ASSERT_FALSE(QStringEncoder("SHIFT_JISX0213").isValid());
    const struct
    {
        const char *name;
        QString text;
        QByteArray codec;
        SaveEncoding expected;
    } cases[] = {
        {"edited within the code page",
         russian + u"\r\n\u0415\u0449\u0451 \u0441\u0442\u0440\u043e\u043a\u0430."_qs, "KOI8-R",
         SaveEncoding::Legacy},
        {"a character the code page lacks", russian + u" \u20ac"_qs, "KOI8-R", SaveEncoding::Utf8},
        {"too short to be recognised again", u"\u041f\u0440\u0438\u0432\u0435\u0442"_qs, "KOI8-R",
         SaveEncoding::Utf8},
        // Common kanji sit where Shift_JIS has them, which the detector names on reading.
        {"codec only iconv knows", japanese, "SHIFT_JISX0213", SaveEncoding::Legacy},
        {"unknown codec", russian, "x-no-such-codec", SaveEncoding::Utf8},
        {"no codec name", russian, {}, SaveEncoding::Utf8},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const SaveBytes saved = encodeForSaving(c.text, TextEncoding::Other, c.codec);
        EXPECT_EQ(saved.encoding, c.expected);
        EXPECT_EQ(decodeDocumentBytes(saved.bytes).text, c.text);
    }
}

TEST(EncodeForSaving, LegacyDocumentsWithHostileTextsReadBack)
{
    for (const HostileText &h : hostileTexts()) {
        SCOPED_TRACE(h.name);
        QString expected = h.text;
        truncateAtNul(expected);
        if (expected.startsWith(QChar(0xFEFF)) || !expected.isValidUtf16())
            continue;
        for (const QByteArray &codec : {QByteArray("KOI8-R"), QByteArray("SHIFT_JIS")}) {
            const SaveBytes saved = encodeForSaving(h.text, TextEncoding::Other, codec);
            EXPECT_EQ(decodeDocumentBytes(saved.bytes).text, expected);
        }
    }
}
