#pragma once
// Choosing and checking the SoundFont of the built-in synthesizer.

#include <QString>
#include <QStringList>

namespace vesk::platform::midiout {

// The General MIDI SoundFonts the system may have, best first.
QStringList standardSoundFonts();

// The SoundFont to use: `configured` when it is not empty, else the first of `candidates`
// that exists. Empty when there is none.
QString resolveSoundFont(const QString& configured,
                         const QStringList& candidates = standardSoundFonts());

struct SoundFontCheck {
    bool ok = false;
    QString message;  // for the user when not ok
};

// Whether `path` names a readable file at all; says nothing about its contents.
SoundFontCheck checkSoundFontFile(const QString& path);

// Whether `path` names a SoundFont the synthesizer can load.
SoundFontCheck checkSoundFont(const QString& path);

// The message for a file that is there but does not load as a SoundFont.
QString soundFontLoadFailure(const QString& path);

}  // namespace vesk::platform::midiout
