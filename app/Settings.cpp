#include "app/Settings.h"

#include <INIReader.h>

#include <climits>
#include <cmath>
#include <iostream>

namespace {
// A value read from the file that the program cannot use: it is treated as missing, so its
// default stands, and one line names the key and the value as written.
template <typename Value>
void rejectSetting(const INIReader& reader, const char* section, const char* key, Value& value,
                   Value fallback) {
    std::cout << "ERROR: Setting '" << key << "' in [" << section << "] cannot be used: '"
              << reader.Get(section, key, "") << "'. Using the default " << fallback << " instead."
              << std::endl;
    value = fallback;
}

// Reads a window size: a whole number above zero that fits an int.
int readSize(const INIReader& reader, const char* key, int fallback) {
    const long value = reader.GetInteger("window", key, fallback);
    if (value > 0 && value <= INT_MAX) return static_cast<int>(value);
    int size = fallback;
    rejectSetting(reader, "window", key, size, fallback);
    return size;
}

// Reads a real that must be finite and satisfy `usable`. The default itself is never refused
// here: far's default can only fail against a near that was read, and near is refused then.
template <typename Usable>
double readReal(const INIReader& reader, const char* section, const char* key, double fallback,
                Usable usable) {
    double value = reader.GetReal(section, key, fallback);
    const bool usableValue = std::isfinite(value) && usable(value);
    if (!usableValue && value != fallback) rejectSetting(reader, section, key, value, fallback);
    return value;
}

// The frame pacing keys of [window]: a swap interval of 1 with vsync, and a cap on the frames
// started per second (0 for none).
void readFramePacing(const INIReader& reader, Settings& settings) {
    settings.vsync = reader.GetBoolean("window", "vsync", settings.vsync);
    const long maxFps = reader.GetInteger("window", "max_fps", settings.maxFps);
    if (maxFps >= 0 && maxFps <= INT_MAX) {
        settings.maxFps = static_cast<int>(maxFps);
    } else {
        rejectSetting(reader, "window", "max_fps", settings.maxFps, Settings{}.maxFps);
    }
}

// The sound's volume in [audio]: 0 (silent) to 1.
double readVolume(const INIReader& reader, double fallback) {
    return readReal(reader, "audio", "volume", fallback,
                    [](double volume) { return volume >= 0.0 && volume <= 1.0; });
}

// Fetches the values from a parsed file.
Settings readSettings(const INIReader& reader) {
    Settings settings;
    // Values that would end in a failed window or a projection that shows nothing (a size of
    // zero or less, a field of view outside (0, 180), near not above zero, far not beyond near,
    // infinities and NaNs) are treated as missing.
    const Settings defaults;
    settings.width = readSize(reader, "width", defaults.width);
    settings.height = readSize(reader, "height", defaults.height);
    settings.refreshRate =
        static_cast<int>(reader.GetInteger("window", "refresh_rate", settings.refreshRate));
    settings.fullscreen = reader.GetBoolean("window", "fullscreen", settings.fullscreen);
    settings.title = reader.Get("window", "title", settings.title);
    const auto any = [](double) { return true; };
    settings.brightness = readReal(reader, "window", "brightness", defaults.brightness, any);
    settings.fov = readReal(reader, "camera", "fov", defaults.fov,
                            [](double fov) { return fov > 0.0 && fov < 180.0; });
    settings.nearPlane = readReal(reader, "camera", "near", defaults.nearPlane,
                                  [](double nearPlane) { return nearPlane > 0.0; });
    settings.farPlane =
        readReal(reader, "camera", "far", defaults.farPlane,
                 [&settings](double farPlane) { return farPlane > settings.nearPlane; });
    // A near distance beyond even the default far one cannot stand either.
    if (settings.farPlane <= settings.nearPlane) {
        rejectSetting(reader, "camera", "near", settings.nearPlane, defaults.nearPlane);
    }
    readFramePacing(reader, settings);
    settings.volume = readVolume(reader, defaults.volume);
    return settings;
}
}  // namespace

Settings loadSettings(const std::string& path) {
    const INIReader reader(path);
    // ParseError() is -1 when the file cannot be opened and the line number of the first
    // malformed line when it parsed only in part; a partial parse still counts.
    if (reader.ParseError() < 0) {
        std::cout << "ERROR: Failed to load '" << path << "'. Using default values instead."
                  << std::endl;
        return Settings{};
    }
    return readSettings(reader);
}

Settings settingsFromText(const std::string& text) {
    return readSettings(INIReader(text.data(), text.size()));
}

glm::mat4 buildProjection(const Settings& settings) {
    const float aspect = static_cast<float>(settings.width) / static_cast<float>(settings.height);
    const float halfAngle = static_cast<float>(settings.fov) * 0.017453292f * 0.5f;
    const float t = static_cast<float>(std::tan(static_cast<double>(halfAngle)));
    const float nearPlane = static_cast<float>(settings.nearPlane);
    const float farPlane = static_cast<float>(settings.farPlane);

    glm::mat4 projection(0.0f);
    projection[0][0] = 1.0f / (t * aspect);
    projection[1][1] = 1.0f / t;
    projection[2][2] = -(farPlane + nearPlane) / (farPlane - nearPlane);
    projection[2][3] = -1.0f;
    projection[3][2] = -(2.0f * farPlane * nearPlane) / (farPlane - nearPlane);
    return projection;
}
