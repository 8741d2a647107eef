// The scenes the benchmark times. Every timed frame is what the main loop
// runs (RunFrame, which ends with the buffer swap) followed by glFinish, so
// the clock stops only once llvmpipe has really drawn the frame.
#pragma once

#include <vector>

#include "bench/alloc_count.h"

namespace bench {

enum class Scene {
    Baseline,         // a cleared frame and one full-window textured quad
    Title,            // the title screen
    EmptyPlay,        // play from the start view: sky, terrain, overlay, waiting monsters
    FullLoad,         // three monsters in view, one explosion, twenty bullets, overlay
    ExplosionStarts,  // full load in which every frame starts a new explosion
    Count,
};

const char* SceneName(Scene scene);

constexpr int kMaxSitesShown = 8;

struct SceneResult {
    std::vector<double> frameMs;  // wall time per frame, to completion
    double cpuMs = 0;             // user + system, all threads, over the timed frames
    AllocCounts timed;            // over the timed frames
    AllocCounts sampled;          // over the untimed frames with attribution
    int sampledFrames = 0;
    int explosionsStarted = 0;     // timed frames in which one started
    double explosionFramesMs = 0;  // their summed wall time
    int monstersInView = 0;        // as the monster pass sees them after the last frame
    AllocSite sites[kMaxSitesShown];
    int siteCount = 0;
};

// A few untimed frames first, then `frames` timed ones, then a few untimed
// ones that attribute each allocation. Needs InitGame done.
SceneResult RunScene(Scene scene, int frames);

// A new game set up as the scene's first frame finds it.
void EnterScene(Scene scene);
// Keeps the scene's load in place before each frame: monsters asleep, the
// stream of bullets topped up, a burst renewed.
void BetweenFrames(Scene scene);

// One frame drawn and finished, as the start-up's first.
void FinishFrame();

}  // namespace bench
