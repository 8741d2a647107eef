// Monsters through the real frame driver: waking, chasing, the catch, hits, parking, explosions, no model.
#include <algorithm>
#include <cmath>

#include "core/settings.h"
#include "core/sound.h"
#include "game_fixture.h"
#include "md2_builder.h"
#include "monsters/monster.h"
#include "scenery/terrain.h"
#include "world/explosion.h"

namespace {

// Behind the camera (which looks along -z from z = -319): never in view.
Vector3 Behind(int i) { return Vector3(134.0f + 100.0f * float(i), -150.0f, -19.0f); }

class Monsters : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        scratch_.Write("data/model.bmp", Bytes(TwoColourSkin()));
        scratch_.Write("data/tris2.md2", Bytes(BuildMd2(BoxModel())));
        scratch_.Write("data/particle.bmp", Bytes(SolidBmp(4, 4, {255, 255, 255})));
        scratch_.WriteSounds({"data/ugh.wav", "data/explode.wav"});
        StartSound();
        CreateMonsters();
        ASSERT_EQ(g_monsters.size(), 3u);
        for (int i = 0; i < 3; ++i) PlaceAt(i, Behind(i));
        script::SetFrameCost(20);
        StartPlay();
        script::ClearLog();
    }
    void TearDown() override {
        StopSound();
        GameTest::TearDown();
    }

    Monster& M(int i) { return *g_monsters[size_t(i)]; }
    void PlaceAt(int i, Vector3 p) { M(i).Place(p.x, p.y, p.z); }
    ScratchDir scratch_;
};

}  // namespace

// Monsters 1 and 2 stay out of view all along.
TEST_F(Monsters, InViewWakesAfterThreeSecondsThenChasesAndTurnsOutOfViewNever) {
    PlaceAt(0, Vector3(284.0f, -150.0f, -619.0f));
    const uint32_t seen = script::Now();
    RunFrame();
    EXPECT_FLOAT_EQ(M(0).position.y, g_terrain->Height(M(0).position.x, M(0).position.z) + kMonsterLift);
    while (script::Now() - seen <= 3000) {
        RunFrame();
        ASSERT_FALSE(M(0).hunting);
        EXPECT_EQ(M(0).position.x, 284.0f);
    }
    const Vector3 before = M(0).position;
    RunFrame();
    EXPECT_EQ(M(0).animStart, kHuntingAnimation);
    EXPECT_NEAR(M(0).position.x, before.x + 0.01f * (g_camera.position.x - before.x), 1e-3);
    EXPECT_NEAR(M(0).position.z, before.z + 0.01f * (g_camera.position.z - before.z), 1e-3);

    PlayFor(1000);  // then the model's +x, turned by the heading, points at the player
    const float h = M(0).heading * 3.14159265f / 180.0f;
    Vector3 to = g_camera.position - M(0).position;
    EXPECT_GT((std::cos(h) * to.x - std::sin(h) * to.z) / std::hypot(to.x, to.z), 0.999f);
    for (int i = 1; i < 3; ++i) {
        EXPECT_FALSE(M(i).huntDelay.armed || M(i).hunting);
        EXPECT_EQ(M(i).position.y, Behind(i).y) << "not even lifted onto the terrain";
    }
}

// On an axis, or with nothing to aim at, the heading (12.5) stays.
TEST(MonsterHeading, FollowsTheFlatDirectionToTheTarget) {
    const float cases[][3] = {{3, -4, 53.16f}, {1, 1, 314.98f}, {-1, -1, 135.07f}, {0, -5, 12.5f}, {5, 0, 12.5f}};
    for (const auto& c : cases)
        for (float y : {0.0f, -300.0f}) {
            Monster m;
            m.heading = 12.5f;
            m.toTarget = Vector3(c[0], y, c[1]);
            m.UpdateHeading();
            EXPECT_NEAR(m.heading, c[2], 0.01f) << c[0] << ", " << y << ", " << c[1];
        }
}

TEST_F(Monsters, ACatchPlaysUghShowsTheDialogResetsAndShowsTheTitle) {
    M(0).hunting = true;  // two monsters on the player in one frame: one catch, one dialog
    M(2).hitPoints = 3;
    PlaceAt(0, g_camera.position);
    PlaceAt(1, g_camera.position);
    M(0).heading = 12.5f;  // monster 0 aims at nothing, the others at 45 degrees: the reset must not turn them
    for (int i : {1, 2}) M(i).toTarget = Vector3(1, 0, -1);
    RunFrame();
    EXPECT_EQ(script::CountLog("sound play data/ugh.wav"), 1);
    ASSERT_EQ(script::CountLog("dialog"), 1);
    EXPECT_NE(script::LogLines("dialog")[0].find("The monster got you"), std::string::npos);
    EXPECT_TRUE(g_inTitle);
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(M(i).position.x == kMonsterStarts[i].x && M(i).position.z == kMonsterStarts[i].z) << i;
        EXPECT_TRUE(M(i).hitPoints == kNewGameHitPoints && !M(i).hunting) << i;
        EXPECT_NEAR(M(i).heading, i == 0 ? 12.5f : 45.02f, 0.01f) << "a waiting monster keeps its heading";
    }
    EXPECT_TRUE(M(0).huntDelay.armed) << "the hunt delay survives a new game";
    EXPECT_EQ(g_camera.position.z, -319.0f);
    RunFrame();
    EXPECT_EQ(script::CountLog("dialog"), 1) << "nothing catches on the title screen";
}

TEST_F(Monsters, SevenHitsKillWithOneDamageTimerForAllMonsters) {
    StillBulletAt(Behind(0));
    StillBulletAt(Behind(1));
    std::vector<uint32_t> hits;
    const uint32_t start = script::Now();
    while (M(0).hitPoints > 0 && script::Now() - start < 10000) {
        const int before = M(0).hitPoints;
        const uint32_t at = script::Now();
        RunFrame();
        if (M(0).hitPoints < before) hits.push_back(at - start);
        EXPECT_TRUE(M(0).hitPoints <= 0 || M(1).hitPoints == kFirstGameHitPoints) << "monster 0 is tested first";
    }
    // Monster 1's overlap in the same frame re-arms the timer: damage in the first frame 500 ms later.
    EXPECT_EQ(hits, (std::vector<uint32_t>{0, 520, 1040, 1560, 2080, 2600, 3120}));
    EXPECT_TRUE(M(0).position.x == kMonsterParking.x && M(0).position.z == kMonsterParking.z) << "parked at once";
    EXPECT_EQ(script::CountLog("sound play data/explode.wav"), 7);

    PlayFor(1000);
    EXPECT_EQ(M(1).hitPoints, kFirstGameHitPoints - 1) << "with monster 0 gone, monster 1 takes the hits";
    EXPECT_EQ(M(0).position.y, kMonsterParking.y) << "and stays parked";
}

TEST_F(Monsters, AnExplosionStartsAtTheHitAndLives800Ms) {
    const Vector3 m = Behind(0);  // flies along -x, reaching monster 0 with this frame's step
    g_bullets.push_back(std::make_unique<Bullet>());
    g_bullets.back()->Aim(Vector3(m.x + 11.0f, m.y - 10.0f, m.z), Vector3(m.x + 10.0f, m.y - 10.0f, m.z));
    const uint32_t hitAt = script::Now();
    RunFrame();
    ASSERT_EQ(g_explosions.size(), 1u);
    EXPECT_EQ(g_explosions[0]->startTick, hitAt);
    // Moved to m.x + 1 this frame, then 0.6 of the direction's x (1) toward the shooter.
    EXPECT_FLOAT_EQ(g_explosions[0]->particles[0].position.x, m.x + 1.6f);
    while (script::Now() - hitAt <= kExplosionLifeMs) {
        RunFrame();
        ASSERT_EQ(g_explosions.size(), 1u) << script::Now() - hitAt;
    }
    RunFrame();
    EXPECT_TRUE(g_explosions.empty());
}

TEST_F(Monsters, MonstersWithoutAModelAreLeftOutOfTheWinTestAndOfPlay) {
    M(0).hitPoints = 0, M(1).hitPoints = 0, M(2).hitPoints = 1;
    EXPECT_FALSE(AllMonstersDefeated());
    M(0).hitPoints = 0, M(1).hitPoints = -3, M(2).hitPoints = 0;
    EXPECT_TRUE(AllMonstersDefeated());
    M(2).hitPoints = 5;
    M(2).ReleaseModel();
    EXPECT_TRUE(AllMonstersDefeated()) << "monster 2 has no model and does not count";
    M(0).ReleaseModel(), M(1).ReleaseModel();
    EXPECT_FALSE(AllMonstersDefeated()) << "no model anywhere: the game cannot be won";

    // Nor are they drawn, hit, moved or catching.
    for (int i = 0; i < 3; ++i) M(i).hitPoints = kFirstGameHitPoints;
    const Vector3 onThePlayer = g_camera.position;
    PlaceAt(0, onThePlayer);
    M(0).hunting = true;
    StillBulletAt(Behind(1));
    PlayFor(2000);
    EXPECT_TRUE(script::CountLog("dialog") == 0 && M(1).hitPoints == kFirstGameHitPoints && g_explosions.empty());
    EXPECT_TRUE(M(0).position.y == onThePlayer.y && M(0).position.z == onThePlayer.z) << "not lifted, not moved";
}

// The lap's frames are the swaps before the win dialog: at 0, 20, ... 2980 ms; a slow clock still draws one.
// The lap is 150 ticks of play however long a frame takes (as three seconds of frames it was one frame when a
// frame took five seconds).
TEST_F(Monsters, AWinRunsA150TickLapThenTheDialogAndANewGameOnTheTitle) {
    for (uint32_t cost : {20u, 5000u}) {
        for (int i = 0; i < 3; ++i) M(i).hitPoints = 0;
        script::SetFrameCost(cost);
        script::ClearLog();
        for (int i = 0; i < kVictoryLapTicks; ++i) RunFrame();
        EXPECT_EQ(script::CountLog("dialog"), 0) << "the lap still runs";
        EXPECT_FALSE(g_inTitle);
        RunFrame();
        const auto log = script::Log();
        const auto dialog =
            std::find_if(log.begin(), log.end(), [](const std::string& l) { return l.rfind("dialog", 0) == 0; });
        ASSERT_NE(dialog, log.end());
        EXPECT_NE(dialog->find("You win"), std::string::npos);
        EXPECT_EQ(std::count(log.begin(), dialog, "swap"), kVictoryLapTicks) << "the kill's frame and the lap's";
        EXPECT_EQ(script::CountLog("sound play data/ugh.wav"), 0) << "no sound for a win";
        for (int i = 0; i < 3; ++i)
            EXPECT_TRUE(M(i).hitPoints == kNewGameHitPoints && M(i).position.x == kMonsterStarts[i].x) << i;
        EXPECT_TRUE(g_inTitle);
        StartPlay();
    }
}

// A pad in hand shakes lightly as a shot leaves and harder as a shot hits; not without a pad or with rumble off.
TEST_F(Monsters, APadRumblesOnEachShotAndEachHitUnlessTurnedOff) {
    using platform::PadLayout;
    const std::vector<std::string> kShot{"rumble 0.15 0.35 80"}, kHit{"rumble 0.55 0.75 160"}, kNone;
    struct Restore {
        ~Restore() { g_settings = Settings(); }
    } restore;
    const std::tuple<PadLayout, bool, bool> cases[] = {
        {PadLayout::Xbox, true, true},
        {PadLayout::Nintendo, true, true},
        {PadLayout::None, true, false},
        {PadLayout::PlayStation, false, false},
    };
    for (const auto& [layout, setting, felt] : cases) {
        SCOPED_TRACE(std::to_string(int(layout)) + (setting ? " rumble on" : " rumble off"));
        script::SetPadLayout(layout);
        g_settings.rumble = setting;
        g_bullets.clear();
        script::ClearLog();
        script::HoldKey(platform::Key::Control, true);
        for (int frames = 0; g_bullets.empty() && frames < 50; ++frames) RunFrame();
        script::HoldKey(platform::Key::Control, false);
        ASSERT_EQ(g_bullets.size(), 1u) << "a shot left";
        EXPECT_EQ(script::LogLines("rumble"), felt ? kShot : kNone);

        // Flying away from the monsters, the shot hits none; a bullet left beside one does.
        script::ClearLog();
        const int before = M(0).hitPoints;
        StillBulletAt(Behind(0));
        for (int frames = 0; M(0).hitPoints == before && frames < 50; ++frames) RunFrame();
        ASSERT_EQ(M(0).hitPoints, before - 1);
        EXPECT_EQ(script::LogLines("rumble"), felt ? kHit : kNone);
    }
}
