#pragma once

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

// The frame benchmark's command line:
//   tessel_bench [--frames N] [--physics-steps N] [--size WxH] [--render-scale S|auto]
//                [--compare-edge FOLDER] [--picture FILE]
// --size opens a window of that size (default 800 x 600; the screen must be as large), and
// --render-scale draws the scene at that share of it, or lets the game choose (default 1).
// --compare-edge adds a run that alternates the game's edge shader with the edge.vert and
// edge.frag in FOLDER (another checkout's assets/shader, say) frame by frame. With --picture it
// times nothing: it renders N frames from start-up with a fixed frame time and writes the last
// one to FILE.
struct BenchOptions {
    int frames = 600;         // frames of each kind (game, floor, bare window; and the phases run)
    int physicsSteps = 3000;  // steps of the physics-only run
    int width = 800;
    int height = 600;
    float renderScale = 1.0f;
    bool automaticRenderScale = false;
    std::string compareEdgeFolder;  // empty: no edge shader comparison
    std::string picturePath;        // empty: the timed benchmark
};

constexpr const char* benchUsage =
    "usage: tessel_bench [--frames N] [--physics-steps N] [--size WxH] [--render-scale S|auto] "
    "[--compare-edge FOLDER] [--picture FILE]";

constexpr int maxBenchSide = 16384;

// "WxH" with each side a whole number from 1 to maxBenchSide; false when the text is not one.
inline bool parseBenchSize(const std::string& text, int& width, int& height) {
    const std::size_t cross = text.find('x');
    if (cross == std::string::npos || cross == 0 || cross > 5 || text.size() - cross - 1 > 5 ||
        text.size() == cross + 1) {
        return false;
    }
    int sides[2] = {0, 0};
    const std::string parts[2] = {text.substr(0, cross), text.substr(cross + 1)};
    for (int i = 0; i < 2; ++i) {
        for (char c : parts[i]) {
            if (c < '0' || c > '9') return false;
        }
        sides[i] = std::atoi(parts[i].c_str());
        if (sides[i] < 1 || sides[i] > maxBenchSide) return false;
    }
    width = sides[0];
    height = sides[1];
    return true;
}

// "auto", or a share from 0.25 to 1; false for anything else.
inline bool parseBenchRenderScale(const std::string& text, float& scale, bool& automatic) {
    if (text == "auto") {
        automatic = true;
        scale = 1.0f;
        return true;
    }
    char* end = nullptr;
    const double share = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !(share >= 0.25 && share <= 1.0)) return false;
    automatic = false;
    scale = static_cast<float>(share);
    return true;
}

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
        if (name == "--size" || name == "--render-scale") {
            const std::string value = i + 1 < arguments.size() ? arguments[++i] : "";
            const bool usable = name == "--size"
                                    ? parseBenchSize(value, options.width, options.height)
                                    : parseBenchRenderScale(value, options.renderScale,
                                                            options.automaticRenderScale);
            if (!usable) {
                error = name == "--size"
                            ? "--size wants WIDTHxHEIGHT, each from 1 to " +
                                  std::to_string(maxBenchSide) + ", not '" + value + "'"
                            : "--render-scale wants a share from 0.25 to 1 or auto, not '" + value +
                                  "'";
                return std::nullopt;
            }
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
