#pragma once
// The engine on the real command back end, driven by a virtual clock: what it does is
// judged by what the back end reports and what reaches the output.

#include <gtest/gtest.h>

#include "engine/engine.h"
#include "platform/clock.h"
#include "sequencer/sequencer_backend.h"
#include "sequencer/smf_builder.h"
#include "support/recording_midi_output.h"
#include "support/temp_dir.h"

namespace vesk::engine::test {

class EngineRig : public ::testing::Test {
  protected:
    QString write(const QString& name, const std::vector<vesk::test::Track>& tracks, int format = 1,
                  std::uint16_t division = 96) {
        return dir.write(name, vesk::test::toQByteArray(vesk::test::smf(format, division, tracks)));
    }
    void at(std::int64_t millis) {
        clock.set(platform::Nanos{millis * 1'000'000});
        backend.pump(clock.now());
    }

    vesk::test::TempDir dir;
    platform::VirtualClock clock;
    platform::RecordingMidiOutputService out{2};
    sequencer::SequencerBackend backend{out, clock, sequencer::SequencerBackend::Drive::Manual};
    platform::RecordingInteraction ui;
    Engine engine{backend, out, ui};
};

}  // namespace vesk::engine::test
