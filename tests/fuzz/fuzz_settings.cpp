// libFuzzer target for the settings rules: any text gives settings the window and the
// projection can use.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <string>

#include "app/Settings.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The rejected values are reported on standard output; the fuzzer's own report is enough.
    std::cout.setstate(std::ios::failbit);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Settings settings =
        settingsFromText(std::string(reinterpret_cast<const char*>(data), size));
    if (settings.width <= 0 || settings.height <= 0) std::abort();
    if (!(settings.fov > 0.0 && settings.fov < 180.0)) std::abort();
    if (!(settings.nearPlane > 0.0 && settings.farPlane > settings.nearPlane)) std::abort();
    if (!std::isfinite(settings.brightness) || !std::isfinite(settings.farPlane)) std::abort();
    buildProjection(settings);
    return 0;
}
