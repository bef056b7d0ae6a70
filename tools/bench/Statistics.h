#pragma once

#include <algorithm>
#include <cstddef>
#include <numeric>
#include <vector>

// Summaries of timing samples for the frame benchmark. Pure functions, so that the figures it
// prints can be checked without a clock.

// The `percent` percentile (0 to 100, clamped) of `samples`, interpolating linearly between the
// two nearest ranks: 50 is the median, 0 the smallest sample, 100 the largest. No samples give 0.
inline double percentile(std::vector<double> samples, double percent) {
    if (samples.empty()) return 0.0;
    std::sort(samples.begin(), samples.end());
    const double clamped = std::clamp(percent, 0.0, 100.0);
    const double rank = clamped / 100.0 * static_cast<double>(samples.size() - 1);
    const auto below = static_cast<std::size_t>(rank);
    const std::size_t above = std::min(below + 1, samples.size() - 1);
    const double fraction = rank - static_cast<double>(below);
    return samples[below] + (samples[above] - samples[below]) * fraction;
}

struct Summary {
    std::size_t count = 0;
    double mean = 0.0;
    double median = 0.0;
    double p1 = 0.0;   // 1st percentile: the fast end
    double p99 = 0.0;  // 99th percentile: the slow end
};

inline Summary summarize(const std::vector<double>& samples) {
    Summary summary;
    summary.count = samples.size();
    if (samples.empty()) return summary;
    summary.mean =
        std::accumulate(samples.begin(), samples.end(), 0.0) / static_cast<double>(samples.size());
    summary.median = percentile(samples, 50.0);
    summary.p1 = percentile(samples, 1.0);
    summary.p99 = percentile(samples, 99.0);
    return summary;
}

// Frames per second for a frame time in milliseconds; 0 for a frame time that is not positive.
inline double framesPerSecond(double frameMilliseconds) {
    return frameMilliseconds > 0.0 ? 1000.0 / frameMilliseconds : 0.0;
}

// How many times slower `value` is than `floor`; 0 when the floor is not positive.
inline double ratioTo(double value, double floor) {
    return floor > 0.0 ? value / floor : 0.0;
}

// How a set of samples spreads: its median and the middle half (25th to 75th percentile).
struct Spread {
    double median = 0.0;
    double lowerQuartile = 0.0;
    double upperQuartile = 0.0;
};

inline Spread spreadOf(const std::vector<double>& samples) {
    return {percentile(samples, 50.0), percentile(samples, 25.0), percentile(samples, 75.0)};
}

// The median frame time of each block of frames.
inline std::vector<double> blockMedians(const std::vector<std::vector<double>>& blocks) {
    std::vector<double> medians;
    medians.reserve(blocks.size());
    for (const std::vector<double>& block : blocks) medians.push_back(percentile(block, 50.0));
    return medians;
}

// values[i] / floors[i] for each pair of blocks run side by side. A pair whose floor is not
// positive is left out rather than counted as 0; surplus blocks on either side have no pair.
inline std::vector<double> pairedRatios(const std::vector<double>& values,
                                        const std::vector<double>& floors) {
    std::vector<double> ratios;
    const std::size_t pairs = std::min(values.size(), floors.size());
    for (std::size_t i = 0; i < pairs; ++i) {
        if (floors[i] > 0.0) ratios.push_back(values[i] / floors[i]);
    }
    return ratios;
}

// values[i] - floors[i] for each pair of blocks run side by side.
inline std::vector<double> pairedDifferences(const std::vector<double>& values,
                                             const std::vector<double>& floors) {
    std::vector<double> differences;
    const std::size_t pairs = std::min(values.size(), floors.size());
    for (std::size_t i = 0; i < pairs; ++i) differences.push_back(values[i] - floors[i]);
    return differences;
}
