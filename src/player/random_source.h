#pragma once
// Random numbers for the shuffle order, injected so that tests choose the order.

#include <random>

namespace vesk::player {

class RandomSource {
  public:
    virtual ~RandomSource() = default;
    // Seeds the generator from the clock.
    virtual void seed() = 0;
    // Uniform in [0, 1).
    virtual double next() = 0;
};

class ClockSeededRandom final : public RandomSource {
  public:
    void seed() override;
    double next() override;

  private:
    std::mt19937 engine_;
};

}  // namespace vesk::player
