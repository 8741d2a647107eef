// Frame cost on llvmpipe, each frame timed to completion, for both of
// llvmpipe's thread settings in one run: the default (one drawing thread per
// core) and LP_NUM_THREADS=0 (drawing on the calling thread). Each setting is
// measured in a fresh process (this program run again, see child.h); this
// one lays the numbers out and compares every scene with the baseline scene,
// so numbers from noisy machines compare as ratios. Then a real game: a won
// game recorded once (orvanthe-record-win) is replayed by the game itself
// with --timedemo under Xvfb, for each setting, and laid out beside the
// scenes (not in a smoke run of fewer than 100 frames a scene).
//   orvanthe-bench [frames]      run from the build directory (data/);
//                                frames per scene, 300 unless given
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/child.h"
#include "bench/scenes.h"
#include "bench/timedemo.h"

namespace {

struct Setting {
    const char* title;
    const char* threads;  // LP_NUM_THREADS, or null for llvmpipe's default
};
const Setting kSettings[] = {{"default threads", nullptr}, {"LP_NUM_THREADS=0", "0"}};
constexpr int kSettingCount = 2;
constexpr int kSceneCount = int(bench::Scene::Count);
// Fewer frames a scene than this is a smoke run: no game is played.
constexpr int kTimedemoFrames = 100;
constexpr const char* kTimedemoRow = "timedemo (win)";

struct Row {
    std::string name;
    double n = 0, mean = 0, p50 = 0, p99 = 0, max = 0, cpu = 0, allocs = 0, news = 0;
    double sampled = 0, game = 0, sdl = 0, driver = 0, explosions = 0, explosionMs = 0, monsters = 0;
};

struct Run {
    std::string renderer;
    std::vector<double> startup;  // window, InitGame, first frame, in main, from exec
    std::vector<Row> rows;
    std::vector<std::vector<std::string>> sites;
    bool done = false;
};

std::vector<std::string> Split(const std::string& line) {
    std::vector<std::string> out(1);
    for (char c : line) {
        if (c == '|')
            out.emplace_back();
        else if (c != '\n')
            out.back() += c;
    }
    return out;
}

void Parse(const std::string& line, Run* run) {
    const std::vector<std::string> f = Split(line);
    const auto num = [&](size_t i) { return i < f.size() ? std::atof(f[i].c_str()) : 0.0; };
    if (f[0] == "renderer" && f.size() == 2) run->renderer = f[1];
    if (f[0] == "startup" && f.size() == 6)
        for (size_t i = 1; i < 6; ++i) run->startup.push_back(num(i));
    if (f[0] == "scene" && f.size() == 17)
        run->rows.push_back(Row{f[1], num(2), num(3), num(4), num(5), num(6), num(7), num(8), num(9), num(10), num(11),
                                num(12), num(13), num(14), num(15), num(16)});
    if (f[0] == "site" && f.size() == 5) run->sites.push_back(f);
    if (f[0] == "done") run->done = true;
}

// This program again, with the setting in its environment; its lines are
// read through a pipe, its errors go straight to ours.
bool Measure(const Setting& setting, int frames, Run* run) {
    int fds[2];
    if (pipe(fds) != 0) return false;
    const pid_t pid = fork();
    if (pid < 0) return false;
    if (pid == 0) {
        dup2(fds[1], STDOUT_FILENO);
        close(fds[0]);
        close(fds[1]);
        if (setting.threads)
            setenv("LP_NUM_THREADS", setting.threads, 1);
        else
            unsetenv("LP_NUM_THREADS");
        const std::string count = std::to_string(frames);
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        setenv(bench::kLaunchEnv, std::to_string(std::chrono::nanoseconds(now).count()).c_str(), 1);
        execl("/proc/self/exe", "orvanthe-bench", bench::kChildFlag, count.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    FILE* in = fdopen(fds[0], "r");
    char line[1024];
    while (in && std::fgets(line, sizeof line, in)) Parse(line, run);
    if (in) std::fclose(in);
    int status = 0;
    waitpid(pid, &status, 0);
    const bool complete = run->done && run->startup.size() == 5 && run->rows.size() == size_t(kSceneCount);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 && complete;
}

// A scene that silently lost its load would still print numbers: all three
// monsters must be in view under load, and the shot that starts each
// explosion must have hit in every frame meant to start one.
bool LoadWasThere(const Run& run) {
    const Row& full = run.rows[size_t(bench::Scene::FullLoad)];
    const Row& starts = run.rows[size_t(bench::Scene::ExplosionStarts)];
    return full.monsters == 3 && starts.monsters == 3 && starts.explosions == starts.n;
}

void PrintRun(const Setting& setting, const Run& run) {
    const std::vector<double>& s = run.startup;
    const double base = run.rows[0].mean;
    std::printf("\n== llvmpipe, %s: %s\n", setting.title, run.renderer.c_str());
    std::printf(
        "start-up to first finished frame %.1f ms from exec, %.1f ms in main "
        "(window + GL %.1f, InitGame %.1f, first frame %.1f)\n",
        s[4], s[3], s[0], s[1], s[2]);
    std::printf("%-18s %6s %8s %8s %8s %8s %6s %8s %7s %8s %6s\n", "ms per frame", "frames", "mean", "p50", "p99",
                "max", "p99/mn", "cpu ms", "x base", "allocs", "new");
    for (const Row& r : run.rows)
        std::printf("%-18s %6.0f %8.3f %8.3f %8.3f %8.3f %6.2f %8.3f %7.2f %8.2f %6.2f\n", r.name.c_str(), r.n, r.mean,
                    r.p50, r.p99, r.max, r.p99 / r.mean, r.cpu, r.mean / base, r.allocs, r.news);
    for (const Row& r : run.rows)
        if (r.explosions > 0)
            std::printf("%s: %.0f monsters in view; %.0f timed frames started an explosion, %.3f ms each on average\n",
                        r.name.c_str(), r.monsters, r.explosions, r.explosionMs / r.explosions);
    std::printf("allocations per frame by owner, over %.0f untimed frames with call stacks (game / SDL / GL driver):\n",
                run.rows[0].sampled);
    for (const Row& r : run.rows) {
        std::printf("  %-18s %7.2f / %7.2f / %7.2f\n", r.name.c_str(), r.game, r.sdl, r.driver);
        for (const auto& site : run.sites)
            if (site[1] == r.name)
                std::printf("      %7s per frame, %-6s via %s\n", site[3].c_str(), site[2].c_str(), site[4].c_str());
    }
}

// CPU time counts every thread's work and none of the waiting for a core,
// so on a machine shared with other work it is the steadier figure; both
// are also given as multiples of the baseline's.
void PrintSummary(const Run (&runs)[kSettingCount], const bench::WinDemo& win,
                  const bench::TimedemoRun (&timed)[kSettingCount], const std::string& skipped) {
    std::printf("\n== summary: ms per frame to completion (mean, p99) and CPU ms per frame over all threads\n");
    std::printf("%-18s", "");
    for (const Setting& s : kSettings) std::printf(" | %-41s", s.title);
    std::printf("\n%-18s", "scene");
    for (int i = 0; i < kSettingCount; ++i)
        std::printf(" | %8s %6s %8s %8s %6s", "mean", "x base", "p99", "cpu", "x base");
    std::printf("\n");
    for (int i = 0; i < kSceneCount; ++i) {
        std::printf("%-18s", runs[0].rows[size_t(i)].name.c_str());
        for (const Run& run : runs) {
            const Row& r = run.rows[size_t(i)];
            const Row& base = run.rows[0];
            std::printf(" | %8.3f %6.2f %8.3f %8.3f %6.2f", r.mean, r.mean / base.mean, r.p99, r.cpu, r.cpu / base.cpu);
        }
        std::printf("\n");
    }
    // A frame of the game's own replay is a tick and its picture: its mean
    // is the seconds over the frames, and frames a second stand where CPU does.
    std::printf("%-18s", kTimedemoRow);
    for (int i = 0; i < kSettingCount; ++i) {
        const bench::TimedemoRun& t = timed[i];
        if (!skipped.empty() || !t.problem.empty()) {
            std::printf(" | %-40s", "(none)");
            continue;
        }
        const double mean = 1000.0 / t.fps;
        std::printf(" | %8.3f %6.2f %8.3f %8.1f %6s", mean, mean / runs[i].rows[0].mean, t.p99, t.fps, "fps");
    }
    std::printf("\n");
    std::printf("%-18s", "start-up, ms");
    for (const Run& run : runs) std::printf(" | %8.1f from exec, %6.1f in main%8s", run.startup[4], run.startup[3], "");
    std::printf("\n");
    if (!skipped.empty()) {
        std::printf("%s: skipped, %s\n", kTimedemoRow, skipped.c_str());
        return;
    }
    std::printf(
        "%s: ./orvanthe --timedemo under Xvfb at 800x600 on X11, replaying a won game of %u ticks one tick a "
        "frame; mean is 1000 / fps, p99 the replay's own, fps where cpu stands\n",
        kTimedemoRow, win.ticks);
    for (int i = 0; i < kSettingCount; ++i) {
        const bench::TimedemoRun& t = timed[i];
        if (!t.problem.empty()) {
            std::printf("  %-16s skipped: %s\n", kSettings[i].title, t.problem.c_str());
            continue;
        }
        std::printf("  %-16s %.0f frames in %.3f s, %.1f fps, p50 %.2f / p99 %.2f ms; end state %s %s\n",
                    kSettings[i].title, t.frames, t.seconds, t.fps, t.p50, t.p99, t.endState.c_str(),
                    t.endState == win.endState ? "matches the recording" : "DIFFERS from the recording's");
    }
}

// The won game's demo and its replays by the game, each setting in an
// empty home of its own. `skipped` says why there are none.
void TimeTheWin(int frames, bench::WinDemo* win, bench::TimedemoRun (&timed)[kSettingCount], std::string* skipped) {
    if (frames < kTimedemoFrames) {
        *skipped = "a run of fewer than " + std::to_string(kTimedemoFrames) + " frames a scene is a smoke run";
        return;
    }
    char tmpl[] = "/tmp/orvanthe-bench-XXXXXX";
    if (!mkdtemp(tmpl)) {
        *skipped = "no scratch folder in /tmp";
        return;
    }
    const std::string folder = tmpl;
    *win = bench::RecordWin(folder);
    if (!win->problem.empty()) {
        *skipped = win->problem;
    } else {
        std::printf("\n%s: won game recorded, %u ticks, end state %s\n", kTimedemoRow, win->ticks,
                    win->endState.c_str());
        std::fflush(stdout);
        for (int i = 0; i < kSettingCount; ++i) {
            const std::string home = folder + "/home-" + std::to_string(i);
            std::error_code made;
            std::filesystem::create_directory(home, made);
            timed[i] = bench::RunTimedemo(*win, kSettings[i].threads, home);
        }
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

// Other work on the machine shows in every wall-clock figure: say how much
// there was.
void PrintLoad(const char* when) {
    char load[128] = "unknown";
    if (FILE* f = std::fopen("/proc/loadavg", "r")) {
        if (!std::fgets(load, sizeof load, f)) std::strcpy(load, "unknown");
        std::fclose(f);
    }
    load[std::strcspn(load, "\n")] = 0;
    std::printf("load average %s: %s (%ld cores)\n", when, load, sysconf(_SC_NPROCESSORS_ONLN));
}

}  // namespace

int main(int argc, char** argv) {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    if (argc == 3 && std::strcmp(argv[1], bench::kChildFlag) == 0) return bench::RunChild(std::atoi(argv[2]));

    const int frames = argc > 1 ? std::max(10, std::atoi(argv[1])) : 300;
    std::printf(
        "orvanthe-bench: %d timed frames per scene; each frame is RunFrame (with its buffer swap) and "
        "glFinish, on SDL's offscreen driver\n",
        frames);
    std::fflush(stdout);
    Run runs[kSettingCount];
    for (int i = 0; i < kSettingCount; ++i) {
        if (!Measure(kSettings[i], frames, &runs[i])) {
            std::fprintf(stderr, "orvanthe-bench: the run with %s failed or was cut short\n", kSettings[i].title);
            return 1;
        }
        PrintRun(kSettings[i], runs[i]);
        if (!LoadWasThere(runs[i])) {
            std::fprintf(stderr,
                         "orvanthe-bench: with %s, the load was not all there (three monsters in view, an "
                         "explosion started in every frame of \"%s\")\n",
                         kSettings[i].title, bench::SceneName(bench::Scene::ExplosionStarts));
            return 1;
        }
        std::fflush(stdout);
    }
    bench::WinDemo win;
    bench::TimedemoRun timed[kSettingCount];
    std::string skipped;
    TimeTheWin(frames, &win, timed, &skipped);
    PrintSummary(runs, win, timed, skipped);
    PrintLoad("after");
    std::printf(
        "allocs: malloc-family calls per timed frame on every thread, Mesa's own included; new: of them "
        "through operator new\n");
    // A replay that ends elsewhere timed another game, or found one that
    // does not replay: either is a fault to look at.
    for (const bench::TimedemoRun& t : timed)
        if (skipped.empty() && t.problem.empty() && t.endState != win.endState) {
            std::fprintf(stderr, "orvanthe-bench: the timedemo's end state differs from the recorded win's\n");
            return 1;
        }
    return 0;
}
