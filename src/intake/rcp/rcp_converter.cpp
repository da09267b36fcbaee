#include "intake/rcp/rcp_converter.h"

#include "intake/rcp/rcp_expand.h"
#include "intake/rcp/rcp_song.h"
#include "intake/rcp/smf_writer.h"

#include <algorithm>
#include <optional>

namespace vesk::intake {

namespace {

bool expandAll(const rcp::RcpSong& song, rcp::EndlessLoops endless, rcp::Conductor& conductor,
               std::vector<rcp::TrackOutput>& tracks, rcp::Failure& failure) {
    conductor = rcp::Conductor{};
    conductor.key[0] = song.keyCode;
    conductor.tempo[0] = rcp::tempoMicroseconds(static_cast<quint64>(song.tempo) * 64);
    rcp::Budget budget;
    tracks.clear();
    for (const rcp::RawTrack& track : song.tracks) {
        if (track.muted) {
            continue;
        }
        tracks.emplace_back();
        if (!rcp::expandTrack(song, track, conductor, budget, tracks.back(), failure, endless)) {
            return false;
        }
    }
    return true;
}

// The loop of the whole song: every track that ends in an endless loop ends in the same
// one, and no other track plays on past its end. None when the tracks disagree.
std::optional<rcp::EndlessLoop> songLoop(const std::vector<rcp::TrackOutput>& tracks) {
    std::optional<rcp::EndlessLoop> loop;
    for (const rcp::TrackOutput& track : tracks) {
        if (track.endlessLoop) {
            if (loop && *loop != *track.endlessLoop) {
                return std::nullopt;
            }
            loop = track.endlessLoop;
        }
    }
    for (const rcp::TrackOutput& track : tracks) {
        if (loop && !track.endlessLoop && track.clockEnd > loop->end) {
            return std::nullopt;
        }
    }
    return loop;
}

bool anyEndless(const std::vector<rcp::TrackOutput>& tracks) {
    return std::any_of(tracks.begin(), tracks.end(),
                       [](const rcp::TrackOutput& t) { return t.endlessLoop.has_value(); });
}

}  // namespace

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
    std::vector<rcp::TrackOutput> tracks;
    // Endless loops become the song's loop points, so the player repeats them as often as
    // asked and fades out; when the tracks' loops do not line up, they play twice.
    bool ok = rcp::parseRcp(rcp, song, failure) &&
              expandAll(song, rcp::EndlessLoops::LoopPoints, conductor, tracks, failure);
    if (ok && anyEndless(tracks)) {
        const std::optional<rcp::EndlessLoop> loop = songLoop(tracks);
        if (loop) {
            conductor.loop = loop;
        } else {
            ok = expandAll(song, rcp::EndlessLoops::Twice, conductor, tracks, failure);
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
