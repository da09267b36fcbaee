// The Recomposer converter on arbitrary bytes. What it produces must be a MIDI file the
// player's own reader takes without damage: the converted song is played, not just kept.

#include <cstddef>
#include <cstdint>
#include <span>

#include "fuzz_support.h"
#include "intake/rcp/rcp_converter.h"
#include "sequencer/sequencer_errors.h"
#include "sequencer/smf_reader.h"

using vesk::fuzz::require;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    vesk::fuzz::quietLogging();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vesk;
    const intake::RcpResult result = intake::convertRcpToSmf(fuzz::bytesOf(data, size));
    if (!result.ok()) {
        require(result.smf.isEmpty(), "no output on failure");
        require(!result.message.isEmpty(), "a failure says why");
        return 0;
    }
    require(static_cast<quint64>(result.smf.size()) <= intake::RcpLimits::kMaxOutputBytes + 65536,
            "output within its cap");
    sequencer::Song song;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(result.smf.constData());
    const auto rc = sequencer::readSmf(
        std::span<const std::uint8_t>(bytes, static_cast<std::size_t>(result.smf.size())), song);
    require(rc == sequencer::SequencerError::None, "converted song reads as a MIDI file");
    require(song.damage == sequencer::kDamageNone, "converted song reads without damage");
    require(song.trackChunks == song.declaredTracks, "converted song has the tracks it declares");
    return 0;
}
