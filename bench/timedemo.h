// A real game timed by the real program: orvanthe-record-win records a won
// game, and the game itself replays it with --timedemo under Xvfb, one tick
// a frame as fast as llvmpipe draws. Whatever is missing (Xvfb, a binary)
// or goes wrong is said in `problem`, and the benchmark goes on without it.
#pragma once

#include <string>

namespace bench {

struct WinDemo {
    std::string path;      // the demo, in the benchmark's scratch folder
    std::string endState;  // as orvanthe-record-win printed it, 16 hex digits
    unsigned ticks = 0;
    std::string problem;  // empty when the win was recorded
};

struct TimedemoRun {
    double frames = 0, seconds = 0, fps = 0, p50 = 0, p99 = 0;
    std::string endState;  // as the replay printed it
    std::string problem;   // empty when the replay ran and printed its figures
};

// Records the win into `folder` with orvanthe-record-win, found beside this
// program.
WinDemo RecordWin(const std::string& folder);

// Replays `demo` with the game found in this program's parent folder (the
// build directory), under Xvfb at 800x600 on X11; LP_NUM_THREADS as given,
// or llvmpipe's default for null. Its settings and best run are kept in
// `home`, an empty folder, so that the player's never change the replay.
TimedemoRun RunTimedemo(const WinDemo& demo, const char* threads, const std::string& home);

}  // namespace bench
