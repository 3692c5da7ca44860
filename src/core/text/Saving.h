#pragma once

#include "core/text/TextDecoding.h"

#include <QByteArray>
#include <QString>

#include <functional>

// A copied page selection as one line: each CR LF becomes one space, or nothing where a space
// already stands on either side of the break or the break starts the text. Lone CR or LF stay.
QString JoinSelectionLines(const QString &text);

// A page selection as a text control gives it, a paragraph separator (U+2029) after each line,
// the first being fitted line firstLine, with CR LF after each line, except after a line that
// joinsNext says goes on in the next without a blank (broken between ideographs or inside a
// word): there the two lines run together.
QString selectionLinesForCopy(QStringView selected, int firstLine,
                              const std::function<bool(int line)> &joinsNext);

enum class SaveEncoding { Windows1252, Legacy, Utf8, ChosenCodePage };

struct SaveBytes
{
    QByteArray bytes;
    SaveEncoding encoding = SaveEncoding::Utf8;
};

// The bytes a document is written as: Windows-1252, or the legacy codec `encodingName` for
// TextEncoding::Other, when it was read so and every character survives the trip, otherwise
// UTF-8 without a byte-order mark. Either way reading the bytes back gives the text again.
SaveBytes encodeForSaving(const QString &text, TextEncoding loaded,
                          const QByteArray &encodingName = {});

// The bytes of a document read in a chosen code page (codePageNames()): written in that code
// page when the text survives the trip and the file will be read in it again - the reader
// remembers the choice for it, or decodeDocumentBytes finds the same text - otherwise as
// encodeForSaving writes it.
SaveBytes encodeForSavingInCodePage(const QString &text, const QString &codePage, bool remembered,
                                    TextEncoding loaded, const QByteArray &encodingName = {});

// Writes into a temporary file beside the target and renames it over the target, so a failed
// write leaves an existing file as it was. False with the reason in `error` on failure.
bool writeFileAtomically(const QString &path, const QByteArray &bytes, QString *error = nullptr);

// The name the save dialog starts with: the document without its extension, or for an archive
// member the archive's folder and the member's name without its extension.
QString saveDialogPrefill(const QString &fileName, const QString &archiveMember);

// The default extension for the save dialog's filter entry `filterIndex` (0-based).
QString saveSuffixForFilter(int filterIndex);

// How long the internal editor lets a text grow.
qsizetype editorMaxLength(qsizetype loadedLength);
