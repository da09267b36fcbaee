#include "app/tools/tools.h"

#include "app/component_probe.h"
#include "app/tools/info_tool.h"
#include "app/tools/list_tool.h"
#include "app/tools/render_tool.h"
#include "app/work_folder.h"
#include "config/config_file.h"
#include "intake/rcp/convert_rcp.h"
#include "platform/folders.h"
#include "platform/null_midi_output.h"
#include "sequencer/sequencer_backend.h"

namespace vesk::app {
namespace {

void printUsage(QTextStream& out) {
    out << "Usage: veskmidi [FILE...]\n"
           "  FILE        a MIDI file, Recomposer song, archive or play list (.mlt);\n"
           "              handed to the running player when there is one. A folder is\n"
           "              not taken here: open it with 新規ﾌｫﾙﾀﾞ or 追加ﾌｫﾙﾀﾞ in the window.\n"
           "\n"
           "Tools (no window; a running player is not touched):\n"
           "  --render [--max-hours N] [--loops N] OUT.wav FILE...\n"
           "                             play the songs into a WAV file; refused when\n"
           "                             they last more than N hours (default 6); a song\n"
           "                             that marks a loop plays it N times (default 2,\n"
           "                             0: as written) and fades out\n"
           "  --info FILE...             format, tracks, division, length, title, copyright\n"
           "  --convert IN OUT.mid       convert a Recomposer song to a Standard MIDI File\n"
           "  --list PATH...             the play-list entries files and folders give\n"
           "  --help                     show this text\n"
           "  --version                  show the version\n";
}

int runInfo(const QStringList& files, QTextStream& out, QTextStream& err) {
    // Measuring a length opens no device; a sequencer with no outputs is enough.
    platform::NullMidiOutputService noDevices;
    platform::SteadyClock clock;
    sequencer::SequencerBackend backend(noDevices, clock,
                                        sequencer::SequencerBackend::Drive::Manual);
    return runInfoTool(files, backend, out, err);
}

// The player's settings when its configuration can be read; defaults otherwise, saying
// why a file that is there was not read.
config::Settings configuredSettings(QTextStream& err) {
    const config::ConfigLoad config = config::loadConfigFile(
        config::chooseConfigPath(platform::executableFolder(), config::userConfigFolder()));
    if (!config.refusal.isEmpty()) {
        err << "veskmidi: " << config.refusal << "; using the default settings\n";
    }
    return config.read.valid ? config.read.settings : config::Settings();
}

int runList(const QStringList& paths, QTextStream& out, QTextStream& err) {
    config::ModuleState module;
    const WorkFolderResult work = prepareWorkFolder(runtimeBase());
    if (work.path.isEmpty()) {
        err << "veskmidi: " << work.error << "\n";
        return 1;
    }
    module.workFolder = work.path;
    module.handoffFolder = module.workFolder + QStringLiteral("FileNames");
    module.programFolder = platform::executableFolder();
    probeComponents(module, installedComponents());
    return runListTool(paths, module, configuredSettings(err), out, err);
}

}  // namespace

int runTool(const QStringList& args, QTextStream& out, QTextStream& err) {
    const QString& tool = args.first();
    const QStringList rest = args.mid(1);
    if (tool == u"--help") {
        printUsage(out);
        return 0;
    }
    if (tool == u"--version") {
        out << "VESK MIDI PLAYER Ver " << VESK_VERSION_TEXT << "\n";
        return 0;
    }
    if (tool == u"--render") {
        // The SoundFont the player is set to use, when a configuration names one.
        RenderOptions options;
        options.soundFont = configuredSettings(err).soundFont;
        return runRenderTool(rest, options, out, err);
    }
    if (tool == u"--info") {
        return runInfo(rest, out, err);
    }
    if (tool == u"--list") {
        return runList(rest, out, err);
    }
    if (tool == u"--convert") {
        return intake::runConvertTool(rest, out, err);
    }
    err << "veskmidi: unknown option " << tool << " (see veskmidi --help)\n";
    return 2;
}

}  // namespace vesk::app
