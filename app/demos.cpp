#include "app/demos.h"

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <vector>

#include "app/flow.h"
#include "app/program.h"
#include "core/settings.h"
#include "core/state.h"
#include "platform/files.h"
#include "platform/input.h"
#include "world/world.h"

namespace {

// The recording: the whole run's demo, kept in memory, and how much of it
// has reached the file.
struct Recording {
    bool on = false;
    std::string bytes;
    TickInput last;
    RuleSettings settings;
    bool settingsWritten = false;
    uint32_t ticks = 0;
    uint32_t gameStartTick = 0;
    std::string path;
    std::FILE* file = nullptr;
    size_t written = 0;
};
Recording g_recording;

// A file is written about once a second of play: a crash loses little,
// and the disk is not asked every tick.
constexpr uint32_t kFlushTicks = 50;

// A box stands in a replay as long as it stood, but no longer than this:
// a player who left the game paused for an hour is not replayed waiting.
constexpr uint32_t kLongestReplayBoxMs = 3000;
// How long the last picture of a replay stands before the program ends.
constexpr uint32_t kLastPictureMs = 2000;

struct Replay {
    bool on = false;
    bool timed = false;
    bool stopped = false;
    bool escaped = false;
    std::string path;
    DemoReader reader;
    DemoEvent next;
    bool peeked = false;
    uint32_t ticks = 0;
    bool boxTimed = false;
    uint32_t boxOpenedAt = 0;
    bool endTimed = false;
    uint32_t endSeenAt = 0;
    std::vector<double> frameSeconds;
};
Replay g_replay;

void SayWriteFailure(const char* what) {
    std::fprintf(stderr, "orvanthe: %s: demo not written (%s); the game goes on\n", g_recording.path.c_str(), what);
}

void WriteOut() {
    Recording& r = g_recording;
    if (!r.file || r.written == r.bytes.size()) return;
    const size_t size = r.bytes.size() - r.written;
    if (std::fwrite(r.bytes.data() + r.written, 1, size, r.file) != size || std::fflush(r.file) != 0) {
        SayWriteFailure(std::strerror(errno));
        std::fclose(r.file);
        r.file = nullptr;
        return;
    }
    r.written = r.bytes.size();
}

void RecordTick(const TickInput& input) {
    Recording& r = g_recording;
    if (!r.on) return;
    if (r.bytes.empty()) {
        DemoHeader header;
        header.gameVersion = GameVersion();
        header.seed = kWorldSeed;
        header.startTime = g_gameTime;
        WriteDemoHeader(header, &r.bytes);
    }
    const RuleSettings now = CurrentRuleSettings();
    if (!r.settingsWritten || now != r.settings) {
        WriteDemoSettings(now, &r.bytes);
        r.settings = now;
        r.settingsWritten = true;
    }
    WriteDemoTick(input, r.last, &r.bytes);
    r.last = input;
    if (++r.ticks % kFlushTicks == 0) WriteOut();
}

TickInput PlayersInput() {
    using platform::Key;
    TickInput input;
    for (int k = 0; k < platform::kKeyCount; ++k) input.held[size_t(k)] = platform::IsKeyDown(Key(k));
    input.presses = platform::TakePresses();
    int mx = 0, my = 0;
    platform::GetCursorPos(&mx, &my);
    input.mouseX = mx - platform::kMouseLookX;
    input.mouseY = my - platform::kMouseLookY;
    // Taken: the cursor goes back to the fixed point for the next motion.
    if (input.mouseX != 0 || input.mouseY != 0) platform::SetCursorPos(platform::kMouseLookX, platform::kMouseLookY);
    input.pad = platform::GetPadAxes();
    return input;
}

// The player's keys during a replay: ESC ends it, the rest is ignored.
void WatchForEscape() {
    if (platform::TakePresses().Of(platform::Key::Escape) > 0) {
        g_replay.escaped = true;
        g_replay.stopped = true;
    }
}

void ApplyReplaySettings(const RuleSettings& s) {
    g_settings.mouseSensitivity = s.mouseSensitivity;
    g_settings.invertY = s.invertY;
    g_settings.stickDeadZone = s.stickDeadZone;
    g_settings.bindings = s.bindings;
    // The picture is drawn as the recording saw it, in this window's shape;
    // the rules see the recording's view.
    if (s.fieldOfView != g_settings.fieldOfView) SetFieldOfView(s.fieldOfView);
    g_ruleProjection = GameProjection(s.fieldOfView, s.viewWidth, s.viewHeight);
}

const DemoEvent& Peek() {
    if (!g_replay.peeked) {
        g_replay.next = g_replay.reader.Next();
        g_replay.peeked = true;
    }
    return g_replay.next;
}

double Percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    const size_t at = std::min(values.size() - 1, size_t(p * double(values.size() - 1) + 0.5));
    return values[at];
}

}  // namespace

const char* GameVersion() { return ORVANTHE_VERSION; }

RuleSettings CurrentRuleSettings() {
    RuleSettings s;
    s.mouseSensitivity = g_settings.mouseSensitivity;
    s.invertY = g_settings.invertY;
    s.stickDeadZone = g_settings.stickDeadZone;
    s.fieldOfView = g_settings.fieldOfView;
    // No screen is wider than a demo can say.
    s.viewWidth = std::clamp(g_viewportWidth, 1, kMaxDemoViewSize);
    s.viewHeight = std::clamp(g_viewportHeight, 1, kMaxDemoViewSize);
    s.bindings = g_settings.bindings;
    return s;
}

void StartRecording(const std::string& path) {
    g_recording = Recording();
    g_recording.on = true;
    g_recording.path = path;
    if (path.empty()) return;
    g_recording.file = std::fopen(path.c_str(), "wb");
    if (!g_recording.file) SayWriteFailure(std::strerror(errno));
}

void FinishRecording() {
    Recording& r = g_recording;
    if (!r.on) return;
    r.on = false;
    if (r.path.empty()) return;
    if (r.bytes.empty()) {
        // Not one tick ran: the demo still opens, empty.
        DemoHeader header;
        header.gameVersion = GameVersion();
        header.seed = kWorldSeed;
        WriteDemoHeader(header, &r.bytes);
        WriteDemoSettings(CurrentRuleSettings(), &r.bytes);
    }
    WriteDemoEnd(&r.bytes);
    WriteOut();
    if (!r.file) return;
    const bool closed = std::fclose(r.file) == 0;
    r.file = nullptr;
    if (!closed) {
        SayWriteFailure(std::strerror(errno));
        return;
    }
    std::printf("orvanthe: %s: %" PRIu32 " ticks recorded, %zu bytes, end state %016" PRIx64 "\n", r.path.c_str(),
                r.ticks, r.bytes.size(), WorldStateHash());
    std::fflush(stdout);
}

void RecordAnswer(int answer, uint32_t boxMs) {
    if (!g_recording.on || g_recording.bytes.empty()) return;
    WriteDemoAnswer(answer, boxMs, &g_recording.bytes);
}

void NoteGameStart() {
    // The tick now running is the game's first: the ones before it are hidden.
    if (g_recording.on && g_recording.ticks > 0) g_recording.gameStartTick = g_recording.ticks - 1;
}

std::string RecordedDemo() {
    std::string demo = g_recording.bytes;
    if (!demo.empty()) WriteDemoEnd(&demo);
    return demo;
}

std::string DemoOfThisGame() {
    const std::string demo = RecordedDemo();
    return demo.empty() ? demo : WithHiddenTicks(demo, g_recording.gameStartTick);
}

void TakeTickInput() {
    if (!g_replay.on) {
        g_tickInput = PlayersInput();
        RecordTick(g_tickInput);
        return;
    }
    WatchForEscape();
    const DemoEvent& event = Peek();
    // The flow asks for a tick only where the demo has one.
    if (event.record != DemoRecord::Tick) return;
    g_tickInput = event.tick;
    g_replay.peeked = false;
    ++g_replay.ticks;
}

bool OpenDemo(const std::string& path, DemoReader* reader, std::string* error) {
    std::vector<uint8_t> bytes;
    std::string reason;
    if (platform::ReadWholeFile(path.c_str(), kMaxDemoBytes, &bytes, &reason) != platform::FileRead::Ok ||
        !reader->Open(std::string(bytes.begin(), bytes.end()), GameVersion(), &reason)) {
        *error = path + ": not played (" + reason + ")";
        return false;
    }
    return true;
}

void StartReplay(const std::string& path, DemoReader reader, bool timed) {
    g_recording = Recording();
    g_replay = Replay();
    g_replay.on = true;
    g_replay.timed = timed;
    g_replay.path = path;
    g_replay.reader = std::move(reader);
    g_random.Seed(g_replay.reader.header().seed);
}

bool Replaying() { return g_replay.on; }
bool TimingDemo() { return g_replay.on && g_replay.timed; }

uint32_t ReplayNextTickTime() { return g_replay.reader.header().startTime + g_replay.ticks * kTickMs; }

DemoRecord NextReplayRecord() {
    while (Peek().record == DemoRecord::Settings) {
        ApplyReplaySettings(g_replay.next.settings);
        g_replay.peeked = false;
    }
    if (Peek().record == DemoRecord::End) g_replay.stopped = true;
    return g_replay.next.record;
}

int TakeReplayAnswer(uint32_t now) {
    WatchForEscape();
    const DemoRecord next = NextReplayRecord();
    // A demo may end on a box, as a best run ends on its win.
    if (next == DemoRecord::End) return 0;
    if (next != DemoRecord::Answer) {
        // The game stands in a box the recording never opened: the rules
        // or the demo are not this game's. It cannot go on.
        std::fprintf(stderr, "orvanthe: %s: the replay left the recorded game at tick %" PRIu32 "\n",
                     g_replay.path.c_str(), g_replay.ticks);
        g_replay.stopped = true;
        return 0;
    }
    if (!g_replay.boxTimed) {
        g_replay.boxTimed = true;
        g_replay.boxOpenedAt = now;
    }
    const uint32_t stood = std::min(g_replay.next.boxMs, kLongestReplayBoxMs);
    const bool hidden = g_replay.ticks < g_replay.reader.header().hiddenTicks;
    if (!g_replay.timed && !hidden && now - g_replay.boxOpenedAt < stood) return 0;
    g_replay.boxTimed = false;
    g_replay.peeked = false;
    return g_replay.next.answer;
}

uint32_t ReplayHiddenTicks() { return g_replay.reader.header().hiddenTicks; }
uint32_t ReplayedTicks() { return g_replay.ticks; }
bool ReplayOver(uint32_t now) {
    if (!g_replay.on || !g_replay.stopped) return false;
    if (g_replay.escaped || g_replay.timed) return true;
    // The demo's last picture (a win's box, say) stands a moment.
    if (!g_replay.endTimed) {
        g_replay.endTimed = true;
        g_replay.endSeenAt = now;
    }
    return now - g_replay.endSeenAt >= kLastPictureMs;
}

void NoteTimedFrame(double seconds) { g_replay.frameSeconds.push_back(seconds); }

void FinishReplay() {
    if (!g_replay.on) return;
    g_replay.on = false;
    const char* how = g_replay.escaped ? "stopped after" : "replayed,";
    if (!g_replay.timed) {
        std::printf("orvanthe: %s: %s %" PRIu32 " ticks, end state %016" PRIx64 "\n", g_replay.path.c_str(), how,
                    g_replay.ticks, WorldStateHash());
    } else {
        double total = 0.0;
        for (double s : g_replay.frameSeconds) total += s;
        const size_t frames = g_replay.frameSeconds.size();
        std::printf("orvanthe: %s: %s %" PRIu32 " ticks, end state %016" PRIx64
                    "\ntimedemo: %zu frames, %.3f seconds, %.1f frames per second, ms per frame p50 %.2f / p99 %.2f\n",
                    g_replay.path.c_str(), how, g_replay.ticks, WorldStateHash(), frames, total,
                    total > 0.0 ? double(frames) / total : 0.0, Percentile(g_replay.frameSeconds, 0.50) * 1000.0,
                    Percentile(g_replay.frameSeconds, 0.99) * 1000.0);
    }
    std::fflush(stdout);
}

void ForgetDemos() {
    if (g_recording.file) std::fclose(g_recording.file);
    g_recording = Recording();
    g_replay = Replay();
}
