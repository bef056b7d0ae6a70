#pragma once

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

// Pictures of the window, so that a change to a shader can be checked pixel by pixel against
// the picture before it: 8-bit RGB, top row first, kept in binary PPM (P6) files, which any
// image tool reads. Pure functions apart from the two file calls, so that they can be tested.

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;  // width * height * 3 bytes, top row first
};

// Large enough for any window; it keeps a damaged header from asking for gigabytes.
constexpr long long maxPicturePixels = 16384LL * 16384LL;

// A picture from rows stored bottom row first, as glReadPixels gives them.
inline Picture pictureFromBottomUpRows(int width, int height,
                                       const std::vector<unsigned char>& rows) {
    Picture picture;
    picture.width = width;
    picture.height = height;
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
    picture.rgb.resize(rowBytes * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        const auto from = rows.begin() + static_cast<std::ptrdiff_t>(rowBytes * y);
        std::copy(from, from + static_cast<std::ptrdiff_t>(rowBytes),
                  picture.rgb.begin() + static_cast<std::ptrdiff_t>(rowBytes * (height - 1 - y)));
    }
    return picture;
}

inline std::string encodePpm(const Picture& picture) {
    std::string bytes =
        "P6\n" + std::to_string(picture.width) + " " + std::to_string(picture.height) + "\n255\n";
    bytes.append(picture.rgb.begin(), picture.rgb.end());
    return bytes;
}

// Reads a binary PPM with 8-bit channels (maxval 255). On a mistake returns empty and says why
// in `error`.
inline std::optional<Picture> decodePpm(const std::string& bytes, std::string& error) {
    std::size_t at = 0;
    // The next header number, after whitespace and "#" comments.
    const auto nextNumber = [&](const char* what) -> std::optional<long long> {
        while (at < bytes.size()) {
            const char c = bytes[at];
            if (c == '#') {
                while (at < bytes.size() && bytes[at] != '\n') ++at;
            } else if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
                ++at;
            } else {
                break;
            }
        }
        long long value = 0;
        std::size_t digits = 0;
        while (at < bytes.size() && bytes[at] >= '0' && bytes[at] <= '9' && digits < 9) {
            value = value * 10 + (bytes[at] - '0');
            ++at;
            ++digits;
        }
        if (digits == 0 || (at < bytes.size() && bytes[at] >= '0' && bytes[at] <= '9')) {
            error = std::string("no valid ") + what + " in the header";
            return std::nullopt;
        }
        return value;
    };

    if (bytes.compare(0, 2, "P6") != 0) {
        error = "not a binary PPM (P6) file";
        return std::nullopt;
    }
    at = 2;
    const std::optional<long long> width = nextNumber("width");
    if (!width) return std::nullopt;
    const std::optional<long long> height = nextNumber("height");
    if (!height) return std::nullopt;
    const std::optional<long long> maxValue = nextNumber("maximum value");
    if (!maxValue) return std::nullopt;
    if (*width < 1 || *height < 1 || *width * *height > maxPicturePixels) {
        error = "unusable size " + std::to_string(*width) + " x " + std::to_string(*height);
        return std::nullopt;
    }
    if (*maxValue != 255) {
        error =
            "only 8-bit channels (maximum value 255) are read, not " + std::to_string(*maxValue);
        return std::nullopt;
    }
    // Exactly one whitespace byte separates the header from the pixels.
    if (at >= bytes.size()) {
        error = "no pixel data";
        return std::nullopt;
    }
    ++at;
    const auto expected = static_cast<std::size_t>(*width * *height * 3);
    if (bytes.size() - at != expected) {
        error = "expected " + std::to_string(expected) + " bytes of pixels, found " +
                std::to_string(bytes.size() - at);
        return std::nullopt;
    }
    Picture picture;
    picture.width = static_cast<int>(*width);
    picture.height = static_cast<int>(*height);
    picture.rgb.assign(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.end());
    return picture;
}

inline bool writePpm(const std::string& path, const Picture& picture, std::string& error) {
    std::ofstream file(path, std::ios::binary);
    const std::string bytes = encodePpm(picture);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

inline std::optional<Picture> readPpm(const std::string& path, std::string& error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "cannot read " + path;
        return std::nullopt;
    }
    const std::string bytes((std::istreambuf_iterator<char>(file)),
                            std::istreambuf_iterator<char>());
    std::optional<Picture> picture = decodePpm(bytes, error);
    if (!picture) error = path + ": " + error;
    return picture;
}

// How far two pictures of the same size are apart.
struct PictureDifference {
    int largestChannelDifference = 0;  // 0 to 255, over every channel of every pixel
    int largestAtX = 0;                // the first pixel with that difference, from the left
    int largestAtY = 0;                // and from the top
    long long pixelsDiffering = 0;     // pixels with any channel different
    long long pixelsBeyondTolerance = 0;
};

inline PictureDifference comparePictures(const Picture& before, const Picture& after,
                                         int tolerance) {
    PictureDifference difference;
    const std::size_t pixels = std::min(before.rgb.size(), after.rgb.size()) / 3;
    for (std::size_t pixel = 0; pixel < pixels; ++pixel) {
        int largestHere = 0;
        for (std::size_t channel = 0; channel < 3; ++channel) {
            const int a = before.rgb[pixel * 3 + channel];
            const int b = after.rgb[pixel * 3 + channel];
            largestHere = std::max(largestHere, std::abs(a - b));
        }
        if (largestHere > 0) ++difference.pixelsDiffering;
        if (largestHere > tolerance) ++difference.pixelsBeyondTolerance;
        if (largestHere > difference.largestChannelDifference) {
            difference.largestChannelDifference = largestHere;
            difference.largestAtX =
                static_cast<int>(pixel % static_cast<std::size_t>(before.width));
            difference.largestAtY =
                static_cast<int>(pixel / static_cast<std::size_t>(before.width));
        }
    }
    return difference;
}
