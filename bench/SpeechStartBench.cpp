// The read-aloud engine's start as the window sees it: until it is ready to speak, and the
// listing of every voice that the voice choice asks for. Needs speech-dispatcher or Flite.
//
//   build/release/SpeechStartBench

#include "ui/speech/QtSpeaker.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <cstdio>

namespace {

// Milliseconds until the speaker's ready callback, or -1 on failure or after a minute.
double untilReady(QtSpeaker &speaker, const std::function<void()> &ask, qsizetype *voices)
{
    QEventLoop loop;
    double ms = -1;
    QElapsedTimer timer;
    speaker.callbacks.ready = [&](const QList<SpeakerVoice> &list) {
        ms = double(timer.nsecsElapsed()) / 1e6;
        if (voices)
            *voices = list.size();
        loop.quit();
    };
    speaker.callbacks.failed = [&](const QString &why) {
        std::fprintf(stderr, "failed: %s\n", qPrintable(why));
        loop.quit();
    };
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    timer.start();
    ask();
    loop.exec();
    return ms;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QtSpeaker speaker;
    if (!speaker.missingEngine().isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(speaker.missingEngine()));
        return 77;
    }
    qsizetype voices = 0;
    const double started = untilReady(speaker, [&] { speaker.start(); }, nullptr);
    const double listed = untilReady(speaker, [&] { speaker.listVoices(); }, &voices);
    std::printf("engine ready to speak: %.0f ms\nvoices listed: %.0f ms (%lld voices)\n", started,
                listed, static_cast<long long>(voices));
    return 0;
}
