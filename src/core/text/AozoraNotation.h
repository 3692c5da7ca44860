#pragma once

#include <QList>
#include <QString>
#include <QStringView>

// How readings in 《》 end up: kept aside and drawn over their base, written after the base in
// brackets, or dropped.
enum class RubyForm { Above, Brackets, Hidden };

// The texts stored per book ("Above", "Brackets", "Hidden"); unknown text gives Above.
QString rubyFormKey(RubyForm form);
RubyForm rubyFormFromKey(const QString &key);

struct RubySpan
{
    qsizetype base = 0; // position of the base in the converted text
    qsizetype length = 0;
    QString reading;
};

struct AozoraHeading
{
    qsizetype position = 0;
    qsizetype length = 0;
    int level = 1; // 1 large (大見出し), 2 middle, 3 small
};

// A line of an indented block: its first characters are `characters` ideographic spaces, and
// every fitted line of it stands that far in.
struct AozoraIndent
{
    qsizetype lineStart = 0;
    qsizetype lineLength = 0; // the line without its line break
    int characters = 0;
};

// Emphasis marks (傍点) over each character of a run.
struct AozoraEmphasis
{
    qsizetype position = 0;
    qsizetype length = 0;
    QChar mark; // drawn over every character: ﹅ sesame, ﹆ white sesame, ● ○ ▲ △ ◎ ◉ ×
};

struct AozoraBook
{
    QString text;
    QList<RubySpan> ruby;          // RubyForm::Above only, in text order
    QList<AozoraHeading> headings; // in text order
    // Where the text after a page break begins (its first non-blank line), in text order.
    QList<qsizetype> sectionStarts;
    QList<AozoraIndent> indents; // in text order
    QList<AozoraEmphasis> emphasis; // in text order
};

// A text written in the notation: ruby in 《》 together with ［＃…］ annotations, or the
// notation's symbol-explanation block. Chinese titles in 《》 alone do not make one.
bool looksLikeAozora(QStringView text);

// Converts a text with CR LF line ends. Nothing that is not notation is lost: a bracket that
// opens no ruby or annotation stays in the text. A long text is converted in parts on up to
// `threads` threads, with the same result as on one.
AozoraBook convertAozora(QStringView text, RubyForm form, int threads = 1);

// convertAozora with the text cut into parts at the first line start at or after each cut.
AozoraBook convertAozoraInParts(QStringView text, RubyForm form, const QList<qsizetype> &cuts,
                                int threads);

// The character a gaiji annotation's content (the text inside ※［＃…］) names by JIS X 0213
// plane-row-cell or by code point; empty when it names none.
QString aozoraGaiji(QStringView annotation);

// The text with each reading written in brackets after its base, as RubyForm::Brackets writes it:
// a text file keeps the readings that are otherwise drawn above.
QString withReadingsInBrackets(QStringView text, const QList<RubySpan> &ruby);

// The marks of `before` at their places in `after`, the same text edited: marks before the first
// and after the last changed character move with the text, those the change touches are gone.
AozoraBook carriedThroughEdit(const AozoraBook &marks, QStringView before, QStringView after);

// Sorted positions in `loaded` carried into `working`, the same text with line breaks joined
// (a CR LF replaced by one space or taken out) and characters replaced one for one.
QList<qsizetype> carryIntoJoinedText(QStringView loaded, QStringView working,
                                     const QList<qsizetype> &positions);
