// Whole runs of the program on the generated assets, driven frame by frame; a long soak that stays level.
#include <GL/gl.h>

#include <atomic>
#include <cmath>
#include <new>

#include "core/settings.h"
#include "game_fixture.h"
#include "monsters/monster.h"
#include "scenery_fixture.h"

namespace {

int g_endedAt = 0;

// Title, play walking and shooting, a pause, every monster killed (or, without models, a fall), title, quit.
void Autopilot(int swaps) {
    using platform::Key;
    if (swaps > 110 && g_inTitle && g_endedAt == 0) g_endedAt = swaps;
    script::HoldKey(Key::Enter, swaps == 1 || swaps == 2);
    script::HoldKey(Key::Up, swaps >= 3 && g_endedAt == 0);
    script::HoldKey(Key::Control, swaps >= 3 && g_endedAt == 0);
    script::HoldKey(Key::Escape, swaps == 60 || g_endedAt != 0);
    if (swaps == 80 && !g_monsters.empty()) StillBulletAt(g_monsters[0]->position);  // a hit, an explosion
    if (swaps == 100) {
        for (auto& m : g_monsters) m->hitPoints = 0;
        script::SetFrameCost(100);  // a shorter victory lap in frames
    }
    if (swaps == 110 && !g_inTitle) g_camera.Place(-100, -100, -100, -100, -100, -101, 0, 1, 0);
}

}  // namespace

// With every asset, each missing in turn, or none (each named, in start-up's order), play runs to the end.
TEST(WholeGame, PlaysThroughAndQuitsWithZeroWithEachAssetMissingInTurnOrAll) {
    std::vector<std::string> missing = {""};
    missing.insert(missing.end(), std::begin(kDataFiles), std::end(kDataFiles));
    missing.push_back("*");
    for (const std::string& name : missing) {
        SCOPED_TRACE(name);
        script::Reset();
        script::SetWindowSize(200, 150);
        script::SetFrameCost(20);
        script::OnSwap(Autopilot);
        g_endedAt = 0;
        ResetProgramState();
        ScratchDir dir;
        if (name != "*") LinkGeneratedData(dir, name);
        const std::string err = Stderr([] { EXPECT_EQ(ProgramMain(), 0); });
        EXPECT_GT(g_endedAt, 0) << "never got back to the title";
        EXPECT_EQ(script::CountLog("dialog Orvanthe lev 0|&Resume|&Quit|Game Paused"), 1);
        EXPECT_TRUE(g_monsters.empty() && g_bullets.empty());
        const auto& log = script::Log();
        EXPECT_TRUE(std::count(log.begin(), log.end(), "sound close") == 1 && log.back() == "window destroy");
        if (name == "*") {
            size_t at = 0;
            for (auto file = std::begin(kDataFiles); file + 1 != std::end(kDataFiles); ++file) {
                at = err.find(std::string("data/") + *file, at);
                ASSERT_NE(at, std::string::npos) << *file << " missing or out of order in:\n" << err;
            }
        } else if (!name.empty()) {
            EXPECT_NE(err.find("data/" + name + ": cannot open"), std::string::npos) << err;
        } else {
            EXPECT_EQ(err, "");
            EXPECT_EQ(script::CountLog("dialog Orvanthe lev 0|&New Game|&Quit|You win"), 1);
            EXPECT_EQ(script::CountLog("sound play data/explode.wav"), 1);
            EXPECT_EQ(script::CountLog("sound stream data/wpqce.wav loop"), 1);
        }
    }
    script::OnSwap(nullptr);
}

// Live allocations through every form of operator new (so ASan's never reach our free); Mesa's heap swings.
namespace {
std::atomic<long> g_liveNews{0};
void* CountedNew(size_t n) noexcept {
    void* p = std::malloc(n ? n : 1);
    if (p) g_liveNews.fetch_add(1, std::memory_order_relaxed);
    return p;
}
void* OrThrow(void* p) { return p ? p : throw std::bad_alloc(); }
void CountedDelete(void* p) noexcept {
    if (!p) return;
    g_liveNews.fetch_sub(1, std::memory_order_relaxed);
    std::free(p);
}
}  // namespace
void* operator new(size_t n) { return OrThrow(CountedNew(n)); }
void* operator new[](size_t n) { return OrThrow(CountedNew(n)); }
void* operator new(size_t n, const std::nothrow_t&) noexcept { return CountedNew(n); }
void* operator new[](size_t n, const std::nothrow_t&) noexcept { return CountedNew(n); }
void operator delete(void* p) noexcept { CountedDelete(p); }
void operator delete[](void* p) noexcept { CountedDelete(p); }
void operator delete(void* p, size_t) noexcept { CountedDelete(p); }
void operator delete[](void* p, size_t) noexcept { CountedDelete(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { CountedDelete(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { CountedDelete(p); }

namespace {
// GL objects of one kind alive now. Names are not reused, so count them all.
int LiveNames(GLboolean (*isName)(GLuint)) {
    const GLuint list = glGenLists(1);
    glDeleteLists(list, 1);
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glDeleteTextures(1, &texture);
    int live = 0;
    for (GLuint name = 1; name < std::max(list, texture); ++name) live += isName(name) ? 1 : 0;
    return live;
}

// Everything the game holds; on the title, with no bullet or burst alive, the same every cycle unless leaked.
struct Census {
    long news;
    int textures, lists;
};
Census Take() { return {g_liveNews, LiveNames(glIsTexture), LiveNames(glIsList)}; }

constexpr int kCycle = 1000;  // frames: 20 s of play, then a fall
// A pixel short of a quarter turn: straight up or down, as close as a player gets.
constexpr int kQuarterTurnPixels = 7853;
size_t g_mostBullets = 0;
Vector3 g_eyeBeforeStep;
std::vector<float> g_steps;
std::vector<Census> g_census;

// LEFT and CONTROL held, a quarter up, a quarter down, a step, a fall; bursts in sleeping monster 0.
void SoakCycle(int swaps) {
    using platform::Key;
    script::ClearLog();  // the test's own record would grow otherwise
    const int phase = swaps % kCycle;
    // Swap 0 is the fall dialog's, 1 the title frame's, which let the bullets go.
    if (phase == 1) g_census.push_back(Take());
    script::HoldKey(Key::Enter, phase == 1);
    script::HoldKey(Key::Control, phase > 0);
    script::HoldKey(Key::Left, phase > 0);
    script::HoldKey(Key::Up, phase == kCycle - 3);
    if (phase == 300 || phase == 800) script::MoveMouse(0, -kQuarterTurnPixels);
    if (phase == 550 || phase == 551) script::MoveMouse(0, kQuarterTurnPixels);
    if (phase == 10 && !g_monsters.empty()) StillBulletAt(g_monsters[0]->position);
    for (auto& m : g_monsters) m->huntDelay.start = script::Now();
    g_mostBullets = std::max(g_mostBullets, g_bullets.size());
    if (phase == kCycle - 3) g_eyeBeforeStep = g_camera.position;
    if (phase == kCycle - 2)
        g_steps.push_back(std::hypot(g_camera.position.x - g_eyeBeforeStep.x, g_camera.position.z - g_eyeBeforeStep.z));
    if (phase == kCycle - 1) g_camera.Place(-50, -100, -50, -50, -100, -51, 0, 1, 0);  // fall: new game
}

}  // namespace

// Ten cycles of play, a tick a frame: no allocation or GL name piles up, bullets always leave, walking stays 4 a
// tick.
TEST(Soak, LongPlayKeepsMemoryBulletsAndSpeedLevel) {
    g_settings.maxFps = 50;
    script::Reset();
    script::SetFrameCost(20);
    ScratchDir dir;
    LinkGeneratedData(dir, "");
    std::string error;
    ASSERT_TRUE(OpenGameWindow(160, 120, &error)) << error;
    InitGame();
    for (auto& m : g_monsters) m->huntDelay.armed = true;
    g_mostBullets = 0;
    g_steps.clear();
    g_census.clear();
    g_census.reserve(16);  // no allocation of its own during the count
    script::OnSwap(SoakCycle);
    int code = 0;
    // A box's waits are passes without a swap: ten cycles take a few passes more than ten thousand.
    for (int pass = 1; g_steps.size() < 10 && pass <= 11 * kCycle; ++pass)
        ASSERT_TRUE(MainLoopPass(&code)) << "quit at pass " << pass;
    script::OnSwap(nullptr);
    ShutdownGame();
    platform::DestroyMainWindow();
    g_settings.maxFps = 0;

    // Any shot leaves within 6.5 s: at one every 720 ms, ten in flight, and the one standing in monster 0.
    EXPECT_LE(g_mostBullets, 11u);
    ASSERT_EQ(g_steps.size(), 10u);
    for (float step : g_steps) EXPECT_NEAR(step, 4.0f, 0.01f) << "walking speed drifts";
    // The first cycle fills caches; one leak a cycle would add eight from the second to the last.
    ASSERT_GE(g_census.size(), 10u);
    const Census &early = g_census[1], &late = g_census.back();
    EXPECT_LT(late.news - early.news, 4) << "allocations pile up";
    EXPECT_LE(late.textures, early.textures) << "texture objects pile up";
    EXPECT_LE(late.lists, early.lists) << "display lists pile up";
}
