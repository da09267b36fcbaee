#include "app/tools/info_tool.h"

#include "engine/sequencer_call.h"
#include "engine/smf_info.h"

namespace vesk::app {

using namespace engine;
namespace {

QString field(QString text) {
    for (QChar& c : text) {
        if (c == u'\t' || c == u'\r' || c == u'\n') {
            c = u' ';
        }
    }
    return text;
}

}  // namespace

int runInfoTool(const QStringList& files, sequencer::CommandSequencer& sequencer, QTextStream& out,
                QTextStream& err) {
    out.setEncoding(QStringConverter::Utf8);
    err.setEncoding(QStringConverter::Utf8);
    if (files.isEmpty()) {
        err << "usage: veskmidi --info FILE...\n";
        err.flush();
        return 2;
    }
    bool anyFailed = false;
    for (const QString& path : files) {
        SmfInfo info = readSmfFile(path);
        if (info.errorCode != kSmfOk) {
            anyFailed = true;
            out << field(path) << '\t' << smfErrorMessage(info.errorCode) << '\n';
            continue;
        }
        // A length the sequencer cannot measure shows as 0, as in the player's list.
        CallResult measured;
        info.playTime = measurePlayTime(sequencer, path, measured);
        out << field(path) << '\t' << info.format << '\t' << info.tracks << '\t' << info.division
            << '\t' << info.playTime << '\t' << field(info.title) << '\t' << field(info.copyright)
            << '\n';
    }
    out.flush();
    return anyFailed ? 1 : 0;
}

}  // namespace vesk::app
