// The world's tick: its random source, and the same world from the same inputs however the frames fall.
#include <gtest/gtest.h>
#include <unistd.h>

#include <vector>

#include "app/flow.h"
#include "core/random.h"
#include "game_fixture.h"
#include "monsters/monster.h"
#include "platform/dialog.h"
#include "text/dialogs.h"
#include "world/explosion.h"

// The C library's numbers on our desktop, so bursts look as they always did, but from a source of the game's own.
TEST(RandomSource, MakesTheDesktopLibrarysSequenceAndCarriesItsWholeStateInACopy) {
    Random one(1), zero(0);
    const int32_t want[] = {1804289383, 846930886, 1681692777, 1714636915, 1957747793};
    for (int32_t w : want) {
        EXPECT_EQ(one.Next(), w);
        EXPECT_EQ(zero.Next(), w) << "a seed of 0 is 1";
    }
    Random seeded(20261207), copy = seeded;
    EXPECT_TRUE(copy == seeded);
    for (int i = 0; i < 1000; ++i) ASSERT_EQ(copy.Next(), seeded.Next()) << i;
    copy.Next();
    EXPECT_TRUE(copy != seeded) << "one number drawn apart tells them apart";
    EXPECT_TRUE(Random(2) != Random(1));
}

namespace {

using platform::Key;

// One scripted game, its inputs given per tick: ENTER, a walk with a look round, a monster put in the line of fire
// and shot dead, a walk backward off the platform (the box that follows starts a new game), ENTER again and a turn.
// At tick kEnd the world's state is written down.
constexpr int kEnd = 520;
std::vector<double> g_endState;
bool g_killed = false;

std::vector<double> WorldState() {
    std::vector<double> s;
    const auto add = [&s](const Vector3& v) { s.insert(s.end(), {v.x, v.y, v.z}); };
    add(g_camera.position), add(g_camera.target), add(g_camera.up);
    for (const auto& m : g_monsters) {
        add(m->position);
        s.insert(s.end(), {double(m->hitPoints), m->heading, double(m->animFrame), double(m->hunting)});
    }
    for (const auto& b : g_bullets) add(b->position);
    for (const auto& e : g_explosions) add(e->particles[0].position);
    Random random = g_random;
    s.insert(s.end(), {double(g_inTitle), double(g_bullets.size()), double(g_explosions.size()), double(random.Next()),
                       double(g_gameTime - g_endState.size())});
    return s;
}

void ScriptedInputs(int tick) {
    const auto hold = [tick](Key key, int from, int to) {
        if (tick == from) script::HoldKey(key, true);
        if (tick == to) script::HoldKey(key, false);
    };
    if (tick == 2 || tick == 450) script::TapKey(Key::Enter);
    hold(Key::Up, 5, 40);
    hold(Key::Right, 50, 62);
    hold(Key::Control, 20, 200);
    if (tick >= 100 && tick < 110) script::MoveMouse(5, 2);
    if (tick == 25) script::MoveMouse(0, 1500);  // looks down at the ground ahead
    if (tick == 90) script::MoveMouse(0, -1500);
    if (tick == 30) {
        // In the line of fire, a short walk ahead, with one hit point left.
        Monster& m = *g_monsters[0];
        const Vector3 ahead = g_camera.position + (g_camera.target - g_camera.position) * 120.0f;
        m.Place(ahead.x, ahead.y, ahead.z);
        m.hitPoints = 1;
    }
    g_killed = g_killed || g_monsters[0]->hitPoints <= 0;
    hold(Key::Down, 250, 430);
    hold(Key::Left, 460, 480);
    if (tick == kEnd) g_endState = WorldState();
}

class Determinism : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        LinkGeneratedData(dir_);
    }
    void TearDown() override {
        script::OnTakePresses(nullptr);
        ShutdownGame();
        GameTest::TearDown();
    }
    // The scripted game from program start, a frame costing `cost` ms of the platform's clock.
    std::vector<double> Play(uint32_t cost) {
        script::Reset(5000);
        script::SetWindowSize(160, 120);
        ResetProgramState();
        std::string error;
        EXPECT_TRUE(OpenGameWindow(kWindowWidth, kWindowHeight, &error)) << error;
        InitGame();
        g_endState.clear();
        g_killed = false;
        script::SetFrameCost(cost);
        script::OnTakePresses(ScriptedInputs);
        // As the loop runs it: a standing box waits for input, where the script answers it.
        for (int frame = 0; g_endState.empty() && frame < 100000; ++frame) {
            RunFrameAt(script::Now());
            if (GameDialogOpen()) platform::WaitForInput(kDialogWaitMs);
        }
        script::OnTakePresses(nullptr);
        ShutdownGame();
        return g_endState;
    }
    ScratchDir dir_;
};

}  // namespace

// The world ends tick for tick in the same state whether the screen draws every 7, 16, 20 or 33 ms: the ticks see
// the same inputs and nothing else.
TEST_F(Determinism, OneScriptedGameEndsTheSameAtEveryFrameCost) {
    const std::vector<double> at20 = Play(20);
    ASSERT_FALSE(at20.empty());
    EXPECT_TRUE(g_killed) << "the monster in the line of fire died";
    EXPECT_EQ(script::CountLog("dialog"), 1) << "the walk off the platform ended the first game";
    EXPECT_FALSE(g_inTitle) << "the second game runs";
    for (uint32_t cost : {7u, 16u, 33u}) EXPECT_EQ(Play(cost), at20) << cost << " ms a frame";
}
