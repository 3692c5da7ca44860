#include "ui/speech/QtSpeaker.h"

#include <QHash>
#include <QMutex>
#include <QPointer>
#include <QTextToSpeech>
#include <QThread>
#include <QTimer>
#include <QVoice>

#include <algorithm>

namespace {

const QString kInstall =
    QStringLiteral("Reading aloud needs a speech engine: install qt6-speech-speechd-plugin, "
                   "speech-dispatcher and espeak-ng");

// The engine must report the start of speech this soon, and the end within a generous time
// for the text's length; otherwise it is taken as hung.
constexpr int kStartWithinMs = 15000;
constexpr int kEndWithinMs = 30000;
constexpr int kEndPerCharacterMs = 400;

} // namespace

// Answers from the engine's thread to the window's thread; closed when the speaker goes, so
// that a late answer finds nobody instead of a dead object.
struct QtSpeaker::Channel
{
    QMutex mutex;
    QObject *home = nullptr; // on the window's thread
    QtSpeaker *speaker = nullptr;

    template <typename F> void post(F &&f)
    {
        const QMutexLocker lock(&mutex);
        if (!home)
            return;
        QtSpeaker *s = speaker;
        QMetaObject::invokeMethod(
            home, [s, f = std::forward<F>(f)] { f(*s); }, Qt::QueuedConnection);
    }
};

// Lives on the speaker's thread.
struct QtSpeaker::Engine
{
    std::shared_ptr<Channel> channel;
    QObject *home = nullptr;
    QTextToSpeech *tts = nullptr;
    QHash<QString, QVoice> voices;
    int utterance = 0; // being said; 0 when none
    bool speaking = false;
    QTimer *watchdog = nullptr;

    void open()
    {
        QStringList engines = QTextToSpeech::availableEngines();
        // speech-dispatcher has the voices of every language the desktop speaks.
        std::stable_sort(engines.begin(), engines.end(), [](const QString &a, const QString &b) {
            const auto rank = [](const QString &e) {
                return e == u"speechd" ? 0 : e == u"flite" ? 1 : 2;
            };
            return rank(a) < rank(b);
        });
        QString firstFailure;
        for (const QString &name : engines) {
            auto *candidate = new QTextToSpeech(name, home);
            if (candidate->state() == QTextToSpeech::Error) {
                if (firstFailure.isEmpty())
                    firstFailure = candidate->errorString();
                delete candidate;
                continue;
            }
            tts = candidate;
            break;
        }
        if (!tts) {
            const QString reason =
                firstFailure.isEmpty()
                    ? kInstall
                    : QStringLiteral("The speech engine could not start: %1.\rStart "
                                     "speech-dispatcher, or install speech-dispatcher and "
                                     "espeak-ng.")
                          .arg(firstFailure);
            channel->post([reason](QtSpeaker &s) { s.engineFailed(reason); });
            return;
        }
        watchdog = new QTimer(home);
        watchdog->setSingleShot(true);
        QObject::connect(watchdog, &QTimer::timeout, home, [this] {
            fail(QStringLiteral("The speech engine does not answer."));
            tts->stop();
        });
        QObject::connect(tts, &QTextToSpeech::stateChanged, home,
                         [this](QTextToSpeech::State state) { stateChanged(state); });
        QObject::connect(
            tts, &QTextToSpeech::errorOccurred, home,
            [this](QTextToSpeech::ErrorReason, const QString &message) { fail(message); });
        channel->post([](QtSpeaker &s) { s.engineReady({}); });
    }

    // Thousands of voices take seconds to list: only when the reader wants to choose one.
    void listVoices()
    {
        if (!tts)
            return;
        loadVoices();
        QList<SpeakerVoice> list;
        for (auto it = voices.cbegin(); it != voices.cend(); ++it)
            list.append({it.key(), it.value().locale()});
        std::sort(list.begin(), list.end(), [](const SpeakerVoice &a, const SpeakerVoice &b) {
            return a.name.localeAwareCompare(b.name) < 0;
        });
        channel->post([list](QtSpeaker &s) { s.engineReady(list); });
    }

    void loadVoices()
    {
        if (voicesLoaded)
            return;
        voicesLoaded = true;
        const QLocale initial = tts->locale();
        for (const QLocale &locale : tts->availableLocales()) {
            tts->setLocale(locale);
            for (const QVoice &voice : tts->availableVoices()) {
                // The same voice under a locale the engine could not name comes last.
                auto known = voices.find(voice.name());
                if (known != voices.end() && known->locale().language() != QLocale::C)
                    continue;
                voices.insert(voice.name(), voice);
            }
        }
        tts->setLocale(initial);
    }
    bool voicesLoaded = false;

    // The language's own voices only: listing every voice would delay the first word.
    void useVoice(const QString &voice, const QLocale &language)
    {
        if (tts->locale().language() != language.language())
            tts->setLocale(language);
        if (voice.isEmpty())
            return;
        auto found = voices.constFind(voice);
        if (found == voices.cend()) {
            for (const QVoice &v : tts->availableVoices()) {
                if (v.name() == voice) {
                    found = voices.insert(v.name(), v);
                    break;
                }
            }
        }
        if (found != voices.cend() && !(tts->voice() == *found))
            tts->setVoice(*found);
    }

    void say(int id, const QString &text, const QString &voice, double rate,
             const QLocale &language)
    {
        utterance = id;
        speaking = false;
        useVoice(voice, language);
        if (!qFuzzyCompare(tts->rate() + 2.0, rate + 2.0))
            tts->setRate(rate);
        tts->say(text);
        watchdog->start(kStartWithinMs);
        // An engine that fails at once says so only through its state.
        if (tts->state() == QTextToSpeech::Error)
            fail(tts->errorString());
        endLimit = kEndWithinMs +
                   kEndPerCharacterMs * static_cast<int>(std::min<qsizetype>(text.size(), 2000));
    }
    int endLimit = kEndWithinMs;

    void stop()
    {
        utterance = 0;
        watchdog->stop();
        tts->stop();
    }

    void stateChanged(QTextToSpeech::State state)
    {
        if (utterance == 0)
            return;
        if (state == QTextToSpeech::Speaking && !speaking) {
            speaking = true;
            watchdog->start(endLimit);
        } else if (state == QTextToSpeech::Ready && speaking) {
            const int id = utterance;
            utterance = 0;
            watchdog->stop();
            channel->post([id](QtSpeaker &s) { s.utteranceFinished(id); });
        } else if (state == QTextToSpeech::Error) {
            fail(tts->errorString());
        }
    }

    void fail(const QString &message)
    {
        const int id = utterance;
        utterance = 0;
        watchdog->stop();
        const QString reason = message.isEmpty()
                                   ? QStringLiteral("The speech engine failed.")
                                   : QStringLiteral("The speech engine failed: %1").arg(message);
        channel->post([id, reason](QtSpeaker &s) { s.utteranceFailed(id, reason); });
    }
};

QtSpeaker::QtSpeaker() = default;

QtSpeaker::~QtSpeaker()
{
    if (!thread)
        return;
    {
        const QMutexLocker lock(&channel->mutex);
        delete channel->home;
        channel->home = nullptr;
    }
    QObject *home = workerHome;
    Engine *e = engine;
    QMetaObject::invokeMethod(
        home,
        [home, e] {
            delete e->tts;
            delete e;
            delete home;
            QThread::currentThread()->quit();
        },
        Qt::QueuedConnection);
    // A speech-dispatcher that hangs holds its thread: the program ends without waiting for it.
    if (thread->wait(3000))
        delete thread;
}

QString QtSpeaker::missingEngine() const
{
    return QTextToSpeech::availableEngines().isEmpty() ? kInstall : QString();
}

void QtSpeaker::start()
{
    if (phase != Phase::Idle)
        return;
    phase = Phase::Starting;
    if (!thread) {
        channel = std::make_shared<Channel>();
        channel->home = new QObject;
        channel->speaker = this;
        thread = new QThread;
        thread->setObjectName(QStringLiteral("speech"));
        workerHome = new QObject;
        workerHome->moveToThread(thread);
        engine = new Engine;
        engine->channel = channel;
        engine->home = workerHome;
        thread->start();
    }
    Engine *e = engine;
    QMetaObject::invokeMethod(
        workerHome, [e] { e->open(); }, Qt::QueuedConnection);
}

void QtSpeaker::listVoices()
{
    if (phase != Phase::Ready) {
        voicesAsked = true; // asked for once the engine is ready
        start();
        return;
    }
    Engine *e = engine;
    QMetaObject::invokeMethod(
        workerHome, [e] { e->listVoices(); }, Qt::QueuedConnection);
}

void QtSpeaker::say(const QString &text, const QString &voice, double rate,
                    const QLocale &language)
{
    if (phase != Phase::Ready)
        return;
    const int id = ++utterance;
    Engine *e = engine;
    QMetaObject::invokeMethod(
        workerHome,
        [e, id, text, voice, rate, language] { e->say(id, text, voice, rate, language); },
        Qt::QueuedConnection);
}

void QtSpeaker::stop()
{
    ++utterance;
    if (phase != Phase::Ready)
        return;
    Engine *e = engine;
    QMetaObject::invokeMethod(
        workerHome, [e] { e->stop(); }, Qt::QueuedConnection);
}

void QtSpeaker::engineReady(const QList<SpeakerVoice> &voices)
{
    const bool started = phase != Phase::Ready;
    phase = Phase::Ready;
    if (started && voicesAsked) {
        voicesAsked = false;
        listVoices();
    }
    if (callbacks.ready)
        callbacks.ready(voices);
}

void QtSpeaker::engineFailed(const QString &reason)
{
    // The next start tries again: speech-dispatcher may have been started meanwhile.
    phase = Phase::Idle;
    if (callbacks.failed)
        callbacks.failed(reason);
}

void QtSpeaker::utteranceFinished(int id)
{
    if (id == utterance && callbacks.finished)
        callbacks.finished();
}

void QtSpeaker::utteranceFailed(int id, const QString &reason)
{
    if (id == utterance && callbacks.failed)
        callbacks.failed(reason);
}
