#include <cmath>

#include "game_fixture.h"
#include "platform/input.h"

namespace {

// The camera at its start, the pointer captured and centred.
class MouseLookTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        platform::SetMouseCaptured(true);
        platform::SetCursorPos(platform::kMouseLookX, platform::kMouseLookY);
        script::ClearLog();
    }
    Camera& c = g_camera;
};

}  // namespace

// The operators are exercised by every camera, bullet and explosion test, but not this special case.
TEST(Vector3Math, NormalizingZeroGivesNoNaN) {
    Vector3 zero;
    Normalize(zero);
    EXPECT_FALSE(std::isnan(zero.x) || std::isnan(zero.y) || std::isnan(zero.z));
}

// A pitched view walks more slowly and never changes height.
TEST(CameraMotion, MoveWalksHorizontallyByTheViewVector) {
    Camera c;
    c.Place(0, 10, 0, 0, 10.6f, -0.8f, 0, 1, 0);
    c.Move(4);
    EXPECT_NEAR(Magnitude(c.position - Vector3(0, 10, -3.2f)), 0, 1e-5f);
    EXPECT_NEAR(Magnitude(c.target - Vector3(0, 10.6f, -4.0f)), 0, 1e-5f);
}

TEST_F(MouseLookTest, RightMotionTurnsRightAndReturnsTheCursorNoOrUncapturedMotionNothing) {
    TickLook(c);
    platform::SetMouseCaptured(false);
    script::MoveMouse(300, 0);
    platform::SetMouseCaptured(true);
    TickLook(c);
    EXPECT_NEAR(Magnitude(c.target - Vector3(234, -155, -320)), 0, 3e-5f) << "no turn";
    EXPECT_EQ(script::CountLog("cursor"), 0);

    script::MoveMouse(10, 0);
    TickLook(c);
    const Vector3 v = c.target - c.position;
    EXPECT_NEAR(std::atan2(v.x, -v.z), 0.002, 3e-5);
    EXPECT_EQ(script::LogLines("cursor"), std::vector<std::string>{"cursor 475 300"});
}

TEST_F(MouseLookTest, UpMotionPitchesAndCarriesPastStraightUp) {
    script::MoveMouse(0, -50);
    TickLook(c);
    Vector3 v = c.target - c.position;
    EXPECT_NEAR(std::atan2(v.y, -v.z), 0.01, 3e-5);

    const float a = float(M_PI / 2 - 0.005);  // short of straight up, then a 0.02 rad pitch: 0.015 past it
    c.Place(0, 0, 0, 0, std::sin(a), -std::cos(a), 0, 1, 0);
    script::MoveMouse(0, -100);
    TickLook(c);
    v = c.target - c.position;
    EXPECT_NEAR(std::atan2(v.z, v.y), 0.015, 1e-4);  // now facing back over the head
}

// A step that lands the view exactly vertical (the horizontal part rounds away against the position) must not lock
// it: the mouse still pitches it on over the top, and a key turn up there is the heading the player comes down facing.
TEST_F(MouseLookTest, AViewLandedExactlyVerticalStillTurns) {
    const Vector3 keyTurnAxis(0, 0.8f, 0);
    for (const int keyTurns : {0, 20}) {
        SCOPED_TRACE(keyTurns);
        c.Place(234, -155, -319, 234, -154, -319.002f, 0, 1, 0);
        script::MoveMouse(0, -10);
        TickLook(c);
        ASSERT_EQ(c.target.x, c.position.x);
        ASSERT_EQ(c.target.z, c.position.z) << "the step was meant to land exactly vertical";

        for (int i = 0; i < keyTurns; ++i) c.TurnView(0.03f, keyTurnAxis);
        script::MoveMouse(0, keyTurns ? 50 : -50);  // down again, or on over the top
        TickLook(c);
        const Vector3 v = c.target - c.position;
        if (keyTurns == 0) {
            EXPECT_NEAR(std::atan2(v.z, v.y), 0.01, 1e-3) << "carried over the top, facing back";
            EXPECT_NEAR(v.x, 0, 1e-6);
        } else {
            const double turned = keyTurns * std::atan2(0.8 * std::sin(0.03), std::cos(0.03));
            EXPECT_NEAR(std::atan2(-v.x, -v.z), turned, 1e-3) << "comes down facing where the keys turned";
            EXPECT_NEAR(std::atan2(std::hypot(v.x, v.z), v.y), 0.01, 1e-3);
        }
    }
}
