#include "player/random_source.h"

#include <chrono>

namespace vesk::player {

void ClockSeededRandom::seed() {
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    engine_.seed(static_cast<std::mt19937::result_type>(ticks));
}

double ClockSeededRandom::next() {
    return std::uniform_real_distribution<double>(0.0, 1.0)(engine_);
}

}  // namespace vesk::player
