#include "core/text/Saving.h"

#include "core/text/CompressedBooks.h"
#include "core/text/CodePages.h"

#include <QFileInfo>
#include <QSaveFile>
#include <QStringEncoder>

namespace {

bool isLineEnd(QChar c)
{
    return c == u'\r' || c == u'\n';
}

QString stripExtension(const QString &name)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? name : name.left(dot);
}

} // namespace

QString selectionLinesForCopy(QStringView selected, int firstLine,
                              const std::function<bool(int line)> &joinsNext)
{
    QString out;
    out.reserve(selected.size() + 16);
    int line = firstLine;
    for (const QChar c : selected) {
        if (c == QChar::ParagraphSeparator) {
            if (!(joinsNext && joinsNext(line)))
                out += QStringLiteral("\r\n");
            ++line;
        } else if (c == QChar::LineSeparator) {
            out += QStringLiteral("\r\n");
        } else {
            out += c;
        }
    }
    return out;
}

QString JoinSelectionLines(const QString &text)
{
    const qsizetype n = text.size();
    QString out;
    out.reserve(n);
    QChar lastOther; // the last character of `out` that is neither CR nor LF
    bool haveOther = false;
    qsizetype ahead = -1; // first index at or after the current pair that is not CR or LF
    qsizetype i = 0;
    while (i < n) {
        if (!(text[i] == u'\r' && i + 1 < n && text[i + 1] == u'\n')) {
            out += text[i];
            if (!isLineEnd(text[i])) {
                lastOther = text[i];
                haveOther = true;
            }
            ++i;
            continue;
        }
        i += 2;
        // Removing a pair can bring a lone CR and a lone LF together into the next pair.
        for (;;) {
            if (out.isEmpty())
                break;
            bool needSpace = !(haveOther && lastOther == u' ');
            if (needSpace) {
                if (ahead < i) {
                    ahead = i;
                    while (ahead < n && isLineEnd(text[ahead]))
                        ++ahead;
                }
                if (ahead < n && text[ahead] == u' ')
                    needSpace = false;
            }
            if (needSpace) {
                out += u' ';
                lastOther = u' ';
                haveOther = true;
                break;
            }
            if (!(out.endsWith(u'\r') && i < n && text[i] == u'\n'))
                break;
            out.chop(1);
            ++i;
        }
    }
    return out;
}

SaveBytes encodeForSaving(const QString &text, TextEncoding loaded, const QByteArray &encodingName)
{
    SaveBytes result;
    if (loaded == TextEncoding::Windows1252) {
        QStringEncoder encoder("windows-1252");
        QByteArray bytes = encoder.isValid() ? QByteArray(encoder.encode(text)) : QByteArray();
        // Bytes that also read as valid UTF-8 would come back as other characters; so would
        // bytes the detector takes for another code page.
        const bool readsBack = encoder.isValid() && !encoder.hasError() &&
                               decodeWindows1252(bytes) == text &&
                               (!isValidUtf8(bytes) || QString::fromUtf8(bytes) == text) &&
                               decodeDocumentBytes(bytes).text == text;
        if (readsBack) {
            result.bytes = std::move(bytes);
            result.encoding = SaveEncoding::Windows1252;
            return result;
        }
    }
    if (loaded == TextEncoding::Other && !encodingName.isEmpty()) {
        QByteArray bytes;
        QString back;
        // A codec that cannot hold a character substitutes it, so only a full round trip
        // shows that nothing was lost; a reader must also recognise the codec again.
        if (encodeWithCodec(text, encodingName, bytes) &&
            decodeWithCodec(bytes, encodingName, back) && back == text &&
            decodeDocumentBytes(bytes).text == text) {
            result.bytes = std::move(bytes);
            result.encoding = SaveEncoding::Legacy;
            return result;
        }
    }
    result.bytes = text.toUtf8();
    result.encoding = SaveEncoding::Utf8;
    return result;
}

SaveBytes encodeForSavingInCodePage(const QString &text, const QString &codePage, bool remembered,
                                    TextEncoding loaded, const QByteArray &encodingName)
{
    QByteArray bytes;
    if (!codePage.isEmpty() && encodeInCodePage(text, codePage, bytes) &&
        (remembered || decodeDocumentBytes(bytes).text == text)) {
        SaveBytes result;
        result.bytes = std::move(bytes);
        result.encoding = SaveEncoding::ChosenCodePage;
        return result;
    }
    return encodeForSaving(text, loaded, encodingName);
}

bool writeFileAtomically(const QString &path, const QByteArray &bytes, QString *error)
{
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    const bool ok =
        file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
    if (!ok) {
        if (error)
            *error = file.errorString();
        file.cancelWriting();
    }
    return ok;
}

QString saveDialogPrefill(const QString &fileName, const QString &archiveMember)
{
    if (archiveMember.isEmpty()) {
        // A compressed book is offered by the name of the book inside, not as "book.html".
        const QString book = InnerBookName(fileName);
        const qsizetype slash = book.lastIndexOf(u'/');
        return book.left(slash + 1) + stripExtension(book.mid(slash + 1));
    }
    // Folders inside the archive do not exist beside it; only the member's own name is offered.
    QString member = archiveMember;
    member.replace(u'\\', u'/');
    member = member.mid(member.lastIndexOf(u'/') + 1);
    const qsizetype slash = fileName.lastIndexOf(u'/');
    return fileName.left(slash + 1) + stripExtension(member);
}

QString saveSuffixForFilter(int filterIndex)
{
    return filterIndex == 1 ? QStringLiteral("tvx") : QStringLiteral("txt");
}

qsizetype editorMaxLength(qsizetype loadedLength)
{
    return loadedLength <= 100000 ? 1000000 : loadedLength * 10;
}
