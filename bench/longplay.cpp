// Long play at the speed of the CPU: the scripted backend's clock moves 20 ms
// a frame, so ten minutes of game time take as long as 30000 frames take to
// draw. LEFT and CONTROL are held throughout; the view is pitched straight
// up for the third quarter and straight down for part of the last. Monsters
// are kept asleep and unkillable so no game ends. Once a game minute it
// prints the view length, the walking step, bullets and bursts alive, the
// heap in use and the resident set.
//   orvanthe-longplay [minutes [width height [level]]]
// run from the build directory (data/); "level" never pitches the view.
#include <GL/gl.h>
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/flow.h"
#include "app/program.h"
#include "app/startup.h"
#include "camera/camera.h"
#include "core/settings.h"
#include "core/state.h"
#include "monsters/monster.h"
#include "platform/scripted/script.h"
#include "platform/window.h"
#include "world/bullet.h"
#include "world/explosion.h"

namespace {

constexpr int kFramesPerMinute = 60 * 1000 / 20;
// One pixel short of a quarter turn: straight up (or down) to within
// 0.0002 rad, as a player gets there.
constexpr int kQuarterTurnPixels = 7853;

int g_minutes = 10;
bool g_pitch = true;

long ResidentKb() {
    long pages = 0, resident = 0;
    FILE* f = std::fopen("/proc/self/statm", "r");
    if (!f) return -1;
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = -1;
    std::fclose(f);
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

void Report(int frame) {
    const Vector3 v = g_camera.target - g_camera.position;
    const double length = std::sqrt(double(v.x) * v.x + double(v.y) * v.y + double(v.z) * v.z);
    const double step = 4.0 * std::hypot(double(v.x), double(v.z));
    std::printf(
        "%5.1f min  view %.4f  step %.3f  pitch %+6.1f deg  bullets %4zu  bursts %2zu  heap %8zu B  rss %7ld kB\n",
        double(frame) / kFramesPerMinute, length, step,
        std::atan2(double(v.y), std::hypot(double(v.x), double(v.z))) * 180.0 / M_PI, g_bullets.size(),
        g_explosions.size(), size_t(mallinfo2().uordblks), ResidentKb());
    std::fflush(stdout);
}

void Drive(int swaps) {
    using platform::Key;
    script::ClearLog();  // the backend's record would grow otherwise
    const int total = g_minutes * kFramesPerMinute;
    script::HoldKey(Key::Enter, swaps == 1);
    script::HoldKey(Key::Left, swaps > 1);
    script::HoldKey(Key::Control, swaps > 1);
    // Straight up for the third quarter, level again, then straight down
    // for the first half of the last quarter, level to the end.
    if (g_pitch) {
        if (swaps == total / 2 || swaps == total * 7 / 8) script::MoveMouse(0, -kQuarterTurnPixels);
        if (swaps == total * 3 / 4 || swaps == total * 3 / 4 + 1) script::MoveMouse(0, kQuarterTurnPixels);
    }
    for (auto& m : g_monsters) {
        m->huntDelay = TickTimer{true, g_gameTime};
        m->hitPoints = 1000000;
    }
    if (swaps % kFramesPerMinute == 0) Report(swaps);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1) g_minutes = std::max(1, std::atoi(argv[1]));
    const int width = argc > 3 ? std::atoi(argv[2]) : 320, height = argc > 3 ? std::atoi(argv[3]) : 240;
    g_pitch = !(argc > 4 && std::string(argv[4]) == "level");
    script::Reset();
    script::SetFrameCost(20);
    g_settings.maxFps = 50;  // a tick a frame
    std::string error;
    if (!OpenGameWindow(width, height, &error)) {
        std::fprintf(stderr, "orvanthe-longplay: %s\n", error.c_str());
        return 1;
    }
    InitGame();
    script::OnSwap(Drive);
    Report(0);
    int code = 0;
    for (int pass = 0; pass < g_minutes * kFramesPerMinute; ++pass)
        if (!MainLoopPass(&code)) break;
    script::OnSwap(nullptr);
    ShutdownGame();
    platform::DestroyMainWindow();
    return 0;
}
