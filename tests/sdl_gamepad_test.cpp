// Gamepads through the real SDL backend: a virtual pad of SDL's own is
// plugged in and out while the game runs, and its buttons and sticks drive
// the real frame driver. Runs with the backend's other tests under Xvfb.
#include <gtest/gtest.h>

#include <SDL.h>

#include <string>

#include "app/flow.h"
#include "app/program.h"
#include "camera/camera.h"
#include "core/state.h"
#include "platform/input.h"
#include "platform/sdl/sdl_state.h"
#include "platform/window.h"

namespace {

class SdlGamepad : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProgramState();
        PlaceCameraAtStart();
        std::string error;
        ASSERT_TRUE(OpenGameWindow(kWindowWidth, kWindowHeight, &error)) << error;
        // SDL drops pad presses while none of its windows has the focus.
        const Uint32 deadline = SDL_GetTicks() + 5000;
        while (SDL_GetKeyboardFocus() == nullptr && SDL_GetTicks() < deadline) {
            platform::PumpInput();
            SDL_Delay(10);
        }
        ASSERT_NE(SDL_GetKeyboardFocus(), nullptr) << "the window never got the focus";
    }
    void TearDown() override {
        Unplug();
        platform::DestroyMainWindow();
    }

    // A pad with every button and axis of the game-controller layout, so
    // SDL maps it one to one.
    void PlugIn() {
        SDL_VirtualJoystickDesc desc;
        SDL_zero(desc);
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        desc.axis_mask = (1u << SDL_CONTROLLER_AXIS_MAX) - 1;
        desc.button_mask = (1u << SDL_CONTROLLER_BUTTON_MAX) - 1;
        desc.name = "test pad";
        index_ = SDL_JoystickAttachVirtualEx(&desc);
        ASSERT_GE(index_, 0) << SDL_GetError();
        joystick_ = SDL_JoystickOpen(index_);
        ASSERT_NE(joystick_, nullptr) << SDL_GetError();
        platform::PumpInput();
    }
    void Unplug() {
        if (!joystick_) return;
        SDL_JoystickClose(joystick_);
        SDL_JoystickDetachVirtual(index_);
        joystick_ = nullptr;
        platform::PumpInput();
    }
    void Button(SDL_GameControllerButton button, bool down) {
        SDL_JoystickSetVirtualButton(joystick_, button, down ? 1 : 0);
        platform::PumpInput();
    }
    void Axis(SDL_GameControllerAxis axis, Sint16 value) {
        SDL_JoystickSetVirtualAxis(joystick_, axis, value);
        platform::PumpInput();
    }
    void Frame() {
        platform::PumpInput();
        RunFrame();
    }

    int index_ = -1;
    SDL_Joystick* joystick_ = nullptr;
};

}  // namespace

// Plugged in while the game runs, the pad's buttons and axes read through;
// pulled out, it is closed and they read as let go.
TEST_F(SdlGamepad, APadPluggedInWorksAndPulledOutLetsGo) {
    using platform::Key;
    EXPECT_FALSE(platform::IsKeyDown(Key::PadA));
    PlugIn();
    const std::pair<SDL_GameControllerButton, Key> buttons[] = {{SDL_CONTROLLER_BUTTON_A, Key::PadA},
                                                                {SDL_CONTROLLER_BUTTON_B, Key::PadB},
                                                                {SDL_CONTROLLER_BUTTON_START, Key::PadStart},
                                                                {SDL_CONTROLLER_BUTTON_BACK, Key::PadBack}};
    for (const auto& [button, key] : buttons) {
        Button(button, true);
        EXPECT_TRUE(platform::IsKeyDown(key)) << int(key);
        for (const auto& [other, otherKey] : buttons)
            if (other != button) {
                EXPECT_FALSE(platform::IsKeyDown(otherKey)) << int(otherKey);
            }
        Button(button, false);
        EXPECT_FALSE(platform::IsKeyDown(key)) << int(key);
    }
    Axis(SDL_CONTROLLER_AXIS_LEFTY, -32768);
    Axis(SDL_CONTROLLER_AXIS_RIGHTX, 16384);
    Axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767);
    platform::PadAxes axes = platform::GetPadAxes();
    EXPECT_FLOAT_EQ(axes.leftY, -1.0f);
    EXPECT_NEAR(axes.rightX, 0.5f, 0.001f);
    EXPECT_FLOAT_EQ(axes.rightTrigger, 1.0f);
    EXPECT_FLOAT_EQ(axes.leftX, 0.0f);

    Button(SDL_CONTROLLER_BUTTON_A, true);
    EXPECT_EQ(platform::sdl::GetState().pads.size(), 1u);
    Unplug();
    EXPECT_EQ(platform::sdl::GetState().pads.size(), 0u) << "a pad pulled out stays open";
    EXPECT_FALSE(platform::IsKeyDown(Key::PadA));
    axes = platform::GetPadAxes();
    EXPECT_EQ(axes.leftY, 0.0f);
    EXPECT_EQ(axes.rightTrigger, 0.0f);

    // And again: a second plug-in is seen as well.
    PlugIn();
    Button(SDL_CONTROLLER_BUTTON_A, true);
    EXPECT_TRUE(platform::IsKeyDown(Key::PadA));
}

// Start leaves the title, the left stick walks and turns, the right stick
// looks and the trigger fires; Back on the title quits.
TEST_F(SdlGamepad, APadPlaysTheGame) {
    PlugIn();
    Frame();
    ASSERT_TRUE(g_inTitle);
    Button(SDL_CONTROLLER_BUTTON_START, true);
    Frame();
    Frame();
    EXPECT_FALSE(g_inTitle);
    Button(SDL_CONTROLLER_BUTTON_START, false);

    const Vector3 start = g_camera.position;
    Axis(SDL_CONTROLLER_AXIS_LEFTY, -32768);
    Frame();
    EXPECT_FLOAT_EQ(g_camera.position.z, start.z - 4.0f) << "one walking step forward";
    Axis(SDL_CONTROLLER_AXIS_LEFTY, 0);

    Vector3 view = g_camera.target - g_camera.position;
    Axis(SDL_CONTROLLER_AXIS_LEFTX, 32767);
    Frame();
    Axis(SDL_CONTROLLER_AXIS_LEFTX, 0);
    EXPECT_GT((g_camera.target - g_camera.position).x, view.x) << "turned right";

    view = g_camera.target - g_camera.position;
    Axis(SDL_CONTROLLER_AXIS_RIGHTY, -32768);
    Frame();
    Axis(SDL_CONTROLLER_AXIS_RIGHTY, 0);
    EXPECT_GT((g_camera.target - g_camera.position).y, view.y) << "looked up";

    EXPECT_FALSE(g_fireTimer.armed);
    Axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767);
    Frame();
    EXPECT_TRUE(g_fireTimer.armed) << "the trigger pulled the fire timer";
    Axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 0);

    g_inTitle = true;
    Button(SDL_CONTROLLER_BUTTON_BACK, true);
    Frame();
    platform::Message message;
    bool quit = false;
    while (platform::PollMessage(&message))
        if (message.type == platform::MessageType::Quit) quit = true;
    EXPECT_TRUE(quit) << "Back on the title did not quit";
}
