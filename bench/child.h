// One measuring run with the GL driver as the environment set it up.
// llvmpipe reads LP_NUM_THREADS when the context is made, so each thread
// setting is a process of its own: the benchmark runs itself once per
// setting and reads back the lines written here.
#pragma once

namespace bench {

// Names the environment variable holding the steady clock, in nanoseconds,
// at which the parent started this process.
constexpr const char* kLaunchEnv = "ORVANTHE_BENCH_LAUNCH_NS";
constexpr const char* kChildFlag = "--child";

// Writes '|'-separated lines on stdout:
//   renderer|NAME
//   startup|WINDOW_MS|INIT_MS|FIRST_FRAME_MS|IN_MAIN_MS|FROM_EXEC_MS
//   scene|NAME|N|MEAN|P50|P99|MAX|CPU_MS|ALLOCS|NEWS|SAMPLED|GAME|SDL|DRIVER|EXPLOSIONS|EXPLOSION_MS|MONSTERS_IN_VIEW
//   site|SCENE|OWNER|CALLS_PER_FRAME|WHERE
// and "done" last. Returns the exit code.
int RunChild(int frames);

}  // namespace bench
