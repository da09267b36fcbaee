#include "app/startup/tools.h"

namespace vesk::app {
namespace {

void printUsage(QTextStream& out) {
    out << "Usage: veskmidi [FILE...]\n"
           "  FILE        a MIDI file, Recomposer song, archive, play list (.mlt) or folder;\n"
           "              handed to the running player when there is one\n"
           "  --help      show this text\n"
           "  --version   show the version\n";
}

}  // namespace

int runTool(const QStringList& args, QTextStream& out, QTextStream& err) {
    const QString& tool = args.first();
    if (tool == u"--help") {
        printUsage(out);
        return 0;
    }
    if (tool == u"--version") {
        out << "VESK MIDI PLAYER Ver " << VESK_VERSION_TEXT << "\n";
        return 0;
    }
    err << "veskmidi: unknown option " << tool << " (see veskmidi --help)\n";
    return 2;
}

}  // namespace vesk::app
