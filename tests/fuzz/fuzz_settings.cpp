// libFuzzer target for the settings rules: any text, as the shipped file or as the player's file
// over the shipped one, gives settings the window and the projection can use, and keys of which
// each does one thing.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <string>

#include "app/Settings.h"

namespace {
void checkUsable(const Settings& settings) {
    if (settings.width <= 0 || settings.height <= 0) std::abort();
    if (!(settings.fov > 0.0 && settings.fov < 180.0)) std::abort();
    if (!(settings.nearPlane > 0.0 && settings.farPlane > settings.nearPlane)) std::abort();
    if (!std::isfinite(settings.brightness) || !std::isfinite(settings.farPlane)) std::abort();
    if (!(settings.volume >= 0.0 && settings.volume <= 1.0)) std::abort();
    for (int action = 0; action < actionCount; ++action) {
        const BoundKeys& keys = settings.keys.keys[static_cast<std::size_t>(action)];
        if (keys[0] == noKey) std::abort();
        for (const int key : keys) {
            if (key == noKey) continue;
            if (keyName(key) == "?") std::abort();
            if (static_cast<int>(*settings.keys.actionOf(key)) != action) std::abort();
        }
    }
    buildProjection(settings);
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The rejected values are reported on standard output; the fuzzer's own report is enough.
    std::cout.setstate(std::ios::failbit);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const Settings shipped = settingsFromText(text);
    checkUsable(shipped);
    checkUsable(playerSettingsFromText(shipped, text, "settings.ini"));
    return 0;
}
