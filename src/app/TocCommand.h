#pragma once

#include <QString>

class QTextStream;

// tavolex --toc FILE: the table of contents the reader window builds for FILE, with the book's
// stored settings and a window of the default size, written to out one section a line as
// "page<TAB>first line". The window works on a copy of the settings file and is never shown,
// so the file is left as it was. Returns the exit code; errors go to err.
int printTableOfContents(const QString &settingsPath, const QString &programDir,
                         const QString &file, QTextStream &out, QTextStream &err);
