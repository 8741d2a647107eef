// A demo: every tick's input, and what else the rules read, so a game plays
// back exactly. The file's layout is described in demo.cpp's banner.
#pragma once

#include <bitset>
#include <cstdint>
#include <string>

#include "core/bindings.h"
#include "platform/input.h"

// What one tick reads from the player: the keys held as it ran, the
// presses since the tick before, the cursor's motion since the tick before
// (pixels, right and down) and the pad's axes.
struct TickInput {
    std::bitset<platform::kKeyCount> held;
    platform::Presses presses;
    int mouseX = 0;
    int mouseY = 0;
    platform::PadAxes pad;

    bool IsDown(platform::Key key) const { return held[size_t(key)]; }
};
// Equal when every key, press, motion and pad axis is; axes to the bit,
// so -0 and 0 differ.
bool operator==(const TickInput& a, const TickInput& b);
inline bool operator!=(const TickInput& a, const TickInput& b) { return !(a == b); }

// The settings and the view the rules read besides the player's input:
// they change between ticks (the options screen, a resized window).
struct RuleSettings {
    float mouseSensitivity = 1.0f;
    bool invertY = false;
    int stickDeadZone = 25;
    float fieldOfView = 45.0f;
    // The view the monsters' frustum is cut for: its aspect decides who is
    // in sight.
    int viewWidth = 800;
    int viewHeight = 600;
    Bindings bindings = DefaultBindings();

    bool operator==(const RuleSettings& o) const {
        return mouseSensitivity == o.mouseSensitivity && invertY == o.invertY && stickDeadZone == o.stickDeadZone &&
               fieldOfView == o.fieldOfView && viewWidth == o.viewWidth && viewHeight == o.viewHeight &&
               bindings == o.bindings;
    }
    bool operator!=(const RuleSettings& o) const { return !(*this == o); }
};

struct DemoHeader {
    std::string gameVersion;   // of the game that recorded it; another's is refused
    uint32_t seed = 1;         // the world's random source's
    uint32_t startTime = 0;    // game time of the first tick, ms
    uint32_t hiddenTicks = 0;  // ticks replayed unseen before the picture shows
};

// The demo's records, in the order they happened.
enum class DemoRecord {
    Settings,  // the rules' settings from here on; always before the first tick
    Tick,      // one tick's input
    Answer,    // the box the last tick opened was answered
    End,       // the recording ended here
};

struct DemoEvent {
    DemoRecord record = DemoRecord::End;
    RuleSettings settings;  // Settings
    TickInput tick;         // Tick
    int answer = 0;         // Answer: the button chosen, 1 to 3
    uint32_t boxMs = 0;     // Answer: how long the box stood
};

// The same record with the same values (a tick's pad axes to the bit).
bool SameRecord(const DemoEvent& a, const DemoEvent& b);

// The longest game version a demo names, and the largest file read.
constexpr size_t kMaxDemoVersionLength = 32;
constexpr size_t kMaxDemoBytes = size_t(64) << 20;
// The most presses of one key a tick records, and the widest or tallest view.
constexpr int kMaxDemoPressesPerTick = 1000;
constexpr int kMaxDemoViewSize = 65535;

// Encoding, appended to *out. A tick is written as what changed since the
// tick before it (`previous`, all zero before the first).
void WriteDemoHeader(const DemoHeader& header, std::string* out);
void WriteDemoSettings(const RuleSettings& settings, std::string* out);
void WriteDemoTick(const TickInput& tick, const TickInput& previous, std::string* out);
void WriteDemoAnswer(int answer, uint32_t boxMs, std::string* out);
void WriteDemoEnd(std::string* out);
// The same demo, its first `ticks` ticks replayed unseen; bytes without a
// whole header come back as they were.
std::string WithHiddenTicks(const std::string& demo, uint32_t ticks);

// Reads a demo: Open checks the whole of it once, then Next hands out its
// records in order.
class DemoReader {
public:
    // False, with a reason of a few words ("cut short", "made by version
    // 0.2 of the game"), for anything but a whole demo of this version.
    bool Open(std::string bytes, const std::string& gameVersion, std::string* reason);
    const DemoHeader& header() const { return header_; }
    uint32_t tickCount() const { return tickCount_; }
    // The next record; after End, End again.
    DemoEvent Next();

private:
    std::string bytes_;
    size_t at_ = 0;
    DemoHeader header_;
    uint32_t tickCount_ = 0;
    TickInput last_;  // ticks are decoded as changes to the one before
};
