#include "app/CommandLine.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

using Action = CommandLine::Action;

struct Case
{
    const char *name;
    QStringList arguments;
    Action action;
    QStringList files;
    QString error;
};

TEST(CommandLineTest, OptionsFilesAndErrors)
{
    const QList<Case> cases = {
        {"nothing", {}, Action::Run, {}, {}},
        {"one book", {"book.txt"}, Action::Run, {"book.txt"}, {}},
        {"books keep their order", {"a.txt", "b.txt"}, Action::Run, {"a.txt", "b.txt"}, {}},
        {"help long", {"--help"}, Action::Help, {}, {}},
        {"help short", {"-h"}, Action::Help, {}, {}},
        {"help wins over a later bad option",
         {"book.txt", "--help", "--bogus"},
         Action::Help,
         {},
         {}},
        {"version", {"--version"}, Action::Version, {}, {}},
        {"unknown long option", {"--bogus"}, Action::Error, {}, "unknown option '--bogus'"},
        {"unknown short option", {"-x", "book.txt"}, Action::Error, {}, "unknown option '-x'"},
        {"version is not a prefix match",
         {"--versions"},
         Action::Error,
         {},
         "unknown option '--versions'"},
        {"a lone dash is a file name", {"-"}, Action::Run, {"-"}, {}},
        {"after -- a dash starts a file name",
         {"--", "--help", "-x.txt"},
         Action::Run,
         {"--help", "-x.txt"},
         {}},
        {"Qt option with a separate value",
         {"-platform", "offscreen", "book.txt"},
         Action::Run,
         {"book.txt"},
         {}},
        {"Qt option with two dashes and =",
         {"--style=Fusion", "book.txt"},
         Action::Run,
         {"book.txt"},
         {}},
        {"Qt flag", {"-reverse", "book.txt"}, Action::Run, {"book.txt"}, {}},
        {"Qt flag does not take a value with =",
         {"-reverse=1"},
         Action::Error,
         {},
         "unknown option '-reverse=1'"},
        {"Qt option missing its value",
         {"book.txt", "-style"},
         Action::Error,
         {},
         "option '-style' needs a value"},
        {"value of a Qt option is not a book", {"-qwindowtitle", "x.txt"}, Action::Run, {}, {}},
        {"toc with its file", {"--toc", "book.txt"}, Action::Toc, {"book.txt"}, {}},
        {"toc with = and a Qt option after",
         {"--toc=a b.txt", "-platform", "xcb"},
         Action::Toc,
         {"a b.txt"},
         {}},
        {"toc file may look like an option", {"--toc", "-x.txt"}, Action::Toc, {"-x.txt"}, {}},
        {"toc without its file", {"--toc"}, Action::Error, {}, "option '--toc' needs a file"},
        {"toc and a book to open",
         {"other.txt", "--toc", "book.txt"},
         Action::Error,
         {},
         "option '--toc' lists one file, not also 'other.txt'"},
        {"toc and a bad option",
         {"--toc", "b.txt", "--bogus"},
         Action::Error,
         {},
         "unknown option '--bogus'"},
        {"names with spaces and brackets",
         {"Bücher [1]/a = b.txt"},
         Action::Run,
         {"Bücher [1]/a = b.txt"},
         {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const CommandLine parsed = parseCommandLine(c.arguments);
        EXPECT_EQ(parsed.action, c.action);
        if (c.action == Action::Run || c.action == Action::Toc) {
            EXPECT_EQ(parsed.files, c.files);
        }
        EXPECT_EQ(parsed.error, c.error);
    }
}

TEST(CommandLineTest, UsageNamesEveryOptionAndVersionNamesTheRelease)
{
    const QString usage = usageText();
    for (const char *option : {"--help", "--version", "--toc FILE", "--", "[FILE]"})
        EXPECT_TRUE(usage.contains(QLatin1String(option))) << option;
    EXPECT_TRUE(usage.endsWith(u'\n'));
    // Every kind of file the reader opens is named.
    for (const char *format : {"plain text", "HTML", "RTF", ".zip", ".tar", ".tar.gz", ".tgz",
                               ".tar.bz2", ".tbz2", ".tbz", ".tar.xz", ".txz", ".gz", ".bz2", ".xz"})
        EXPECT_TRUE(usage.contains(QLatin1String(format))) << format;
    EXPECT_EQ(versionText(), QStringLiteral("Tavolex " TAVOLEX_VERSION "\n"));
}

} // namespace
