#include "platform/midi_out/synth_core.h"

#include <QFile>
#include <algorithm>

#include "platform/midi_out/midi_bytes.h"
#include "platform/midi_out/soundfont.h"

namespace vesk::platform::midiout {

namespace {

// The block boundary nearest `frame`, rounding halves up.
std::int64_t nearestBoundary(std::int64_t frame) {
    std::int64_t shifted = frame + kSynthBlockFrames / 2;
    std::int64_t q = shifted / kSynthBlockFrames;
    if (shifted % kSynthBlockFrames < 0) {
        --q;
    }
    return q * kSynthBlockFrames;
}

constexpr auto kQuiet = FluidFailure::Quiet;

}  // namespace

std::unique_ptr<SynthCore> SynthCore::create(const SynthConfig& config, QString& error) {
    routeFluidLog();
    SoundFontCheck file = checkSoundFontFile(config.soundFont);
    if (!file.ok) {
        error = file.message;
        return nullptr;
    }
    if (config.sampleRate < 8000 || config.sampleRate > 96000) {
        error = QStringLiteral("サンプリング周波数 %1 Hz には対応していません。")
                    .arg(config.sampleRate);
        return nullptr;
    }
    std::unique_ptr<SynthCore> core(new SynthCore);
    core->sampleRate_ = config.sampleRate;
    core->limiter_ = Limiter(config.sampleRate);
    core->settings_.reset(new_fluid_settings());
    if (!core->settings_) {
        error = QStringLiteral("シンセサイザーを準備できません。");
        return nullptr;
    }
    fluid_settings_t* s = core->settings_.get();
    fluidOk(fluid_settings_setnum(s, "synth.sample-rate", config.sampleRate),
            "fluid_settings_setnum synth.sample-rate");
    fluidOk(fluid_settings_setnum(s, "synth.gain", std::clamp(config.gain, 0.0, 10.0)),
            "fluid_settings_setnum synth.gain");
    fluidOk(fluid_settings_setint(s, "synth.polyphony", std::clamp(config.polyphony, 16, 4096)),
            "fluid_settings_setint synth.polyphony");
    fluidOk(fluid_settings_setint(s, "synth.midi-channels", kChannels),
            "fluid_settings_setint synth.midi-channels");
    fluidOk(fluid_settings_setint(s, "synth.reverb.active", config.effects ? 1 : 0),
            "fluid_settings_setint synth.reverb.active");
    fluidOk(fluid_settings_setint(s, "synth.chorus.active", config.effects ? 1 : 0),
            "fluid_settings_setint synth.chorus.active");
    core->synth_.reset(new_fluid_synth(s));
    if (!core->synth_) {
        error = QStringLiteral("シンセサイザーを準備できません。");
        return nullptr;
    }
    QByteArray native = QFile::encodeName(config.soundFont);
    core->sfontId_ = fluid_synth_sfload(core->synth_.get(), native.constData(), 1);
    if (core->sfontId_ == FLUID_FAILED) {
        error = soundFontLoadFailure(config.soundFont);
        return nullptr;
    }
    core->sfont_ = fluid_synth_get_sfont_by_id(core->synth_.get(), core->sfontId_);
    core->systemReset(ResetStyle::Gs);
    return core;
}

SynthCore::~SynthCore() = default;

bool SynthCore::hasPreset(int bank, int program) const {
    return sfont_ != nullptr && fluid_sfont_get_preset(sfont_, bank, program) != nullptr;
}

void SynthCore::select(int channel, const PresetChoice& choice) {
    fluid_synth_t* synth = synth_.get();
    fluidOk(fluid_synth_set_channel_type(synth, channel,
                                         choice.drum ? CHANNEL_TYPE_DRUM : CHANNEL_TYPE_MELODIC),
            "fluid_synth_set_channel_type", kQuiet);
    // A SoundFont rarely has every variation or kit: fall back the way a module falls back
    // to the capital tone, and to the standard kit for drums.
    ChannelProgram fallback =
        choice.drum ? ChannelProgram{kDrumBank, 0} : ChannelProgram{0, choice.program};
    ChannelProgram pick{choice.bank, choice.program};
    if (!hasPreset(pick.bank, pick.program)) {
        pick = fallback;
    }
    if (!hasPreset(pick.bank, pick.program)) {
        return;
    }
    fluidOk(fluid_synth_program_select(synth, channel, sfontId_, pick.bank, pick.program),
            "fluid_synth_program_select", kQuiet);
}

void SynthCore::systemReset(ResetStyle style) {
    fluidOk(fluid_synth_system_reset(synth_.get()), "fluid_synth_system_reset", kQuiet);
    map_.reset(style);
    for (int ch = 0; ch < kChannels; ++ch) {
        select(ch, map_.current(ch));
    }
}

void SynthCore::applySysEx(std::span<const std::uint8_t> message, MidiPort port) {
    SysExMeaning meaning = classifySysEx(message);
    switch (meaning.kind) {
        case SysExMeaning::Kind::Reset:
            systemReset(meaning.style);
            return;
        case SysExMeaning::Kind::RhythmPart:
            if (meaning.style == map_.style()) {
                const int channel = channelIndex(port, meaning.channel);
                select(channel, map_.setDrumPart(channel, meaning.drum));
            }
            return;
        case SysExMeaning::Kind::Other:
            break;
    }
    if (message.size() <= 2) {
        return;
    }
    auto body = message.subspan(1, message.size() - 2);
    fluidOk(fluid_synth_sysex(synth_.get(), reinterpret_cast<const char*>(body.data()),
                              static_cast<int>(body.size()), nullptr, nullptr, nullptr, 0),
            "fluid_synth_sysex", kQuiet);
}

void SynthCore::apply(std::span<const std::uint8_t> message, MidiPort port) {
    if (!isCompleteMessage(message)) {
        return;
    }
    if (message[0] == 0xF0) {
        applySysEx(message, port);
        return;
    }
    fluid_synth_t* synth = synth_.get();
    int channel = channelIndex(port, message[0]);
    int d1 = message[1];
    int d2 = message.size() > 2 ? message[2] : 0;
    switch (message[0] & 0xF0) {
        case 0x80:
            fluidOk(fluid_synth_noteoff(synth, channel, d1), "fluid_synth_noteoff", kQuiet);
            break;
        case 0x90:
            fluidOk(fluid_synth_noteon(synth, channel, d1, d2), "fluid_synth_noteon", kQuiet);
            break;
        case 0xA0:
            fluidOk(fluid_synth_key_pressure(synth, channel, d1, d2), "fluid_synth_key_pressure",
                    kQuiet);
            break;
        case 0xB0:
            if (d1 == 0 || d1 == 32) {
                map_.controlChange(channel, d1, d2);
            } else {
                fluidOk(fluid_synth_cc(synth, channel, d1, d2), "fluid_synth_cc", kQuiet);
            }
            break;
        case 0xC0:
            select(channel, map_.programChange(channel, d1));
            break;
        case 0xD0:
            fluidOk(fluid_synth_channel_pressure(synth, channel, d1),
                    "fluid_synth_channel_pressure", kQuiet);
            break;
        case 0xE0:
            fluidOk(fluid_synth_pitch_bend(synth, channel, (d2 << 7) | d1),
                    "fluid_synth_pitch_bend", kQuiet);
            break;
        default:
            break;
    }
}

void SynthCore::render(float* left, float* right, int frames, EventSource& events) {
    int done = 0;
    while (done < frames) {
        std::int64_t end = position_ + (frames - done);
        DueMessage next;
        while (events.peek(next)) {
            std::int64_t at = next.frame <= position_ ? position_ : nearestBoundary(next.frame);
            if (at > position_) {
                end = std::min(end, at);
                break;
            }
            apply(next.bytes, next.port);
            events.pop();
        }
        // FluidSynth renders whole blocks ahead of what it hands out; stopping each call at
        // the next message's boundary keeps it from rendering past that message.
        int count = static_cast<int>(end - position_);
        if (!fluidOk(
                fluid_synth_write_float(synth_.get(), count, left + done, 0, 1, right + done, 0, 1),
                "fluid_synth_write_float", kQuiet)) {
            std::fill(left + done, left + done + count, 0.0f);
            std::fill(right + done, right + done + count, 0.0f);
        }
        limiter_.process(left + done, right + done, count);
        done += count;
        position_ += count;
    }
}

std::optional<ChannelProgram> SynthCore::channelProgram(int channel) const {
    int sfont = 0;
    int bank = 0;
    int program = 0;
    if (!fluidOk(fluid_synth_get_program(synth_.get(), channel, &sfont, &bank, &program),
                 "fluid_synth_get_program", kQuiet)) {
        return std::nullopt;
    }
    return ChannelProgram{bank, program};
}

}  // namespace vesk::platform::midiout
