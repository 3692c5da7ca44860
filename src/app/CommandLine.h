#pragma once

#include <QString>
#include <QStringList>

// What the command line asks for. Read before the application object exists, so that
// --help and --version work without a display.
struct CommandLine
{
    enum class Action { Run, Help, Version, Toc, Error };
    Action action = Action::Run;
    QStringList files; // plain arguments in order; the first is the book to open (or list, Toc)
    QString error;     // for Error: one line naming the bad option
};

// arguments: the command line without the program name. Qt's own options (-platform NAME,
// -style NAME, -reverse ...) are let through for the application object to take.
CommandLine parseCommandLine(const QStringList &arguments);

QString usageText();
QString versionText();
