#include "app/Settings.h"

#include <INIReader.h>
#include <fcntl.h>
#include <ini.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstring>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>
#include <string_view>

#include "app/RenderScale.h"

namespace {
// Where the values come from: the file named in messages (empty for the shipped file, whose
// lines name none), and the values that a key the file lacks, or cannot set, keeps.
struct Source {
    const INIReader& reader;
    const Settings& base;
    std::string where;  // follows the section's name in messages: "" or " of 'FILE'"
};

// Names a value read from the file that the program cannot use, and what it uses instead.
void reportUnusable(const Source& source, const char* section, const char* key,
                    const std::string& instead) {
    std::cout << "ERROR: Setting '" << key << "' in [" << section << "]" << source.where
              << " cannot be used: '" << quotedForConsole(source.reader.Get(section, key, ""))
              << "'. Using " << instead << " instead." << std::endl;
}

// A value read from the file that the program cannot use: it is treated as missing, so the
// value it would have overridden stands, and one line names the key and the value as written.
template <typename Value>
void rejectSetting(const Source& source, const char* section, const char* key, Value& value,
                   Value fallback) {
    std::ostringstream instead;
    instead << (source.where.empty() ? "the default " : "") << fallback;
    reportUnusable(source, section, key, instead.str());
    value = fallback;
}

// Reads a window size: a whole number above zero that fits an int.
int readSize(const Source& source, const char* key, int fallback) {
    const long value = source.reader.GetInteger("window", key, fallback);
    if (value > 0 && value <= INT_MAX) return static_cast<int>(value);
    int size = fallback;
    rejectSetting(source, "window", key, size, fallback);
    return size;
}

// Reads a real that must be finite and satisfy `usable`. The fallback itself is never refused
// here: far's can only fail against a near that was read, and near is refused then.
template <typename Usable>
double readReal(const Source& source, const char* section, const char* key, double fallback,
                Usable usable) {
    double value = source.reader.GetReal(section, key, fallback);
    const bool usableValue = std::isfinite(value) && usable(value);
    if (!usableValue && value != fallback) rejectSetting(source, section, key, value, fallback);
    return value;
}

// The frame pacing keys of [window]: a swap interval of 1 with vsync, and a cap on the frames
// started per second (0 for none).
void readFramePacing(const Source& source, Settings& settings) {
    // A value the reader cannot take as a boolean reads back as whichever default it is given.
    const bool asTrue = source.reader.GetBoolean("window", "vsync", true);
    const bool asFalse = source.reader.GetBoolean("window", "vsync", false);
    settings.vsync = asTrue == asFalse ? std::optional<bool>(asTrue) : source.base.vsync;
    if (asTrue != asFalse && source.reader.HasValue("window", "vsync")) {
        const std::optional<bool>& kept = source.base.vsync;
        reportUnusable(source, "window", "vsync",
                       kept ? (*kept ? "true" : "false") : "the driver's own choice");
    }
    const long maxFps = source.reader.GetInteger("window", "max_fps", source.base.maxFps);
    if (maxFps >= 0 && maxFps <= INT_MAX) {
        settings.maxFps = static_cast<int>(maxFps);
    } else {
        rejectSetting(source, "window", "max_fps", settings.maxFps, source.base.maxFps);
    }
}

// The sound's volume in [audio]: 0 (silent) to 1.
double readVolume(const Source& source) {
    return readReal(source, "audio", "volume", source.base.volume,
                    [](double volume) { return volume >= 0.0 && volume <= 1.0; });
}

std::string lowerCase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The render resolution of [window]: `auto`, or the share of the width and height from 0.25 to 1.
// Anything else is named in one line and the scale is 1.
void readRenderScale(const Source& source, Settings& settings) {
    const std::string text = source.reader.Get("window", "render_scale", "");
    if (text.empty()) return;
    if (lowerCase(text) == "auto") {
        settings.automaticRenderScale = true;
        return;
    }
    char* end = nullptr;
    const double share = std::strtod(text.c_str(), &end);
    settings.automaticRenderScale = false;
    if (end != text.c_str() && *end == '\0' && share >= lowestRenderScale && share <= 1.0) {
        settings.renderScale = static_cast<float>(share);
        return;
    }
    settings.renderScale = 1.0f;
    std::cout << "ERROR: Setting 'render_scale' in [window]" << source.where << " cannot be used: '"
              << quotedForConsole(text) << "'. Using 1 instead." << std::endl;
}

// Collects the [keys] lines for readKeyBindings; the INI reader cannot list a section's names.
// A name given again is joined to its first value, as the reader joins it.
int collectKeyEntry(void* user, const char* section, const char* name, const char* value) {
    if (lowerCase(section) != "keys") return 1;
    auto& entries = *static_cast<KeyEntries*>(user);
    const auto [entry, added] = entries.emplace(lowerCase(name), value);
    if (!added) entry->second += std::string("\n") + value;
    return 1;
}

KeyEntries keyEntriesOfText(const std::string& text) {
    KeyEntries entries;
    ini_parse_string(text.c_str(), collectKeyEntry, &entries);
    return entries;
}

// Fetches the values from a parsed file over those of `source.base`.
Settings readSettings(const Source& source, const KeyEntries& keyEntries) {
    const INIReader& reader = source.reader;
    const Settings& base = source.base;
    Settings settings = base;
    // Values that would end in a failed window or a projection that shows nothing (a size of
    // zero or less, a field of view outside (0, 180), near not above zero, far not beyond near,
    // infinities and NaNs) are treated as missing.
    settings.width = readSize(source, "width", base.width);
    settings.height = readSize(source, "height", base.height);
    settings.refreshRate =
        static_cast<int>(reader.GetInteger("window", "refresh_rate", base.refreshRate));
    settings.fullscreen = reader.GetBoolean("window", "fullscreen", base.fullscreen);
    settings.title = reader.Get("window", "title", base.title);
    const auto any = [](double) { return true; };
    settings.brightness = readReal(source, "window", "brightness", base.brightness, any);
    settings.fov = readReal(source, "camera", "fov", base.fov,
                            [](double fov) { return fov > 0.0 && fov < 180.0; });
    settings.nearPlane = readReal(source, "camera", "near", base.nearPlane,
                                  [](double nearPlane) { return nearPlane > 0.0; });
    settings.farPlane =
        readReal(source, "camera", "far", base.farPlane,
                 [&settings](double farPlane) { return farPlane > settings.nearPlane; });
    // A near distance beyond even the far one it falls back on cannot stand either.
    if (settings.farPlane <= settings.nearPlane) {
        rejectSetting(source, "camera", "near", settings.nearPlane, base.nearPlane);
    }
    readFramePacing(source, settings);
    readRenderScale(source, settings);
    settings.volume = readVolume(source);
    settings.keys = readKeyBindings(base.keys, keyEntries, source.where);
    return settings;
}

// The player's file as read, or nothing: silently when there is none, with one line when it
// cannot be read.
constexpr long playerFileLimit = 1 << 20;

// Closes a file descriptor (if it is one) as it goes.
struct OpenFile {
    explicit OpenFile(int openDescriptor) : descriptor(openDescriptor) {}
    ~OpenFile() {
        if (descriptor >= 0) close(descriptor);
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    const int descriptor;
};

std::optional<std::string> readPlayerFile(const std::string& path) {
    const auto fail = [&path](const std::string& why) {
        std::cout << "ERROR: Failed to load '" << quotedForConsole(path, path.size())
                  << "': " << why << ". Playing without it." << std::endl;
        return std::optional<std::string>();
    };
    // Opened without waiting, so that a FIFO or a device in its place cannot hold up the start;
    // what the descriptor is, is checked on the descriptor itself before anything is read.
    const OpenFile file(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    const int descriptor = file.descriptor;
    if (descriptor < 0) {
        if (errno == ENOENT || errno == ENOTDIR) return {};
        return fail(std::strerror(errno));
    }
    struct stat status {};
    if (fstat(descriptor, &status) != 0) return fail(std::strerror(errno));
    if (!S_ISREG(status.st_mode)) return fail("not a file");
    if (status.st_size > playerFileLimit) return fail("larger than 1 MiB");
    std::string text(static_cast<std::size_t>(status.st_size), '\0');
    std::size_t filled = 0;
    while (filled < text.size()) {
        const ssize_t got = read(descriptor, text.data() + filled, text.size() - filled);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return fail(std::strerror(errno));
        if (got == 0) return fail("shorter than it was");
        filled += static_cast<std::size_t>(got);
    }
    return text;
}

bool isSpace(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

std::string_view trimmedLine(std::string_view text) {
    while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
    return text;
}

// Where the INI reader ends a piece of a line: at the first of `stops`, or at a comment (a ";"
// after white space), or at the end; text.size() when none of them comes.
std::size_t endOfPiece(std::string_view text, std::string_view stops) {
    bool afterSpace = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (stops.find(text[i]) != std::string_view::npos || (afterSpace && text[i] == ';')) {
            return i;
        }
        afterSpace = isSpace(text[i]);
    }
    return text.size();
}

// One setting of the player's file as it was written.
struct PlayerSetting {
    std::string section;
    std::string name;
    std::string value;
};

// The player's file read as players write it. Every line reads as the INI reader reads it,
// except that an indented line is a setting of its own rather than more of the value above it,
// and that a setting given again counts with its last value (one line says so).
class PlayerFileReader {
public:
    explicit PlayerFileReader(const std::string& path)
        : file("'" + quotedForConsole(path, path.size()) + "'"),
          badLines("ERROR: More lines of " + file + " are not settings. They are skipped."),
          repeats("More settings of " + file + " are set again; the last value of each counts.") {}

    void read(std::string_view text) {
        constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";
        if (text.substr(0, byteOrderMark.size()) == byteOrderMark) {
            text.remove_prefix(byteOrderMark.size());
        }
        int number = 0;
        for (std::size_t start = 0; start < text.size();) {
            const std::size_t end = std::min(text.find('\n', start), text.size());
            readLine(text.substr(start, end - start), ++number);
            start = end + 1;
        }
    }

    // The last value of each setting, one line each, as the INI reader takes them.
    std::string iniText() const {
        std::string ini;
        std::optional<std::string> current;
        for (const auto& [key, setting] : settings) {
            if (setting.section != current) {
                current = setting.section;
                ini += "[" + setting.section + "]\n";
            }
            ini += setting.name + "=" + setting.value + "\n";
        }
        return ini;
    }

    // The [keys] lines by name, for readKeyBindings.
    KeyEntries keyEntries() const {
        KeyEntries entries;
        for (const auto& [key, setting] : settings) {
            if (lowerCase(setting.section) == "keys") {
                entries.emplace(lowerCase(setting.name), setting.value);
            }
        }
        return entries;
    }

private:
    // The shipped file's reader takes lines of at most this many characters.
    static constexpr std::size_t longestLine = INI_MAX_LINE - 2;

    void readLine(std::string_view line, int number) {
        if (line.size() > longestLine) {
            badLines("ERROR: Line " + std::to_string(number) + " of " + file + " is longer than " +
                     std::to_string(longestLine) + " characters. It is skipped.");
            return;
        }
        // The reader stops at a zero byte, so a line that holds one is no setting either.
        const std::string_view text = trimmedLine(line);
        if (line.find('\0') == std::string_view::npos) {
            if (text.empty() || text[0] == ';' || text[0] == '#') return;
            if (text[0] == '[') {
                const std::size_t end = endOfPiece(text.substr(1), "]") + 1;
                if (end < text.size() && text[end] == ']') {
                    section = std::string(text.substr(1, end - 1));
                    return;
                }
            } else if (const std::size_t end = endOfPiece(text, "=:");
                       end < text.size() && text[end] != ';') {
                const std::string_view name = trimmedLine(text.substr(0, end));
                std::string_view value = text.substr(end + 1);
                value = trimmedLine(value.substr(0, endOfPiece(value, "")));
                set(std::string(name), std::string(value), number);
                return;
            }
        }
        badLines("ERROR: Line " + std::to_string(number) + " of " + file +
                 " is not a setting. It is skipped.");
    }

    void set(const std::string& name, const std::string& value, int number) {
        // The INI reader finds sections and names whatever their case.
        const std::string key = lowerCase(section) + '\0' + lowerCase(name);
        const auto [setting, added] =
            settings.try_emplace(key, PlayerSetting{section, name, value});
        if (added) return;
        repeats("Line " + std::to_string(number) + " of " + file + " sets '" +
                quotedForConsole(name) + "' in [" + quotedForConsole(section) +
                "] again; the last value counts.");
        setting->second = {section, name, value};
    }

    const std::string file;  // quoted for messages
    CappedReport badLines;
    CappedReport repeats;
    std::string section;
    std::map<std::string, PlayerSetting> settings;  // by section and name in lower case
};
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
    KeyEntries keyEntries;
    ini_parse(path.c_str(), collectKeyEntry, &keyEntries);
    return readSettings({reader, Settings{}, ""}, keyEntries);
}

Settings settingsFromText(const std::string& text) {
    return readSettings({INIReader(text.data(), text.size()), Settings{}, ""},
                        keyEntriesOfText(text));
}

std::string playerSettingsPath(const char* xdgConfigHome, const char* home) {
    const auto absolute = [](const char* path) { return path != nullptr && path[0] == '/'; };
    const auto withoutSlashAtEnd = [](std::string folder) {
        while (!folder.empty() && folder.back() == '/') folder.pop_back();
        return folder;
    };
    if (absolute(xdgConfigHome)) return withoutSlashAtEnd(xdgConfigHome) + "/tessel/settings.ini";
    if (absolute(home)) return withoutSlashAtEnd(home) + "/.config/tessel/settings.ini";
    return "";
}

Settings loadPlayerSettings(const Settings& shipped, const std::string& path) {
    const std::optional<std::string> text = readPlayerFile(path);
    return text ? playerSettingsFromText(shipped, *text, path) : shipped;
}

Settings playerSettingsFromText(const Settings& shipped, const std::string& text,
                                const std::string& path) {
    PlayerFileReader file(path);
    file.read(text);
    const std::string ini = file.iniText();
    const INIReader reader(ini.data(), ini.size());
    return readSettings({reader, shipped, " of '" + quotedForConsole(path, path.size()) + "'"},
                        file.keyEntries());
}

glm::mat4 buildProjection(const Settings& settings) {
    return buildProjection(settings, settings.width, settings.height);
}

glm::mat4 buildProjection(const Settings& settings, int width, int height) {
    const float aspect = static_cast<float>(width) / static_cast<float>(height);
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

float nearPlaneReach(const Settings& settings) {
    return nearPlaneReach(settings, settings.width, settings.height);
}

float nearPlaneReach(const Settings& settings, int width, int height) {
    const double aspect = static_cast<double>(width) / height;
    const double t = std::tan(settings.fov * 0.017453292 * 0.5);
    return static_cast<float>(settings.nearPlane *
                              std::sqrt(1.0 + t * t * (1.0 + aspect * aspect)));
}
