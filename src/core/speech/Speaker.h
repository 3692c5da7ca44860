#pragma once

#include <QList>
#include <QLocale>
#include <QString>

#include <functional>

struct SpeakerVoice
{
    QString name;
    QLocale locale;
};

// The text-to-speech engine as the reader uses it, so that tests can script its answers. Every
// answer comes through the callbacks on the window's thread, after the call that caused it.
class Speaker
{
public:
    virtual ~Speaker() = default;

    struct Callbacks
    {
        // Started, with the voices listed so far (none until listVoices); again once they are.
        std::function<void(const QList<SpeakerVoice> &)> ready;
        std::function<void()> finished;                         // the text said is spoken
        std::function<void(const QString &)> failed;            // why, for the reader
    };
    Callbacks callbacks;

    // Empty when a speech engine is installed, otherwise what to install, for the command's hint.
    virtual QString missingEngine() const = 0;
    // Starts the engine unless it runs or is starting; the ready or failed callback follows.
    virtual void start() = 0;
    // The engine runs.
    virtual bool ready() const = 0;
    // Lists the voices of every language, which takes seconds with thousands of voices; ready
    // follows with them. Starts the engine first when needed.
    virtual void listVoices() = 0;
    // Says the text in the named voice at rate -1 (slow) .. 1 (fast); without a voice, or with
    // one the engine does not know, in its own voice for the language. Whatever was being said
    // stops first.
    virtual void say(const QString &text, const QString &voice, double rate,
                     const QLocale &language) = 0;
    // Stops speaking at once; no finished follows for the text that was being said.
    virtual void stop() = 0;
};
