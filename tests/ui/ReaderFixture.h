#pragma once

#include "ScriptedPrompts.h"
#include "ScriptedSpeaker.h"
#include "TestSupport.h"
#include "ui/Tavolex1.h"

#include <QCoreApplication>
#include <QFile>

#include <memory>

// Shows the window and runs its first layout pass, which the show posts.
inline void showWindow(TForm1 &form)
{
    form.show();
    QCoreApplication::sendPostedEvents(&form, QEvent::MetaCall);
}

// A reader window in a fresh program folder with its own settings file, scripted dialogs and a
// scripted speech engine.
class ReaderFixture
{
public:
    ReaderFixture() : programDir(makeTempDir()) {}

    QString settingsPath() const { return programDir + QStringLiteral("/Tavolex.ini"); }

    // Starts the window (and shows it, which runs the first layout pass).
    TForm1 &start(const QStringList &arguments = {}, bool show = true)
    {
        auto scripted = std::make_unique<ScriptedPrompts>();
        prompts = scripted.get();
        auto voice = std::make_unique<ScriptedSpeaker>();
        speaker = voice.get();
        form = std::make_unique<TForm1>(settingsPath(), programDir, arguments, std::move(scripted),
                                        std::move(voice));
        // Tests follow every progress title; LongScansTest checks the pace with its own.
        form->progressTitleIntervalMs = 0;
        if (show)
            showWindow(*form);
        return *form;
    }

    // Closes the window as the user would and forgets it.
    void stop()
    {
        if (form)
            form->close();
        form.reset();
        prompts = nullptr;
        speaker = nullptr;
    }

    QString settingsText() const { return QString::fromUtf8(readFileBytes(settingsPath())); }

    QString writeBook(const QString &name, const QByteArray &bytes) const
    {
        const QString path = programDir + QStringLiteral("/books/") + name;
        writeFileBytes(path, bytes);
        return path;
    }

    QString programDir;
    std::unique_ptr<TForm1> form;
    ScriptedPrompts *prompts = nullptr;
    ScriptedSpeaker *speaker = nullptr;
};
