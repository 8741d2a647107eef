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
#include "platform/window.h"

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

}  // namespace

int main(int argc, char** argv) {
    const int passes = argc > 1 ? std::max(10, std::atoi(argv[1])) : 300;
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);

    std::string error;
    if (!platform::CreateMainWindow(kCaption, kWindowWidth, kWindowHeight, &error)) {
        std::fprintf(stderr, "orvanthe-bench: %s\n", error.c_str());
        return 1;
    }
    SetProjection(kWindowWidth, kWindowHeight);
    SetFixedGlState();
    const auto startup0 = Clock::now();
    InitGame();
    std::printf("start-up (InitGame)           %7.3f ms\n", Ms(Clock::now() - startup0));

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
    Report("pass period (title)", period);

    Report("frame work: title", FrameWork(passes));
    g_inTitle = false;
    Report("frame work: play", FrameWork(passes));

    ShutdownGame();
    platform::DestroyMainWindow();
    return 0;
}
