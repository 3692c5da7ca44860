#pragma once

#include "core/speech/Speaker.h"

#include <QLocale>
#include <QStringList>
#include <QStringView>

// The language a book is most likely written in, from the script most of its letters are in
// (a sample from all over the book, so that an English preface does not decide): the desktop's
// language when it is written in that script, otherwise the script's main language.
QLocale::Language guessBookLanguage(QStringView text, const QLocale &desktop);

// A voice speaks the language: by its locale, or, where the engine knows no locale for it, by
// its name ("Chinese (Mandarin)").
bool voiceSpeaks(const SpeakerVoice &voice, QLocale::Language language);

// The names offered in the voice choice: every voice of the language first, then one voice for
// every other language.
QStringList voiceChoices(const QList<SpeakerVoice> &voices, QLocale::Language language);

// The voice "automatic" speaks in: one of the language, of its main country and not a variant
// where there is one; none (the engine's own) when no voice speaks it.
QString automaticVoice(const QList<SpeakerVoice> &voices, QLocale::Language language);

// The stored speed -10 .. 10 as the engine's rate -1 .. 1.
double speechRate(int stored);
