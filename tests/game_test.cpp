// Whole runs of the program on the generated assets and the scripted
// backend, an autopilot holding keys frame by frame; a long soak in which
// memory, the bullets in flight and the walking speed must stay level.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "game_fixture.h"
#include "monsters/monster.h"
#include "world/explosion.h"

namespace {

const char* const kDataFiles[] = {
    "f.glf",   "t1.bmp",       "grass.bmp",      "va.bmp",    "vb.bmp",      "tris2.md2", "model.bmp",
    "sky.bmp", "particle.bmp", "bulletFire.wav", "wpqce.wav", "explode.wav", "ugh.wav",
};

// A scratch directory whose data/ links to every generated file but one.
void LinkDataExcept(ScratchDir& dir, const std::string& missing) {
    for (const char* name : kDataFiles) {
        if (missing == name) continue;
        const std::string from = std::string(ORVANTHE_DATA_DIR) + "/" + name;
        const std::string to = dir.path() + "/data/" + name;
        ASSERT_EQ(symlink(from.c_str(), to.c_str()), 0) << to;
    }
}

int g_endedAt = 0;

// Title, play with walking and shooting, a pause, every monster killed (or,
// without models, a walk off the edge), the title again, quit.
void Autopilot(int swaps) {
    using platform::Key;
    if (swaps == 1) script::HoldKey(Key::Enter, true);
    if (swaps == 3) {
        script::HoldKey(Key::Enter, false);
        script::HoldKey(Key::Up, true);
        script::HoldKey(Key::Control, true);
    }
    if (swaps == 60) script::HoldKey(Key::Escape, true);
    if (swaps == 61) script::HoldKey(Key::Escape, false);
    if (swaps == 80 && !g_monsters.empty()) {
        // A bullet standing inside monster 0: a hit, an explosion.
        const Vector3 at = g_monsters[0]->position;
        g_bullets.push_back(std::make_unique<Bullet>());
        g_bullets.back()->Aim(Vector3(at.x, at.y - 10, at.z), Vector3(at.x, at.y - 10, at.z));
    }
    if (swaps == 100) {
        for (auto& m : g_monsters) m->hitPoints = 0;
        script::SetFrameCost(100);  // a shorter victory lap in frames
    }
    if (swaps == 110 && !g_inTitle) g_camera.Place(-100, -100, -100, -100, -100, -101, 0, 1, 0);
    if (swaps > 110 && g_inTitle && g_endedAt == 0) {
        g_endedAt = swaps;
        script::ReleaseAllKeys();
        script::HoldKey(Key::Escape, true);
    }
}

class WholeGame : public ::testing::Test {
protected:
    void SetUp() override {
        script::Reset();
        script::SetWindowSize(200, 150);
        script::SetFrameCost(20);
        script::OnSwap(Autopilot);
        g_endedAt = 0;
        ResetProgramState();
    }
    void TearDown() override { script::OnSwap(nullptr); }
};

}  // namespace

// With every asset, then with each missing in turn (the file is named),
// then with none (every file start-up reads is named, those given up on
// unread too, in its fixed order): the game still plays through, pauses,
// gets back to the title and releases everything.
TEST_F(WholeGame, PlaysThroughAndQuitsWithZeroWithEachAssetMissingInTurnOrAll) {
    std::vector<std::string> missing = {""};
    missing.insert(missing.end(), std::begin(kDataFiles), std::end(kDataFiles));
    missing.push_back("*");
    for (const std::string& name : missing) {
        SCOPED_TRACE(name);
        SetUp();
        ScratchDir dir;
        if (name != "*") LinkDataExcept(dir, name);
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(ProgramMain(), 0);
        const std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_GT(g_endedAt, 0) << "never got back to the title";
        EXPECT_EQ(script::CountLog("dialog Orvanthe lev 0|&Resume|&Quit|Game Paused"), 1);
        EXPECT_TRUE(g_monsters.empty() && g_bullets.empty());
        const auto& log = script::Log();
        EXPECT_TRUE(std::count(log.begin(), log.end(), "sound close") == 1 && log.back() == "window destroy");
        if (name == "*") {
            const char* order[] = {"f.glf",     "grass.bmp", "t1.bmp",         "va.bmp",    "vb.bmp",      "model.bmp",
                                   "tris2.md2", "sky.bmp",   "bulletFire.wav", "wpqce.wav", "explode.wav", "ugh.wav"};
            size_t at = 0;
            for (const char* file : order) {
                at = err.find(std::string("data/") + file, at);
                ASSERT_NE(at, std::string::npos) << file << " missing or out of order in:\n" << err;
            }
        } else if (!name.empty()) {
            EXPECT_NE(err.find("data/" + name + ": cannot open"), std::string::npos) << err;
        } else {
            EXPECT_EQ(err, "");
            EXPECT_EQ(script::CountLog("dialog Orvanthe lev 0|&New Game|&Quit|You win"), 1);
            EXPECT_GT(script::CountLog("sound play data/bulletFire.wav"), 0);
            EXPECT_EQ(script::CountLog("sound play data/explode.wav"), 1);
            EXPECT_EQ(script::CountLog("sound stream data/wpqce.wav loop"), 1);
        }
    }
}

// Live allocations made through operator new, counted for the whole test
// program. Everything the game makes goes through it (bullets, bursts,
// particles, pixels, models); Mesa's C heap and the allocator's own
// bookkeeping, which swing by a megabyte with timing and load, do not.
// Every form is replaced: under AddressSanitizer the nothrow and array
// forms would otherwise be its own, and their memory would reach our free.
namespace {
std::atomic<long> g_liveNews{0};
void* CountedNew(size_t n) {
    void* p = std::malloc(n ? n : 1);
    if (!p) throw std::bad_alloc();
    g_liveNews.fetch_add(1, std::memory_order_relaxed);
    return p;
}
void CountedDelete(void* p) noexcept {
    if (!p) return;
    g_liveNews.fetch_sub(1, std::memory_order_relaxed);
    std::free(p);
}
}  // namespace
void* operator new(size_t n) { return CountedNew(n); }
void* operator new[](size_t n) { return CountedNew(n); }
void* operator new(size_t n, const std::nothrow_t&) noexcept {
    try {
        return CountedNew(n);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](size_t n, const std::nothrow_t& t) noexcept { return operator new(n, t); }
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
GLboolean IsTexture(GLuint name) { return glIsTexture(name); }
GLboolean IsList(GLuint name) { return glIsList(name); }

// What one live bullet and one live burst hold, measured, not assumed.
struct Costs {
    long bulletNews, burstNews;
    int burstTextures;
};
Costs MeasureCosts() {
    const long news = g_liveNews;
    auto bullet = std::make_unique<Bullet>();
    const long afterBullet = g_liveNews;
    const int textures = LiveNames(IsTexture);
    auto burst = std::make_unique<Explosion>(0.0f, 0.0f, 0.0f);
    return {afterBullet - news, g_liveNews - afterBullet, LiveNames(IsTexture) - textures};
}

// Everything the game holds beyond its live bullets and bursts; the same
// at the same point of every cycle unless something leaks.
struct Census {
    long news;
    int textures, lists;
};
Census Take(const Costs& k) {
    const long bullets = long(g_bullets.size()), bursts = long(g_explosions.size());
    return {g_liveNews - bullets * k.bulletNews - bursts * k.burstNews,
            LiveNames(IsTexture) - int(bursts) * k.burstTextures, LiveNames(IsList)};
}

constexpr int kCycle = 1000;  // frames: 20 s of play, then a fall
// Pitch by a pixel less than a quarter turn: straight up or down, as close
// as a player gets.
constexpr int kQuarterTurnPixels = 7853;
size_t g_mostBullets = 0;
Vector3 g_eyeBeforeStep;
std::vector<float> g_steps;

// LEFT and CONTROL held all cycle, straight up for a quarter, straight down
// for a quarter; one step forward, then off the edge into a new game. A
// bullet standing in monster 0 brings explosions; monsters are kept from
// waking, so no catch cuts a cycle short.
void SoakCycle(int swaps) {
    using platform::Key;
    script::ClearLog();  // the test's own record would grow otherwise
    const int phase = swaps % kCycle;
    // Swap 0 is the fall dialog's own, 1 ends the fall's frame; a title
    // frame follows before ENTER starts play.
    script::HoldKey(Key::Enter, phase == 2);
    script::HoldKey(Key::Control, phase > 1);
    script::HoldKey(Key::Left, phase > 1);
    script::HoldKey(Key::Up, phase == kCycle - 3);
    if (phase == 300 || phase == 800) script::MoveMouse(0, -kQuarterTurnPixels);
    if (phase == 550 || phase == 551) script::MoveMouse(0, kQuarterTurnPixels);
    if (phase == 10 && !g_monsters.empty()) {
        g_bullets.push_back(std::make_unique<Bullet>());
        const Vector3 at = g_monsters[0]->position;
        g_bullets.back()->Aim(Vector3(at.x, at.y - 10, at.z), Vector3(at.x, at.y - 10, at.z));
    }
    for (auto& m : g_monsters) m->huntDelay.start = script::Now();
    g_mostBullets = std::max(g_mostBullets, g_bullets.size());
    if (phase == kCycle - 3) g_eyeBeforeStep = g_camera.position;
    if (phase == kCycle - 2)
        g_steps.push_back(std::hypot(g_camera.position.x - g_eyeBeforeStep.x, g_camera.position.z - g_eyeBeforeStep.z));
    if (phase == kCycle - 1) g_camera.Place(-50, -100, -50, -50, -100, -51, 0, 1, 0);  // fall: new game
}

}  // namespace

// Ten cycles of 20 s of turning, shooting straight ahead, up and down,
// bursts and a new game, in a small window. Per cycle, nothing the game
// allocates or names in GL piles up (Mesa's own heap and the allocator's
// bookkeeping swing by a megabyte with timing and load, so the raw heap
// says nothing); bullets always leave; walking stays 4 units a frame.
TEST(Soak, LongPlayKeepsMemoryBulletsAndSpeedLevel) {
    script::Reset();
    script::SetFrameCost(20);
    ScratchDir dir;
    LinkDataExcept(dir, "");
    std::string error;
    ASSERT_TRUE(OpenGameWindow(160, 120, &error)) << error;
    InitGame();
    for (auto& m : g_monsters) m->huntDelay.armed = true;
    const Costs costs = MeasureCosts();
    g_mostBullets = 0;
    g_steps.clear();
    script::OnSwap(SoakCycle);
    int code = 0;
    std::vector<Census> census;
    for (int pass = 1; pass <= 10 * kCycle; ++pass) {
        ASSERT_TRUE(MainLoopPass(&code)) << "quit at pass " << pass;
        if (pass % kCycle == 0) census.push_back(Take(costs));
    }
    script::OnSwap(nullptr);
    ShutdownGame();
    platform::DestroyMainWindow();

    // Whichever way it flies, a shot leaves within 6.5 s: at one shot every
    // 720 ms, ten in flight at most, and the one standing in monster 0.
    EXPECT_LE(g_mostBullets, 11u);
    ASSERT_EQ(g_steps.size(), 10u);
    for (float step : g_steps) EXPECT_NEAR(step, 4.0f, 0.01f) << "walking speed drifts";
    // The first cycle fills caches and lists; a leak of one allocation or
    // one texture a cycle would add eight from the second to the last.
    const Census &early = census[1], &late = census.back();
    EXPECT_LT(late.news - early.news, 4) << "allocations pile up";
    EXPECT_LE(late.textures, early.textures) << "texture objects pile up";
    EXPECT_LE(late.lists, early.lists) << "display lists pile up";
}

// Into play in a small window, every monster killed; the lap's frames are
// the swaps before the win dialog.
TEST(WinPath, ThreeSecondsOfPlayThenTheWinDialogAndTheTitle) {
    script::Reset();
    ScratchDir dir;
    LinkDataExcept(dir, "");
    std::string error;
    ASSERT_TRUE(OpenGameWindow(200, 150, &error)) << error;
    InitGame();
    RunFrame();
    uint32_t start = 0;
    const auto lapFrames = [&start] {
        script::HoldKey(platform::Key::Enter, true);
        RunFrame();
        script::HoldKey(platform::Key::Enter, false);
        EXPECT_FALSE(g_inTitle);
        for (auto& m : g_monsters) m->hitPoints = 0;
        script::ClearLog();
        start = script::Now();
        RunFrame();
        int swaps = 0;
        for (const std::string& line : script::Log()) {
            if (line.rfind("dialog", 0) == 0) return line.find("You win") != std::string::npos ? swaps : -1;
            if (line == "swap") ++swaps;
        }
        return -1;
    };
    script::SetFrameCost(20);
    EXPECT_EQ(lapFrames(), 150) << "frames at 0, 20, ... 2980 ms";
    EXPECT_EQ(g_victoryStart, start);
    EXPECT_TRUE(g_inTitle);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(g_monsters[size_t(i)]->hitPoints == 20 && g_monsters[size_t(i)]->position.x == kMonsterStarts[i].x);
    EXPECT_EQ(script::CountLog("sound play data/ugh.wav"), 0) << "no sound for a win";
    script::SetFrameCost(5000);
    EXPECT_EQ(lapFrames(), 1) << "a slow clock still draws one lap frame";
    ShutdownGame();
    platform::DestroyMainWindow();
}
