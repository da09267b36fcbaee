#pragma once
// "--info": prints what the player would learn about each song file, one line per file,
// without a window or a MIDI device.

#include <QStringList>
#include <QTextStream>

#include "sequencer/command_sequencer.h"

namespace vesk::app {

// For each file one UTF-8 line of tab-separated fields on `out`:
//   path, Format, Tracks, Division, PlayTime (ms), Title, Copyright
// as the header scan and the sequencer's length measurement give them (an empty
// copyright stays empty). Tabs and line breaks inside a title or copyright become spaces
// so that a line stays one record. A file that cannot be read gives "path<TAB>message"
// with the message the player would show. Returns 0 when every file was read, 1 when any
// failed, 2 (with a usage text on `err`) when no file was given.
int runInfoTool(const QStringList& files, sequencer::CommandSequencer& sequencer, QTextStream& out,
                QTextStream& err);

}  // namespace vesk::app
