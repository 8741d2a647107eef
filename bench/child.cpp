// The measuring process: start-up to the first finished frame, then every
// scene, written as lines for the parent to lay out.
#include "bench/child.h"

#include <GL/gl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/program.h"
#include "app/startup.h"
#include "bench/alloc_count.h"
#include "bench/scenes.h"
#include "platform/window.h"

namespace bench {
namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

const char* OwnerName(Owner owner) {
    switch (owner) {
    case Owner::Game: return "game";
    case Owner::Sdl: return "SDL";
    default: return "driver";
    }
}

// Function and line of each site, from the debug information, through
// binutils' addr2line: the innermost of the inlined frames that is not the
// standard library's. The bare address where that is missing.
std::string Where(uintptr_t address) {
    char command[160];
    std::snprintf(command, sizeof command, "addr2line -f -C -i -p -e /proc/%d/exe 0x%lx 2>/dev/null", int(getpid()),
                  static_cast<unsigned long>(address));
    std::string out;
    bool outIsLibrary = false;
    if (FILE* pipe = popen(command, "r")) {
        char line[1024];
        while (std::fgets(line, sizeof line, pipe)) {
            std::string l = line;
            const size_t inlined = l.find("(inlined by) ");
            if (inlined != std::string::npos) l.erase(0, inlined + 13);
            // The name without its parameter list, which is long and says
            // little here.
            for (size_t a; (a = l.find("(anonymous namespace)::")) != std::string::npos;) l.erase(a, 23);
            const size_t at = l.find(" at ");
            const size_t paren = l.find('(');
            if (paren != std::string::npos && at != std::string::npos && paren < at) l.erase(paren, at - paren);
            const std::string name = l.substr(0, l.find(" at "));
            const bool library =
                name.find("std::") != std::string::npos || name.find("__gnu_cxx::") != std::string::npos;
            if (out.empty() || (outIsLibrary && !library)) {
                out = l;
                outIsLibrary = library;
            }
        }
        pclose(pipe);
    }
    while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
    for (char& c : out)
        if (c == '|') c = '/';
    // Paths shortened to the file name: the site reads on one line.
    const size_t at = out.rfind(" at ");
    const size_t slash = out.rfind('/');
    if (at != std::string::npos && slash != std::string::npos && slash > at) out.erase(at + 4, slash - at - 3);
    if (out.empty() || out[0] == '?') {
        char hex[32];
        std::snprintf(hex, sizeof hex, "0x%lx", static_cast<unsigned long>(address));
        return hex;
    }
    return out;
}

void PrintScene(Scene scene, SceneResult& r) {
    std::vector<double> v = r.frameMs;
    std::sort(v.begin(), v.end());
    double sum = 0;
    for (double x : v) sum += x;
    const auto rank = [&](double p) { return v[std::min(v.size() - 1, size_t(p * double(v.size()) + 0.999) - 1)]; };
    const double n = double(v.size());
    const double s = double(r.sampledFrames);
    std::printf("scene|%s|%zu|%.4f|%.4f|%.4f|%.4f|%.4f|%.3f|%.3f|%d|%.3f|%.3f|%.3f|%d|%.4f|%d\n", SceneName(scene),
                v.size(), sum / n, rank(0.50), rank(0.99), v.back(), r.cpuMs / n, double(r.timed.calls) / n,
                double(r.timed.newCalls) / n, r.sampledFrames, double(r.sampled.by[int(Owner::Game)]) / s,
                double(r.sampled.by[int(Owner::Sdl)]) / s, double(r.sampled.by[int(Owner::Driver)]) / s,
                r.explosionsStarted, r.explosionFramesMs, r.monstersInView);
    for (int i = 0; i < r.siteCount; ++i) {
        const AllocSite& site = r.sites[i];
        std::printf("site|%s|%s|%.3f|%s\n", SceneName(scene), OwnerName(site.owner), double(site.calls) / s,
                    Where(site.address).c_str());
    }
    std::fflush(stdout);
}

}  // namespace

int RunChild(int frames) {
    const auto start = Clock::now();
    std::string error;
    if (!OpenGameWindow(kWindowWidth, kWindowHeight, &error)) {
        std::fprintf(stderr, "orvanthe-bench: %s\n", error.c_str());
        return 1;
    }
    const auto window = Clock::now();
    InitGame();
    const auto init = Clock::now();
    FinishFrame();
    const auto first = Clock::now();

    double fromExec = -1;
    if (const char* launch = std::getenv(kLaunchEnv)) {
        const Clock::time_point launched{std::chrono::nanoseconds(std::strtoll(launch, nullptr, 10))};
        fromExec = Ms(first - launched);
    }
    std::printf("renderer|%s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    std::printf("startup|%.3f|%.3f|%.3f|%.3f|%.3f\n", Ms(window - start), Ms(init - window), Ms(first - init),
                Ms(first - start), fromExec);
    std::fflush(stdout);

    PrepareAttribution();
    for (int s = 0; s < int(Scene::Count); ++s) {
        SceneResult r = RunScene(Scene(s), frames);
        PrintScene(Scene(s), r);
    }
    ShutdownGame();
    platform::DestroyMainWindow();
    std::printf("done\n");
    return 0;
}

}  // namespace bench
