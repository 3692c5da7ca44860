#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <zip.h>

#include <memory>
#include <stdexcept>

const std::vector<HostileText> &hostileTexts()
{
    static const std::vector<HostileText> texts = [] {
        std::vector<HostileText> t;
        t.push_back({"empty", QString()});
        t.push_back({"nul", QString::fromUtf16(u"ab\0cd", 5)});
        t.push_back({"lone CR", QStringLiteral("one\rtwo")});
        t.push_back({"lone LF", QStringLiteral("one\ntwo")});
        t.push_back({"CR LF", QStringLiteral("one\r\ntwo\r\n")});
        t.push_back({"only CR LF", QStringLiteral("\r\n\r\n\r\n")});
        t.push_back({"BOM", QString(QChar(0xFEFF)) + QStringLiteral("text")});
        t.push_back({"surrogate pairs", QString::fromUtf8("\xF0\x9F\x93\x96 book \xF0\x9D\x84\x9E")});
        t.push_back({"lone surrogate", QString(QChar(0xD800)) + QStringLiteral("x")});
        t.push_back({"1 MB line", QString(1 << 20, u'x')});
        t.push_back({"1 MB of words", QStringLiteral("word ").repeated(200000)});
        t.push_back({"only blanks", QStringLiteral("     \t   ")});
        t.push_back({"single char", QStringLiteral("a")});
        t.push_back({"markup chars", QStringLiteral("<<&&;;{}\\\\>>")});
        return t;
    }();
    return texts;
}

QString makeTempDir()
{
    static std::vector<std::unique_ptr<QTemporaryDir>> dirs;
    auto dir = std::make_unique<QTemporaryDir>();
    if (!dir->isValid())
        throw std::runtime_error("cannot create a temporary folder");
    const QString path = dir->path();
    dirs.push_back(std::move(dir));
    return path;
}

QByteArray readFileBytes(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void writeFileBytes(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("cannot write " + path.toStdString());
    f.write(bytes);
}

void PrintTo(const QString &text, std::ostream *os)
{
    QString shown = text.left(300);
    shown.replace(QStringLiteral("\r"), QStringLiteral("\\r")).replace(QStringLiteral("\n"), QStringLiteral("\\n"));
    *os << '"' << shown.toStdString() << '"';
    if (text.size() > 300)
        *os << "... (" << text.size() << " chars)";
}

void writeZip(const QString &path, const std::vector<std::pair<QByteArray, QByteArray>> &members)
{
    int error = 0;
    zip_t *archive =
        zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    ASSERT_NE(archive, nullptr);
    for (const auto &[name, data] : members) {
        if (name.endsWith('/')) {
            ASSERT_GE(zip_dir_add(archive, name.constData(), ZIP_FL_ENC_UTF_8), 0);
            continue;
        }
        zip_source_t *source =
            zip_source_buffer(archive, data.constData(), zip_uint64_t(data.size()), 0);
        ASSERT_GE(zip_file_add(archive, name.constData(), source, ZIP_FL_ENC_UTF_8), 0);
    }
    ASSERT_EQ(zip_close(archive), 0);
}
