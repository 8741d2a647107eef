// Frames at the screen's rate against one a tick: for each llvmpipe thread
// setting and each max_fps (50: a tick a frame, as the game first drew; 60:
// a 60 Hz screen's rate, drawn between ticks), the game's own loop runs the
// bench's full load for some seconds of play and the process's CPU time
// (every thread) per second of play, frames a second and the intervals
// between presents are printed. Each run is a process of its own, as
// llvmpipe reads its thread setting when the context is made.
//   orvanthe-pacing [seconds]   run from the build directory (data/), under
//                               an X server (Xvfb) or on SDL's offscreen
//                               driver; 10 seconds a run unless given
#include <GL/gl.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/program.h"
#include "app/startup.h"
#include "bench/scenes.h"
#include "core/settings.h"
#include "core/state.h"
#include "platform/window.h"

namespace {

constexpr const char* kChildFlag = "--child";

double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

double Percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(p * double(v.size())))];
}

// One run: prints "fps|CPU_MS_PER_S|P50_MS|P99_MS|MAX_MS|RENDERER".
int RunChild(int maxFps, double seconds) {
    g_settings.maxFps = maxFps;
    std::string error;
    if (!OpenGameWindow(800, 600, &error)) {
        std::fprintf(stderr, "orvanthe-pacing: %s\n", error.c_str());
        return 1;
    }
    InitGame();
    g_firstFrame = true;
    bench::EnterScene(bench::Scene::FullLoad);
    using Clock = std::chrono::steady_clock;
    int code = 0;
    // A second to settle: caches filled, the schedule running.
    for (const auto settle = Clock::now(); Clock::now() - settle < std::chrono::seconds(1);) {
        bench::BetweenFrames(bench::Scene::FullLoad);
        MainLoopPass(&code);
    }
    std::vector<double> intervals;
    const double cpuStart = CpuSeconds();
    const auto start = Clock::now();
    auto last = start;
    for (auto now = start; now - start < std::chrono::duration<double>(seconds); last = now) {
        bench::BetweenFrames(bench::Scene::FullLoad);
        if (!MainLoopPass(&code)) break;
        now = Clock::now();
        intervals.push_back(std::chrono::duration<double, std::milli>(now - last).count());
    }
    const double wall = std::chrono::duration<double>(last - start).count();
    const double cpu = CpuSeconds() - cpuStart;
    std::printf("%.1f|%.0f|%.2f|%.2f|%.2f|%s\n", double(intervals.size()) / wall, 1000.0 * cpu / wall,
                Percentile(intervals, 0.5), Percentile(intervals, 0.99), Percentile(intervals, 1.0),
                reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    ShutdownGame();
    platform::DestroyMainWindow();
    return 0;
}

// This program again, with the setting in its environment; its one line is
// read back through a pipe.
std::string Measure(const char* threads, int maxFps, double seconds) {
    int fds[2];
    if (pipe(fds) != 0) return "";
    const pid_t pid = fork();
    if (pid < 0) return "";
    if (pid == 0) {
        dup2(fds[1], STDOUT_FILENO);
        close(fds[0]);
        close(fds[1]);
        if (threads)
            setenv("LP_NUM_THREADS", threads, 1);
        else
            unsetenv("LP_NUM_THREADS");
        const std::string fps = std::to_string(maxFps), secs = std::to_string(seconds);
        execl("/proc/self/exe", "orvanthe-pacing", kChildFlag, fps.c_str(), secs.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    std::string line;
    char buffer[512];
    FILE* in = fdopen(fds[0], "r");
    while (in && std::fgets(buffer, sizeof buffer, in)) line += buffer;
    if (in) std::fclose(in);
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? line : "";
}

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("DISPLAY")) setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    if (argc == 4 && std::strcmp(argv[1], kChildFlag) == 0) return RunChild(std::atoi(argv[2]), std::atof(argv[3]));
    const double seconds = argc > 1 ? std::max(1.0, std::atof(argv[1])) : 10.0;
    std::printf("orvanthe-pacing: %.0f s of the full load per run, the game's own loop, %s\n", seconds,
                std::getenv("DISPLAY") ? "on the X server in DISPLAY" : "on SDL's offscreen driver");
    std::printf("%-18s %7s %10s %14s %9s %9s %9s\n", "llvmpipe threads", "max_fps", "frames/s", "CPU ms/s play",
                "p50 ms", "p99 ms", "max ms");
    const struct {
        const char* title;
        const char* threads;
    } settings[] = {{"default", nullptr}, {"LP_NUM_THREADS=0", "0"}};
    for (const auto& setting : settings) {
        for (int maxFps : {50, 60}) {
            std::string line = Measure(setting.threads, maxFps, seconds);
            if (line.empty()) {
                std::fprintf(stderr, "orvanthe-pacing: the run at max_fps %d with %s threads failed\n", maxFps,
                             setting.title);
                return 1;
            }
            double fps = 0, cpu = 0, p50 = 0, p99 = 0, most = 0;
            std::sscanf(line.c_str(), "%lf|%lf|%lf|%lf|%lf", &fps, &cpu, &p50, &p99, &most);
            std::printf("%-18s %7d %10.1f %14.0f %9.2f %9.2f %9.2f\n", setting.title, maxFps, fps, cpu, p50, p99, most);
            std::fflush(stdout);
        }
    }
    return 0;
}
