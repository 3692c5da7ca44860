#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <vector>

// The text of a document as it was loaded, kept beside the working text the pages show so that
// line-break rules can be turned back on and the text saved as it was. Where it can, it is the
// working text itself (shared, not copied) plus where the removal of line breaks joined lines:
// a book then costs its one decoded copy, which decides whether a book of hundreds of megabytes
// opens in twice its size. Otherwise it is held as UTF-8 when that is lossless.
class CompactText
{
public:
    CompactText() = default;
    explicit CompactText(QStringView text);
    // Takes the text as the first utf8Size bytes of utf8, valid UTF-8 already, without copying
    // them; length: its size in UTF-16 units.
    static CompactText fromUtf8(const QByteArray &utf8, qsizetype utf8Size, qsizetype length);
    // The text as `text` holds it, sharing its data.
    static CompactText sharing(const QString &text);

    QString toString() const;
    // The text, this one left sharing it: expanded in place when lines were joined, without a
    // second copy beside it.
    QString takeString();
    qsizetype size() const { return length; } // in UTF-16 units, as the QString it stands for
    bool isEmpty() const { return length == 0; }
    bool operator==(QStringView text) const;
    // What it costs in memory beyond a working text it shares, in bytes (for measuring).
    qsizetype storedBytes() const;

    // Whether it is `working` with some of its lines joined: the line breaks removed from the
    // working text can then be kept instead of the text.
    bool sharesData(const QString &working) const;
    // Lets go of the shared text while the working text is changed in place (which would copy
    // it whole), keeping the joins; rebase() must follow.
    void releaseShared();
    // The working text after the removal of more line breaks: joins are the positions in it
    // where a CR LF was taken out, each times two, plus one where a space took its place.
    void rebase(const QString &working, std::vector<qsizetype> joins);

private:
    QByteArrayView bytes() const { return QByteArrayView(utf8).first(utf8Size); }
    QByteArray utf8;
    qsizetype utf8Size = 0;
    QString wide; // used instead when the text holds unpaired surrogates, which UTF-8 cannot
    bool isWide = false;
    // The shared form: `wide` is the working text; each layer undoes one removal, the last
    // applied first.
    bool isShared = false;
    std::vector<std::vector<qsizetype>> layers;
    qsizetype length = 0;
};
