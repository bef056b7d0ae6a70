#pragma once

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

// The frame benchmark's command line:
//   tessel_bench [--frames N] [--physics-steps N] [--compare-edge FOLDER] [--picture FILE]
// --compare-edge adds a run that alternates the game's edge shader with the edge.vert and
// edge.frag in FOLDER (another checkout's assets/shader, say) frame by frame. With --picture it
// times nothing: it renders N frames from start-up with a fixed frame time and writes the last
// one to FILE.
struct BenchOptions {
    int frames = 600;         // frames of each kind (game, floor, bare window; and the phases run)
    int physicsSteps = 3000;  // steps of the physics-only run
    std::string compareEdgeFolder;  // empty: no edge shader comparison
    std::string picturePath;        // empty: the timed benchmark
};

constexpr const char* benchUsage =
    "usage: tessel_bench [--frames N] [--physics-steps N] [--compare-edge FOLDER] "
    "[--picture FILE]";

constexpr int maxBenchCount = 1000000;

// A whole decimal number from 1 to maxBenchCount, nothing else; empty when the text is not one.
inline std::optional<int> parseBenchCount(const std::string& text) {
    if (text.empty() || text.size() > 7) return std::nullopt;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
    }
    const long value = std::strtol(text.c_str(), nullptr, 10);
    if (value < 1 || value > maxBenchCount) return std::nullopt;
    return static_cast<int>(value);
}

// Reads the arguments after the program name. On a mistake returns empty and says why in
// `error`.
inline std::optional<BenchOptions> parseBenchOptions(const std::vector<std::string>& arguments,
                                                     std::string& error) {
    BenchOptions options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& name = arguments[i];
        std::string* text = name == "--picture"        ? &options.picturePath
                            : name == "--compare-edge" ? &options.compareEdgeFolder
                                                       : nullptr;
        if (text) {
            if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
                error = name +
                        (text == &options.picturePath ? " needs a file name" : " needs a folder");
                return std::nullopt;
            }
            *text = arguments[++i];
            continue;
        }
        int* target = nullptr;
        if (name == "--frames") {
            target = &options.frames;
        } else if (name == "--physics-steps") {
            target = &options.physicsSteps;
        } else {
            error = "unknown argument '" + name + "'";
            return std::nullopt;
        }
        if (i + 1 >= arguments.size()) {
            error = name + " needs a number";
            return std::nullopt;
        }
        const std::optional<int> count = parseBenchCount(arguments[++i]);
        if (!count) {
            error = name + " wants a whole number from 1 to " + std::to_string(maxBenchCount) +
                    ", not '" + arguments[i] + "'";
            return std::nullopt;
        }
        *target = *count;
    }
    return options;
}
