#pragma once

// Compressed books and tar archives made with the command-line tools, as users make them.

#include "TestSupport.h"

#include <QProcess>
#include <QStringList>

#include <gtest/gtest.h>

// Runs program in folder with input on its standard input; its standard output, or an empty
// array with a test failure when it does not succeed.
inline QByteArray runTool(const QString &folder, const QString &program,
                          const QStringList &arguments, const QByteArray &input = {})
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start(program, arguments);
    if (!process.waitForStarted()) {
        ADD_FAILURE() << program.toStdString() << " does not start";
        return {};
    }
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        ADD_FAILURE() << program.toStdString()
                      << " failed: " << process.readAllStandardError().toStdString();
        return {};
    }
    return process.readAllStandardOutput();
}

// The program that writes files ending in suffix: "gz", "bz2" or "xz".
inline QString compressorFor(const QString &suffix)
{
    return suffix == u"gz"    ? QStringLiteral("gzip")
           : suffix == u"bz2" ? QStringLiteral("bzip2")
                              : QStringLiteral("xz");
}

inline QByteArray compressed(const QByteArray &bytes, const QString &suffix)
{
    return runTool(QStringLiteral("/"), compressorFor(suffix), {QStringLiteral("-c")}, bytes);
}

// Writes archive with exactly the given entries of folder, in this order (a folder entry does not
// bring its contents); compression "" or "gz", "bz2", "xz".
inline void writeTar(const QString &archive, const QString &folder, const QStringList &entries,
                     const QString &compression = {})
{
    QStringList arguments{QStringLiteral("-c")};
    if (!compression.isEmpty())
        arguments << QStringLiteral("--use-compress-program=") + compressorFor(compression);
    arguments << QStringLiteral("-f") << archive << QStringLiteral("--no-recursion")
              << QStringLiteral("-C") << folder << QStringLiteral("--") << entries;
    runTool(folder, QStringLiteral("tar"), arguments);
}
