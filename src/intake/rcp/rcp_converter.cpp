#include "intake/rcp/rcp_converter.h"

#include "intake/rcp/rcp_expand.h"
#include "intake/rcp/rcp_song.h"
#include "intake/rcp/smf_writer.h"

namespace vesk::intake {

RcpResult convertRcpToSmf(const QByteArray& rcp) {
    RcpResult result;
    if (rcp.size() > RcpLimits::kMaxInputBytes) {
        result.error = RcpError::TooLarge;
        result.message = QStringLiteral("the file is larger than %1 bytes, too large for a song")
                             .arg(RcpLimits::kMaxInputBytes);
        return result;
    }
    rcp::RcpSong song;
    rcp::Failure failure;
    rcp::Conductor conductor;
    rcp::Budget budget;
    std::vector<rcp::TrackOutput> tracks;
    bool ok = rcp::parseRcp(rcp, song, failure);
    if (ok) {
        conductor.key[0] = song.keyCode;
        conductor.tempo[0] = rcp::tempoMicroseconds(static_cast<quint64>(song.tempo) * 64);
        for (const rcp::RawTrack& track : song.tracks) {
            if (track.muted) {
                continue;
            }
            tracks.emplace_back();
            if (!rcp::expandTrack(song, track, conductor, budget, tracks.back(), failure)) {
                ok = false;
                break;
            }
        }
    }
    if (!ok) {
        result.error = failure.error;
        result.message = failure.message;
        return result;
    }
    result.smf = rcp::writeSmf(song, conductor, tracks);
    return result;
}

RcpConverterVersion rcpConverterVersion() {
    return {
        1, 0,
        QStringLiteral("Recomposer converter: VESK RCP converter, written for VESK MIDI PLAYER")};
}

}  // namespace vesk::intake
