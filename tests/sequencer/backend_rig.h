#pragma once
// A command-text back end on a virtual clock and a recording output, shared by the
// sequencer tests: they drive it with the caller's commands and check what was sent.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "sequencer/sequencer_backend.h"
#include "sequencer/sequencer_errors.h"
#include "sequencer/smf_builder.h"
#include "support/recording_midi_output.h"
#include "support/temp_dir.h"

namespace vesk::sequencer::test {

using platform::Nanos;
using platform::RecordedMessage;
using vesk::test::ByteVector;
using vesk::test::Track;

constexpr Nanos ms(std::int64_t v) {
    return Nanos{v * 1'000'000};
}

inline bool isNoteOn(const RecordedMessage& m) {
    return m.bytes.size() == 3 && (m.bytes[0] & 0xF0) == 0x90 && m.bytes[2] > 0;
}

inline std::vector<RecordedMessage> noteOns(const std::vector<RecordedMessage>& messages) {
    std::vector<RecordedMessage> out;
    std::copy_if(messages.begin(), messages.end(), std::back_inserter(out), isNoteOn);
    return out;
}

// Channel and key of every note still sounding after `messages`; a note struck twice
// needs two releases.
inline std::multiset<std::pair<int, int>> sounding(const std::vector<RecordedMessage>& messages) {
    std::multiset<std::pair<int, int>> on;
    for (const RecordedMessage& m : messages) {
        if (m.bytes.size() < 3) {
            continue;
        }
        const int kind = m.bytes[0] & 0xF0;
        const int ch = m.bytes[0] & 0x0F;
        if (isNoteOn(m)) {
            on.insert({ch, m.bytes[1]});
        } else if (kind == 0x80 || kind == 0x90) {
            if (auto it = on.find({ch, m.bytes[1]}); it != on.end()) {
                on.erase(it);
            }
        } else if (kind == 0xB0 && m.bytes[1] == 123) {
            std::erase_if(on, [ch](const auto& k) { return k.first == ch; });
        }
    }
    return on;
}

inline bool hasMessage(const std::vector<RecordedMessage>& messages, const ByteVector& bytes,
                       Nanos due) {
    return std::any_of(messages.begin(), messages.end(),
                       [&](const RecordedMessage& m) { return m.bytes == bytes && m.due == due; });
}

inline SequencerError answer(SequencerBackend& seq, const std::string& command,
                             char* reply = nullptr, int replyLength = 0) {
    return SequencerError{seq.sendString(command, reply, replyLength)};
}

class BackendRig : public ::testing::Test {
  protected:
    std::string file(const ByteVector& bytes, const QString& name = QStringLiteral("song.mid")) {
        return dir.write(name, vesk::test::toQByteArray(bytes)).toStdString();
    }
    static std::string sharedFile(const char* name) {
        return std::string(VESK_TEST_DATA "/midi-test-files/") + name;
    }
    SequencerError send(const std::string& command) { return answer(seq, command); }
    // A step of a scenario, which must succeed.
    void run(const std::string& command) {
        EXPECT_EQ(send(command), SequencerError::None) << command;
    }
    void openPath(const std::string& path, const std::string& alias = "Tavorin") {
        ASSERT_EQ(send("open \"" + path + "\" alias " + alias), SequencerError::None) << path;
    }
    void open(const ByteVector& bytes, const std::string& alias = "Tavorin") {
        openPath(file(bytes), alias);
    }
    std::string status(const std::string& item, const std::string& alias = "Tavorin") {
        char reply[64] = "junk";
        EXPECT_EQ(answer(seq, "status " + alias + " " + item, reply, sizeof reply),
                  SequencerError::None);
        return reply;
    }
    std::int64_t position() { return std::stoll(status("position")); }
    // Moves the clock and lets the sequencer send what fell due.
    void at(std::int64_t millis) {
        clock.set(ms(millis));
        seq.pump(clock.now());
    }
    std::vector<int> noteOnKeys() const {
        std::vector<int> keys;
        for (const RecordedMessage& m : noteOns(output.messages())) {
            keys.push_back(m.bytes[1]);
        }
        return keys;
    }

    platform::VirtualClock clock;
    platform::RecordingMidiOutputService output{2};
    SequencerBackend seq{output, clock, SequencerBackend::Drive::Manual};
    vesk::test::TempDir dir;
};

}  // namespace vesk::sequencer::test
