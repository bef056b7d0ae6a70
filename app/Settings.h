#pragma once

#include <glm/mat4x4.hpp>
#include <optional>
#include <string>

#include "app/Keys.h"

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

    // Frame pacing. vsync true is a swap interval of 1, false one of 0; without the key the game
    // sets none and the driver's own choice stands. Without max_fps the loop does not cap itself.
    std::optional<bool> vsync;
    int maxFps = 0;  // frames started per second at most; 0 for no cap

    // The share of the view's width and height the 3D scene is drawn at (0.25 to 1), or chosen
    // by the game from the frame rate it makes (render_scale = auto).
    float renderScale = 1.0f;
    bool automaticRenderScale = false;

    KeyBindings keys;  // [keys]
};

// Reads the settings file at `path`. A missing or unreadable file prints one ERROR line and
// yields the defaults; a malformed line is skipped silently and every well-formed line counts.
// A key that is missing or cannot be converted keeps its default. So does a value the program
// cannot use (a width or height of 0 or less, a field of view outside (0, 180), near of 0 or
// less, far not beyond near, a volume outside 0 to 1, an infinity or NaN, a negative max_fps),
// with one ERROR line naming key and value; a render_scale that is neither `auto` nor a number
// from 0.25 to 1 costs such a line too, and the scale is 1.
Settings loadSettings(const std::string& path);

// The same rules over the text of a settings file already in memory.
Settings settingsFromText(const std::string& text);

// The player's own settings file: $XDG_CONFIG_HOME/tessel/settings.ini, or
// $HOME/.config/tessel/settings.ini where XDG_CONFIG_HOME is unset, empty or not an absolute
// path (null for an unset variable). Empty when neither gives an absolute path.
std::string playerSettingsPath(const char* xdgConfigHome, const char* home);

// Reads the player's file at `path` over `shipped`: each key it holds overrides the shipped
// value, and a key it lacks keeps it. The checks are the shipped file's, each ERROR line naming
// the file; a key the player's file cannot set keeps its shipped value. A missing file is
// silent. A file that cannot be read (not a file, unreadable, over 1 MiB) costs one line, and
// so does each line the INI reader cannot parse (at most ten, then one line for the rest) or
// that is too long for it. The file is only ever read.
Settings loadPlayerSettings(const Settings& shipped, const std::string& path);

// The same over the text of the player's file already in memory; `path` names it in messages.
Settings playerSettingsFromText(const Settings& shipped, const std::string& text,
                                const std::string& path);

// The right-handed OpenGL perspective projection for the settings' field of view, clip
// distances and the window's aspect ratio.
glm::mat4 buildProjection(const Settings& settings);
// The same for a view of `width` x `height` pixels (full screen on a screen of another shape):
// the vertical field of view stays, the horizontal one follows the aspect.
glm::mat4 buildProjection(const Settings& settings, int width, int height);

// How far from the eye the near clipping plane of that projection reaches, at its corners.
float nearPlaneReach(const Settings& settings);
float nearPlaneReach(const Settings& settings, int width, int height);
