// WASD, the left mouse button, a gamepad, look sensitivity, invert Y and M, through the real frame driver.
#include <gtest/gtest.h>

#include <cstring>

#include "camera/camera.h"
#include "core/settings.h"
#include "core/sound.h"
#include "game_fixture.h"

using platform::Key;

namespace {

bool SameBits(const Camera& a, const Camera& b) { return std::memcmp(&a, &b, sizeof a) == 0; }
using Pad = platform::PadAxes;

class PlayerInput : public GameTest {
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
        g_settings = Settings();
        g_muted = false;
        GameTest::TearDown();
    }

    // The camera after ten frames of play from a fresh start with `key` (Key::Enter: none) and the pad held.
    Camera PlayHolding(Key key, Pad pad = Pad()) {
        g_inTitle = true;
        PlaceCameraAtStart();
        StartPlay();
        script::SetPadAxes(pad);
        Press({key}, 10);
        script::SetPadAxes(Pad());
        return g_camera;
    }

    ScratchDir scratch_;
};

}  // namespace

// Each new control moves the view exactly as the key it stands beside; a stick in its dead zone is no key.
TEST_F(PlayerInput, WasdAndTheLeftStickWalkAndTurnAsTheArrows) {
    const struct {
        const char* name;
        Key arrow, key;  // Key::Enter: none
        float stickX, stickY;
    } cases[] = {{"W", Key::Up, Key::W, 0, 0},
                 {"S", Key::Down, Key::S, 0, 0},
                 {"A", Key::Left, Key::A, 0, 0},
                 {"D", Key::Right, Key::D, 0, 0},
                 {"stick forward", Key::Up, Key::Enter, 0, -0.3f},
                 {"stick back", Key::Down, Key::Enter, 0, 1.0f},
                 {"stick left", Key::Left, Key::Enter, -0.9f, 0},
                 {"stick right", Key::Right, Key::Enter, 0.5f, 0.1f},
                 {"stick resting off centre", Key::Enter, Key::Enter, 0.2f, -0.2f}};
    for (const auto& c : cases) {
        const Camera got = PlayHolding(c.key, Pad{c.stickX, c.stickY});
        EXPECT_TRUE(SameBits(got, PlayHolding(c.arrow))) << c.name;
        EXPECT_FALSE(c.arrow != Key::Enter && SameBits(got, PlayHolding(Key::Enter))) << c.name << " did nothing";
    }
}

// Every fire control keeps CONTROL's timer and sound: from a disarmed timer, two shots in two seconds.
TEST_F(PlayerInput, TheMouseButtonPadAAndTriggerFireAsControl) {
    const struct {
        const char* name;
        Key key;  // Key::Enter: none
        float trigger;
        int shots;
    } cases[] = {{"CONTROL", Key::Control, 0, 2}, {"left mouse button", Key::MouseLeft, 0, 2},
                 {"pad A", Key::PadA, 0, 2},      {"right trigger", Key::Enter, 0.5f, 2},
                 {"pad B", Key::PadB, 0, 0},      {"trigger barely touched", Key::Enter, 0.4f, 0}};
    for (const auto& c : cases) {
        g_fireTimer = TickTimer();
        g_inTitle = true;
        StartPlay();
        script::ClearLog();
        const uint32_t pressed = script::Now();
        script::HoldKey(c.key, true);
        script::SetPadAxes(Pad{0, 0, 0, 0, c.trigger});
        std::vector<uint32_t> shots;
        for (int frame = 0; frame < 100; ++frame) {
            const size_t before = g_bullets.size();
            const uint32_t at = script::Now();
            RunFrame();
            if (g_bullets.size() > before) shots.push_back(at - pressed);
        }
        script::ReleaseAllKeys();
        script::SetPadAxes(Pad());
        const auto expected = c.shots ? std::vector<uint32_t>{720, 1460} : std::vector<uint32_t>{};
        EXPECT_EQ(shots, expected) << c.name;
        EXPECT_EQ(script::CountLog("sound play data/bulletFire.wav"), c.shots) << c.name;
    }
}

// Sensitivity and invert Y act as more, or mirrored, mouse motion, to the bit; the right stick as motion.
TEST_F(PlayerInput, SensitivityInvertAndTheRightStickScaleTheLook) {
    const struct {
        float sensitivity;
        bool invert;
        int dx, dy;
        Pad pad;
        int sameAsDx, sameAsDy;  // plain mouse motion with the same result
    } cases[] = {{2.0f, false, 37, -23, {}, 74, -46},
                 {1.0f, true, 37, -23, {}, 37, 23},
                 {1.0f, false, 0, 0, Pad{0, 0, 1.0f, 0}, int(kStickLookPixels), 0},
                 {1.0f, true, 0, 0, Pad{0, 0, 0, -1.0f}, 0, int(kStickLookPixels)},
                 {1.0f, false, 0, 0, Pad{0, 0, 0.2f, -0.2f}, 0, 0}};  // the last inside the dead zone
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.sensitivity << " " << c.invert << " " << c.dx << "," << c.dy);
        Camera start;  // a little down and to the side, so both turns matter
        start.Place(234, -155, -319, 234.3f, -155.2f, -320, 0, 1, 0);
        g_settings = Settings();
        Camera expected = start;
        platform::SetMouseCaptured(true);
        script::MoveMouse(c.sameAsDx, c.sameAsDy);
        TickLook(expected);

        g_settings.mouseSensitivity = c.sensitivity;
        g_settings.invertY = c.invert;
        Camera got = start;
        script::MoveMouse(c.dx, c.dy);
        script::SetPadAxes(c.pad);
        script::ClearLog();
        TickLook(got);
        script::SetPadAxes(Pad());
        EXPECT_TRUE(SameBits(got, expected));
        EXPECT_EQ(script::CountLog("cursor"), c.dx || c.dy ? 1 : 0) << "only mouse motion moves the cursor back";
    }
}

// Start is ENTER on the title and pauses in play, but not with the press that started it; Back is title ESC, and the
// top face button (Y) opens the options there.
TEST_F(PlayerInput, StartAndBackOnTheTitleAndInPlay) {
    ReachTitle();
    Press({Key::PadStart}, 5);
    EXPECT_FALSE(g_inTitle);
    EXPECT_EQ(script::CountLog("dialog"), 0) << "the held Start paused at once";
    RunFrame();
    Press({Key::PadStart});
    EXPECT_EQ(script::CountLog("dialog Orvanthe lev 0|&Resume"), 1);

    Press({Key::PadBack});
    EXPECT_EQ(script::CountLog("quit"), 0) << "Back in play is nothing";
    g_inTitle = true;
    Press({Key::PadB});
    EXPECT_EQ(script::CountLog("quit"), 0) << "B on the title is nothing";
    Press({Key::PadBack});
    EXPECT_EQ(script::LogLines("quit"), std::vector<std::string>{"quit 0"});
}

// M mutes and unmutes music and effects once per press, on the title and in play, to the settings' volumes.
TEST_F(PlayerInput, MTogglesAllSoundOncePerPress) {
    g_settings.musicVolume = 60;
    g_settings.effectsVolume = 80;
    ReachTitle();
    script::ClearLog();
    for (int press = 0; press < 3; ++press) {
        Press({Key::M}, 3);
        RunFrame();
        if (press == 1) g_inTitle = false;
    }
    EXPECT_EQ(script::LogLines("sound volume"),
              (std::vector<std::string>{"sound volume 0 0", "sound volume 60 80", "sound volume 0 0"}));
    EXPECT_TRUE(g_muted);
}

// A press and release between two frames (a quick finger on a slow frame) acts once: ENTER on the title, M, F11, ESC
// in play; two taps of a toggle between frames are there and back.
TEST_F(PlayerInput, ATapBetweenTwoFramesActsOnce) {
    ReachTitle();
    script::ClearLog();
    script::TapKey(Key::Enter);
    RunFrame();
    EXPECT_FALSE(g_inTitle) << "ENTER tapped on the title";

    script::TapKey(Key::M);
    RunFrame();
    RunFrame();
    EXPECT_EQ(script::LogLines("sound volume"), std::vector<std::string>{"sound volume 0 0"});

    script::TapKey(Key::F11);
    RunFrame();
    script::TapKey(Key::F11);
    script::TapKey(Key::F11);
    RunFrame();
    EXPECT_EQ(script::LogLines("fullscreen"), std::vector<std::string>{"fullscreen on"});
    EXPECT_TRUE(platform::IsFullscreen());

    script::TapKey(Key::Escape);
    RunFrame();
    RunFrame();
    EXPECT_EQ(script::CountLog("dialog Orvanthe lev 0|&Resume"), 1) << "ESC tapped in play pauses once";
}
