#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/Input.h"
#include "app/Keys.h"
#include "app/Settings.h"
#include "app/WindowMode.h"

namespace {

std::string stdoutOf(const std::function<void()>& run) {
    testing::internal::CaptureStdout();
    run();
    return testing::internal::GetCapturedStdout();
}

// No key of any action is bound to another action, and every action has a key.
void expectOneActionPerKey(const KeyBindings& keys) {
    for (int action = 0; action < actionCount; ++action) {
        const BoundKeys& bound = keys.keys[static_cast<std::size_t>(action)];
        EXPECT_NE(bound[0], noKey);
        for (const int key : bound) {
            if (key != noKey) {
                EXPECT_EQ(static_cast<int>(*keys.actionOf(key)), action);
            }
        }
    }
}

}  // namespace

TEST(KeyNames, AsOnAUsKeyboardWhateverTheCaseAndShownInThePlayersLayout) {
    const struct {
        const char* name;
        int code;
    } names[] = {
        {"w", GLFW_KEY_W},
        {"7", GLFW_KEY_7},
        {"f1", GLFW_KEY_F1},
        {"F25", GLFW_KEY_F25},
        {"escape", GLFW_KEY_ESCAPE},
        {"PAGEDOWN", GLFW_KEY_PAGE_DOWN},
        {"kp0", GLFW_KEY_KP_0},
        {"/", GLFW_KEY_SLASH},
        {"slash", GLFW_KEY_SLASH},
        {"Comma", GLFW_KEY_COMMA},
        {"F26", noKey},
        {"F0", noKey},
        {"F01", noKey},
        {"KP10", noKey},
        {",", noKey},
        {"Esc", noKey},
        {"", noKey},
        {"\x01", noKey},
    };
    for (const auto& c : names) EXPECT_EQ(keyCode(c.name).value_or(noKey), c.code) << c.name;
    // Every name the game shows reads back as its key.
    for (int code = 0; code <= GLFW_KEY_LAST; ++code) {
        if (keyName(code) != "?") {
            EXPECT_EQ(keyCode(keyName(code)), code) << keyName(code);
        }
    }

    const struct {
        int code;
        const char* layoutName;
        const char* label;
    } labels[] = {
        {GLFW_KEY_W, "z", "Z"},                 // W's place on a French keyboard
        {GLFW_KEY_1, "&", "&"},                 // and its 1
        {GLFW_KEY_W, nullptr, "W"},             // no name from the window system
        {GLFW_KEY_SEMICOLON, "\xc3\xb6", ";"},  // a letter the HUD's font lacks
        {GLFW_KEY_KP_1, "1", "KP1"},            // the keypad keeps its own names
        {GLFW_KEY_UP, "x", "Up"},
    };
    for (const auto& c : labels) EXPECT_EQ(keyLabel(c.code, c.layoutName), c.label) << c.label;
}

TEST(KeyBindingsRules, EachFaultOneLineAndTheActionKeepsItsKeys) {
    const auto keep = [](Action action, int first, int second = noKey) {
        return std::make_pair(action, BoundKeys{first, second});
    };
    const struct {
        const char* keys;
        std::vector<std::pair<Action, BoundKeys>> bound;
        std::string output;
    } cases[] = {
        {"forward = Up", {keep(Action::Forward, GLFW_KEY_UP)}, ""},
        {"Forward = w, W,Up", {keep(Action::Forward, GLFW_KEY_W, GLFW_KEY_UP)}, ""},
        // W is free once forward has only Up; keys can change places.
        {"forward = Up\npause = W", {keep(Action::Pause, GLFW_KEY_W)}, ""},
        {"hud = F4\npause = F3",
         {keep(Action::Hud, GLFW_KEY_F4), keep(Action::Pause, GLFW_KEY_F3)},
         ""},
        {"forward = W, Up, K",
         {keep(Action::Forward, GLFW_KEY_W)},
         "ERROR: 'forward' in [keys] has more than two keys: 'W, Up, K'. 'forward' keeps W.\n"},
        {"forward = Up\nforward = K, L",
         {keep(Action::Forward, GLFW_KEY_W)},
         "ERROR: 'forward' in [keys] has more than two keys: 'Up\\x0AK, L'. 'forward' keeps W.\n"},
        {"right = Foo\x1b",
         {keep(Action::Right, GLFW_KEY_D)},
         "ERROR: Key 'Foo\\x1B' for 'right' in [keys] is not a key name. 'right' keeps D.\n"},
        {"backward =",
         {keep(Action::Backward, GLFW_KEY_S)},
         "ERROR: 'backward' in [keys] names no key. 'backward' keeps S.\n"},
        {"pause = W",
         {keep(Action::Pause, GLFW_KEY_F4), keep(Action::Forward, GLFW_KEY_W)},
         "ERROR: Key 'W' for 'pause' in [keys] is bound to 'forward' already. 'pause' keeps F4.\n"},
        {"mute = q\nrestart = Q",
         {keep(Action::Restart, GLFW_KEY_Q), keep(Action::Mute, GLFW_KEY_M)},
         "ERROR: Key 'Q' for 'mute' in [keys] is bound to 'restart' already. 'mute' keeps M.\n"},
        // Pause gives W back and keeps F4, which hud then cannot take from it.
        {"pause = W\nhud = F4",
         {keep(Action::Pause, GLFW_KEY_F4), keep(Action::Hud, GLFW_KEY_F3)},
         "ERROR: Key 'W' for 'pause' in [keys] is bound to 'forward' already. 'pause' keeps F4.\n"
         "ERROR: Key 'F4' for 'hud' in [keys] is bound to 'pause' already. 'hud' keeps F3.\n"},
        {"jump = Space", {}, "ERROR: 'jump' in [keys] is not an action. The line is ignored.\n"},
    };
    for (const auto& c : cases) {
        Settings settings;
        EXPECT_EQ(stdoutOf([&] { settings = settingsFromText(std::string("[keys]\n") + c.keys); }),
                  c.output)
            << c.keys;
        for (const auto& [action, keys] : c.bound) {
            EXPECT_EQ(settings.keys.of(action), keys) << c.keys << ": " << actionName(action);
        }
        expectOneActionPerKey(settings.keys);
    }

    // The callback follows the bindings; H and F11 act on release.
    const KeyBindings keys = settingsFromText("[keys]\npause = P\n").keys;
    GameState state;
    EXPECT_EQ(handleKey(state, GLFW_KEY_F4, actionRelease, keys), KeyEffect::None);
    EXPECT_EQ(handleKey(state, GLFW_KEY_P, actionRelease, keys), KeyEffect::ToggleFreeFly);
    EXPECT_TRUE(state.paused);
    EXPECT_EQ(handleKey(state, GLFW_KEY_H, actionPress, keys), KeyEffect::None);
    EXPECT_EQ(handleKey(state, GLFW_KEY_H, actionRelease, keys), KeyEffect::ToggleControls);
    EXPECT_TRUE(state.controlsVisible);
    EXPECT_EQ(handleKey(state, GLFW_KEY_F11, actionRelease, keys), KeyEffect::ToggleFullscreen);
}

TEST(PlayerSettings, OverrideTheShippedOnesKeyByKey) {
    const std::filesystem::path folder = testing::TempDir() + "tessel_player_settings";
    std::filesystem::create_directories(folder / "tessel");
    const std::string shippedPath = (folder / "shipped.ini").string();
    const std::string playerPath = (folder / "tessel" / "settings.ini").string();
    std::ofstream(shippedPath) << "[window]\nwidth=1024\ntitle=Shipped\n[camera]\nfar=200\n"
                                  "[keys]\nforward = W, Up\n";
    std::ofstream(playerPath) << "[window]\nwidth=640\nheight=0\n[camera]\nnear=300\n[audio]\n"
                                 "volume=0\n[keys]\nforward = Up\nnot a setting\ntitle="
                              << std::string(199, 'T') << "\n";

    Settings shipped;
    EXPECT_EQ(stdoutOf([&] { shipped = loadSettings(shippedPath); }), "");
    Settings settings;
    const std::string file = "'" + playerPath + "'";
    EXPECT_EQ(stdoutOf([&] { settings = loadPlayerSettings(shipped, playerPath); }),
              "ERROR: Line 11 of " + file + " is longer than 198 characters. It is skipped.\n" +
                  "ERROR: Line 10 of " + file + " is not a setting. It is skipped.\n" +
                  "ERROR: Setting 'height' in [window] of " + file +
                  " cannot be used: '0'. Using 600 instead.\n" +
                  "ERROR: Setting 'near' in [camera] of " + file +
                  " cannot be used: '300'. Using 0.1 instead.\n");
    EXPECT_EQ(settings.width, 640);
    EXPECT_EQ(settings.height, 600);
    EXPECT_EQ(settings.title, "Shipped");
    EXPECT_EQ(settings.farPlane, 200.0);
    EXPECT_EQ(settings.nearPlane, shipped.nearPlane);
    EXPECT_EQ(settings.volume, 0.0);
    EXPECT_EQ(settings.keys.of(Action::Forward), (BoundKeys{GLFW_KEY_UP, noKey}));
    EXPECT_EQ(settings.keys.of(Action::Backward), (BoundKeys{GLFW_KEY_S, noKey}));
    // The game's shipped file adds the arrow keys.
    EXPECT_EQ(stdoutOf([&] { shipped = loadSettings(settingsPath); }), "");
    EXPECT_EQ(shipped.keys.of(Action::Right), (BoundKeys{GLFW_KEY_D, GLFW_KEY_RIGHT}));

    // Ten unreadable lines are named, the rest in one line.
    std::string junk = "x\n";
    for (int i = 0; i < 4; ++i) junk += junk;
    const std::string lines = stdoutOf([&] { playerSettingsFromText(shipped, junk, "p"); });
    EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 11);
    EXPECT_NE(lines.find("ERROR: Line 10 of 'p' is not a setting"), std::string::npos);
    EXPECT_NE(lines.find("ERROR: More lines of 'p' are not settings. They are skipped."),
              std::string::npos);

    // No file is no message; a folder in its place is one.
    EXPECT_EQ(stdoutOf([&] { settings = loadPlayerSettings(shipped, playerPath + ".none"); }), "");
    EXPECT_EQ(settings.width, shipped.width);
    EXPECT_EQ(stdoutOf([&] { loadPlayerSettings(shipped, folder.string()); }),
              "ERROR: Failed to load '" + folder.string() + "': not a file. Playing without it.\n");
    std::filesystem::remove_all(folder);

    const struct {
        const char* xdgConfigHome;
        const char* home;
        const char* path;
    } places[] = {
        {"/xdg", "/home/p", "/xdg/tessel/settings.ini"},
        {"/xdg//", nullptr, "/xdg/tessel/settings.ini"},
        {"", "/home/p", "/home/p/.config/tessel/settings.ini"},
        {"relative", "/home/p/", "/home/p/.config/tessel/settings.ini"},
        {nullptr, "relative", ""},
        {nullptr, nullptr, ""},
    };
    for (const auto& c : places) EXPECT_EQ(playerSettingsPath(c.xdgConfigHome, c.home), c.path);
}

TEST(FullScreen, TheMonitorThatHoldsMostOfTheWindow) {
    const std::vector<ScreenRect> monitors = {{0, 0, 1920, 1080}, {1920, 0, 1280, 1024}};
    const struct {
        ScreenRect window;
        int monitor;
    } cases[] = {
        {{100, 100, 800, 600}, 0},   {{1800, 100, 800, 600}, 1},  // mostly on the second
        {{1520, 100, 800, 600}, 0},                               // half and half: the first
        {{4000, 100, 800, 600}, -1},                              // on neither
        {{100, 100, 0, 0}, -1},
    };
    for (const auto& c : cases) EXPECT_EQ(monitorHolding(monitors, c.window), c.monitor);
}
