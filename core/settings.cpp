#include "core/settings.h"

#include <ini.h>

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/state.h"
#include "platform/files.h"

namespace {

constexpr size_t kMaxSettingsBytes = 64 * 1024;

// What the file holds as far as the game knows, and whether it may be
// written: not when it was there but could not be read whole.
std::string g_path;
Settings g_onDisk;
bool g_writable = true;
bool g_toldNotSaved = false;  // a save that can never succeed this run was reported
// A cap given for this run only: g_settings holds it while it lasts, the
// file keeps the player's own.
bool g_maxFpsForRun = false;
int g_runMaxFps = 0;

struct ParseState {
    Settings* settings = nullptr;
    const char* next = nullptr;  // the text not yet handed to inih
    int line = 0;                // of the text inih has now
    bool lineStart = true;
    std::string problem;  // the handler's first complaint,
    int problemLine = 0;  // and its line
};

// fgets over the text, counting lines, so the handler knows where it is.
char* ReadLine(char* out, int size, void* stream) {
    auto* state = static_cast<ParseState*>(stream);
    if (*state->next == '\0' || size < 2) return nullptr;
    if (state->lineStart) ++state->line;
    int n = 0;
    while (n < size - 1 && state->next[n] != '\0' && (n == 0 || state->next[n - 1] != '\n')) ++n;
    std::memcpy(out, state->next, size_t(n));
    out[n] = '\0';
    state->next += n;
    state->lineStart = out[n - 1] == '\n';
    return out;
}

bool ParseBool(const char* value, bool* out) {
    std::string v(value);
    for (char& c : v) c = char(std::tolower(static_cast<unsigned char>(c)));
    if (v == "true" || v == "yes" || v == "on" || v == "1") {
        *out = true;
        return true;
    }
    if (v == "false" || v == "no" || v == "off" || v == "0") {
        *out = false;
        return true;
    }
    return false;
}

bool ParseInt(const char* value, int low, int high, int* out) {
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(value, &end, 10);
    if (end == value || *end != '\0' || errno != 0 || v < low || v > high) return false;
    *out = int(v);
    return true;
}

bool ParseFloat(const char* value, float low, float high, float* out) {
    char* end = nullptr;
    errno = 0;
    const float v = std::strtof(value, &end);
    if (end == value || *end != '\0' || errno != 0 || !(v >= low && v <= high)) return false;
    *out = v;
    return true;
}

// One key. Returns 0 (inih's "error on this line") for an unknown key or a
// value out of its range; the first such line is the one reported.
int OnKey(void* user, const char* section, const char* name, const char* value) {
    auto* state = static_cast<ParseState*>(user);
    Settings& s = *state->settings;
    std::string key = std::string(section) + "." + name;
    for (char& c : key) c = char(std::tolower(static_cast<unsigned char>(c)));
    bool ok = false;
    bool known = true;
    if (key == "display.fullscreen") {
        ok = ParseBool(value, &s.fullscreen);
    } else if (key == "display.vsync") {
        ok = ParseBool(value, &s.vsync);
    } else if (key == "display.max_fps") {
        ok = ParseMaxFps(value, &s.maxFps);
    } else if (key == "display.field_of_view") {
        ok = ParseFloat(value, kMinFieldOfView, kMaxFieldOfView, &s.fieldOfView);
    } else if (key == "display.hud") {
        ok = ParseBool(value, &s.showHud);
    } else if (key == "controls.stick_dead_zone") {
        ok = ParseInt(value, kMinStickDeadZone, kMaxStickDeadZone, &s.stickDeadZone);
    } else if (key == "controls.rumble") {
        ok = ParseBool(value, &s.rumble);
    } else if (key == "controls.mouse_sensitivity") {
        ok = ParseFloat(value, kMinMouseSensitivity, kMaxMouseSensitivity, &s.mouseSensitivity);
    } else if (key == "controls.invert_y") {
        ok = ParseBool(value, &s.invertY);
    } else if (key == "sound.music_volume") {
        ok = ParseInt(value, 0, 100, &s.musicVolume);
    } else if (key == "sound.effects_volume") {
        ok = ParseInt(value, 0, 100, &s.effectsVolume);
    } else if (key.rfind("bindings.", 0) == 0) {
        known = false;
        for (int a = 0; a < kActionCount && !known; ++a) {
            if (key != std::string("bindings.") + ActionKey(Action(a))) continue;
            known = true;
            const std::string problem = ParseActionBindings(value, Action(a), &s.bindings);
            ok = problem.empty();
            if (!ok && state->problem.empty()) {
                state->problem = problem + " for " + key;
                state->problemLine = state->line;
            }
        }
    } else {
        known = false;
    }
    if (ok) return 1;
    if (state->problem.empty()) {
        state->problem = known ? "bad value '" + std::string(value) + "' for " + key : "unknown key " + key;
        state->problemLine = state->line;
    }
    return 0;
}

// The shortest decimal that reads back as the same float.
std::string FloatText(float v) {
    char text[32];
    for (int digits = 1; digits <= 9; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, double(v));
        if (std::strtof(text, nullptr) == v) break;
    }
    return text;
}

}  // namespace

// A cap of 1 to 29 is as much a typo as one of 1001.
bool ParseMaxFps(const char* text, int* maxFps) {
    int v = 0;
    if (!ParseInt(text, 0, kHighestMaxFps, &v) || (v != 0 && v < kLowestMaxFps)) return false;
    *maxFps = v;
    return true;
}

std::string ParseSettings(const std::string& text, Settings* settings) {
    if (text.find('\0') != std::string::npos) return "not a text file";
    ParseState state;
    state.settings = settings;
    state.next = text.c_str();
    const int result = ini_parse_stream(ReadLine, &state, OnKey, &state);
    if (result == 0) return "";
    if (result < 0) return "out of memory";
    // inih names the first bad line; the handler says what was wrong with
    // it, unless the line itself was not INI.
    const std::string what = state.problemLine == result ? state.problem : "not a setting";
    return "line " + std::to_string(result) + ": " + what;
}

std::string FormatSettings(const Settings& s) {
    auto onOff = [](bool b) { return b ? "true" : "false"; };
    std::string text = "# Orvanthe's settings. The game writes this file when a setting changes in the game.\n";
    text += "[display]\n";
    text += "fullscreen = " + std::string(onOff(s.fullscreen)) + "\n";
    text += "vsync = " + std::string(onOff(s.vsync)) + "\n";
    text += "max_fps = " + std::to_string(s.maxFps) + "\n";
    text += "field_of_view = " + FloatText(s.fieldOfView) + "\n";
    text += "hud = " + std::string(onOff(s.showHud)) + "\n\n";
    text += "[controls]\n";
    text += "mouse_sensitivity = " + FloatText(s.mouseSensitivity) + "\n";
    text += "invert_y = " + std::string(onOff(s.invertY)) + "\n";
    text += "stick_dead_zone = " + std::to_string(s.stickDeadZone) + "\n";
    text += "rumble = " + std::string(onOff(s.rumble)) + "\n\n";
    text += "[sound]\n";
    text += "music_volume = " + std::to_string(s.musicVolume) + "\n";
    text += "effects_volume = " + std::to_string(s.effectsVolume) + "\n\n";
    text += "# Up to two keys, two mouse buttons and two pad inputs each, by name.\n";
    text += "[bindings]\n";
    for (int a = 0; a < kActionCount; ++a)
        text += std::string(ActionKey(Action(a))) + " = " + FormatActionBindings(s.bindings, Action(a)) + "\n";
    return text;
}

std::string SettingsPath() {
    const std::string home = platform::ConfigHome();
    return home.empty() ? "" : home + "/orvanthe/settings.ini";
}

void LoadSettings(const std::string& path) {
    g_path = path;
    g_settings = Settings();
    g_onDisk = Settings();
    g_writable = true;
    g_toldNotSaved = false;
    g_maxFpsForRun = false;
    if (path.empty() || platform::NothingAt(path)) return;
    std::vector<uint8_t> bytes;
    std::string problem;
    if (platform::ReadWholeFile(path.c_str(), kMaxSettingsBytes, &bytes, &problem) == platform::FileRead::Ok)
        problem = ParseSettings(std::string(bytes.begin(), bytes.end()), &g_settings);
    g_onDisk = g_settings;
    if (problem.empty()) return;
    g_writable = false;
    std::fprintf(stderr, "orvanthe: %s: %s; defaults used for what could not be read, the file is left as it is\n",
                 path.c_str(), problem.c_str());
}

void SetMaxFpsForThisRun(int maxFps) {
    g_settings.maxFps = maxFps;
    g_maxFpsForRun = true;
    g_runMaxFps = maxFps;
}

bool SaveSettings() {
    // Toggling fullscreen in a run started with --max-fps must not make
    // the option the player's setting; a cap the game itself set since is.
    Settings kept = g_settings;
    if (g_maxFpsForRun && kept.maxFps == g_runMaxFps) kept.maxFps = g_onDisk.maxFps;
    if (kept == g_onDisk) return true;
    // The player must hear that a choice will not outlast the run; a file
    // kept for them to fix was named at start-up, so it is said only once.
    if (g_path.empty()) {
        if (!g_toldNotSaved)
            std::fprintf(stderr, "orvanthe: settings not saved (neither XDG_CONFIG_HOME nor HOME names a folder)\n");
        g_toldNotSaved = true;
        return false;
    }
    if (!g_writable) {
        if (!g_toldNotSaved)
            std::fprintf(stderr, "orvanthe: %s: not saved (the file has a mistake and is left for you to fix)\n",
                         g_path.c_str());
        g_toldNotSaved = true;
        return false;
    }
    std::string reason;
    if (!platform::WriteFileAtomically(g_path, FormatSettings(kept), &reason)) {
        std::fprintf(stderr, "orvanthe: %s: not saved (%s)\n", g_path.c_str(), reason.c_str());
        return false;
    }
    g_onDisk = kept;
    return true;
}
