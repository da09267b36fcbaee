#include "sequencer/transposer.h"

#include <algorithm>

namespace vesk::sequencer {

namespace {

int inRange(int key) {
    return key >= 0 && key <= 127 ? key : Transposer::kNoKey;
}

std::size_t slot(int channel, int key) {
    return static_cast<std::size_t>((channel & 0x1F) * 128 + (key & 0x7F));
}

// GS part numbers in the address 40 1p 15 run 10, 1..9, 11..16.
int gsPartChannel(int p) {
    return p == 0 ? 9 : p <= 9 ? p - 1 : p;
}

bool isRhythmChannel(int channel) {
    return channel % platform::kPortChannels == 9;
}

}  // namespace

void Transposer::setSemitones(int semitones) {
    semitones_ = std::clamp(semitones, -kMaxSemitones, kMaxSemitones);
}

void Transposer::resetParts() {
    for (int ch = 0; ch < platform::kChannelIndexes; ++ch) {
        drum_[static_cast<std::size_t>(ch)] = isRhythmChannel(ch);
    }
}

void Transposer::observe(std::span<const std::uint8_t> m, platform::MidiPort port) {
    if (m.size() >= 3 && (m[0] & 0xF0) == 0xB0 && m[1] == 0) {
        const int ch = platform::channelIndex(port, m[0]);
        drum_[static_cast<std::size_t>(ch)] = isRhythmChannel(ch) || m[2] == 127;
        return;
    }
    // GS: F0 41 dev 42 12 40 1p 15 map sum F7; map 0 is a normal part, 1 and 2 drum maps.
    if (m.size() >= 10 && m[0] == 0xF0 && m[1] == 0x41 && m[3] == 0x42 && m[4] == 0x12 &&
        m[5] == 0x40 && (m[6] & 0xF0) == 0x10 && m[7] == 0x15) {
        const int ch = platform::channelIndex(port, gsPartChannel(m[6] & 0x0F));
        drum_[static_cast<std::size_t>(ch)] = isRhythmChannel(ch) || m[8] != 0;
    }
}

Transposer::NoteOn Transposer::noteOn(int channel, int key) {
    const std::size_t i = slot(channel, key);
    const int shift = shiftFor(channel);
    NoteOn result;
    if (held_[i] > 0 && shift_[i] != shift) {
        result.release = inRange(key + shift_[i]);
        held_[i] = 0;
    }
    shift_[i] = static_cast<std::int8_t>(shift);
    held_[i] = static_cast<std::uint8_t>(std::min(held_[i] + 1, 255));
    result.key = inRange(key + shift);
    return result;
}

int Transposer::noteOff(int channel, int key) {
    const std::size_t i = slot(channel, key);
    if (held_[i] == 0) {
        return inRange(key + shiftFor(channel));
    }
    --held_[i];
    return inRange(key + shift_[i]);
}

int Transposer::pressureKey(int channel, int key) const {
    const std::size_t i = slot(channel, key);
    return inRange(key + (held_[i] > 0 ? shift_[i] : shiftFor(channel)));
}

void Transposer::forgetNotes() {
    held_.fill(0);
}

}  // namespace vesk::sequencer
