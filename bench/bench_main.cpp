// Runs the real main loop on the SDL backend (offscreen GL unless a display
// is asked for) and prints the pass period and the frame work time.
//   orvanthe-bench [passes]       run from the build directory (data/)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/flow.h"
#include "app/program.h"
#include "app/startup.h"
#include "core/state.h"
#include "gl/gl_state.h"
#include "monsters/monster.h"
#include "platform/clock.h"
#include "platform/window.h"
#include "world/bullet.h"
#include "world/explosion.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

void Report(const char* what, std::vector<double> v) {
    std::sort(v.begin(), v.end());
    double sum = 0;
    for (double x : v) sum += x;
    auto pct = [&](double p) { return v[std::min(v.size() - 1, size_t(p * double(v.size())))]; };
    std::printf("%-28s n=%zu  mean %7.3f  p50 %7.3f  p99 %7.3f  max %7.3f  ms\n", what, v.size(), sum / double(v.size()),
                pct(0.50), pct(0.99), v.back());
}

// RunFrame alone, `passes` times, in the current state.
std::vector<double> FrameWork(int passes) {
    std::vector<double> out;
    for (int i = 0; i < passes; ++i) {
        const auto t0 = Clock::now();
        RunFrame();
        out.push_back(Ms(Clock::now() - t0));
    }
    return out;
}

// Full load: all three monsters in view, one explosion running and twenty
// bullets flying. Monsters are kept idle (so none
// reaches the player and opens a dialog); the explosion and bullets are
// topped up between frames, outside the timing.
void MonsterScene(int passes) {
    g_inTitle = false;
    PlaceCameraAtStart();
    const Vector3 spots[3] = {{150.0f, -150.0f, -700.0f}, {324.0f, -150.0f, -650.0f}, {90.0f, -150.0f, -900.0f}};
    for (size_t i = 0; i < g_monsters.size() && i < 3; ++i) {
        g_monsters[i]->Place(spots[i].x, spots[i].y, spots[i].z);
        g_monsters[i]->hitPoints = kNewGameHitPoints;
        g_monsters[i]->hunting = false;
    }
    g_bullets.clear();
    g_explosions.clear();
    std::vector<double> work;
    for (int i = 0; i < passes; ++i) {
        for (auto& m : g_monsters) {
            m->huntDelay = TickTimer{true, platform::TickCount()};
        }
        if (g_explosions.empty()) g_explosions.push_back(std::make_unique<Explosion>(234.0f, -150.0f, -500.0f));
        while (g_bullets.size() < 20) {
            // Straight ahead, 30 to 790 units out, as a stream of shots is.
            const float z = -349.0f - 40.0f * float(g_bullets.size());
            g_bullets.push_back(std::make_unique<Bullet>());
            g_bullets.back()->Aim(Vector3(234.0f, -160.0f, z), Vector3(234.0f, -160.0f, z - 1.0f));
        }
        const auto t0 = Clock::now();
        RunFrame();
        work.push_back(Ms(Clock::now() - t0));
    }
    int drawn = 0;
    for (auto& m : g_monsters) drawn += m->HasModel() ? 1 : 0;
    std::printf("monsters with a model: %d of %zu\n", drawn, g_monsters.size());
    Report("frame work: full load", work);

    std::vector<double> create;
    for (int i = 0; i < 50; ++i) {
        const auto t0 = Clock::now();
        Explosion e(234.0f, -150.0f, -500.0f);
        create.push_back(Ms(Clock::now() - t0));
    }
    Report("create one explosion", create);
    g_bullets.clear();
    g_explosions.clear();
}

}  // namespace

int main(int argc, char** argv) {
    const int passes = argc > 1 ? std::max(10, std::atoi(argv[1])) : 300;
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);

    // Start-up as the program does it, up to the first presented frame.
    const auto startup0 = Clock::now();
    std::string error;
    if (!OpenGameWindow(kWindowWidth, kWindowHeight, &error)) {
        std::fprintf(stderr, "orvanthe-bench: %s\n", error.c_str());
        return 1;
    }
    const auto init0 = Clock::now();
    InitGame();
    const auto init1 = Clock::now();
    RunFrame();
    std::printf("start-up: window + GL       %8.3f ms\n", Ms(init0 - startup0));
    std::printf("start-up: InitGame (assets) %8.3f ms\n", Ms(init1 - init0));
    std::printf("start-up to first frame     %8.3f ms\n", Ms(Clock::now() - startup0));

    // The real loop: poll, frame, pace, dispatch.
    std::vector<double> period;
    int exitCode = 0;
    auto last = Clock::now();
    for (int i = 0; i < passes; ++i) {
        if (!MainLoopPass(&exitCode)) break;
        const auto now = Clock::now();
        period.push_back(Ms(now - last));
        last = now;
    }
    Report("pass period: title", period);

    Report("frame work: title", FrameWork(passes));
    g_inTitle = false;
    Report("frame work: empty play", FrameWork(passes));
    MonsterScene(passes);  // full load: monsters, explosion, bullets, overlay

    ShutdownGame();
    platform::DestroyMainWindow();
    return 0;
}
