#pragma once
// Keeps the synthesizer's output below full scale. Dense songs at the usual gain add up
// past it and would clip hard; the limiter lowers the gain of both channels together at
// once when a sample would exceed the ceiling and lets it recover slowly, so ordinary
// songs pass untouched and loud passages are turned down instead of squared off.

namespace vesk::platform::midiout {

class Limiter {
  public:
    explicit Limiter(int sampleRate);

    // Highest absolute sample value let through (-1 dBFS).
    static constexpr float kCeiling = 0.891f;

    // Processes `frames` stereo frames in place.
    void process(float* left, float* right, int frames);

    // The gain applied to the last frame, 1 when idle.
    float gain() const { return gain_; }

  private:
    float gain_ = 1.0f;
    float recovery_;  // per frame, towards 1
};

}  // namespace vesk::platform::midiout
