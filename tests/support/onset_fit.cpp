#include "support/onset_fit.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vesk::test {

std::vector<std::int64_t> findOnsets(const std::vector<float>& samples, float threshold,
                                     std::int64_t quietFrames) {
    std::vector<std::int64_t> onsets;
    std::int64_t lastLoud = std::numeric_limits<std::int64_t>::min() / 2;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (std::abs(samples[i]) < threshold) {
            continue;
        }
        const auto frame = static_cast<std::int64_t>(i);
        if (frame - lastLoud > quietFrames) {
            onsets.push_back(frame);
        }
        lastLoud = frame;
    }
    return onsets;
}

std::vector<std::vector<std::int64_t>> splitRuns(const std::vector<std::int64_t>& onsets,
                                                 std::int64_t gapFrames) {
    std::vector<std::vector<std::int64_t>> runs;
    for (std::size_t i = 0; i < onsets.size(); ++i) {
        if (i == 0 || onsets[i] - onsets[i - 1] > gapFrames) {
            runs.emplace_back();
        }
        runs.back().push_back(onsets[i]);
    }
    return runs;
}

OnsetFit fitOnsets(const std::vector<std::int64_t>& onsets, const std::vector<double>& clicks,
                   int sampleRate) {
    OnsetFit fit;
    fit.expected = clicks.size();
    if (clicks.empty() || onsets.empty()) {
        fit.missing = clicks.size();
        fit.extra = onsets.size();
        return fit;
    }
    double spacing = std::numeric_limits<double>::max();
    for (std::size_t i = 1; i < clicks.size(); ++i) {
        spacing = std::min(spacing, clicks[i] - clicks[i - 1]);
    }
    const double window = spacing < 1e300 ? spacing * sampleRate / 3 : sampleRate;
    const double anchor = static_cast<double>(onsets.back()) - clicks.back() * sampleRate;

    // Each click takes the nearest onset inside its window; an onset serves one click.
    std::vector<long> pairedOnset(clicks.size(), -1);
    std::vector<bool> used(onsets.size(), false);
    for (std::size_t c = 0; c < clicks.size(); ++c) {
        const double expected = anchor + clicks[c] * sampleRate;
        double best = window;
        for (std::size_t o = 0; o < onsets.size(); ++o) {
            const double distance = std::abs(static_cast<double>(onsets[o]) - expected);
            if (!used[o] && distance < best) {
                best = distance;
                pairedOnset[c] = static_cast<long>(o);
            }
        }
        if (pairedOnset[c] >= 0) {
            used[static_cast<std::size_t>(pairedOnset[c])] = true;
        } else {
            ++fit.missing;
        }
    }
    fit.extra = static_cast<std::size_t>(std::count(used.begin(), used.end(), false));

    // Least squares through every paired click but the first.
    double n = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (std::size_t c = 1; c < clicks.size(); ++c) {
        if (pairedOnset[c] < 0) {
            continue;
        }
        const double x = clicks[c];
        const auto y = static_cast<double>(onsets[static_cast<std::size_t>(pairedOnset[c])]);
        n += 1;
        sx += x;
        sy += y;
        sxx += x * x;
        sxy += x * y;
    }
    const double denominator = n * sxx - sx * sx;
    if (n < 2 || denominator <= 0) {
        return fit;
    }
    const double slope = (n * sxy - sx * sy) / denominator;
    const double intercept = (sy - slope * sx) / n;
    auto errorMs = [&](std::size_t c) {
        const auto y = static_cast<double>(onsets[static_cast<std::size_t>(pairedOnset[c])]);
        return (y - (intercept + slope * clicks[c])) * 1000.0 / sampleRate;
    };
    std::vector<double> errors;
    for (std::size_t c = 1; c < clicks.size(); ++c) {
        if (pairedOnset[c] >= 0) {
            errors.push_back(std::abs(errorMs(c)));
        }
    }
    std::sort(errors.begin(), errors.end());
    fit.p99ErrorMs = errors[static_cast<std::size_t>(std::ceil(0.99 * errors.size())) - 1];
    fit.maxErrorMs = errors.back();
    fit.periodPpm = (slope / sampleRate - 1.0) * 1e6;
    fit.firstErrorMs = pairedOnset[0] >= 0 ? errorMs(0) : std::numeric_limits<double>::infinity();
    return fit;
}

}  // namespace vesk::test
