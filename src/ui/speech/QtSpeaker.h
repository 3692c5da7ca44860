#pragma once

#include "core/speech/Speaker.h"

#include <memory>

class QObject;
class QThread;

// Qt's text-to-speech engines (speech-dispatcher first, Flite as the fallback), run on a thread
// of their own: starting speech-dispatcher and listing its voices takes seconds, and a hung
// speech-dispatcher blocks its clients, neither of which may stop the window.
class QtSpeaker : public Speaker
{
public:
    QtSpeaker();
    ~QtSpeaker() override;

    QString missingEngine() const override;
    void start() override;
    bool ready() const override { return phase == Phase::Ready; }
    void listVoices() override;
    void say(const QString &text, const QString &voice, double rate,
             const QLocale &language) override;
    void stop() override;

    struct Channel;
    struct Engine;

private:
    void engineReady(const QList<SpeakerVoice> &voices);
    void engineFailed(const QString &reason);
    void utteranceFinished(int id);
    void utteranceFailed(int id, const QString &reason);

    enum class Phase { Idle, Starting, Ready };
    Phase phase = Phase::Idle;
    QThread *thread = nullptr;
    QObject *workerHome = nullptr; // lives on the thread; the engine's calls run there
    Engine *engine = nullptr;      // owned by the thread
    std::shared_ptr<Channel> channel;
    int utterance = 0; // the text being said; answers about older ones are dropped
    bool voicesAsked = false;
};
