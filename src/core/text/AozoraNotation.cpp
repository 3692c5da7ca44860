#include "core/text/AozoraNotation.h"

#include "core/base/ParallelWork.h"
#include "core/text/CharacterScan.h"
#include "core/text/TextDecoding.h"

#include <QHash>
#include <QRegularExpression>

#include <algorithm>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace {

constexpr char16_t kRubyOpen = u'《';
constexpr char16_t kRubyClose = u'》';
constexpr char16_t kBaseMark = u'｜';
constexpr char16_t kGaijiMark = u'※';
constexpr char16_t kAnnotationOpen = u'［';
constexpr char16_t kAnnotationClose = u'］';
constexpr char16_t kFullWidthSpace = u'\u3000';
// Longer than any reading; a 《 further from its 》 is a quotation mark of some other use.
constexpr qsizetype kMaxReading = 100;
constexpr qsizetype kMaxAnnotation = 500;

const QString kSymbolBlockTitle = QStringLiteral(u"【テキスト中に現れる記号について】");

QString gaijiCharacter(QStringView annotation);

// The first character from i on that may start notation, or the end of the text.
qsizetype nextNotationStart(QStringView text, qsizetype i)
{
    return indexOfAnyOf4(text, i, kGaijiMark, kAnnotationOpen, kBaseMark, kRubyOpen);
}

// Where the CR LF at or after `from` stands, -1 when none does. A single character is searched
// for many at a time; a two-character needle is not.
qsizetype lineEnd(QStringView text, qsizetype from)
{
    for (qsizetype cr = text.indexOf(u'\r', from); cr >= 0; cr = text.indexOf(u'\r', cr + 1))
        if (cr + 1 < text.size() && text[cr + 1] == u'\n')
            return cr;
    return -1;
}

bool startsAnnotation(QStringView text, qsizetype i)
{
    return i + 1 < text.size() && text[i] == kAnnotationOpen && text[i + 1] == u'＃';
}

// The position of the ］ that closes the ［＃ at i, nested brackets counted; -1 when the line
// does not close it.
qsizetype annotationEnd(QStringView line, qsizetype i)
{
    int depth = 0;
    const qsizetype limit = std::min(line.size(), i + kMaxAnnotation);
    for (qsizetype j = i; j < limit; ++j) {
        if (line[j] == kAnnotationOpen)
            ++depth;
        else if (line[j] == kAnnotationClose && --depth == 0)
            return j;
    }
    return -1;
}

// The 》 that closes a reading opened at i; -1 when none does on the line, or another 《 comes
// first.
qsizetype readingEnd(QStringView line, qsizetype i)
{
    const qsizetype limit = std::min(line.size(), i + 1 + kMaxReading);
    for (qsizetype j = i + 1; j < limit; ++j) {
        if (line[j] == kRubyClose)
            return j > i + 1 ? j : -1;
        if (line[j] == kRubyOpen)
            return -1;
        if (startsAnnotation(line, j)) {
            const qsizetype end = annotationEnd(line, j);
            if (end < 0)
                return -1;
            j = end;
        }
    }
    return -1;
}

enum class RunKind { None, Kanji, Hiragana, Katakana, FullWidthLatin, Latin };

RunKind runKind(char32_t c)
{
    if ((c >= 0x4E00 && c <= 0x9FFF) || (c >= 0x3400 && c <= 0x4DBF))
        return RunKind::Kanji;
    if ((c >= 0x3041 && c <= 0x3096) || (c >= 0x30A1 && c <= 0x30FA))
        return c < 0x30A0 ? RunKind::Hiragana : RunKind::Katakana;
    if (c == u'々' || c == u'〆' || c == u'〇' || c == u'ヶ' || c == u'ヵ' || c == u'仝' ||
        QChar::script(c) == QChar::Script_Han)
        return RunKind::Kanji;
    if ((c >= 0x3041 && c <= 0x309F) || c == u'ゝ' || c == u'ゞ')
        return RunKind::Hiragana;
    if ((c >= 0x30A0 && c <= 0x30FF) || (c >= 0x31F0 && c <= 0x31FF) || (c >= 0xFF66 && c <= 0xFF9F))
        return RunKind::Katakana;
    if ((c >= 0xFF10 && c <= 0xFF19) || (c >= 0xFF21 && c <= 0xFF3A) || (c >= 0xFF41 && c <= 0xFF5A))
        return RunKind::FullWidthLatin;
    if (c < 0x80 ? QChar::isLetterOrNumber(c) : (QChar::isLetter(c) && c < 0x2000))
        return RunKind::Latin;
    return RunKind::None;
}

// Where the run of one kind of characters that ends at `end` begins; a ruby without ｜ belongs
// to such a run.
qsizetype implicitBaseStart(const QString &out, qsizetype from, qsizetype end)
{
    qsizetype start = end;
    RunKind kind = RunKind::None;
    while (start > from) {
        qsizetype prev = start - 1;
        char32_t c = out[prev].unicode();
        if (out[prev].isLowSurrogate() && prev > from && out[prev - 1].isHighSurrogate()) {
            --prev;
            c = QChar::surrogateToUcs4(out[prev], out[start - 1]);
        }
        const RunKind k = runKind(c);
        if (k == RunKind::None || (kind != RunKind::None && k != kind))
            break;
        kind = k;
        start = prev;
    }
    return start;
}

int numberIn(QStringView digits)
{
    int n = 0;
    for (const QChar c : digits) {
        const int d = c.unicode() >= u'０' && c.unicode() <= u'９' ? c.unicode() - u'０'
                                                                 : c.digitValue();
        if (d < 0 || n > 1000)
            return n;
        n = n * 10 + d;
    }
    return n;
}

bool isBlankRun(QStringView text)
{
    for (const QChar c : text)
        if (c != kFullWidthSpace && c != u' ' && c != u'\t')
            return false;
    return true;
}

class Converter
{
public:
    explicit Converter(RubyForm form) : form(form) {}
    Converter(const Converter &) = delete;
    Converter &operator=(const Converter &) = delete;

    // The lines of text from `from` to `to`, a line start or the end of the text; what follows
    // `to` is read only to recognise the symbol-explanation block.
    void convertRange(QStringView text, qsizetype from, qsizetype to);
    // No block, heading, emphasis or page break is open: what follows converts as it would
    // at the start of a text.
    bool atRest() const
    {
        return blockIndent == 0 && emphasisStart < 0 && headingStart < 0 && !sectionPending &&
               !inSymbolBlock;
    }
    void reserve(qsizetype size) { out.reserve(size); }
    void reserveRuby(qsizetype count) { book.ruby.reserve(count); }
    // Appends what `next` converted from the start of a text, taking over its open state.
    void append(Converter &next);
    AozoraBook finish();

private:
    void convertLine(QStringView line);
    void annotation(QStringView content);
    // Where the quoted text last stands on the line written so far; -1 when not there.
    qsizetype quotedOnLine(const QString &quoted) const
    {
        const qsizetype found = QStringView(out).sliced(lineStart).lastIndexOf(quoted);
        return found < 0 ? -1 : lineStart + found;
    }
    // Gaiji and annotations inside a reading: the characters kept, the annotations dropped.
    QString inlineText(QStringView text);
    // A book gives the same readings again and again: they share one string each.
    QString sharedReading(QStringView written)
    {
        const std::u16string_view key(written.utf16(), size_t(written.size()));
        if (const auto found = readings.find(key); found != readings.end())
            return found->second;
        QString reading = inlineText(written);
        if (readings.size() < 65536)
            readings.emplace(key, reading);
        return reading;
    }
    void addRuby(qsizetype baseStart, QStringView written);

    RubyForm form;
    AozoraBook book;
    QString &out = book.text;
    qsizetype lineStart = 0;
    int blockIndent = 0;
    int lineIndent = 0; // ideographic spaces the notation put at the start of this line
    qsizetype emphasisStart = -1;
    bool pageBreak = false;
    bool sectionPending = false;
    qsizetype headingStart = -1;
    int headingLevel = 0;
    bool lineHasText = false;
    bool inSymbolBlock = false;
    // By their text in the book converted. Qt's string hash is made for long keys; the standard
    // library's is several times quicker on a reading's few characters.
    std::unordered_map<std::u16string_view, QString> readings;
};

const QRegularExpression &quotedHeadingPattern()
{
    static const QRegularExpression pattern(
        QStringLiteral(u"^「(.+)」は(?:同行|窓)?([大中小])見出し$"));
    return pattern;
}

const QRegularExpression &blockHeadingPattern()
{
    static const QRegularExpression pattern(
        QStringLiteral(u"^(?:ここ(?:から|で))?(?:同行|窓)?([大中小])見出し(終わり)?$"));
    return pattern;
}

const QRegularExpression &indentPattern()
{
    static const QRegularExpression pattern(
        QStringLiteral(u"^(ここから)?(?:天から)?([0-9０-９]+)字下げ"));
    return pattern;
}

const QRegularExpression &quotedEmphasisPattern()
{
    static const QRegularExpression pattern(
        QStringLiteral(u"^「(.+)」(?:に|の左に)(白ゴマ|丸|白丸|黒三角|白三角|二重丸|蛇の目|ばつ)?(?:傍点|圏点)$"));
    return pattern;
}

const QRegularExpression &blockEmphasisPattern()
{
    static const QRegularExpression pattern(QStringLiteral(
        u"^(?:ここ(?:から|で))?(?:左に)?(白ゴマ|丸|白丸|黒三角|白三角|二重丸|蛇の目|ばつ)?(?:傍点|圏点)(終わり)?$"));
    return pattern;
}

QChar emphasisMark(QStringView kind)
{
    static const QList<std::pair<QStringView, char16_t>> marks = {
        {u"白ゴマ", u'\uFE46'}, {u"丸", u'●'},     {u"白丸", u'○'},   {u"黒三角", u'▲'},
        {u"白三角", u'△'},       {u"二重丸", u'◎'}, {u"蛇の目", u'◉'}, {u"ばつ", u'×'},
    };
    for (const auto &[name, mark] : marks)
        if (kind == name)
            return QChar(mark);
    return QChar(u'\uFE45');
}

int headingLevelOf(QStringView size)
{
    return size == u"大" ? 1 : size == u"中" ? 2 : 3;
}

void Converter::annotation(QStringView content)
{
    if (content == u"改ページ" || content == u"改丁" || content == u"改段" ||
        content == u"改見開き") {
        pageBreak = true;
        return;
    }
    // Patterns are tried only on annotations ending as they must: most annotations of a book
    // are of one or two kinds, and a failed match costs as much as a found one.
    const bool heading = content.endsWith(u"見出し") || content.endsWith(u"見出し終わり");
    const bool emphasis = content.endsWith(u"点") || content.endsWith(u"点終わり");
    QRegularExpressionMatch m;
    if (heading)
        m = quotedHeadingPattern().match(content);
    if (m.hasMatch()) {
        const QString title = m.captured(1);
        if (const qsizetype at = quotedOnLine(title); at >= 0)
            book.headings.append({at, title.size(), headingLevelOf(m.capturedView(2))});
        return;
    }
    if (heading)
        m = blockHeadingPattern().match(content);
    if (m.hasMatch()) {
        if (m.capturedLength(2) == 0) {
            headingStart = out.size();
            headingLevel = headingLevelOf(m.capturedView(1));
        } else if (headingStart >= 0) {
            qsizetype start = headingStart;
            while (start < out.size() && (out[start] == u'\r' || out[start] == u'\n' ||
                                          out[start] == kFullWidthSpace))
                ++start;
            qsizetype end = out.indexOf(u'\r', start);
            if (end < 0)
                end = out.size();
            if (end > start)
                book.headings.append({start, end - start, headingLevel});
            headingStart = -1;
        }
        return;
    }
    if (emphasis)
        m = quotedEmphasisPattern().match(content);
    if (m.hasMatch()) {
        const QString marked = m.captured(1);
        if (const qsizetype at = quotedOnLine(marked); at >= 0)
            book.emphasis.append({at, marked.size(), emphasisMark(m.capturedView(2))});
        return;
    }
    if (emphasis)
        m = blockEmphasisPattern().match(content);
    if (m.hasMatch()) {
        if (m.capturedLength(2) == 0) {
            emphasisStart = out.size();
        } else if (emphasisStart >= 0) {
            if (out.size() > emphasisStart)
                book.emphasis.append(
                    {emphasisStart, out.size() - emphasisStart, emphasisMark(m.capturedView(1))});
            emphasisStart = -1;
        }
        return;
    }
    if (content == u"ここで字下げ終わり") {
        blockIndent = 0;
        return;
    }
    if (content.contains(u"字下げ"))
        m = indentPattern().match(content);
    if (m.hasMatch()) {
        const int n = std::min(numberIn(m.capturedView(2)), 40);
        if (m.capturedLength(1) > 0)
            blockIndent = n;
        else if (isBlankRun(QStringView(out).sliced(lineStart))) {
            out.append(QString(n, kFullWidthSpace));
            lineIndent += n;
        }
    }
    // Typefaces, side lines, notes on the source and every other annotation leave no trace.
}

QString Converter::inlineText(QStringView text)
{
    // Readings are a few characters: a plain loop beats a call into the library's search.
    if (std::find(text.begin(), text.end(), QChar(kAnnotationOpen)) == text.end())
        return text.toString();
    QString kept;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype at = text[i] == kGaijiMark ? i + 1 : i;
        if (startsAnnotation(text, at)) {
            const qsizetype end = annotationEnd(text, at);
            if (end >= 0) {
                if (at > i) {
                    const QString gaiji = aozoraGaiji(text.sliced(at + 2, end - at - 2));
                    kept += gaiji.isEmpty() ? QString(kGaijiMark) : gaiji;
                }
                i = end;
                continue;
            }
        }
        kept += text[i];
    }
    return kept;
}

void Converter::addRuby(qsizetype baseStart, QStringView written)
{
    switch (form) {
    case RubyForm::Above:
        book.ruby.append({baseStart, out.size() - baseStart, sharedReading(written)});
        break;
    case RubyForm::Brackets:
        out += u'(' + inlineText(written) + u')';
        break;
    case RubyForm::Hidden:
        break;
    }
}

void Converter::convertLine(QStringView line)
{
    lineStart = out.size();
    pageBreak = false;
    lineHasText = false;
    lineIndent = blockIndent;
    if (blockIndent > 0)
        out.append(QString(blockIndent, kFullWidthSpace));
    qsizetype bar = -1; // where a ｜ in the converted line stands
    for (qsizetype i = 0; i < line.size(); ++i) {
        // Most of a line is text: it goes over in one piece.
        const qsizetype plain = nextNotationStart(line, i);
        if (plain > i) {
            out += line.sliced(i, plain - i);
            lineHasText = true;
            i = plain - 1;
            continue;
        }
        const QChar c = line[i];
        if (c == kGaijiMark && startsAnnotation(line, i + 1)) {
            const qsizetype end = annotationEnd(line, i + 1);
            if (end >= 0) {
                const QString gaiji = aozoraGaiji(line.sliced(i + 3, end - i - 3));
                out += gaiji.isEmpty() ? QString(kGaijiMark) : gaiji;
                lineHasText = true;
                i = end;
                continue;
            }
        }
        if (startsAnnotation(line, i)) {
            const qsizetype end = annotationEnd(line, i);
            if (end >= 0) {
                annotation(line.sliced(i + 2, end - i - 2));
                i = end;
                continue;
            }
        }
        if (c == kBaseMark) {
            bar = out.size();
        } else if (c == kRubyOpen) {
            const qsizetype end = readingEnd(line, i);
            if (end >= 0) {
                qsizetype baseStart = -1;
                if (bar >= lineStart && out.size() > bar + 1) {
                    out.remove(bar, 1);
                    baseStart = bar;
                } else {
                    const qsizetype start = implicitBaseStart(out, lineStart, out.size());
                    if (start < out.size())
                        baseStart = start;
                }
                if (baseStart >= 0) {
                    bar = -1;
                    addRuby(baseStart, line.sliced(i + 1, end - i - 1));
                    i = end;
                    continue;
                }
            }
        }
        out += c;
        lineHasText = true;
    }
    const bool annotationsOnly = !line.isEmpty() && !lineHasText;
    // Indentation alone makes no line of text.
    if (!lineHasText)
        out.truncate(lineStart);
    if (annotationsOnly && !pageBreak) {
        // A line that held nothing but annotations is no line of the book.
        return;
    }
    if (sectionPending && out.size() > lineStart) {
        book.sectionStarts.append(lineStart);
        sectionPending = false;
    }
    if (lineIndent > 0 && out.size() > lineStart)
        book.indents.append({lineStart, out.size() - lineStart, lineIndent});
    if (out.size() > lineStart || !annotationsOnly)
        out += QStringLiteral("\r\n");
    if (pageBreak) {
        out += QStringLiteral("\r\n");
        sectionPending = true;
    }
}

void Converter::convertRange(QStringView text, qsizetype from, qsizetype to)
{
    out.reserve(out.size() + (to - from));
    if (form == RubyForm::Above)
        book.ruby.reserve(book.ruby.size() + countOf(text.sliced(from, to - from), kRubyOpen));
    qsizetype pos = from;
    // Only the text's own end has a line after its last line end.
    while (pos < to || (pos == to && to == text.size())) {
        qsizetype end = lineEnd(text, pos);
        const bool last = end < 0;
        if (last)
            end = text.size();
        const QStringView line = text.sliced(pos, end - pos);
        pos = end + 2;
        const bool rule = line.size() >= 10 && line[0] == u'-' && line.count(u'-') == line.size();
        if (rule && !inSymbolBlock && !last &&
            text.sliced(pos).left(200).contains(kSymbolBlockTitle)) {
            inSymbolBlock = true;
            continue;
        }
        if (inSymbolBlock) {
            inSymbolBlock = !rule;
            continue;
        }
        convertLine(line);
        if (last)
            break;
    }
}

void Converter::append(Converter &next)
{
    const qsizetype shift = out.size();
    out += next.out;
    const auto shifted = [shift](qsizetype at) { return at < 0 ? at : at + shift; };
    for (RubySpan &span : next.book.ruby)
        book.ruby.append({span.base + shift, span.length, std::move(span.reading)});
    for (const AozoraHeading &heading : next.book.headings)
        book.headings.append({heading.position + shift, heading.length, heading.level});
    for (const qsizetype start : next.book.sectionStarts)
        book.sectionStarts.append(start + shift);
    for (const AozoraIndent &indent : next.book.indents)
        book.indents.append({indent.lineStart + shift, indent.lineLength, indent.characters});
    for (const AozoraEmphasis &run : next.book.emphasis)
        book.emphasis.append({run.position + shift, run.length, run.mark});
    lineStart = next.lineStart + shift;
    blockIndent = next.blockIndent;
    emphasisStart = shifted(next.emphasisStart);
    sectionPending = next.sectionPending;
    headingStart = shifted(next.headingStart);
    headingLevel = next.headingLevel;
    inSymbolBlock = next.inSymbolBlock;
}

AozoraBook Converter::finish()
{
    // The last line had no line end of its own.
    if (out.endsWith(QStringLiteral("\r\n")))
        out.chop(2);
    while (!book.sectionStarts.isEmpty() && book.sectionStarts.last() >= out.size())
        book.sectionStarts.removeLast();
    return std::move(book);
}

bool kanaReading(QStringView reading)
{
    for (const QChar c : reading) {
        const char16_t u = c.unicode();
        if (!((u >= 0x3041 && u <= 0x30FF) || u == u'・'))
            return false;
    }
    return !reading.isEmpty();
}

} // namespace

QString rubyFormKey(RubyForm form)
{
    switch (form) {
    case RubyForm::Brackets:
        return QStringLiteral("Brackets");
    case RubyForm::Hidden:
        return QStringLiteral("Hidden");
    case RubyForm::Above:
        break;
    }
    return QStringLiteral("Above");
}

RubyForm rubyFormFromKey(const QString &key)
{
    if (key.compare(QStringLiteral("Brackets"), Qt::CaseInsensitive) == 0)
        return RubyForm::Brackets;
    if (key.compare(QStringLiteral("Hidden"), Qt::CaseInsensitive) == 0)
        return RubyForm::Hidden;
    return RubyForm::Above;
}

bool looksLikeAozora(QStringView text)
{
    // One pass over the text for both marks' first characters: a book without either, most
    // books, is read once at memory speed.
    bool annotated = false;
    for (qsizetype i = indexOfAnyOf4(text, 0, u'【', u'［', u'【', u'［'); i < text.size();
         i = indexOfAnyOf4(text, i + 1, u'【', u'［', u'【', u'［')) {
        const QStringView from = text.sliced(i);
        if (from.startsWith(kSymbolBlockTitle))
            return true;
        annotated = annotated || from.startsWith(u"［＃");
    }
    if (!annotated)
        return false;
    // A reading in kana after a base on the same line.
    for (qsizetype i = text.indexOf(kRubyOpen); i > 0; i = text.indexOf(kRubyOpen, i + 1)) {
        const QChar before = text[i - 1];
        if (before.isSpace() || before == u'\n')
            continue;
        const qsizetype end = text.indexOf(kRubyClose, i + 1);
        if (end > i + 1 && end - i <= 40 && kanaReading(text.sliced(i + 1, end - i - 1)))
            return true;
    }
    return false;
}

AozoraBook convertAozora(QStringView text, RubyForm form, int threads)
{
    // Parts smaller than this cost more to start than they save; each part has its own.
    constexpr qsizetype kPartChars = 128 * 1024;
    const qsizetype parts =
        threads > 1 ? std::clamp<qsizetype>(text.size() / kPartChars, 1, threads) : 1;
    QList<qsizetype> cuts;
    for (qsizetype k = 1; k < parts; ++k)
        cuts.append(text.size() * k / parts);
    return convertAozoraInParts(text, form, cuts, threads);
}

AozoraBook convertAozoraInParts(QStringView text, RubyForm form, const QList<qsizetype> &cuts,
                                int threads)
{
    // Each cut moves on to the next line start.
    QList<qsizetype> starts = {0};
    for (const qsizetype cut : cuts) {
        if (cut <= 0 || cut >= text.size())
            continue;
        const qsizetype end = lineEnd(text, std::max<qsizetype>(0, cut - 2));
        if (end >= 0 && end + 2 < text.size())
            starts.append(end + 2);
    }
    std::sort(starts.begin(), starts.end());
    starts.erase(std::unique(starts.begin(), starts.end()), starts.end());
    starts.append(text.size());
    const int parts = int(starts.size() - 1);
    std::vector<std::unique_ptr<Converter>> converters;
    for (int k = 0; k < parts; ++k)
        converters.push_back(std::make_unique<Converter>(form));
    // The first part becomes the whole: room for all of it, not moved again as it grows.
    converters.front()->reserve(text.size());
    if (form == RubyForm::Above && parts > 1)
        converters.front()->reserveRuby(countOf(text, kRubyOpen));
    const auto convert = [&](int k, int) {
        converters[k]->convertRange(text, starts[k], starts[k + 1]);
    };
    if (parts > 1)
        parallelFor(parts, threads, convert);
    else
        convert(0, 0);
    // A part converted from rest is right only when the text before it left nothing open;
    // otherwise it is converted again after what came before.
    Converter &whole = *converters.front();
    for (int k = 1; k < parts; ++k) {
        if (whole.atRest())
            whole.append(*converters[k]);
        else
            whole.convertRange(text, starts[k], starts[k + 1]);
        converters[k].reset();
    }
    return whole.finish();
}

QString aozoraGaiji(QStringView annotation)
{
    // A book names the same few characters again and again; a converter is opened per lookup.
    // The last one asked for, most often asked again, is compared without making a key.
    thread_local QString lastKey;
    thread_local QString lastCharacter;
    if (annotation == lastKey && !lastKey.isNull())
        return lastCharacter;
    thread_local QHash<QString, QString> known;
    const QString key = annotation.toString();
    const auto found = known.constFind(key);
    QString character = found != known.constEnd() ? *found : gaijiCharacter(annotation);
    if (found == known.constEnd() && known.size() < 4096)
        known.insert(key, character);
    lastKey = key;
    lastCharacter = character;
    return character;
}

namespace {

QString gaijiCharacter(QStringView annotation)
{
    static const QRegularExpression codePoint(QStringLiteral("U\\+([0-9A-Fa-f]{4,6})"));
    static const QRegularExpression planeRowCell(
        QStringLiteral("(?<![0-9])([12])-([0-9]{1,2})-([0-9]{1,2})(?![0-9])"));
    QRegularExpressionMatch m = codePoint.match(annotation);
    if (m.hasMatch()) {
        const uint c = m.capturedView(1).toUInt(nullptr, 16);
        if (c > 0x20 && c <= 0x10FFFF && !QChar::isSurrogate(c) && !QChar::isNonCharacter(c))
            return QString::fromUcs4(reinterpret_cast<const char32_t *>(&c), 1);
        return {};
    }
    m = planeRowCell.match(annotation);
    if (!m.hasMatch())
        return {};
    const int plane = m.capturedView(1).toInt();
    const int row = m.capturedView(2).toInt();
    const int cell = m.capturedView(3).toInt();
    if (row < 1 || row > 94 || cell < 1 || cell > 94)
        return {};
    QByteArray euc;
    if (plane == 2)
        euc += '\x8F';
    euc += static_cast<char>(0xA0 + row);
    euc += static_cast<char>(0xA0 + cell);
    QString decoded;
    if (!decodeWithCodec(euc, QByteArrayLiteral("EUC-JISX0213"), decoded) || decoded.isEmpty() ||
        decoded.contains(QChar::ReplacementCharacter))
        return {};
    return decoded;
}

} // namespace

QString withReadingsInBrackets(QStringView text, const QList<RubySpan> &ruby)
{
    QString written;
    written.reserve(text.size() + ruby.size() * 6);
    qsizetype done = 0;
    for (const RubySpan &span : ruby) {
        const qsizetype end = span.base + span.length;
        if (span.base < done || end > text.size())
            continue;
        written += text.sliced(done, end - done);
        written += u'(' + span.reading + u')';
        done = end;
    }
    written += text.sliced(done);
    return written;
}

AozoraBook carriedThroughEdit(const AozoraBook &marks, QStringView before, QStringView after)
{
    qsizetype prefix = 0;
    const qsizetype shorter = std::min(before.size(), after.size());
    while (prefix < shorter && before[prefix] == after[prefix])
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < shorter - prefix &&
           before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
        ++suffix;
    const qsizetype changeEnd = before.size() - suffix; // first unchanged character after it
    const qsizetype shift = after.size() - before.size();
    // A span is kept when it lies wholly before or wholly after the change.
    const auto carry = [&](qsizetype start, qsizetype length, qsizetype &moved) {
        if (start + length <= prefix) {
            moved = start;
            return true;
        }
        if (start >= changeEnd) {
            moved = start + shift;
            return true;
        }
        return false;
    };
    AozoraBook carried;
    qsizetype moved = 0;
    for (const RubySpan &span : marks.ruby)
        if (carry(span.base, span.length, moved))
            carried.ruby.append({moved, span.length, span.reading});
    for (const AozoraHeading &heading : marks.headings)
        if (carry(heading.position, heading.length, moved))
            carried.headings.append({moved, heading.length, heading.level});
    for (const qsizetype start : marks.sectionStarts)
        if (carry(start, 0, moved))
            carried.sectionStarts.append(moved);
    for (const AozoraEmphasis &emphasis : marks.emphasis)
        if (carry(emphasis.position, emphasis.length, moved))
            carried.emphasis.append({moved, emphasis.length, emphasis.mark});
    for (const AozoraIndent &indent : marks.indents)
        if (carry(indent.lineStart, indent.lineLength, moved))
            carried.indents.append({moved, indent.lineLength, indent.characters});
    return carried;
}

QList<qsizetype> carryIntoJoinedText(QStringView loaded, QStringView working,
                                     const QList<qsizetype> &positions)
{
    QList<qsizetype> carried;
    carried.reserve(positions.size());
    qsizetype i = 0;
    qsizetype j = 0;
    qsizetype cr = -1; // the first CR at or after i, once looked for
    for (const qsizetype position : positions) {
        while (i < position && i < loaded.size()) {
            // Up to the next CR both texts hold the same characters.
            if (cr < i) {
                cr = loaded.indexOf(u'\r', i);
                if (cr < 0)
                    cr = loaded.size();
            }
            if (const qsizetype same = std::min(cr, position) - i; same > 0) {
                i += same;
                j += same;
                continue;
            }
            const bool joined = loaded[i] == u'\r' && i + 1 < loaded.size() &&
                                loaded[i + 1] == u'\n' &&
                                (j >= working.size() || working[j] != u'\r');
            if (joined) {
                // A space in its place, unless the space is the next line's own.
                const bool next = i + 2 < loaded.size() && loaded[i + 2] == u' ';
                if (j < working.size() && working[j] == u' ' && !next)
                    ++j;
                i += 2;
            } else {
                ++i;
                ++j;
            }
        }
        carried.append(std::min(j, working.size()));
    }
    return carried;
}
