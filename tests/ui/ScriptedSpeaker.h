#pragma once

#include "core/speech/Speaker.h"

#include <QStringList>

// Records what the window asks of the speech engine; the test gives the engine's answers.
class ScriptedSpeaker : public Speaker
{
public:
    QString missing; // what missingEngine() reports
    bool engineReady = false;
    int starts = 0;
    int stops = 0;
    QStringList said;
    QStringList voices; // the voice of each text said
    QList<double> rates;
    QList<QLocale::Language> languages; // the language each text was said in
    int listings = 0;                   // voice lists asked for

    QString missingEngine() const override { return missing; }
    void start() override { ++starts; }
    bool ready() const override { return engineReady; }
    void listVoices() override { ++listings; }
    void say(const QString &text, const QString &voice, double rate,
             const QLocale &language) override
    {
        said << text;
        voices << voice;
        rates << rate;
        languages << language.language();
    }
    void stop() override { ++stops; }

    // The engine's answers, as the real one gives them later from its event.
    void answerReady(const QList<SpeakerVoice> &list = {})
    {
        engineReady = true;
        callbacks.ready(list);
    }
    void finish() { callbacks.finished(); }
    void fail(const QString &reason) { callbacks.failed(reason); }
};
