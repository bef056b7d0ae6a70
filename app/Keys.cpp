#include "app/Keys.h"

#include <GLFW/glfw3.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <iostream>
#include <vector>

namespace {

struct ActionInfo {
    const char* name;
    const char* label;
    BoundKeys keys;
};

// In the order of Action.
constexpr std::array<ActionInfo, actionCount> actions = {{
    {"forward", "Drive forwards", {GLFW_KEY_W, noKey}},
    {"backward", "Drive backwards", {GLFW_KEY_S, noKey}},
    {"left", "Turn left", {GLFW_KEY_A, noKey}},
    {"right", "Turn right", {GLFW_KEY_D, noKey}},
    {"pause", "Pause", {GLFW_KEY_F4, noKey}},
    {"hud", "Heads-up display", {GLFW_KEY_F3, noKey}},
    {"wireframe", "Wireframe", {GLFW_KEY_F1, noKey}},
    {"culling", "Face culling", {GLFW_KEY_F2, noKey}},
    {"restart", "New round", {GLFW_KEY_R, noKey}},
    {"mute", "Sound off / on", {GLFW_KEY_M, noKey}},
    {"quit", "Quit", {GLFW_KEY_ESCAPE, noKey}},
    {"controls", "This list", {GLFW_KEY_H, noKey}},
    {"fullscreen", "Full screen", {GLFW_KEY_F11, noKey}},
}};

const ActionInfo& infoOf(Action action) {
    return actions[static_cast<std::size_t>(action)];
}

struct NamedKey {
    const char* name;
    int code;
};

// Keys whose names are not made from their codes below. A key's first name is the one shown;
// the comma has only its word, since commas separate the keys of an action.
constexpr NamedKey namedKeys[] = {
    {"Escape", GLFW_KEY_ESCAPE},
    {"Space", GLFW_KEY_SPACE},
    {"Enter", GLFW_KEY_ENTER},
    {"Tab", GLFW_KEY_TAB},
    {"Backspace", GLFW_KEY_BACKSPACE},
    {"Insert", GLFW_KEY_INSERT},
    {"Delete", GLFW_KEY_DELETE},
    {"Up", GLFW_KEY_UP},
    {"Down", GLFW_KEY_DOWN},
    {"Left", GLFW_KEY_LEFT},
    {"Right", GLFW_KEY_RIGHT},
    {"Home", GLFW_KEY_HOME},
    {"End", GLFW_KEY_END},
    {"PageUp", GLFW_KEY_PAGE_UP},
    {"PageDown", GLFW_KEY_PAGE_DOWN},
    {"'", GLFW_KEY_APOSTROPHE},
    {"Apostrophe", GLFW_KEY_APOSTROPHE},
    {"Comma", GLFW_KEY_COMMA},
    {"-", GLFW_KEY_MINUS},
    {"Minus", GLFW_KEY_MINUS},
    {".", GLFW_KEY_PERIOD},
    {"Period", GLFW_KEY_PERIOD},
    {"/", GLFW_KEY_SLASH},
    {"Slash", GLFW_KEY_SLASH},
    {";", GLFW_KEY_SEMICOLON},
    {"Semicolon", GLFW_KEY_SEMICOLON},
    {"=", GLFW_KEY_EQUAL},
    {"Equal", GLFW_KEY_EQUAL},
    {"[", GLFW_KEY_LEFT_BRACKET},
    {"LeftBracket", GLFW_KEY_LEFT_BRACKET},
    {"\\", GLFW_KEY_BACKSLASH},
    {"Backslash", GLFW_KEY_BACKSLASH},
    {"]", GLFW_KEY_RIGHT_BRACKET},
    {"RightBracket", GLFW_KEY_RIGHT_BRACKET},
    {"`", GLFW_KEY_GRAVE_ACCENT},
    {"GraveAccent", GLFW_KEY_GRAVE_ACCENT},
};

char lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool sameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return lower(x) == lower(y); });
}

// A number from 0 to `last` written in plain decimal digits.
std::optional<int> smallNumber(std::string_view digits, int last) {
    if (digits.empty() || digits.size() > 2 || (digits[0] == '0' && digits.size() > 1)) return {};
    int number = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return {};
        number = number * 10 + (c - '0');
    }
    if (number > last) return {};
    return number;
}

bool typesACharacter(int code) {
    return (code >= GLFW_KEY_APOSTROPHE && code <= GLFW_KEY_GRAVE_ACCENT);
}

std::string keysText(const BoundKeys& keys) {
    std::string text = keyName(keys[0]);
    if (keys[1] != noKey) text += ", " + keyName(keys[1]);
    return text;
}

std::string trimmed(std::string_view text) {
    const auto space = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    while (!text.empty() && space(text.front())) text.remove_prefix(1);
    while (!text.empty() && space(text.back())) text.remove_suffix(1);
    return std::string(text);
}

std::optional<Action> actionNamed(std::string_view name) {
    for (int i = 0; i < actionCount; ++i) {
        if (sameIgnoringCase(name, actions[static_cast<std::size_t>(i)].name)) {
            return static_cast<Action>(i);
        }
    }
    return {};
}

// The keys one line of [keys] gives an action, or nothing and in `error` why they cannot be used.
std::optional<BoundKeys> parseKeys(Action action, const std::string& value, const BoundKeys& kept,
                                   const std::string& where, std::string& error) {
    const std::string name = infoOf(action).name;
    const std::string keeps = " '" + name + "' keeps " + keysText(kept) + ".";
    std::vector<int> codes;
    std::size_t start = 0;
    while (start <= value.size()) {
        const std::size_t end = std::min(value.find_first_of(",\n", start), value.size());
        const std::string keyText = trimmed(std::string_view(value).substr(start, end - start));
        start = end + 1;
        if (keyText.empty()) continue;
        const std::optional<int> code = keyCode(keyText);
        if (!code) {
            error = "ERROR: Key '" + quotedForConsole(keyText) + "' for '" + name + "' in [keys]" +
                    where + " is not a key name." + keeps;
            return {};
        }
        if (std::find(codes.begin(), codes.end(), *code) == codes.end()) codes.push_back(*code);
    }
    if (codes.empty()) {
        error = "ERROR: '" + name + "' in [keys]" + where + " names no key." + keeps;
        return {};
    }
    if (codes.size() > 2) {
        error = "ERROR: '" + name + "' in [keys]" + where + " has more than two keys: '" +
                quotedForConsole(value) + "'." + keeps;
        return {};
    }
    return BoundKeys{codes[0], codes.size() > 1 ? codes[1] : noKey};
}

// The action other than `action` that holds `key`, or -1.
int otherHolder(const KeyBindings& bindings, int key, int action) {
    for (int other = 0; other < actionCount; ++other) {
        const BoundKeys& keys = bindings.keys[static_cast<std::size_t>(other)];
        if (other != action && (keys[0] == key || keys[1] == key)) return other;
    }
    return -1;
}

}  // namespace

const char* actionLabel(Action action) {
    return infoOf(action).label;
}

std::optional<int> keyCode(std::string_view name) {
    if (name.size() == 1) {
        const char c = lower(name[0]);
        if (c >= 'a' && c <= 'z') return GLFW_KEY_A + (c - 'a');
        if (c >= '0' && c <= '9') return GLFW_KEY_0 + (c - '0');
    }
    if (name.size() >= 2 && lower(name[0]) == 'f') {
        if (const std::optional<int> n = smallNumber(name.substr(1), 25); n && *n >= 1) {
            return GLFW_KEY_F1 + *n - 1;
        }
    }
    if (name.size() == 3 && sameIgnoringCase(name.substr(0, 2), "kp")) {
        if (const std::optional<int> n = smallNumber(name.substr(2), 9)) return GLFW_KEY_KP_0 + *n;
    }
    for (const NamedKey& key : namedKeys) {
        if (sameIgnoringCase(name, key.name)) return key.code;
    }
    return {};
}

std::string keyName(int code) {
    if (code >= GLFW_KEY_A && code <= GLFW_KEY_Z) return std::string(1, 'A' + (code - GLFW_KEY_A));
    if (code >= GLFW_KEY_0 && code <= GLFW_KEY_9) return std::string(1, '0' + (code - GLFW_KEY_0));
    if (code >= GLFW_KEY_F1 && code <= GLFW_KEY_F25)
        return "F" + std::to_string(code - GLFW_KEY_F1 + 1);
    if (code >= GLFW_KEY_KP_0 && code <= GLFW_KEY_KP_9)
        return "KP" + std::to_string(code - GLFW_KEY_KP_0);
    for (const NamedKey& key : namedKeys) {
        if (key.code == code) return key.name;
    }
    return "?";
}

std::string keyLabel(int code, const char* layoutName) {
    if (!typesACharacter(code) || layoutName == nullptr || *layoutName == '\0')
        return keyName(code);
    std::string label(layoutName);
    for (char& c : label) {
        if (c <= ' ' || c > '~') return keyName(code);
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return label;
}

std::string KeyLabels::all(Action action) const {
    const auto& keys = names[static_cast<std::size_t>(action)];
    return keys[1].empty() ? keys[0] : keys[0] + ", " + keys[1];
}

KeyLabels keyLabels(const KeyBindings& keys, const char* (*layoutName)(int code)) {
    KeyLabels labels;
    for (std::size_t action = 0; action < keys.keys.size(); ++action) {
        for (std::size_t slot = 0; slot < 2; ++slot) {
            const int code = keys.keys[action][slot];
            if (code == noKey) continue;
            labels.names[action][slot] = keyLabel(code, layoutName ? layoutName(code) : nullptr);
        }
    }
    return labels;
}

const KeyLabels& defaultKeyLabels() {
    static const KeyLabels labels = keyLabels(KeyBindings{});
    return labels;
}

KeyBindings::KeyBindings() {
    for (int i = 0; i < actionCount; ++i) {
        keys[static_cast<std::size_t>(i)] = actions[static_cast<std::size_t>(i)].keys;
    }
}

std::optional<Action> KeyBindings::actionOf(int key) const {
    if (key == noKey) return {};
    for (int i = 0; i < actionCount; ++i) {
        const BoundKeys& bound = keys[static_cast<std::size_t>(i)];
        if (bound[0] == key || bound[1] == key) return static_cast<Action>(i);
    }
    return {};
}

KeyBindings readKeyBindings(const KeyBindings& base, const KeyEntries& entries,
                            const std::string& where) {
    KeyBindings bindings = base;
    CappedReport report("ERROR: More lines of [keys]" + where +
                        " cannot be used. Their actions keep their keys.");
    std::array<bool, actionCount> fromFile{};
    for (const auto& [name, value] : entries) {
        const std::optional<Action> action = actionNamed(name);
        if (!action) {
            report("ERROR: '" + quotedForConsole(name) + "' in [keys]" + where +
                   " is not an action. The line is ignored.");
            continue;
        }
        const auto index = static_cast<std::size_t>(*action);
        std::string error;
        if (const std::optional<BoundKeys> keys =
                parseKeys(*action, value, base.keys[index], where, error)) {
            bindings.keys[index] = *keys;
            fromFile[index] = true;
        } else {
            report(error);
        }
    }

    // A key that two actions hold stays with the one that already had it, or with the earlier of
    // two that both take it from this file; the other action keeps its keys of `base`, which may
    // in turn be taken by an action of this file, so look again after each change.
    for (bool changed = true; changed;) {
        changed = false;
        for (int action = 0; action < actionCount && !changed; ++action) {
            const auto index = static_cast<std::size_t>(action);
            if (!fromFile[index]) continue;
            for (const int key : bindings.keys[index]) {
                const int other = key == noKey ? -1 : otherHolder(bindings, key, action);
                if (other < 0 || (fromFile[static_cast<std::size_t>(other)] && other > action))
                    continue;
                const std::string name = actions[index].name;
                report("ERROR: Key '" + keyName(key) + "' for '" + name + "' in [keys]" + where +
                       " is bound to '" + actions[static_cast<std::size_t>(other)].name +
                       "' already. '" + name + "' keeps " + keysText(base.keys[index]) + ".");
                bindings.keys[index] = base.keys[index];
                fromFile[index] = false;
                changed = true;
                break;
            }
        }
    }
    return bindings;
}

void CappedReport::operator()(const std::string& line) {
    constexpr int printedLines = 10;
    ++count;
    if (count <= printedLines) std::cout << line << std::endl;
    if (count == printedLines + 1) std::cout << more << std::endl;
}

std::string quotedForConsole(std::string_view text, std::size_t limit) {
    std::string quoted;
    for (const char c : text.substr(0, limit)) {
        if (c >= ' ' && c <= '~') {
            quoted += c;
        } else {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned char>(c));
            quoted += escaped;
        }
    }
    if (text.size() > limit) quoted += "...";
    return quoted;
}
