// The controls beside the arrows and CONTROL: WASD, the left mouse button, a
// gamepad, look sensitivity and invert Y, and M; with the real frame driver.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "camera/camera.h"
#include "core/settings.h"
#include "core/sound.h"
#include "game_fixture.h"

using platform::Key;

namespace {

bool SameBits(const Camera& a, const Camera& b) {
    const auto same = [](const Vector3& p, const Vector3& q) { return std::memcmp(&p, &q, sizeof p) == 0; };
    return same(a.position, b.position) && same(a.target, b.target) && same(a.up, b.up);
}
using Pad = platform::PadAxes;

class Input : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        // Whole frames, many of them, and no pixels read: a small window.
        script::SetWindowSize(160, 120);
        std::string error;
        ASSERT_TRUE(OpenGameWindow(kWindowWidth, kWindowHeight, &error)) << error;
        g_settings = Settings();
        g_muted = false;
        script::SetFrameCost(20);
        scratch_.WriteSounds({"data/bulletFire.wav", "data/wpqce.wav", "data/explode.wav", "data/ugh.wav"});
        StartSound();
    }
    void TearDown() override {
        StopSound();
        g_settings = Settings();
        g_muted = false;
        GameTest::TearDown();
    }

    // The camera after ten frames of play from a fresh start with `key`
    // (Key::Enter: none) and the pad held.
    Camera PlayHolding(Key key, Pad pad = Pad()) {
        g_inTitle = true;
        g_firstFrame = true;
        PlaceCameraAtStart();
        StartPlay();
        if (key != Key::Enter) script::HoldKey(key, true);
        script::SetPadAxes(pad);
        for (int i = 0; i < 10; ++i) RunFrame();
        script::ReleaseAllKeys();
        script::SetPadAxes(Pad());
        return g_camera;
    }

    ScratchDir scratch_;
};

}  // namespace

// Each new control moves the view exactly as the key it stands beside; a
// stick inside its dead zone is no key at all.
TEST_F(Input, WasdAndTheLeftStickWalkAndTurnAsTheArrows) {
    const struct {
        const char* name;
        Key arrow, key;  // Key::Enter: none
        Pad pad;
    } cases[] = {
        {"W", Key::Up, Key::W, {}},
        {"S", Key::Down, Key::S, {}},
        {"A", Key::Left, Key::A, {}},
        {"D", Key::Right, Key::D, {}},
        {"stick forward", Key::Up, Key::Enter, {0, -0.3f}},
        {"stick back", Key::Down, Key::Enter, {0, 1.0f}},
        {"stick left", Key::Left, Key::Enter, {-0.9f, 0}},
        {"stick right", Key::Right, Key::Enter, {0.5f, 0.1f}},
        {"stick resting off centre", Key::Enter, Key::Enter, {0.2f, -0.2f}},
    };
    for (const auto& c : cases) {
        const Camera got = PlayHolding(c.key, c.pad);
        EXPECT_TRUE(SameBits(got, PlayHolding(c.arrow))) << c.name;
        EXPECT_FALSE(c.arrow != Key::Enter && SameBits(got, PlayHolding(Key::Enter))) << c.name << " did nothing";
    }
}

// Every fire control keeps CONTROL's timer and sound: from a disarmed timer,
// two shots in two seconds, at 720 and 1460 ms.
TEST_F(Input, TheMouseButtonPadAAndTriggerFireAsControl) {
    struct Case {
        const char* name;
        std::function<void(bool)> hold;
        int shots;
    };
    const Case cases[] = {
        {"CONTROL", [](bool on) { script::HoldKey(Key::Control, on); }, 2},
        {"left mouse button", [](bool on) { script::HoldKey(Key::MouseLeft, on); }, 2},
        {"pad A", [](bool on) { script::HoldKey(Key::PadA, on); }, 2},
        {"right trigger", [](bool on) { script::SetPadAxes(Pad{0, 0, 0, 0, on ? 0.5f : 0}); }, 2},
        {"trigger barely touched", [](bool on) { script::SetPadAxes(Pad{0, 0, 0, 0, on ? 0.4f : 0}); }, 0},
        {"pad B", [](bool on) { script::HoldKey(Key::PadB, on); }, 0},
    };
    for (const Case& c : cases) {
        g_fireTimer = TickTimer();
        g_bullets.clear();
        g_inTitle = true;
        StartPlay();
        script::ClearLog();
        const uint32_t pressed = script::Now();
        c.hold(true);
        std::vector<uint32_t> shots;
        for (int frame = 0; frame < 100; ++frame) {
            const size_t before = g_bullets.size();
            const uint32_t at = script::Now();
            RunFrame();
            if (g_bullets.size() > before) shots.push_back(at - pressed);
        }
        c.hold(false);
        const auto expected = c.shots ? std::vector<uint32_t>{720, 1460} : std::vector<uint32_t>{};
        EXPECT_EQ(shots, expected) << c.name;
        EXPECT_EQ(script::CountLog("sound play data/bulletFire.wav"), c.shots) << c.name;
    }
}

// Sensitivity and invert Y act as more, or mirrored, mouse motion, to the bit;
// the right stick looks as mouse motion does.
TEST_F(Input, SensitivityInvertAndTheRightStickScaleTheLook) {
    const struct {
        float sensitivity;
        bool invert;
        int dx, dy;
        Pad pad;
        int sameAsDx, sameAsDy;  // plain mouse motion with the same result
    } cases[] = {
        {2.0f, false, 37, -23, {}, 74, -46},
        {0.5f, false, 40, -24, {}, 20, -12},
        {1.0f, true, 37, -23, {}, 37, 23},
        {3.0f, true, -5, 9, {}, -15, -27},
        {1.0f, false, 0, 0, Pad{0, 0, 1.0f, 0}, int(kStickLookPixels), 0},
        {1.0f, true, 0, 0, Pad{0, 0, 0, -1.0f}, 0, int(kStickLookPixels)},
        {1.0f, false, 0, 0, Pad{0, 0, 0.2f, -0.2f}, 0, 0},  // inside the dead zone
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.sensitivity << " " << c.invert << " " << c.dx << "," << c.dy);
        Camera start;  // a little down and to the side, so both turns matter
        start.Place(234, -155, -319, 234.3f, -155.2f, -320, 0, 1, 0);
        g_settings = Settings();
        Camera expected = start;
        platform::SetMouseCaptured(true);
        script::MoveMouse(c.sameAsDx, c.sameAsDy);
        expected.MouseLook();

        g_settings.mouseSensitivity = c.sensitivity;
        g_settings.invertY = c.invert;
        Camera got = start;
        script::MoveMouse(c.dx, c.dy);
        script::SetPadAxes(c.pad);
        script::ClearLog();
        got.MouseLook();
        script::SetPadAxes(Pad());
        EXPECT_TRUE(SameBits(got, expected));
        EXPECT_EQ(script::CountLog("cursor"), c.dx || c.dy ? 1 : 0) << "only mouse motion moves the cursor back";
    }
}

// Start is ENTER on the title and pauses in play, but the press that
// started play does not also pause; Back is ESC on the title only.
TEST_F(Input, StartAndBackOnTheTitleAndInPlay) {
    ReachTitle();
    script::HoldKey(Key::PadStart, true);
    for (int i = 0; i < 5; ++i) RunFrame();
    EXPECT_FALSE(g_inTitle);
    EXPECT_EQ(script::CountLog("dialog"), 0) << "the held Start paused at once";
    script::HoldKey(Key::PadStart, false);
    RunFrame();
    script::HoldKey(Key::PadStart, true);
    RunFrame();
    EXPECT_EQ(script::CountLog("dialog Orvanthe lev 0|&Resume"), 1);
    script::HoldKey(Key::PadStart, false);

    script::HoldKey(Key::PadBack, true);
    RunFrame();
    EXPECT_EQ(script::CountLog("quit"), 0) << "Back in play is nothing";
    g_inTitle = true;
    RunFrame();
    EXPECT_EQ(script::LogLines("quit"), std::vector<std::string>{"quit 0"});
}

// M mutes and unmutes music and effects once per press, on the title and in
// play; the volumes are the settings'. (Start-up's order: the sound tests.)
TEST_F(Input, MTogglesAllSoundOncePerPress) {
    g_settings.musicVolume = 60;
    g_settings.effectsVolume = 80;
    ReachTitle();
    script::ClearLog();
    for (int press = 0; press < 3; ++press) {
        script::HoldKey(Key::M, true);
        for (int i = 0; i < 3; ++i) RunFrame();
        script::HoldKey(Key::M, false);
        RunFrame();
        if (press == 1) g_inTitle = false;
    }
    EXPECT_EQ(script::LogLines("sound volume"),
              (std::vector<std::string>{"sound volume 0 0", "sound volume 60 80", "sound volume 0 0"}));
    EXPECT_TRUE(g_muted);
}
