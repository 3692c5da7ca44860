#include "core/book/ChapterHeadings.h"

#include <QElapsedTimer>
#include <QSet>

namespace {

bool endsASentence(QChar last)
{
    static const QString marks = QStringLiteral("!?\u3002\uFF01\uFF0E\uFF1F\u2026");
    return marks.contains(last);
}

} // namespace

QString tocSourceKey(TocSource source)
{
    switch (source) {
    case TocSource::Automatic:
        return QStringLiteral("Automatic");
    case TocSource::BlankLines:
        return QStringLiteral("Blank lines");
    case TocSource::Headings:
        return QStringLiteral("Headings");
    case TocSource::HeadingsAndBlankLines:
        return QStringLiteral("Headings and blank lines");
    }
    return {};
}

TocSource tocSourceFromKey(const QString &key)
{
    for (TocSource s :
         {TocSource::BlankLines, TocSource::Headings, TocSource::HeadingsAndBlankLines}) {
        if (key.compare(tocSourceKey(s), Qt::CaseInsensitive) == 0)
            return s;
    }
    return TocSource::Automatic;
}

QString tocSourceCaption(TocSource source)
{
    switch (source) {
    case TocSource::Automatic:
        return QStringLiteral("automatic");
    case TocSource::BlankLines:
        return QStringLiteral("blank lines");
    case TocSource::Headings:
        return QStringLiteral("headings");
    case TocSource::HeadingsAndBlankLines:
        return QStringLiteral("headings and blank lines");
    }
    return {};
}

QString headingRuleError(const QString &pattern)
{
    const QRegularExpression re(pattern);
    if (re.isValid())
        return {};
    return QStringLiteral("The heading rule \"%1\" is not a valid regular expression: %2 "
                          "(at character %3).")
        .arg(pattern, re.errorString())
        .arg(re.patternErrorOffset() + 1);
}

QString headingRuleTooSlowMessage(const QString &pattern)
{
    return QStringLiteral("The heading rule \"%1\" is too slow for this book").arg(pattern);
}

namespace {

// A rule of nested repeats ("^(a+)+$") can take seconds on one line of 60 characters; no
// sensible heading rule needs a hundredth of these steps on a line that short.
constexpr int kRuleMatchLimit = 200000;
constexpr int kRuleDepthLimit = 5000;
// Below the limit a rule can still spend a millisecond on every line: after two seconds, more
// than 50 microseconds a line on average is too slow (a sound rule takes one or two).
constexpr qint64 kRuleTimeBeforeJudging = 2'000'000'000;
constexpr qint64 kRuleNanosecondsPerLine = 50'000;

} // namespace

HeadingRules::HeadingRules(const QString &customRule)
{
    if (!customRule.isEmpty() && headingRuleError(customRule).isEmpty()) {
        // Limits set at the start of a pattern can only lower those the matcher was given.
        custom.setPattern(QStringLiteral("(*LIMIT_MATCH=%1)(*LIMIT_DEPTH=%2)")
                              .arg(kRuleMatchLimit)
                              .arg(kRuleDepthLimit) +
                          customRule);
        custom.optimize();
    }
}

bool HeadingRules::isHeading(QStringView line) const
{
    return match(line).form != HeadingForm::None;
}

HeadingMatch HeadingRules::match(QStringView line) const
{
    qsizetype first = 0;
    qsizetype last = line.size();
    while (first < last && line[first].unicode() <= 32)
        ++first;
    while (last > first && line[last - 1].unicode() <= 32)
        --last;
    const qsizetype length = last - first;
    if (length == 0 || length > kMaxHeadingLength || endsASentence(line[last - 1]))
        return {};
    const QStringView trimmed = line.mid(first, length);
    if (trimmed.endsWith(QStringLiteral("...")))
        return {};
    HeadingMatch m = matchBuiltInHeading(trimmed);
    if (m.form != HeadingForm::None || custom.pattern().isEmpty())
        return m;
    QElapsedTimer clock;
    clock.start();
    const QRegularExpressionMatch found = custom.match(trimmed);
    customNanoseconds += clock.nsecsElapsed();
    ++customLines;
    // A valid rule whose match is invalid stopped at a limit.
    if (!found.isValid() || (customNanoseconds > kRuleTimeBeforeJudging &&
                             customNanoseconds / customLines > kRuleNanosecondsPerLine))
        tooSlow = true;
    if (found.hasMatch()) {
        m.form = HeadingForm::Chapter;
        m.kind = QStringLiteral("own rule");
        m.key = trimmed.toString().toLower();
    }
    return m;
}

bool headingsSpreadOverBook(const QList<int> &headingLines, int totalLines)
{
    if (headingLines.size() < 3 || totalLines <= 0)
        return false;
    QSet<int> tenths;
    for (int line : headingLines)
        tenths.insert(static_cast<int>((qint64(line) - 1) * 10 / totalLines));
    return tenths.size() >= 3;
}
