// Whole runs of the program, entry to exit, on the generated assets and the
// scripted backend: an autopilot holds keys frame by frame through title,
// play, pause, a won or lost game and back to the title, then quits. Also
// every asset file missing in turn, and a long soak for memory growth.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <malloc.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/flow.h"
#include "app/program.h"
#include "gl/gl_state.h"
#include "app/startup.h"
#include "game_fixture.h"
#include "monsters/monster.h"
#include "platform/scripted/script.h"
#include "world/explosion.h"

namespace {

const char* const kDataFiles[] = {
    "f.glf",    "t1.bmp",  "grass.bmp",      "va.bmp",     "vb.bmp",      "tris2.md2",  "model.bmp",
    "sky.bmp",  "particle.bmp", "bulletFire.wav", "wpqce.wav", "explode.wav", "ugh.wav",
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
    if (swaps == 110 && !g_inTitle) {
        g_camera.Place(-100, -100, -100, -100, -100, -101, 0, 1, 0);
    }
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

TEST_F(WholeGame, PlaysThroughAndQuitsWithZero) {
    ScratchDir dir;
    LinkDataExcept(dir, "");
    EXPECT_EQ(ProgramMain(), 0);
    EXPECT_EQ(script::CountLog("dialog Orvanthe lev 0|&Resume|&Quit|Game Paused"), 1);
    EXPECT_EQ(script::CountLog("dialog Orvanthe lev 0|&New Game|&Quit|You win"), 1);
    EXPECT_GT(script::CountLog("sound play data/bulletFire.wav"), 0);
    EXPECT_EQ(script::CountLog("sound play data/explode.wav"), 1);
    EXPECT_EQ(script::CountLog("sound stream data/wpqce.wav loop"), 1);
    // Everything was released again.
    EXPECT_TRUE(g_monsters.empty());
    EXPECT_TRUE(g_bullets.empty());
    EXPECT_EQ(script::Log().back(), "window destroy");
}

TEST_F(WholeGame, EveryAssetMissingInTurnStillPlays) {
    for (const char* missing : kDataFiles) {
        SCOPED_TRACE(missing);
        SetUp();
        ScratchDir dir;
        LinkDataExcept(dir, missing);
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(ProgramMain(), 0);
        const std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_GT(g_endedAt, 0) << "never got back to the title";
        EXPECT_EQ(script::CountLog("dialog Orvanthe lev 0|&Resume"), 1);
        EXPECT_NE(err.find(std::string("data/") + missing + ": cannot open"), std::string::npos) << err;
    }
}

TEST_F(WholeGame, StartUpNamesEveryFileItCouldNotUseInItsFixedOrder) {
    ScratchDir dir;  // no data at all
    script::OnSwap([](int swaps) {
        if (swaps == 2) script::HoldKey(platform::Key::Escape, true);
    });
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(ProgramMain(), 0);
    const std::string err = ::testing::internal::GetCapturedStderr();
    // Every file start-up reads is named, those given up on unread too: font,
    // terrain (grass first), overlay, monsters (skin first), sky, sounds.
    const char* order[] = {"data/f.glf",     "data/grass.bmp",      "data/t1.bmp",     "data/va.bmp",
                           "data/vb.bmp",    "data/model.bmp",      "data/tris2.md2",  "data/sky.bmp",
                           "data/bulletFire.wav", "data/wpqce.wav", "data/explode.wav", "data/ugh.wav"};
    size_t at = 0;
    for (const char* name : order) {
        const size_t found = err.find(name, at);
        ASSERT_NE(found, std::string::npos) << name << " missing or out of order in:\n" << err;
        at = found;
    }
    // Sound comes last, after every file above.
    const auto& log = script::Log();
    const auto init = std::find(log.begin(), log.end(), "sound init 44100 32");
    ASSERT_NE(init, log.end());
    EXPECT_EQ(std::count(log.begin(), log.end(), "sound close"), 1);
}

#if !defined(__SANITIZE_ADDRESS__)
namespace {
// GL texture objects alive now. Names are not reused, so count them all.
int LiveTextures() {
    GLuint probe = 0;
    glGenTextures(1, &probe);
    glDeleteTextures(1, &probe);
    int live = 0;
    for (GLuint name = 1; name < probe; ++name) live += glIsTexture(name) ? 1 : 0;
    return live;
}
}  // namespace

// Ten thousand frames of play, shots, explosions and new games in a small
// window: the heap and the GL texture objects must not keep growing.
TEST(Soak, TenThousandFramesDoNotGrowMemory) {
    script::Reset();
    script::SetFrameCost(20);
    ScratchDir dir;
    LinkDataExcept(dir, "");
    std::string error;
    ASSERT_TRUE(OpenGameWindow(160, 120, &error)) << error;
    InitGame();
    script::OnSwap([](int swaps) {
        using platform::Key;
        script::ClearLog();  // the test's own record would grow otherwise
        const int phase = swaps % 400;
        script::HoldKey(Key::Enter, phase == 1);
        script::HoldKey(Key::Control, phase > 2);
        script::HoldKey(Key::Left, phase > 2 && phase < 150);
        script::HoldKey(Key::Up, phase > 150 && phase < 200);
        // A bullet parked inside monster 0 keeps the explosions coming.
        if (phase == 10 && !g_monsters.empty()) {
            g_bullets.push_back(std::make_unique<Bullet>());
            const Vector3 at = g_monsters[0]->position;
            g_bullets.back()->Aim(Vector3(at.x, at.y - 10, at.z), Vector3(at.x, at.y - 10, at.z));
        }
        if (phase == 399) g_camera.Place(-50, -100, -50, -50, -100, -51, 0, 1, 0);  // fall: new game
    });
    int code = 0;
    size_t heapEarly = 0;
    int texturesEarly = 0;
    for (int pass = 1; pass <= 10000; ++pass) {
        ASSERT_TRUE(MainLoopPass(&code)) << "quit at pass " << pass;
        if (pass == 3000) {
            heapEarly = mallinfo2().uordblks;
            texturesEarly = LiveTextures();
        }
    }
    const size_t heapLate = mallinfo2().uordblks;
    // About 200 explosions happen meanwhile, each with its own mipmapped
    // sprite: a leaked one costs tens of kilobytes.
    EXPECT_LT(heapLate, heapEarly + 1024 * 1024) << heapEarly << " -> " << heapLate;
    EXPECT_LE(LiveTextures(), texturesEarly + 2) << "texture objects pile up";
    script::OnSwap(nullptr);
    ShutdownGame();
    platform::DestroyMainWindow();
}
#endif

namespace {

// Start-up on the generated assets in a small window, then into play.
class WinPath : public ::testing::Test {
protected:
    void SetUp() override {
        script::Reset();
        LinkDataExcept(dir_, "");
        std::string error;
        ASSERT_TRUE(OpenGameWindow(200, 150, &error)) << error;
        InitGame();
        RunFrame();
        script::HoldKey(platform::Key::Enter, true);
        RunFrame();
        script::HoldKey(platform::Key::Enter, false);
        ASSERT_FALSE(g_inTitle);
        for (auto& m : g_monsters) m->hitPoints = 0;
        script::ClearLog();
    }
    void TearDown() override {
        ShutdownGame();
        platform::DestroyMainWindow();
    }
    // Swaps logged before the win dialog: the lap's frames.
    int LapFrames() {
        const auto& log = script::Log();
        int swaps = 0;
        for (const std::string& line : log) {
            if (line.rfind("dialog", 0) == 0) return line.find("You win") != std::string::npos ? swaps : -1;
            if (line == "swap") ++swaps;
        }
        return -1;
    }
    ScratchDir dir_;
};

}  // namespace

TEST_F(WinPath, ThreeSecondsOfPlayThenTheWinDialogAndTheTitle) {
    script::SetFrameCost(20);
    const uint32_t start = script::Now();
    RunFrame();
    EXPECT_EQ(LapFrames(), 150) << "frames at 0, 20, ... 2980 ms";
    EXPECT_EQ(g_victoryStart, start);
    EXPECT_TRUE(g_inTitle);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(g_monsters[size_t(i)]->hitPoints, 20);
        EXPECT_EQ(g_monsters[size_t(i)]->position.x, kMonsterStarts[i].x);
    }
    EXPECT_EQ(script::CountLog("sound play data/ugh.wav"), 0) << "no sound for a win";
}

TEST_F(WinPath, ASlowClockStillDrawsOneLapFrame) {
    script::SetFrameCost(5000);
    RunFrame();
    EXPECT_EQ(LapFrames(), 1);
}
