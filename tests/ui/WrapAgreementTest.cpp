#include "ReaderFixture.h"

#include "BookGenerator.h"

#include "core/layout/LineBreakRemoval.h"
#include "core/layout/LineFitter.h"
#include "core/layout/ParallelFit.h"
#include "ui/pages/QtTextMeasurer.h"
#include "core/book/IniFile.h"
#include "core/text/DocumentFormats.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSet>

#include <gtest/gtest.h>

#include <thread>

namespace {

const QString kLicense = QStringLiteral("/usr/share/common-licenses/GPL-3");

struct FontCase
{
    const char *family;
    int size;
};

const FontCase kFonts[] = {
    {"DejaVu Sans", 10},
    {"Liberation Serif", 12},
    {"DejaVu Sans Mono", 14},
    {"Liberation Sans", 20},
};

const int kPageWidths[] = {394, 250};

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

// Resizes the window until the left page has the wanted width (the page geometry decides how
// the client width is shared).
void resizePageTo(TForm1 &form, int pageWidth)
{
    for (int attempt = 0; attempt < 6 && form.LinkeSeite->width() != pageWidth; ++attempt) {
        const int delta = pageWidth - form.LinkeSeite->width();
        form.resize(form.width() + 2 * delta, form.height());
        QCoreApplication::processEvents();
    }
}

struct WrapFindings
{
    int lines = 0;
    int wrapped = 0;      // consecutive lines from one raw line
    int brokenInWord = 0; // of those, cut inside a word
    QString widest;
    double widestWidth = 0;
    QStringList tooWide;
    QStringList couldTakeMore;
};

// Checks every fitted line of the pieces against the wrap width, measured whole.
WrapFindings checkPieces(const FitPieces &pieces, const QFontMetricsF &metrics, double width)
{
    WrapFindings f;
    for (const FitPiece &piece : pieces) {
        if (!piece.used())
            continue;
        const QString &text = piece.text;
        for (size_t k = 0; k < piece.lines.size(); ++k) {
            const LineSpan span = piece.lines[k];
            const QString line = text.mid(span.start, span.length);
            // A hyphenated line is drawn with its hyphen.
            const double w =
                metrics.horizontalAdvance(span.hyphenated ? line + u'-' : line);
            ++f.lines;
            if (w > width)
                f.tooWide << QStringLiteral("%1 px: %2").arg(w).arg(line);
            if (w > f.widestWidth) {
                f.widestWidth = w;
                f.widest = line;
            }
            // A hyphenated line ends at a hyphenation point, not at the last character that fits.
            if (k + 1 == piece.lines.size() || span.hyphenated)
                continue;
            const LineSpan next = piece.lines[k + 1];
            const qsizetype end = span.start + span.length;
            const QStringView gap = QStringView(text).mid(end, next.start - end);
            if (gap.contains(u'\r') || gap.contains(u'\n'))
                continue; // the next line starts a new raw line
            ++f.wrapped;
            qsizetype takeTo = next.start;
            if (gap.isEmpty()) {
                ++f.brokenInWord;
                takeTo += text.at(takeTo).isHighSurrogate() ? 2 : 1;
            } else {
                while (takeTo < next.start + next.length && !isBlank(text.at(takeTo)))
                    ++takeTo;
            }
            const QString longer = text.mid(span.start, takeTo - span.start);
            if (metrics.horizontalAdvance(longer) <= width)
                f.couldTakeMore << longer;
        }
    }
    return f;
}

class WrapAgreement : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!QFileInfo::exists(kLicense))
            GTEST_SKIP() << "no " << kLicense.toStdString();
    }
};

TEST_F(WrapAgreement, FittedLinesFitThePageAndTakeEveryWordThatFits)
{
    int checked = 0;
    for (const FontCase &font : kFonts) {
        const QString family = QString::fromLatin1(font.family);
        if (!QFontDatabase::families().contains(family)) {
            ADD_FAILURE() << font.family << " is not installed";
            continue;
        }
        for (int pageWidth : kPageWidths) {
            SCOPED_TRACE(QStringLiteral("%1 %2 pt, page %3 px")
                             .arg(family)
                             .arg(font.size)
                             .arg(pageWidth)
                             .toStdString());
            ReaderFixture fx;
            const QString path = fx.writeBook(QStringLiteral("GPL-3.txt"), readFileBytes(kLicense));
            {
                IniFile ini(fx.settingsPath());
                ASSERT_EQ(ini.writeStrings(
                              path, {{QStringLiteral("Fontname"), family},
                                     {QStringLiteral("Fontsize"), QString::number(font.size)}}),
                          IniFile::WriteResult::Written);
            }
            TForm1 &form = fx.start({path});
            ASSERT_EQ(form.readerState().FileName, path);
            ASSERT_EQ(form.pageFont().family(), family);
            ASSERT_EQ(form.Fontgroesse->text(), QString::number(font.size));
            resizePageTo(form, pageWidth);
            ASSERT_EQ(form.LinkeSeite->width(), pageWidth);
            form.AnpassenClick();
            ASSERT_TRUE(form.readerState().BreaksRemoved);

            const double width = form.wrapWidth();
            const double margin = form.LinkeSeite->document()->documentMargin();
            EXPECT_LE(width, form.LinkeSeite->viewport()->width() - 2 * margin);

            const QFontMetricsF metrics(form.pageFont());
            const WrapFindings f = checkPieces(form.readerState().pieces, metrics, width);
            EXPECT_EQ(f.lines, form.readerState().TotalLines);
            EXPECT_GT(f.wrapped, 100);
            EXPECT_TRUE(f.tooWide.isEmpty()) << f.tooWide.size() << " lines wider than " << width
                                             << " px, e.g. " << f.tooWide.first().toStdString();
            EXPECT_TRUE(f.couldTakeMore.isEmpty())
                << f.couldTakeMore.size() << " lines left a fitting word for the next line, e.g. "
                << f.couldTakeMore.first().toStdString();

            // The page itself draws the widest line without needing to scroll.
            form.LinkeSeite->setPlainText(f.widest);
            EXPECT_EQ(form.LinkeSeite->horizontalScrollBar()->maximum(), 0)
                << f.widest.toStdString() << " (" << f.widestWidth << " px)";
            // ... while twice that line would need to.
            form.LinkeSeite->setPlainText(f.widest + QStringLiteral(" ") + f.widest);
            EXPECT_GT(form.LinkeSeite->horizontalScrollBar()->maximum(), 0);
            ++checked;
        }
    }
    EXPECT_GE(checked, 6);
}

// Capitals kern against the blank in the Liberation fonts, so a sum of word advances can
// overstate the whole line by several pixels.
TEST_F(WrapAgreement, CapitalsStillTakeEveryWordThatFits)
{
    const QString paragraph =
        QStringLiteral("WILL ANY COPYRIGHT HOLDER, OR ANY OTHER PARTY WHO MODIFIES AND/OR "
                       "CONVEYS THE PROGRAM AS PERMITTED ABOVE, BE LIABLE TO YOU FOR DAMAGES, "
                       "INCLUDING ANY GENERAL, SPECIAL, INCIDENTAL OR CONSEQUENTIAL DAMAGES ")
            .repeated(20)
            .trimmed();
    for (const FontCase &font : kFonts) {
        const QString family = QString::fromLatin1(font.family);
        if (!QFontDatabase::families().contains(family))
            continue;
        // The page font as the window sets it: no kerning, so words add up to lines.
        QFont qfont(family, font.size);
        qfont.setKerning(false);
        const QtTextMeasurer measurer(qfont, 80);
        const QFontMetricsF metrics(qfont);
        for (int width = 200; width <= 400; width += 10) {
            SCOPED_TRACE(QStringLiteral("%1 %2 pt at %3 px")
                             .arg(family)
                             .arg(font.size)
                             .arg(width)
                             .toStdString());
            FitPieces pieces;
            cutIntoPieces(paragraph, pieces);
            WordWidthCache cache;
            for (FitPiece &piece : pieces)
                if (piece.used())
                    wrapPiece(piece, width, measurer, cache);
            numberFittedLines(pieces);
            const WrapFindings f = checkPieces(pieces, metrics, width);
            EXPECT_GT(f.wrapped, 10);
            EXPECT_TRUE(f.tooWide.isEmpty()) << f.tooWide.first().toStdString();
            EXPECT_TRUE(f.couldTakeMore.isEmpty())
                << f.couldTakeMore.size() << " lines left a fitting word, e.g. "
                << f.couldTakeMore.first().toStdString() << " ("
                << metrics.horizontalAdvance(f.couldTakeMore.first()) << " px)";
        }
    }
}

// The license joined into paragraphs, as the reader fits it by default.
QString joinedLicense()
{
    QString text = ConvertByExtension(readFileBytes(kLicense), QStringLiteral(".TXT")).text;
    RemoveSingleLineBreaks(text, LineBreakRules{});
    return text;
}

TEST_F(WrapAgreement, FontMetricsAgreeOnWorkerThreads)
{
    const QString text = joinedLicense();
    QSet<QString> distinct;
    for (const QString &word :
         text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts))
        distinct.insert(word);
    const QStringList words(distinct.begin(), distinct.end());
    ASSERT_GT(words.size(), 1000);

    for (const FontCase &font : kFonts) {
        const QString family = QString::fromLatin1(font.family);
        if (!QFontDatabase::families().contains(family))
            continue;
        SCOPED_TRACE(font.family);
        const auto measureAll = [&words, family, size = font.size] {
            const QFontMetricsF metrics(QFont(family, size));
            std::vector<double> widths;
            widths.reserve(static_cast<size_t>(words.size()));
            for (const QString &word : words)
                widths.push_back(metrics.horizontalAdvance(word));
            return widths;
        };
        const std::vector<double> mainWidths = measureAll();
        std::vector<double> workerWidths[2];
        std::thread workers[2];
        for (int t = 0; t < 2; ++t)
            workers[t] = std::thread([&, t] { workerWidths[t] = measureAll(); });
        const std::vector<double> concurrentMain = measureAll();
        for (std::thread &w : workers)
            w.join();
        EXPECT_EQ(workerWidths[0], mainWidths);
        EXPECT_EQ(workerWidths[1], mainWidths);
        EXPECT_EQ(concurrentMain, mainWidths);
    }
}

// The cache adds the advances of Latin, Greek and Cyrillic words up instead of measuring them:
// for the page font that sum must be the measured advance to the last bit.
TEST_F(WrapAgreement, AddedUpWordWidthsAreTheMeasuredOnes)
{
    QSet<QString> distinct;
    const QString samples =
        joinedLicense() +
        QStringLiteral(
            " naïve Ærøskøbing Straße «Привет,» Їжак—ґанок ΑΒΓ-δέκα (EULA) 1,234.56 AVAWAY To\"Ty "
            "ﬁnal f\u00ADi e\u0301 İstanbul ǅemal ʻOkina كتابها हिन्दी ภาษาไทย");
    for (const QString &word :
         samples.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts))
        distinct.insert(word);
    // One cache, cleared between fonts as the reader clears it when the font changes.
    WordWidthCache cache;
    for (const FontCase &font : kFonts) {
        const QString family = QString::fromLatin1(font.family);
        if (!QFontDatabase::families().contains(family))
            continue;
        SCOPED_TRACE(font.family);
        QFont page(family, font.size);
        page.setKerning(false);
        page.setStyleStrategy(QFont::PreferNoShaping);
        const QtTextMeasurer measurer(page, 80);
        ASSERT_TRUE(measurer.widthsAddUp());
        cache.clear();
        for (const QString &word : distinct)
            EXPECT_EQ(cache.width(word, measurer), measurer.advance(word)) << qPrintable(word);
        QFont kerned = page;
        kerned.setKerning(true);
        EXPECT_FALSE(QtTextMeasurer(kerned, 80).widthsAddUp());
        QFont shaped = page;
        shaped.setStyleStrategy(QFont::PreferDefault);
        EXPECT_FALSE(QtTextMeasurer(shaped, 80).widthsAddUp());
    }
}

TEST_F(WrapAgreement, PiecesWrapTheSameOnTwoThreads)
{
    const QString text = joinedLicense();
    const QFont font(QStringLiteral("Liberation Serif"), 12);
    const double width = 250;

    FitPieces mainPieces;
    cutIntoPieces(text, mainPieces);
    FitPieces threadPieces = mainPieces;
    {
        const QtTextMeasurer measurer(font, 80);
        WordWidthCache cache;
        for (FitPiece &piece : mainPieces)
            if (piece.used())
                wrapPiece(piece, width, measurer, cache);
    }
    // Each thread wraps every other piece with its own measurer and cache.
    std::thread workers[2];
    for (int t = 0; t < 2; ++t) {
        workers[t] = std::thread([&threadPieces, &font, width, t] {
            const QtTextMeasurer measurer(font, 80);
            WordWidthCache cache;
            for (int i = t; i < FitPieceCount; i += 2)
                if (threadPieces[i].used())
                    wrapPiece(threadPieces[i], width, measurer, cache);
        });
    }
    for (std::thread &w : workers)
        w.join();

    const int total = numberFittedLines(mainPieces);
    ASSERT_EQ(numberFittedLines(threadPieces), total);
    ASSERT_GT(total, 500);
    for (int n = 1; n <= total; ++n)
        ASSERT_EQ(FittedLine(threadPieces, n).toString(), FittedLine(mainPieces, n).toString())
            << "line " << n;
}

// The fit the window runs, on one thread and on several, in the page font with the fallback
// fonts of other scripts: the lines must not depend on the number of threads.
TEST_F(WrapAgreement, ParallelFitGivesTheLinesOfOneThread)
{
    QString joinedBook = QString::fromUtf8(generateBookBytes(31, 200000));
    RemoveSingleLineBreaks(joinedBook, LineBreakRules{});
    std::vector<HostileText> texts = {{"license", joinedLicense()},
                                      {"joined book", joinedBook},
                                      {"Chinese book", generateChineseBook(31, 40000)}};
    // The megabyte texts take seconds in real fonts; the core test fits them on threads.
    for (const HostileText &h : hostileTexts())
        if (h.text.size() < 100000)
            texts.push_back(h);
    QFont font(QStringLiteral("Liberation Serif"), 12);
    font.setKerning(false);
    const QtTextMeasurer measurer(font, 80);
    const MeasurerFactory make = [&measurer] { return measurer.forAnotherThread(); };
    const auto lines = [&](const QString &text, int threads) {
        FitPieces pieces;
        cutIntoPieces(text, pieces);
        WordWidthCache cache;
        wrapPieces(pieces, 300, measurer, make, cache, threads);
        QStringList out;
        const int total = numberFittedLines(pieces);
        for (int n = 1; n <= total; ++n)
            out << FittedLine(pieces, n).toString() +
                       (FittedLineJoinsNext(pieces, n) ? QStringLiteral("+") : QString());
        return out;
    };
    for (const HostileText &t : texts) {
        SCOPED_TRACE(t.name);
        const QStringList one = lines(t.text, 1);
        EXPECT_EQ(lines(t.text, 3), one);
    }
}

} // namespace
