#pragma once
// The order in which songs follow one another: the neighbours of a song in list order, the
// positions of the play order, and the shuffled order. Pure functions.

#include <cstdint>
#include <optional>
#include <vector>

namespace vesk::player {

class RandomSource;

// The entry after `current` in list order, wrapping to 0; an index outside the list
// (nothing current) also gives 0.
std::int16_t nextIndex(std::int16_t current, std::int16_t listLast);
// The entry before `current`, wrapping to the last; an index outside the list gives the
// last entry.
std::int16_t backIndex(std::int16_t current, std::int16_t listLast);

// The next position of the play order, wrapping to 0; a position left beyond the end of a
// shortened list restarts the count at 0.
std::int16_t nextPosition(std::int16_t position, std::int16_t listLast);
// The previous position, wrapping to the last; a position beyond the end gives the last.
std::int16_t previousPosition(std::int16_t position, std::int16_t listLast);

// The entry that plays at `position`: in shuffle mode the element of `shuffleOrder` there,
// in list order the position itself. A shuffle order too short for the list (songs added
// after it was built) plays the position itself.
std::int16_t entryAtPosition(std::int16_t position, bool shuffle,
                             const std::vector<std::int16_t>& shuffleOrder);

// The position at which `index` plays: the index itself, or in shuffle mode its place in
// `shuffleOrder` (an entry beyond a short shuffle order plays at its own index); none when
// the shuffle order does not hold an index it covers.
std::optional<std::int16_t> positionOfEntry(std::int16_t index, bool shuffle,
                                            const std::vector<std::int16_t>& shuffleOrder);

// A random permutation of 0..listLast (Fisher-Yates from the top, the generator seeded
// first); empty for an empty list, {0} for one entry without asking the generator.
std::vector<std::int16_t> buildShuffleOrder(std::int16_t listLast, RandomSource& random);

}  // namespace vesk::player
