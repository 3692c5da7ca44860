#include "core/book/IniFile.h"

#include "core/text/TextDecoding.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRandomGenerator>
#include <QStringDecoder>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

struct IniFile::Parsed
{
    enum class State { Missing, Loaded, Unreadable };
    struct Section
    {
        QString name;
        QString folded;
        qsizetype headerStart = 0;
        qsizetype end = 0; // start of the next header line, or the end of the file
    };

    State state = State::Missing;
    QByteArray raw;   // as read from disk, to tell whether the file changed
    QByteArray bytes; // UTF-8 (or hand-edited single-byte) text the edits work on
    qsizetype contentStart = 0;
    bool allUtf8 = true;
    QByteArray eol = "\n";
    std::vector<Section> sections;
    QHash<QString, int> firstByName;

    int find(const QString &name) const { return firstByName.value(name.toCaseFolded(), -1); }
};

namespace {

using Parsed = IniFile::Parsed;

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

bool isBlankByte(char c)
{
    return c == ' ' || c == '\t';
}

QString trimBlanks(QStringView s)
{
    qsizetype b = 0;
    qsizetype e = s.size();
    while (b < e && isBlank(s[b]))
        ++b;
    while (e > b && isBlank(s[e - 1]))
        --e;
    return s.sliced(b, e - b).toString();
}

bool isQuotedPair(QStringView s)
{
    return s.size() >= 2 && s.front() == u'"' && s.back() == u'"';
}

QString unquote(QString s)
{
    if (isQuotedPair(s))
        return s.sliced(1, s.size() - 2);
    return s;
}

// Values and section names lose surrounding blanks and one pair of enclosing quotes on
// reading; quoting puts back what would be lost.
QString quotedIfNeeded(const QString &s)
{
    if (!s.isEmpty() && (isBlank(s.front()) || isBlank(s.back()) || isQuotedPair(s)))
        return u'"' + s + u'"';
    return s;
}

QString keyText(const QString &key)
{
    const QChar first = key.front();
    const bool needsQuotes = isBlank(first) || isBlank(key.back()) || first == u'"' ||
                             first == u'[' || first == u';' || key.contains(u'=');
    if (!needsQuotes)
        return key;
    QString escaped = key;
    escaped.replace(u'"', QStringLiteral("\"\""));
    return u'"' + escaped + u'"';
}

bool isWritableText(const QString &s)
{
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c == u'\n' || c == u'\r')
            return false;
        if (c.isHighSurrogate()) {
            if (i + 1 >= s.size() || !s[i + 1].isLowSurrogate())
                return false;
            ++i;
        } else if (c.isLowSurrogate()) {
            return false;
        }
    }
    return true;
}

bool isValidKeyName(const QString &key)
{
    return !key.isEmpty() && isWritableText(key);
}

struct LineSpan
{
    qsizetype start = 0;
    qsizetype contentEnd = 0; // before CR LF or LF
    qsizetype next = 0;       // start of the following line
    bool newline = false;
    bool terminated() const { return newline; }
};

LineSpan lineAt(const QByteArray &bytes, qsizetype start, qsizetype end)
{
    LineSpan span;
    span.start = start;
    const qsizetype nl = bytes.indexOf('\n', start);
    if (nl < 0 || nl >= end) {
        span.contentEnd = end;
        span.next = end;
    } else {
        span.contentEnd = nl;
        span.next = nl + 1;
        span.newline = true;
    }
    if (span.contentEnd > start && bytes[span.contentEnd - 1] == '\r')
        --span.contentEnd;
    return span;
}

// QString::fromUtf8 drops a byte-order mark at the start, which may begin a name here.
QString fromUtf8KeepingBom(const char *data, qsizetype size)
{
    QString prefix;
    while (size >= 3 && memcmp(data, "\xEF\xBB\xBF", 3) == 0) {
        prefix += QChar(0xFEFF);
        data += 3;
        size -= 3;
    }
    return prefix.isEmpty() ? QString::fromUtf8(data, size)
                            : prefix + QString::fromUtf8(data, size);
}

QString decodeLine(const QByteArray &bytes, const LineSpan &span, bool allUtf8)
{
    const char *data = bytes.constData() + span.start;
    const qsizetype size = span.contentEnd - span.start;
    if (allUtf8)
        return fromUtf8KeepingBom(data, size);
    // A hand edit in a single-byte editor spoils only its own lines.
    const QByteArray line = QByteArray::fromRawData(data, size);
    return isValidUtf8(line) ? fromUtf8KeepingBom(data, size) : decodeWindows1252(line);
}

std::optional<QString> headerName(const QString &line)
{
    qsizetype open = 0;
    while (open < line.size() && isBlank(line[open]))
        ++open;
    if (open >= line.size() || line[open] != u'[')
        return std::nullopt;
    const qsizetype close = line.lastIndexOf(u']');
    if (close <= open)
        return std::nullopt;
    return unquote(trimBlanks(QStringView(line).sliced(open + 1, close - open - 1)));
}

struct KeyLine
{
    QString key;
    QString value; // trimmed and unquoted, not yet cut
};

std::optional<KeyLine> parseKeyLine(const QString &line)
{
    qsizetype i = 0;
    while (i < line.size() && isBlank(line[i]))
        ++i;
    if (i >= line.size() || line[i] == u';' || line[i] == u'[')
        return std::nullopt;
    KeyLine result;
    qsizetype separator = -1;
    bool quotedKey = false;
    if (line[i] == u'"') {
        QString key;
        qsizetype j = i + 1;
        for (; j < line.size(); ++j) {
            if (line[j] != u'"') {
                key += line[j];
            } else if (j + 1 < line.size() && line[j + 1] == u'"') {
                key += u'"';
                ++j;
            } else {
                break;
            }
        }
        if (j < line.size()) {
            qsizetype k = j + 1;
            while (k < line.size() && isBlank(line[k]))
                ++k;
            if (k == line.size() || line[k] == u'=') {
                quotedKey = true;
                result.key = key;
                separator = k < line.size() ? k : -1;
            }
        }
    }
    if (!quotedKey) {
        separator = line.indexOf(u'=', i);
        result.key =
            trimBlanks(QStringView(line).sliced(i, (separator < 0 ? line.size() : separator) - i));
    }
    if (separator >= 0)
        result.value = unquote(trimBlanks(QStringView(line).sliced(separator + 1)));
    return result;
}

struct BodyLine
{
    LineSpan span;
    KeyLine entry;
};

// The key lines between a header line starting at headerStart and end.
std::vector<BodyLine> keyLines(const QByteArray &bytes, qsizetype headerStart, qsizetype end,
                               bool allUtf8, LineSpan *header = nullptr)
{
    std::vector<BodyLine> lines;
    LineSpan span = lineAt(bytes, headerStart, end);
    if (header)
        *header = span;
    for (qsizetype pos = span.next; pos < end; pos = span.next) {
        span = lineAt(bytes, pos, end);
        if (auto entry = parseKeyLine(decodeLine(bytes, span, allUtf8)))
            lines.push_back({span, std::move(*entry)});
    }
    return lines;
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

const BodyLine *findKey(const std::vector<BodyLine> &lines, const QString &key)
{
    for (const BodyLine &line : lines) {
        if (sameName(line.entry.key, key))
            return &line;
    }
    return nullptr;
}

void scanHeaders(const QByteArray &bytes, qsizetype from, qsizetype to, bool allUtf8,
                 std::vector<Parsed::Section> &out)
{
    for (qsizetype pos = from; pos < to;) {
        const LineSpan span = lineAt(bytes, pos, bytes.size());
        qsizetype first = span.start;
        while (first < span.contentEnd && isBlankByte(bytes[first]))
            ++first;
        if (first < span.contentEnd && bytes[first] == '[') {
            if (auto name = headerName(decodeLine(bytes, span, allUtf8))) {
                QString folded = name->toCaseFolded();
                out.push_back({std::move(*name), std::move(folded), span.start, 0});
            }
        }
        pos = span.next;
    }
}

void finishSections(Parsed &p, bool rebuildIndex)
{
    for (size_t i = 0; i < p.sections.size(); ++i) {
        p.sections[i].end =
            i + 1 < p.sections.size() ? p.sections[i + 1].headerStart : p.bytes.size();
    }
    if (!rebuildIndex)
        return;
    p.firstByName.clear();
    p.firstByName.reserve(qsizetype(p.sections.size()));
    for (size_t i = 0; i < p.sections.size(); ++i) {
        if (!p.firstByName.contains(p.sections[i].folded))
            p.firstByName.insert(p.sections[i].folded, int(i));
    }
}

std::shared_ptr<Parsed> parse(QByteArray raw)
{
    auto p = std::make_shared<Parsed>();
    p->state = Parsed::State::Loaded;
    p->bytes = raw;
    p->raw = std::move(raw);
    QByteArray &bytes = p->bytes;
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        auto decoder = QStringDecoder(bytes.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE
                                                                   : QStringDecoder::Utf16BE);
        bytes = QString(decoder.decode(bytes.sliced(2))).toUtf8();
    } else if (bytes.startsWith("\xEF\xBB\xBF")) {
        p->contentStart = 3;
    }
    p->allUtf8 = isValidUtf8(bytes);
    const LineSpan first = lineAt(bytes, p->contentStart, bytes.size());
    if (first.terminated())
        p->eol = bytes.sliced(first.contentEnd, first.next - first.contentEnd);
    scanHeaders(bytes, p->contentStart, bytes.size(), p->allUtf8, p->sections);
    finishSections(*p, true);
    return p;
}

// The parse of `bytes`, made from the parse of the file before [start, start + oldLength) was
// replaced by newLength bytes: only the replaced part is scanned again.
std::shared_ptr<Parsed> spliced(const Parsed &old, qsizetype start, qsizetype oldLength,
                                qsizetype newLength, QByteArray bytes)
{
    auto p = std::make_shared<Parsed>();
    p->state = Parsed::State::Loaded;
    p->raw = bytes;
    p->bytes = std::move(bytes);
    p->contentStart = old.contentStart;
    p->allUtf8 = old.allUtf8; // what is written is UTF-8
    p->eol = old.eol;
    p->sections.reserve(old.sections.size() + 1);

    size_t i = 0;
    for (; i < old.sections.size() && old.sections[i].headerStart < start; ++i)
        p->sections.push_back(old.sections[i]);
    const size_t firstNew = p->sections.size();
    scanHeaders(p->bytes, start, start + newLength, p->allUtf8, p->sections);
    const size_t newCount = p->sections.size() - firstNew;
    const size_t firstOld = i;
    while (i < old.sections.size() && old.sections[i].headerStart < start + oldLength)
        ++i;
    bool sameSections = newCount == i - firstOld;
    for (size_t k = 0; sameSections && k < newCount; ++k)
        sameSections = p->sections[firstNew + k].folded == old.sections[firstOld + k].folded;
    const qsizetype delta = newLength - oldLength;
    for (; i < old.sections.size(); ++i) {
        Parsed::Section s = old.sections[i];
        s.headerStart += delta;
        p->sections.push_back(std::move(s));
    }
    if (sameSections)
        p->firstByName = old.firstByName;
    finishSections(*p, !sameSections);
    return p;
}

IniFile::WriteResult replaceFile(const QString &path, const QByteArray &bytes,
                                 IniFile::Durability durability)
{
    using WriteResult = IniFile::WriteResult;
    // Like the platform's own writes, a symbolic link is written through, not replaced.
    const QFileInfo info(path);
    QString target = path;
    if (info.isSymLink())
        target = info.exists() ? info.canonicalFilePath() : info.symLinkTarget();
    const QByteArray targetName = QFile::encodeName(target);
    struct stat st
    {
    };
    bool existed = false;
    if (::stat(targetName.constData(), &st) == 0) {
        // A file made read-only stays untouched even for root, who could rename over it.
        if (!S_ISREG(st.st_mode) || !(st.st_mode & 0222) ||
            ::access(targetName.constData(), W_OK) != 0)
            return WriteResult::Refused;
        existed = true;
    } else if (errno != ENOENT) {
        return WriteResult::Refused;
    }
    const QFileInfo targetInfo(target);
    const QString folder = targetInfo.absolutePath();
    if (!QFileInfo::exists(folder) && !QDir().mkpath(folder))
        return WriteResult::Refused;

    QByteArray tempName;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        tempName = QFile::encodeName(folder + QStringLiteral("/.") + targetInfo.fileName() + u'.' +
                                     QString::number(QRandomGenerator::global()->generate64(), 36) +
                                     QStringLiteral(".tmp"));
        fd = ::open(tempName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return WriteResult::Refused;
    }
    if (fd < 0)
        return WriteResult::Refused;
    auto fail = [&](bool open) {
        if (open)
            ::close(fd);
        ::unlink(tempName.constData());
        return WriteResult::Refused;
    };
    if (existed && ::fchmod(fd, st.st_mode & 07777) != 0)
        return fail(true);
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return fail(true);
        done += n;
    }
    if (durability == IniFile::Durability::Flushed && ::fdatasync(fd) != 0)
        return fail(true);
    if (::close(fd) != 0)
        return fail(false);
    if (::rename(tempName.constData(), targetName.constData()) != 0)
        return fail(false);
    return WriteResult::Written;
}

// Sets one key inside a section block (its header line first); false when nothing changed.
bool setInBlock(QByteArray &block, const IniEntry &entry, bool allUtf8, const QByteArray &eol)
{
    LineSpan header;
    const std::vector<BodyLine> lines = keyLines(block, 0, block.size(), allUtf8, &header);
    const QString valueText = quotedIfNeeded(entry.value);
    if (const BodyLine *line = findKey(lines, entry.key)) {
        const QByteArray text = (keyText(line->entry.key) + u'=' + valueText).toUtf8();
        const qsizetype length = line->span.contentEnd - line->span.start;
        if (QByteArrayView(block).sliced(line->span.start, length) == text)
            return false;
        block.replace(line->span.start, length, text);
        return true;
    }
    const LineSpan &after = lines.empty() ? header : lines.back().span;
    QByteArray text;
    if (!after.terminated())
        text += eol;
    text += (keyText(entry.key) + u'=' + valueText).toUtf8();
    text += eol;
    block.insert(after.next, text);
    return true;
}

} // namespace

bool isValidSectionName(const QString &name)
{
    return !name.isEmpty() && isWritableText(name);
}

QString unableToWriteMessage(const QString &path)
{
    return QStringLiteral("Unable to write to ") + path;
}

IniFile::IniFile(QString path, Durability durability)
    : m_path(std::move(path)), m_durability(durability)
{
}

std::shared_ptr<const IniFile::Parsed> IniFile::load() const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly)) {
        auto p = std::make_shared<Parsed>();
        p->state = file.exists() ? Parsed::State::Unreadable : Parsed::State::Missing;
        return p;
    }
    QByteArray raw = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        auto p = std::make_shared<Parsed>();
        p->state = Parsed::State::Unreadable;
        return p;
    }
    if (m_cache && m_cache->raw == raw)
        return m_cache;
    m_cache = parse(std::move(raw));
    return m_cache;
}

IniFile::WriteResult IniFile::store(std::shared_ptr<const Parsed> parsed)
{
    const WriteResult result = replaceFile(m_path, parsed->bytes, m_durability);
    if (result == WriteResult::Written)
        m_cache = std::move(parsed);
    return result;
}

QString IniFile::readString(const QString &section, const QString &key,
                            const QString &defaultValue) const
{
    const auto p = load();
    const int index = p->find(section);
    if (index < 0)
        return defaultValue;
    const Parsed::Section &s = p->sections[size_t(index)];
    const auto lines = keyLines(p->bytes, s.headerStart, s.end, p->allUtf8);
    const BodyLine *line = findKey(lines, key);
    if (!line)
        return defaultValue;
    QString value = line->entry.value;
    if (value.size() > MaxValueLength) {
        const bool splitsPair = value[MaxValueLength - 1].isHighSurrogate();
        value.truncate(splitsPair ? MaxValueLength - 1 : MaxValueLength);
    }
    return value;
}

QStringList IniFile::readSectionKeys(const QString &section) const
{
    QStringList keys;
    const auto p = load();
    const int index = p->find(section);
    if (index < 0)
        return keys;
    const Parsed::Section &s = p->sections[size_t(index)];
    // The list ends with one more terminator.
    qsizetype used = 1;
    for (const BodyLine &line : keyLines(p->bytes, s.headerStart, s.end, p->allUtf8)) {
        if (line.entry.key.isEmpty())
            continue;
        used += line.entry.key.toUtf8().size() + 1;
        if (used > MaxListBytes)
            break;
        keys.append(line.entry.key);
    }
    return keys;
}

bool IniFile::sectionExists(const QString &section) const
{
    const auto p = load();
    const int index = p->find(section);
    if (index < 0)
        return false;
    const Parsed::Section &s = p->sections[size_t(index)];
    return !keyLines(p->bytes, s.headerStart, s.end, p->allUtf8).empty();
}

bool IniFile::valueExists(const QString &section, const QString &key) const
{
    const auto p = load();
    const int index = p->find(section);
    if (index < 0)
        return false;
    const Parsed::Section &s = p->sections[size_t(index)];
    return findKey(keyLines(p->bytes, s.headerStart, s.end, p->allUtf8), key) != nullptr;
}

IniFile::WriteResult IniFile::writeString(const QString &section, const QString &key,
                                          const QString &value)
{
    return writeStrings(section, {IniEntry{key, value}});
}

IniFile::WriteResult IniFile::writeStrings(const QString &section, const QList<IniEntry> &entries)
{
    if (!isValidSectionName(section))
        return WriteResult::InvalidText;
    for (const IniEntry &entry : entries) {
        if (!isValidKeyName(entry.key) || !isWritableText(entry.value))
            return WriteResult::InvalidText;
    }
    const auto p = load();
    if (p->state == Parsed::State::Unreadable)
        return WriteResult::Refused;

    const int index = p->find(section);
    QByteArray block;
    qsizetype blockStart = p->bytes.size();
    qsizetype blockEnd = blockStart;
    if (index >= 0) {
        const Parsed::Section &s = p->sections[size_t(index)];
        blockStart = s.headerStart;
        blockEnd = s.end;
        block = p->bytes.sliced(blockStart, blockEnd - blockStart);
    } else {
        block = (u'[' + quotedIfNeeded(section) + u']').toUtf8() + p->eol;
    }
    bool changed = index < 0;
    for (const IniEntry &entry : entries)
        changed = setInBlock(block, entry, p->allUtf8, p->eol) || changed;
    if (!changed)
        return WriteResult::Written;

    QByteArray bytes;
    bytes.reserve(p->bytes.size() + block.size() - (blockEnd - blockStart) + 2 * p->eol.size());
    bytes += QByteArrayView(p->bytes).first(blockStart);
    if (index < 0 && bytes.size() > p->contentStart) {
        if (!bytes.endsWith('\n'))
            bytes += p->eol;
        // A blank line between sections, unless the file already ends with one.
        const qsizetype lastStart = bytes.lastIndexOf('\n', bytes.size() - 2) + 1;
        const LineSpan last = lineAt(bytes, std::max(lastStart, p->contentStart), bytes.size());
        if (!trimBlanks(decodeLine(bytes, last, p->allUtf8)).isEmpty())
            bytes += p->eol;
    }
    bytes += block;
    const qsizetype newLength = bytes.size() - blockStart;
    bytes += QByteArrayView(p->bytes).sliced(blockEnd);
    return store(spliced(*p, blockStart, blockEnd - blockStart, newLength, std::move(bytes)));
}

IniFile::WriteResult IniFile::deleteKey(const QString &section, const QString &key)
{
    const auto p = load();
    if (p->state == Parsed::State::Unreadable)
        return WriteResult::Refused;
    const int index = p->find(section);
    if (index < 0)
        return WriteResult::Written;
    const Parsed::Section &s = p->sections[size_t(index)];
    const auto lines = keyLines(p->bytes, s.headerStart, s.end, p->allUtf8);
    QByteArray block = p->bytes.sliced(s.headerStart, s.end - s.headerStart);
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
        if (sameName(it->entry.key, key))
            block.remove(it->span.start - s.headerStart, it->span.next - it->span.start);
    }
    if (block.size() == s.end - s.headerStart)
        return WriteResult::Written;
    QByteArray bytes = p->bytes.left(s.headerStart) + block + p->bytes.sliced(s.end);
    return store(spliced(*p, s.headerStart, s.end - s.headerStart, block.size(), std::move(bytes)));
}

IniFile::WriteResult IniFile::eraseSection(const QString &section)
{
    const auto p = load();
    if (p->state == Parsed::State::Unreadable)
        return WriteResult::Refused;
    if (p->find(section) < 0)
        return WriteResult::Written;
    const QString folded = section.toCaseFolded();
    QByteArray bytes = p->bytes;
    for (auto it = p->sections.rbegin(); it != p->sections.rend(); ++it) {
        if (it->folded == folded)
            bytes.remove(it->headerStart, it->end - it->headerStart);
    }
    return store(parse(std::move(bytes)));
}
