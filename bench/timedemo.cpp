// Runs orvanthe-record-win and the game's --timedemo as child processes and
// reads the lines they print.
#include "bench/timedemo.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace bench {
namespace {

// The folder this program was run from, found through /proc.
std::string ExeFolder() {
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return ".";
    path[n] = 0;
    std::string s = path;
    return s.substr(0, s.rfind('/'));
}

// The first folder on PATH holding an executable `name`, joined to it; empty
// when there is none.
std::string OnPath(const char* name) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "";
    size_t from = 0;
    while (from <= dirs.size()) {
        const size_t to = std::min(dirs.find(':', from), dirs.size());
        const std::string candidate = dirs.substr(from, to - from) + "/" + name;
        if (to > from && access(candidate.c_str(), X_OK) == 0) return candidate;
        from = to + 1;
    }
    return "";
}

// Runs `argv` with the environment changed by `prepare` (called in the
// child), its output read line by line, its errors straight to ours.
// Returns the exit code, or -1 when it could not run or was killed.
int RunChild(const std::vector<std::string>& argv, const std::function<void()>& prepare,
             std::vector<std::string>* lines) {
    int fds[2];
    if (pipe(fds) != 0) return -1;
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        dup2(fds[1], STDOUT_FILENO);
        close(fds[0]);
        close(fds[1]);
        prepare();
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    close(fds[1]);
    FILE* in = fdopen(fds[0], "r");
    char line[1024];
    while (in && std::fgets(line, sizeof line, in)) {
        std::string l = line;
        if (!l.empty() && l.back() == '\n') l.pop_back();
        lines->push_back(l);
    }
    if (in) std::fclose(in);
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The 16 hex digits after "end state " in `line`, or empty.
std::string EndState(const std::string& line) {
    const size_t at = line.find("end state ");
    return at == std::string::npos ? "" : line.substr(at + 10, 16);
}

std::string Failed(const char* what, int code) {
    return std::string(what) + (code < 0 ? " could not run or was killed" : " exited with " + std::to_string(code));
}

}  // namespace

WinDemo RecordWin(const std::string& folder) {
    WinDemo demo;
    demo.path = folder + "/win.demo";
    const std::string program = ExeFolder() + "/orvanthe-record-win";
    if (access(program.c_str(), X_OK) != 0) {
        demo.problem = program + " is missing (build the orvanthe-record-win target)";
        return demo;
    }
    std::vector<std::string> lines;
    const int code = RunChild(
        {program, demo.path}, [] {}, &lines);
    for (const std::string& line : lines) {
        unsigned ticks = 0;
        const size_t won = line.find(": won, ");
        if (won != std::string::npos && std::sscanf(line.c_str() + won + 7, "%u ticks", &ticks) == 1) {
            demo.ticks = ticks;
            demo.endState = EndState(line);
        }
    }
    if (code != 0) {
        demo.problem = Failed("orvanthe-record-win", code);
    } else if (demo.endState.size() != 16 || demo.ticks == 0) {
        demo.problem = "orvanthe-record-win printed no won game";
    }
    return demo;
}

TimedemoRun RunTimedemo(const WinDemo& demo, const char* threads, const std::string& home) {
    TimedemoRun run;
    const std::string xvfb = OnPath("xvfb-run");
    const std::string game = ExeFolder() + "/../orvanthe";
    if (xvfb.empty()) {
        run.problem = "xvfb-run is not on PATH";
        return run;
    }
    if (access(game.c_str(), X_OK) != 0) {
        run.problem = game + " is missing (build the orvanthe target)";
        return run;
    }
    const auto prepare = [&] {
        // The benchmark's own children draw offscreen; the game draws on X11,
        // as a player's does.
        unsetenv("SDL_VIDEODRIVER");
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        setenv("XDG_CONFIG_HOME", home.c_str(), 1);
        setenv("XDG_DATA_HOME", home.c_str(), 1);
        if (threads)
            setenv("LP_NUM_THREADS", threads, 1);
        else
            unsetenv("LP_NUM_THREADS");
    };
    std::vector<std::string> lines;
    const int code = RunChild({xvfb, "-a", "-s", "-screen 0 800x600x24", game, "--timedemo", demo.path, "--windowed"},
                              prepare, &lines);
    bool timed = false;
    for (const std::string& line : lines) {
        if (line.rfind("orvanthe: ", 0) == 0 && line.find(" replayed, ") != std::string::npos)
            run.endState = EndState(line);
        if (std::sscanf(line.c_str(),
                        "timedemo: %lf frames, %lf seconds, %lf frames per second, ms per frame p50 %lf / p99 %lf",
                        &run.frames, &run.seconds, &run.fps, &run.p50, &run.p99) == 5)
            timed = true;
    }
    if (code != 0) {
        run.problem = Failed("orvanthe --timedemo under xvfb-run", code);
    } else if (!timed || run.fps <= 0) {
        run.problem = "orvanthe --timedemo printed no timedemo line";
    } else if (run.endState.empty()) {
        run.problem = "orvanthe --timedemo did not replay the demo to its end";
    }
    return run;
}

}  // namespace bench
