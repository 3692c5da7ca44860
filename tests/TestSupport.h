#pragma once

#include <QByteArray>
#include <QString>

#include <ostream>
#include <utility>
#include <vector>

struct HostileText
{
    const char *name;
    QString text;
};

// Texts every text function must survive: empty, NUL, lone CR, lone LF, CR LF, BOM,
// surrogate pairs, a 1 MB line, only blanks.
const std::vector<HostileText> &hostileTexts();

// A fresh, empty folder that is removed when the test program ends.
QString makeTempDir();

QByteArray readFileBytes(const QString &path);
void writeFileBytes(const QString &path, const QByteArray &bytes);

// Readable failure messages for QString comparisons.
void PrintTo(const QString &text, std::ostream *os);

// Writes a ZIP archive of (name, bytes) members with libzip, in the given order; a name ending
// in "/" is a folder entry, as "zip -r" writes one. Fails the test when it cannot.
void writeZip(const QString &path, const std::vector<std::pair<QByteArray, QByteArray>> &members);
