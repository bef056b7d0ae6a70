// Compares two pictures written by `tessel_bench --picture` (or any 8-bit binary PPM files of the
// same size) channel by channel:
//   tessel_compare_pictures BEFORE.ppm AFTER.ppm [--tolerance N]
// Prints the largest channel difference and how many pixels differ. Exit code 0 when no channel
// differs by more than the tolerance (default 1 of 255), 1 when one does or the sizes differ,
// 2 when a file cannot be read or the arguments are wrong.

#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "tools/bench/Options.h"
#include "tools/bench/Picture.h"

namespace {

constexpr const char* usage = "usage: tessel_compare_pictures BEFORE.ppm AFTER.ppm [--tolerance N]";

void printRow(const std::string& label, const std::string& value) {
    std::cout << "  " << label << std::string(label.size() < 36 ? 36 - label.size() : 1, ' ')
              << value << '\n';
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    std::vector<std::string> paths;
    int tolerance = 1;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "--tolerance") {
            // 0 is a tolerance too, so the benchmark's counts (from 1) do not fit here.
            const std::string value = i + 1 < arguments.size() ? arguments[++i] : "";
            const std::optional<int> parsed =
                value == "0" ? std::optional<int>(0) : parseBenchCount(value);
            if (!parsed || *parsed > 255) {
                std::cout << "tessel_compare_pictures: --tolerance wants a whole number from 0 to "
                             "255, not '"
                          << value << "'\n"
                          << usage << std::endl;
                return 2;
            }
            tolerance = *parsed;
        } else {
            paths.push_back(arguments[i]);
        }
    }
    if (paths.size() != 2) {
        std::cout << usage << std::endl;
        return 2;
    }

    std::string error;
    const std::optional<Picture> before = readPpm(paths[0], error);
    if (!before) {
        std::cout << "tessel_compare_pictures: " << error << std::endl;
        return 2;
    }
    const std::optional<Picture> after = readPpm(paths[1], error);
    if (!after) {
        std::cout << "tessel_compare_pictures: " << error << std::endl;
        return 2;
    }
    const auto sizeText = [](const Picture& p) {
        return std::to_string(p.width) + " x " + std::to_string(p.height);
    };
    if (before->width != after->width || before->height != after->height) {
        std::cout << "tessel_compare_pictures: the sizes differ: " << sizeText(*before) << " and "
                  << sizeText(*after) << std::endl;
        return 1;
    }

    const PictureDifference difference = comparePictures(*before, *after, tolerance);
    const long long pixels = static_cast<long long>(before->width) * before->height;
    printRow("size", sizeText(*before));
    std::string largest = std::to_string(difference.largestChannelDifference) + " of 255";
    if (difference.largestChannelDifference > 0) {
        largest += " (first at x " + std::to_string(difference.largestAtX) + ", y " +
                   std::to_string(difference.largestAtY) + " from the top left)";
    }
    printRow("largest channel difference", largest);
    printRow("pixels that differ",
             std::to_string(difference.pixelsDiffering) + " of " + std::to_string(pixels));
    printRow("pixels beyond the tolerance of " + std::to_string(tolerance),
             std::to_string(difference.pixelsBeyondTolerance));
    const bool same = difference.pixelsBeyondTolerance == 0;
    std::cout << (same ? "same picture" : "different pictures") << " (tolerance " << tolerance
              << " of 255)" << std::endl;
    return same ? 0 : 1;
}
