#pragma once
// Where recorded clicks land against where the song puts them: onsets are found in the
// recording, paired with the song's click times, and a straight line is fitted through
// all but the first, so the first can be judged against the rest.

#include <cstdint>
#include <vector>

namespace vesk::test {

// Frames where |sample| rises above `threshold` after at least `quietFrames` below it.
std::vector<std::int64_t> findOnsets(const std::vector<float>& samples, float threshold,
                                     std::int64_t quietFrames);

struct OnsetFit {
    std::size_t expected = 0;
    std::size_t missing = 0;  // clicks with no onset near their place
    std::size_t extra = 0;    // onsets no click explains (bursts, hanging notes)
    double firstErrorMs = 0;  // the first click against the line of the others
    double p99ErrorMs = 0;    // of the others' |distance| from the line
    double maxErrorMs = 0;
    double periodPpm = 0;  // the line's slope against the song's time
};

// `clicks` are the song's click times in seconds, ascending. The last onset is taken to
// be the last click (the end of a song is where playback is steadiest); the others are
// paired with the nearest onset within a third of the shortest click spacing.
OnsetFit fitOnsets(const std::vector<std::int64_t>& onsets, const std::vector<double>& clicks,
                   int sampleRate);

// Splits onsets into runs separated by more than `gapFrames` of silence.
std::vector<std::vector<std::int64_t>> splitRuns(const std::vector<std::int64_t>& onsets,
                                                 std::int64_t gapFrames);

}  // namespace vesk::test
