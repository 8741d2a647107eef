// A won game recorded for timing: the winning bot of the replay tests plays
// from the title on the scripted backend at 800x600, 20 ms a frame as the
// tests record it, shoots every monster down and quits from the win's box.
// The demo goes to FILE; the ticks and the end state are printed so that a
// replay of it can be checked against them:
//   orvanthe-record-win: FILE: won, 1234 ticks, end state 0123456789abcdef
// Exits non-zero when the game was not won. Run from the build directory
// (data/). A win is offered as the best run, so the best run's folder is a
// scratch one: the player's best time is never touched.
//   orvanthe-record-win FILE
#include <inttypes.h>
#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/demos.h"
#include "app/flow.h"
#include "app/program.h"
#include "app/startup.h"
#include "core/demo.h"
#include "core/state.h"
#include "monsters/monster.h"
#include "platform/files.h"
#include "platform/scripted/script.h"
#include "platform/window.h"
#include "tests/demo_bots.h"
#include "world/world.h"

namespace {

constexpr uint32_t kFrameMs = 20;
// Ten minutes of play: the bot wins in well under two.
constexpr int kMostFrames = 600000 / int(kFrameMs);

// The best run and the settings land here, not in the player's folders.
std::string ScratchHomes() {
    char tmpl[] = "/tmp/orvanthe-record-win-XXXXXX";
    if (!mkdtemp(tmpl)) return "";
    setenv("XDG_DATA_HOME", tmpl, 1);
    setenv("XDG_CONFIG_HOME", tmpl, 1);
    return tmpl;
}

bool WinBoxOpened() {
    for (const std::string& line : script::LogLines("dialog "))
        if (line.find("You win") != std::string::npos) return true;
    return false;
}

// One frame `kFrameMs` after the last, as the loop runs it; false once the
// program has been asked to quit.
bool Frame(uint32_t now) {
    script::SetTime(now);
    RunFrameAt(now, true);
    platform::Message message;
    while (platform::PollMessage(&message)) {
        if (message.type == platform::MessageType::Quit) return false;
        WindowProc(message);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: orvanthe-record-win FILE   (from the build directory, where data/ is)\n");
        return 2;
    }
    const std::string path = argv[1];
    const std::string scratch = ScratchHomes();
    if (scratch.empty()) {
        std::fprintf(stderr, "orvanthe-record-win: no scratch folder for the best run\n");
        return 1;
    }
    ResetProgramState();
    script::Reset();
    script::SetWindowSize(kWindowWidth, kWindowHeight);
    std::string error;
    if (!OpenGameWindow(kWindowWidth, kWindowHeight, &error)) {
        std::fprintf(stderr, "orvanthe-record-win: %s\n", error.c_str());
        return 1;
    }
    InitGame();
    StartRecording("");
    script::ClearLog();
    const bots::Bot bot = bots::Winner();
    uint32_t now = script::Now();
    bool running = true;
    // Answering the win's box puts the monsters back: watch them fall as the game goes.
    bool allDefeated = false;
    int frame = 0;
    for (; running && frame < kMostFrames; ++frame) {
        bot(frame);
        now += kFrameMs;
        running = Frame(now);
        allDefeated = allDefeated || AllMonstersDefeated();
    }
    const std::string demo = RecordedDemo();
    const uint64_t endState = WorldStateHash();
    const bool won = WinBoxOpened() && allDefeated;
    ShutdownGame();
    platform::DestroyMainWindow();
    std::error_code ignored;
    std::filesystem::remove_all(scratch, ignored);

    DemoReader reader;
    std::string reason;
    if (!reader.Open(demo, GameVersion(), &reason)) {
        std::fprintf(stderr, "orvanthe-record-win: the recording does not read back: %s\n", reason.c_str());
        return 1;
    }
    if (!platform::WriteFileAtomically(path, demo, &reason)) {
        std::fprintf(stderr, "orvanthe-record-win: %s: %s\n", path.c_str(), reason.c_str());
        return 1;
    }
    std::printf("orvanthe-record-win: %s: %s, %" PRIu32 " ticks, end state %016" PRIx64 "\n", path.c_str(),
                won ? "won" : "NOT won", reader.tickCount(), endState);
    if (running) std::fprintf(stderr, "orvanthe-record-win: the bot never quit in %d frames\n", frame);
    if (!won) {
        std::fprintf(stderr, "orvanthe-record-win: the game was not won (no \"You win\" box, or a monster stands)\n");
        return 1;
    }
    return 0;
}
