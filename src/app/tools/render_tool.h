#pragma once
// "--render [--max-hours N] [--loops N] OUT.wav FILE...": plays songs through the engine, the
// sequencer and the built-in synthesizer on a virtual clock, faster than real time, into one WAV
// file. Every song is read and measured before the output is touched; the WAV is written beside the
// output under a temporary name and renamed into place only when it is complete.

#include <QStringList>
#include <QTextStream>

namespace vesk::app {

struct RenderOptions {
    QString soundFont;  // empty: the system's General MIDI SoundFont
    int sampleRate = 44100;
    // Renders whose songs (with their release tails) add up to more are refused.
    double maxHours = 6.0;
    // Passes of a song's marked loop before it fades out; 0 renders songs as written.
    int loops = 2;
};

// `args`: optionally "--max-hours N" and "--loops N", then the output path, then the song files.
// Returns 0 when every song was rendered, 1 when some could not be (or nothing was written), 2 for
// a usage error, 128 + the signal's number when SIGINT, SIGTERM or SIGHUP stopped it (nothing is
// written then).
int runRenderTool(const QStringList& args, RenderOptions options, QTextStream& out,
                  QTextStream& err);

}  // namespace vesk::app
