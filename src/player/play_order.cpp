#include "player/play_order.h"

#include <algorithm>

#include "player/random_source.h"

namespace vesk::player {

std::int16_t nextIndex(std::int16_t current, std::int16_t listLast) {
    if (current < 0 || current >= listLast) {
        return 0;
    }
    return static_cast<std::int16_t>(current + 1);
}

std::int16_t backIndex(std::int16_t current, std::int16_t listLast) {
    if (current <= 0 || current > listLast) {
        return listLast;
    }
    return static_cast<std::int16_t>(current - 1);
}

std::int16_t nextPosition(std::int16_t position, std::int16_t listLast) {
    return nextIndex(position, listLast);
}

std::int16_t previousPosition(std::int16_t position, std::int16_t listLast) {
    return backIndex(position, listLast);
}

std::int16_t entryAtPosition(std::int16_t position, bool shuffle,
                             const std::vector<std::int16_t>& shuffleOrder) {
    if (shuffle && position >= 0 && static_cast<std::size_t>(position) < shuffleOrder.size()) {
        return shuffleOrder[static_cast<std::size_t>(position)];
    }
    return position;
}

std::optional<std::int16_t> positionOfEntry(std::int16_t index, bool shuffle,
                                            const std::vector<std::int16_t>& shuffleOrder) {
    if (!shuffle) {
        return index;
    }
    const auto it = std::find(shuffleOrder.begin(), shuffleOrder.end(), index);
    if (it != shuffleOrder.end()) {
        return static_cast<std::int16_t>(it - shuffleOrder.begin());
    }
    if (index >= 0 && static_cast<std::size_t>(index) >= shuffleOrder.size()) {
        return index;
    }
    return std::nullopt;
}

std::vector<std::int16_t> buildShuffleOrder(std::int16_t listLast, RandomSource& random) {
    if (listLast < 0) {
        return {};
    }
    if (listLast == 0) {
        return {0};
    }
    random.seed();
    std::vector<std::int16_t> order(static_cast<std::size_t>(listLast) + 1);
    for (std::size_t i = 0; i < order.size(); ++i) {
        order[i] = static_cast<std::int16_t>(i);
    }
    for (int k = listLast; k >= 0; --k) {
        // A generator that strays to 1.0 must not pick an element beyond k.
        const double r = std::clamp(random.next(), 0.0, 1.0);
        const int pick = std::min(static_cast<int>(r * (k + 1)), k);
        std::swap(order[static_cast<std::size_t>(k)], order[static_cast<std::size_t>(pick)]);
    }
    return order;
}

}  // namespace vesk::player
