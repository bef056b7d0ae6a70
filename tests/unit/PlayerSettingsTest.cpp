#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <string>

#include "app/Input.h"
#include "app/Keys.h"
#include "app/Settings.h"

namespace {

std::string stdoutOf(const std::function<void()>& run) {
    testing::internal::CaptureStdout();
    run();
    return testing::internal::GetCapturedStdout();
}

}  // namespace

TEST(KeyNames, AsOnAUsKeyboardWhateverTheCaseAndShownInThePlayersLayout) {
    EXPECT_EQ(keyCode("w"), GLFW_KEY_W);
    EXPECT_EQ(keyCode("PAGEDOWN"), GLFW_KEY_PAGE_DOWN);
    EXPECT_EQ(keyCode("kp0"), GLFW_KEY_KP_0);
    EXPECT_EQ(keyCode("slash"), GLFW_KEY_SLASH);
    for (const char* name : {"F26", "F01", "KP10", ",", "Esc", ""}) EXPECT_FALSE(keyCode(name));
    // Every name the game shows reads back as its key.
    for (int code = 0; code <= GLFW_KEY_LAST; ++code) {
        if (keyName(code) == "?") continue;
        EXPECT_EQ(keyCode(keyName(code)), code) << keyName(code);
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
    // Each line is read as the first of [keys]; `shows` is what the action has afterwards.
    const struct {
        const char* keys;
        Action action;
        const char* shows;
        std::string output;
    } cases[] = {
        {"Forward = w, W,Up", Action::Forward, "W, Up", ""},
        // W is free once forward has only Up; keys can change places.
        {"forward = Up\npause = W", Action::Pause, "W", ""},
        {"hud = F4\npause = F3", Action::Pause, "F3", ""},
        {"forward = W, Up, K", Action::Forward, "W",
         "ERROR: 'forward' in [keys] has more than two keys: 'W, Up, K'. 'forward' keeps W.\n"},
        {"right = Foo\x1b", Action::Right, "D",
         "ERROR: Key 'Foo\\x1B' for 'right' in [keys] is not a key name. 'right' keeps D.\n"},
        {"backward =", Action::Backward, "S",
         "ERROR: 'backward' in [keys] names no key. 'backward' keeps S.\n"},
        {"mute = q\nrestart = Q", Action::Mute, "M",
         "ERROR: Key 'Q' for 'mute' in [keys] is bound to 'restart' already. 'mute' keeps M.\n"},
        // Pause gives W back and keeps F4, which hud then cannot take from it.
        {"pause = W\nhud = F4", Action::Hud, "F3",
         "ERROR: Key 'W' for 'pause' in [keys] is bound to 'forward' already. 'pause' keeps F4.\n"
         "ERROR: Key 'F4' for 'hud' in [keys] is bound to 'pause' already. 'hud' keeps F3.\n"},
        {"jump = Space", Action::Forward, "W",
         "ERROR: 'jump' in [keys] is not an action. The line is ignored.\n"},
    };
    for (const auto& c : cases) {
        Settings settings;
        EXPECT_EQ(stdoutOf([&] { settings = settingsFromText(std::string("[keys]\n") + c.keys); }),
                  c.output)
            << c.keys;
        EXPECT_EQ(keyLabels(settings.keys).all(c.action), c.shows) << c.keys;
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
              "ERROR: Line 10 of " + file + " is not a setting. It is skipped.\n" +
                  "ERROR: Line 11 of " + file + " is longer than 198 characters. It is skipped.\n" +
                  "ERROR: Setting 'height' in [window] of " + file +
                  " cannot be used: '0'. Using 600 instead.\n" +
                  "ERROR: Setting 'near' in [camera] of " + file +
                  " cannot be used: '300'. Using 0.1 instead.\n");
    EXPECT_EQ(settings.width, 640);
    EXPECT_EQ(settings.height, 600);
    EXPECT_EQ(settings.title, "Shipped");
    EXPECT_EQ(settings.nearPlane, shipped.nearPlane);
    EXPECT_EQ(settings.volume, 0.0);
    EXPECT_EQ(keyLabels(settings.keys).all(Action::Forward), "Up");
    // The game's shipped file adds the arrow keys.
    EXPECT_EQ(keyLabels(loadSettings(settingsPath).keys).all(Action::Right), "D, Right");

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
    };
    for (const auto& c : places) EXPECT_EQ(playerSettingsPath(c.xdgConfigHome, c.home), c.path);
}

TEST(PlayerSettings, AKeyGivenAgainOrIndentedCountsAsThePlayerMeantIt) {
    // The README's way: a copy of the shipped file, changed at its end.
    const Settings shipped = loadSettings(settingsPath);
    std::ifstream shippedFile(settingsPath);
    const std::string copy((std::istreambuf_iterator<char>(shippedFile)),
                           std::istreambuf_iterator<char>());
    const int end = static_cast<int>(std::count(copy.begin(), copy.end(), '\n'));
    const auto again = [](int line, const char* key, const char* section) {
        return "Line " + std::to_string(line) + " of 'p' sets '" + key + "' in [" + section +
               "] again; the last value counts.\n";
    };
    // Size, vsync, full screen, title and the forward keys.
    const auto read = [&shipped](const std::string& text) {
        const Settings s = playerSettingsFromText(shipped, text, "p");
        return std::to_string(s.width) + "x" + std::to_string(s.height) + " " +
               std::to_string(*s.vsync) + std::to_string(s.fullscreen) + " " + s.title + " " +
               keyLabels(s.keys).all(Action::Forward);
    };
    const struct {
        std::string text;
        const char* settings;
        std::string output;
    } cases[] = {
        {copy + "[window]\nwidth = 1280\nvsync = false\nfullscreen = true\ntitle = Mine\n",
         "1280x600 01 Mine W, Up",
         again(end + 2, "width", "window") + again(end + 3, "vsync", "window") +
             again(end + 4, "fullscreen", "window") + again(end + 5, "title", "window")},
        {"[window]\n    width = 1280\n    height = 720\n    vsync = false\n",
         "1280x720 00 Tessel 2020 W, Up", ""},
        {copy + "[Keys]\n  FORWARD = I\n", "800x600 10 Tessel 2020 I",
         again(end + 2, "FORWARD", "Keys")},
    };
    for (const auto& c : cases) {
        std::string settings;
        EXPECT_EQ(stdoutOf([&] { settings = read(c.text); }), c.output) << c.text;
        EXPECT_EQ(settings, c.settings) << c.text;
    }
}

TEST(PlayerSettings, AMebibyteOfUnknownActionsCostsElevenLines) {
    const std::string file = "tests/fuzz/corpus/settings/keys_a_mebibyte_of_unknown_actions.ini";
    const std::clock_t start = std::clock();
    const std::string lines = stdoutOf([&] { loadPlayerSettings(Settings{}, file); });
    std::cout << "read in " << 1000.0 * static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC
              << " ms of processor time" << std::endl;
    EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 11);
    const std::string last = "ERROR: More lines of [keys] of '" + file +
                             "' cannot be used. Their actions keep their keys.\n";
    EXPECT_EQ(lines.substr(lines.size() - std::min(lines.size(), last.size())), last);
}
