#include "app/CommandLine.h"
#include "app/TocCommand.h"
#include "core/book/SettingsValues.h"
#include "ui/Tavolex1.h"

#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QIcon>
#include <QProcessEnvironment>
#include <QTextStream>
#include <QTimer>

#include <cstdio>

namespace {

// Benchmarks start the reader with TAVOLEX_STARTUP_PROBE set to the launch time in
// nanoseconds since the epoch; once the first spread is on screen the reader prints the
// time taken and its resident memory, and quits.
void probeStartupWhenAsked(QApplication &app)
{
    bool ok = false;
    const qint64 launchedNs = qEnvironmentVariable("TAVOLEX_STARTUP_PROBE").toLongLong(&ok);
    if (!ok)
        return;
    QTimer::singleShot(0, &app, [&app, launchedNs] {
        const qint64 nowNs = QDateTime::currentMSecsSinceEpoch() * 1000000;
        QByteArray rss = "?";
        QFile status(QStringLiteral("/proc/self/status"));
        if (status.open(QIODevice::ReadOnly)) {
            for (const QByteArray &line : status.readAll().split('\n'))
                if (line.startsWith("VmRSS:"))
                    rss = line.mid(6).simplified();
        }
        std::fprintf(stderr, "startup_ms=%.1f rss=%s\n", double(nowNs - launchedNs) / 1e6,
                     rss.constData());
        app.quit();
    });
}

} // namespace

int main(int argc, char *argv[])
{
    QStringList rawArguments;
    for (int i = 1; i < argc; ++i)
        rawArguments.append(QString::fromLocal8Bit(argv[i]));
    const CommandLine commandLine = parseCommandLine(rawArguments);
    switch (commandLine.action) {
    case CommandLine::Action::Help:
        std::fputs(usageText().toLocal8Bit().constData(), stdout);
        return 0;
    case CommandLine::Action::Version:
        std::fputs(versionText().toLocal8Bit().constData(), stdout);
        return 0;
    case CommandLine::Action::Error:
        std::fprintf(stderr, "tavolex: %s\nTry 'tavolex --help' for more information.\n",
                     commandLine.error.toLocal8Bit().constData());
        return 2;
    case CommandLine::Action::Toc:
        // Fonts need the application object, but no window is shown: no display is needed.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        break;
    case CommandLine::Action::Run:
        break;
    }

    // Read on another core while the application and its window are set up.
    std::unique_ptr<BookPrefetch> prefetch;
    if (commandLine.action == CommandLine::Action::Run && !commandLine.files.isEmpty())
        prefetch = BookPrefetch::start(commandLine.files.first());

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tavolex"));
    QApplication::setApplicationVersion(QStringLiteral(TAVOLEX_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("org.tavolex.Tavolex"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("org.tavolex.Tavolex")));
    const QString programDir = QApplication::applicationDirPath();
    const QString settingsPath = settingsFilePath(programDir, folderAccess(programDir),
                                                  QProcessEnvironment::systemEnvironment());
    if (commandLine.action == CommandLine::Action::Toc) {
        QTextStream out(stdout);
        QTextStream err(stderr);
        return printTableOfContents(settingsPath, programDir, commandLine.files.first(), out, err);
    }
    TForm1 form(settingsPath, programDir, commandLine.files);
    if (form.noFontsLeft())
        return 0;
    form.prefetchBook(std::move(prefetch));
    form.show();
    probeStartupWhenAsked(app);
    return app.exec();
}
