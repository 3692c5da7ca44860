#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

// The text of a document as it was loaded, kept beside the working text the pages show so that
// line-break rules can be turned back on and the text saved as it was. Held as UTF-8 when that
// is lossless: for a book in a Latin script that halves its cost, which decides whether a book
// of hundreds of megabytes opens in a few times its size.
class CompactText
{
public:
    CompactText() = default;
    explicit CompactText(QStringView text);
    // Takes the text as the first utf8Size bytes of utf8, valid UTF-8 already, without copying
    // them; length: its size in UTF-16 units.
    static CompactText fromUtf8(const QByteArray &utf8, qsizetype utf8Size, qsizetype length);

    QString toString() const;
    qsizetype size() const { return length; } // in UTF-16 units, as the QString it stands for
    bool isEmpty() const { return length == 0; }
    bool operator==(QStringView text) const;
    // What it costs in memory, in bytes (for measuring).
    qsizetype storedBytes() const;

private:
    QByteArrayView bytes() const { return QByteArrayView(utf8).first(utf8Size); }
    QByteArray utf8;
    qsizetype utf8Size = 0;
    QString wide; // used instead when the text holds unpaired surrogates, which UTF-8 cannot
    bool isWide = false;
    qsizetype length = 0;
};
