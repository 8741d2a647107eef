// The player's settings: what is kept between runs in
// $XDG_CONFIG_HOME/orvanthe/settings.ini (~/.config/... without it).
// A file that cannot be read whole is warned about once and never written
// over, so a player's typo does not cost them the rest of their settings.
#pragma once

#include <string>

#include "core/bindings.h"

struct Settings {
    bool fullscreen = false;
    float mouseSensitivity = 1.0f;  // scales mouse and right-stick look
    bool invertY = false;           // mouse up (stick up) looks down
    int musicVolume = 100;          // percent
    int effectsVolume = 100;        // percent
    bool vsync = true;              // each swap waits for the screen
    int maxFps = 0;                 // frames a second at most; 0: the screen's refresh rate
    Bindings bindings = DefaultBindings();
    float fieldOfView = 45.0f;  // degrees, from top to bottom of the view
    int stickDeadZone = 25;     // percent of a stick's travel that does nothing
    bool rumble = true;         // the pad shakes on hits
    bool showHud = true;        // the count and hits on screen

    bool operator==(const Settings& o) const {
        return fullscreen == o.fullscreen && mouseSensitivity == o.mouseSensitivity && invertY == o.invertY &&
               musicVolume == o.musicVolume && effectsVolume == o.effectsVolume && vsync == o.vsync &&
               maxFps == o.maxFps && bindings == o.bindings && fieldOfView == o.fieldOfView &&
               stickDeadZone == o.stickDeadZone && rumble == o.rumble && showHud == o.showHud;
    }
    bool operator!=(const Settings& o) const { return !(*this == o); }
};

constexpr float kMinMouseSensitivity = 0.05f;
constexpr float kMaxMouseSensitivity = 20.0f;
// A cap below this would make the look stutter, one above it is no cap on
// any screen sold; 0 stands outside the range for "the screen's rate".
constexpr int kLowestMaxFps = 30;
constexpr int kHighestMaxFps = 1000;
constexpr float kMinFieldOfView = 30.0f;
constexpr float kMaxFieldOfView = 110.0f;
constexpr int kMinStickDeadZone = 5;
constexpr int kMaxStickDeadZone = 60;

// A cap as the file and --max-fps write it: 0 (the screen's rate), or
// kLowestMaxFps to kHighestMaxFps, in decimal. Anything else is false and
// leaves *maxFps as it was.
bool ParseMaxFps(const char* text, int* maxFps);

// Reads an INI text over *settings: each key read well replaces its
// default, the rest stay. Returns "" for a clean text, else the first
// problem ("line 3: unknown key 'foo'").
std::string ParseSettings(const std::string& text, Settings* settings);
std::string FormatSettings(const Settings& settings);

// The file's path, or "" when neither XDG_CONFIG_HOME nor HOME says where.
std::string SettingsPath();

// Start-up: fills g_settings from the file at path (defaults where it
// has none). A missing file is no problem; anything else it gets wrong is
// one warning line on stderr, and the file is then left as it is.
void LoadSettings(const std::string& path);

// --max-fps: this run draws at most maxFps frames a second (0: the
// screen's rate), and SaveSettings writes the file's own cap, not this one,
// unless the game sets another meanwhile. Call it after LoadSettings.
void SetMaxFpsForThisRun(int maxFps);

// After the game has changed g_settings: writes them, atomically, when they
// differ from the file's, unless the file was one LoadSettings warned
// about. A failed write is one line on stderr; the old file stays whole.
// Returns true when the file holds g_settings (the cap for this run aside)
// afterwards.
bool SaveSettings();
