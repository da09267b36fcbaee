#pragma once
// "--render OUT.wav FILE...": plays songs through the engine, the sequencer and the
// built-in synthesizer on a virtual clock, faster than real time, into one WAV file.

#include <QStringList>
#include <QTextStream>

namespace vesk::app {

struct RenderOptions {
    QString soundFont;  // empty: the system's General MIDI SoundFont
    int sampleRate = 44100;
};

// `args`: the output path, then the song files. Returns 0 when every song was rendered.
int runRenderTool(const QStringList& args, const RenderOptions& options, QTextStream& out,
                  QTextStream& err);

}  // namespace vesk::app
