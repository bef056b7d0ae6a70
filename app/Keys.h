#pragma once

#include <array>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

// What a key can be bound to. The first four are read by polling every frame; the others act
// when their key is released.
enum class Action {
    Forward,
    Backward,
    Left,
    Right,
    Pause,
    Hud,
    Wireframe,
    Culling,
    Restart,
    Mute,
    Quit,
    Controls,
    Fullscreen,
};
constexpr int actionCount = static_cast<int>(Action::Fullscreen) + 1;

// An action's line in the controls panel ("Drive forwards").
const char* actionLabel(Action action);

// A GLFW key code: the key's place on the keyboard, named after that place on a US keyboard.
// GLFW's own code for "no key" marks an unused slot.
constexpr int noKey = -1;
// The keys of one action: one or two, the unused slot noKey.
using BoundKeys = std::array<int, 2>;

// The code of a key name as a settings file writes it, whatever its case ("w", "PageUp", "KP5",
// "/", "Slash"); nothing for a name that is not a key's.
std::optional<int> keyCode(std::string_view name);
// The name of a key as on a US keyboard ("W", "F4", "Escape", "/"); "?" for a code without one.
std::string keyName(int code);
// The name to show the player: for a key that types a character (letters, digits and
// punctuation, not the keypad), the character of the player's layout at that place as the
// window system gives it (`layoutName`, null when it gives none), a letter in upper case; the US
// name where there is none, or where it is not plain ASCII that the HUD's font can draw.
std::string keyLabel(int code, const char* layoutName);

// Which keys do what. Every action has at least one key and no key does two things.
struct KeyBindings {
    // The game's own: W, S, A, D, F4, F3, F1, F2, R, M, Escape, H, F11.
    KeyBindings();

    const BoundKeys& of(Action action) const { return keys[static_cast<std::size_t>(action)]; }
    // The action of a key, if it has one.
    std::optional<Action> actionOf(int key) const;

    std::array<BoundKeys, actionCount> keys;
};

// The keys of each action as the game shows them to the player (keyLabel).
struct KeyLabels {
    std::array<std::array<std::string, 2>, actionCount> names;  // the second empty for one key

    const std::string& first(Action action) const {
        return names[static_cast<std::size_t>(action)][0];
    }
    // "W, Up"
    std::string all(Action action) const;
};
// `layoutName` gives the window system's name of a key in the player's layout, or null; with
// no function at all the US names are shown.
KeyLabels keyLabels(const KeyBindings& keys, const char* (*layoutName)(int code) = nullptr);
// The game's own keys by their US names.
const KeyLabels& defaultKeyLabels();

// The [keys] section's lines by name, the names in lower case. In the shipped file the values of a
// name given more than once are joined by line ends (as the INI reader joins them); in the
// player's file the last one counts.
using KeyEntries = std::map<std::string, std::string>;

// Applies the [keys] lines over `base`. An action takes one or two key names separated by commas
// or line ends (a name given twice counts once). An unknown action, an unknown key name, no key
// or more than two keys for an action, and a key that another action keeps, each print one ERROR
// line naming it (ten at most, then one line for the rest), and that action keeps its keys of
// `base`. `where` follows the section's name in the lines (empty, or " of 'FILE'").
KeyBindings readKeyBindings(const KeyBindings& base, const KeyEntries& entries,
                            const std::string& where);

// The lines of one kind of fault in a settings file: the first ten are printed as they come, and
// in place of the rest one line, `more`, says that there are more, so that no file can flood the
// console.
class CappedReport {
public:
    explicit CappedReport(std::string moreLine) : more(std::move(moreLine)) {}
    void operator()(const std::string& line);

private:
    std::string more;
    int count = 0;
};

// Text from a settings file as it may be quoted on the console: at most `limit` bytes, anything
// that is not printable ASCII written as \xNN, so that no byte of the file can drive a terminal.
std::string quotedForConsole(std::string_view text, std::size_t limit = 60);
