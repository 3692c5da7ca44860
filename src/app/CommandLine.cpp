#include "app/CommandLine.h"

#include <optional>

namespace {

// Options QGuiApplication and QApplication read themselves; those in the first list take a
// value, either as the next argument or after "=".
const QStringList &qtOptionsWithValue()
{
    static const QStringList options = {
        QStringLiteral("platform"),
        QStringLiteral("platformpluginpath"),
        QStringLiteral("platformtheme"),
        QStringLiteral("plugin"),
        QStringLiteral("qwindowgeometry"),
        QStringLiteral("qwindowicon"),
        QStringLiteral("qwindowtitle"),
        QStringLiteral("session"),
        QStringLiteral("display"),
        QStringLiteral("geometry"),
        QStringLiteral("style"),
        QStringLiteral("stylesheet"),
        QStringLiteral("name"),
        QStringLiteral("title"),
    };
    return options;
}

const QStringList &qtFlags()
{
    static const QStringList flags = {QStringLiteral("reverse"), QStringLiteral("widgetcount"),
                                      QStringLiteral("nograb"), QStringLiteral("dograb"),
                                      QStringLiteral("sync")};
    return flags;
}

} // namespace

CommandLine parseCommandLine(const QStringList &arguments)
{
    CommandLine result;
    bool optionsEnded = false;
    std::optional<QString> tocFile;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (optionsEnded || argument.size() < 2 || !argument.startsWith(u'-')) {
            result.files.append(argument);
            continue;
        }
        if (argument == u"--") {
            optionsEnded = true;
            continue;
        }
        if (argument == u"-h" || argument == u"--help") {
            result.action = CommandLine::Action::Help;
            return result;
        }
        if (argument == u"--version") {
            result.action = CommandLine::Action::Version;
            return result;
        }
        if (argument == u"--toc" || argument.startsWith(u"--toc=")) {
            if (argument == u"--toc" && i + 1 >= arguments.size()) {
                result.action = CommandLine::Action::Error;
                result.error = QStringLiteral("option '--toc' needs a file");
                return result;
            }
            tocFile = argument == u"--toc" ? arguments[++i] : argument.mid(6);
            continue;
        }
        // Qt accepts its options with one dash or two.
        QString name = argument.mid(argument.startsWith(u"--") ? 2 : 1);
        const qsizetype equals = name.indexOf(u'=');
        const bool valueAttached = equals >= 0;
        if (valueAttached)
            name.truncate(equals);
        if (qtOptionsWithValue().contains(name)) {
            if (!valueAttached && ++i >= arguments.size()) {
                result.action = CommandLine::Action::Error;
                result.error = QStringLiteral("option '%1' needs a value").arg(argument);
                return result;
            }
            continue;
        }
        if (!valueAttached && qtFlags().contains(name))
            continue;
        result.action = CommandLine::Action::Error;
        result.error = QStringLiteral("unknown option '%1'").arg(argument);
        return result;
    }
    if (tocFile) {
        if (!result.files.isEmpty()) {
            result.action = CommandLine::Action::Error;
            result.error = QStringLiteral("option '--toc' lists one file, not also '%1'")
                               .arg(result.files.first());
            return result;
        }
        result.action = CommandLine::Action::Toc;
        result.files = {*tocFile};
    }
    return result;
}

QString usageText()
{
    return QStringLiteral(
        "Usage: tavolex [OPTION]... [FILE]\n"
        "Shows FILE as the two facing pages of an open book: plain text, HTML or RTF, a ZIP or\n"
        "tar archive holding them (.zip, .tar, .tar.gz, .tgz, .tar.bz2, .tbz2, .tbz, .tar.xz,\n"
        ".txz), or one of them compressed with gzip, bzip2 or xz (.gz, .bz2, .xz). Without\n"
        "FILE the reader starts empty, or with the book read last when \"Auto-open last\n"
        "file\" is on in the menu.\n"
        "\n"
        "  -h, --help     show this help and exit\n"
        "      --version  show the version and exit\n"
        "      --toc FILE print the table of contents of FILE, one section a line (its page,\n"
        "                 a tab, its first line), as the window of the default size builds\n"
        "                 it with the book's stored settings; writes no settings\n"
        "      --         end of options: every later argument is a file name\n"
        "\n"
        "Qt's own options (-platform NAME, -style NAME, -reverse ...) are accepted.\n"
        "Settings are kept in Tavolex.ini beside the program when its folder is writable\n"
        "(and not /usr/bin), else in $XDG_CONFIG_HOME/tavolex/ (~/.config/tavolex/).\n");
}

QString versionText()
{
    return QStringLiteral("Tavolex " TAVOLEX_VERSION "\n");
}
