#pragma once

#include <glm/mat4x4.hpp>
#include <string>

// Where start-up reads its settings, relative to the working directory.
inline const char* const settingsPath = "assets/settings.ini";

// The values of the settings file, each holding its default until a file says otherwise.
struct Settings {
    int width = 800;
    int height = 600;
    int refreshRate = 60;
    bool fullscreen = false;
    std::string title = "Tessel 2020";
    double brightness = 1.0;
    double fov = 60.0;                             // vertical field of view, degrees
    double nearPlane = static_cast<double>(0.1f);  // the single-precision 0.1, widened
    double farPlane = 100.0;
    double volume = 1.0;  // [audio]: 0 silent to 1 full

    // Frame pacing; without these keys the loop neither waits for the display nor caps itself.
    bool vsync = false;  // a swap interval of 1
    int maxFps = 0;      // frames started per second at most; 0 for no cap
};

// Reads the settings file at `path`. A missing or unreadable file prints one ERROR line and
// yields the defaults; a malformed line is skipped silently and every well-formed line counts.
// A key that is missing or cannot be converted keeps its default. So does a value the program
// cannot use (a width or height of 0 or less, a field of view outside (0, 180), near of 0 or
// less, far not beyond near, a volume outside 0 to 1, an infinity or NaN, a negative max_fps),
// with one ERROR line naming key and value.
Settings loadSettings(const std::string& path);

// The same rules over the text of a settings file already in memory.
Settings settingsFromText(const std::string& text);

// The right-handed OpenGL perspective projection for the settings' field of view, clip
// distances and the window's aspect ratio. Built once; the window cannot be resized.
glm::mat4 buildProjection(const Settings& settings);
