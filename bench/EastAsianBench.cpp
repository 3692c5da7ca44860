// Chinese conversion of a 20 MB book, and opening a 2 MB Aozora Bunko book against the same
// book without its notation (ruby, annotations), both through the window as the reader opens.
//
//   build/test/EastAsianBench [aozora]   (configured with -DTAVOLEX_BENCH=ON)

#include "BookGenerator.h"
#include "core/base/ParallelWork.h"
#include "core/book/IniFile.h"
#include "core/speech/Speaker.h"
#include "core/text/AozoraNotation.h"
#include "core/text/ChineseConversion.h"
#include "core/text/TextDecoding.h"
#include "ui/Tavolex1.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <random>

namespace {

QTemporaryDir &folder()
{
    static QTemporaryDir dir;
    return dir;
}

// Sentences of a Japanese novel with ruby, gaiji and emphasis; chapters start on new pages.
QString aozoraBook(qsizetype bytes)
{
    const QStringList sentences = {
        QStringLiteral(u"親譲《おやゆず》りの無鉄砲《むてっぽう》で小供の時から損ばかりしている。"),
        QStringLiteral(u"小学校に居る時分学校の二階から飛び降りて一週間ほど腰《こし》を抜《ぬ》かした事がある。"),
        QStringLiteral(u"ある日の夕方｜折戸《おりど》の蔭《かげ》に隠《かく》れて、とうとう勘太郎を捕《つか》まえてやった。"),
        QStringLiteral(u"※［＃「てへん＋劣」、第3水準1-84-77］るのは嫌だ［＃「嫌だ」に傍点］。"),
        QStringLiteral(u"庭を東へ二十歩に行き尽《つく》すと、南上がりにいささかばかりの菜園があって、真中《まんなか》に栗《くり》の木が一本立っている。"),
    };
    std::mt19937 random(7);
    QString text = QStringLiteral(u"坊っちゃん\r\n夏目漱石\r\n");
    int chapter = 0;
    while (text.toUtf8().size() < bytes) {
        text += QStringLiteral(u"\r\n［＃改ページ］\r\n\r\n［＃５字下げ］第%1章［＃「第%1章」は中見出し］\r\n\r\n")
                    .arg(++chapter);
        for (int p = 0; p < 60; ++p) {
            text += u'\u3000';
            for (int s = 0; s < 6; ++s)
                text += sentences[random() % sentences.size()];
            text += QStringLiteral("\r\n");
        }
    }
    return text;
}

QString withoutNotation(const QString &text)
{
    // The gaiji outside Shift_JIS stays the mark it is in the file.
    return convertAozora(text, RubyForm::Hidden).text.replace(QStringLiteral(u"挘"), QStringLiteral(u"※"));
}

QString write(const QString &name, const QByteArray &bytes)
{
    const QString path = folder().path() + u'/' + name;
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
}

// The speech engine's client thread would share the processors with what is measured.
class SilentSpeaker : public Speaker
{
public:
    QString missingEngine() const override { return {}; }
    void start() override {}
    bool ready() const override { return false; }
    void listVoices() override {}
    void say(const QString &, const QString &, double, const QLocale &) override {}
    void stop() override {}
};

double bestOf(int runs, const std::function<void()> &work)
{
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        work();
        best = std::min(best, static_cast<double>(t.nsecsElapsed()) / 1e6);
    }
    return best;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int threads = usableThreadCount();

    // "aozora" skips the Chinese conversion, for profiling the opening alone.
    const bool chineseToo = !(argc > 1 && qstrcmp(argv[1], "aozora") == 0);
    const QString chinese = chineseToo ? generateChineseBook(7, 20'000'000 / 3) : QString();
    std::printf("Chinese book: %.1f MB UTF-8\n", static_cast<double>(chinese.toUtf8().size()) / 1e6);
    convertChinese(QStringLiteral(u"头发"), ChineseConversion::Traditional); // dictionaries
    for (const int n : {1, threads}) {
        if (!chineseToo)
            break;
        // Processor time beside the wall time tells a busy machine from threads that wait.
        const std::clock_t cpu = std::clock();
        const double ms = bestOf(3, [&] {
            if (!convertChinese(chinese, ChineseConversion::Traditional, {}, n).ok)
                std::printf("conversion failed\n");
        });
        const double cpuMs = double(std::clock() - cpu) * 1000.0 / CLOCKS_PER_SEC / 3;
        std::printf("  Simplified to Traditional, %d thread(s): %8.1f ms (%.0f ms processor "
                    "time per run)\n",
                    n, ms, cpuMs);
    }

    const QString aozora = aozoraBook(2'000'000);
    QByteArray marked, plain;
    encodeWithCodec(aozora, "windows-31j", marked);
    encodeWithCodec(withoutNotation(aozora), "windows-31j", plain);
    std::printf("Aozora book: %.2f MB Shift_JIS, %.2f MB without notation\n",
                static_cast<double>(marked.size()) / 1e6, static_cast<double>(plain.size()) / 1e6);
    const double convert = bestOf(5, [&] { convertAozora(aozora, RubyForm::Above); });
    std::printf("  notation converted alone:        %8.1f ms\n", convert);
    const double convertThreads =
        bestOf(5, [&] { convertAozora(aozora, RubyForm::Above, threads); });
    std::printf("  notation converted, %d thread(s): %6.1f ms\n", threads, convertThreads);

    const QString markedPath = write(QStringLiteral("aozora.txt"), marked);
    const QString plainPath = write(QStringLiteral("plain.txt"), plain);
    const QString small = write(QStringLiteral("small.txt"), QByteArrayLiteral("small\r\n"));
    TForm1 form(folder().path() + QStringLiteral("/Tavolex.ini"), folder().path(), {}, nullptr,
                std::make_unique<SilentSpeaker>());
    form.resize(1000, 760);
    form.show();
    QCoreApplication::sendPostedEvents(&form, QEvent::MetaCall);
    QCoreApplication::processEvents();
    const auto open = [&](const QString &path) {
        double best = 1e30;
        for (int i = 0; i < 5; ++i) {
            form.openFileFromUser(small);
            best = std::min(best, bestOf(1, [&] { form.openFileFromUser(path); }));
        }
        return best;
    };
    // Ruby above makes every line taller, so that book has more pages: the fair figures are the
    // same book with its readings hidden (same lines as the plain book) and the cost per line.
    const QString hiddenPath = write(QStringLiteral("hidden.txt"), marked);
    (void)form.settings().writeString(hiddenPath, QStringLiteral("Ruby"), QStringLiteral("Hidden"));
    struct Opened
    {
        double ms;
        int pages;
        int lines;
    };
    const auto measure = [&](const QString &path) {
        const double ms = open(path);
        return Opened{ms, form.readerState().PageCount, form.readerState().TotalLines};
    };
    const Opened above = measure(markedPath);
    const Opened hidden = measure(hiddenPath);
    const Opened plainBook = measure(plainPath);
    const auto line = [](const char *what, const Opened &o) {
        std::printf("  open, %-28s %8.1f ms (%d pages, %d lines, %.2f us a line)\n", what, o.ms,
                    o.pages, o.lines, o.ms * 1000.0 / std::max(1, o.lines));
    };
    line("Aozora notation, ruby above:", above);
    line("Aozora notation, ruby hidden:", hidden);
    line("same book without notation:", plainBook);
    std::printf("  ratio, ruby hidden / without:   %8.2f\n", hidden.ms / plainBook.ms);
    std::printf("  ratio, ruby above / without:    %8.2f (per line %.2f)\n", above.ms / plainBook.ms,
                (above.ms / std::max(1, above.lines)) / (plainBook.ms / std::max(1, plainBook.lines)));
    return 0;
}
