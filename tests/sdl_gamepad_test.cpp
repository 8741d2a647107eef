// Gamepads through the real SDL backend (under Xvfb): SDL's virtual pad plugged in and out while the game runs.
#include <gtest/gtest.h>

#include <SDL.h>

#include "platform/input.h"
#include "platform/sdl/sdl_state.h"
#include "platform/window.h"

void OpenFocusedWindow();  // sdl_backend_test.cpp

namespace {

using platform::Key;
using platform::PadAxes;

class SdlGamepad : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(OpenFocusedWindow()); }
    void TearDown() override {
        Unplug();
        platform::DestroyMainWindow();
    }

    // Every button and axis of the game-controller layout, so SDL maps it one to one.
    void PlugIn() {
        SDL_VirtualJoystickDesc desc{};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
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

    int index_ = -1;
    SDL_Joystick* joystick_ = nullptr;
};

}  // namespace

// Each button and axis reads through as its own; pulled out, the pad is closed and they read as let go.
TEST_F(SdlGamepad, APadPluggedInWorksAndPulledOutLetsGo) {
    PlugIn();
    const std::pair<SDL_GameControllerButton, Key> buttons[] = {{SDL_CONTROLLER_BUTTON_A, Key::PadA},
                                                                {SDL_CONTROLLER_BUTTON_B, Key::PadB},
                                                                {SDL_CONTROLLER_BUTTON_START, Key::PadStart},
                                                                {SDL_CONTROLLER_BUTTON_BACK, Key::PadBack}};
    for (const auto& [button, key] : buttons) {
        Button(button, true);
        EXPECT_TRUE(platform::IsKeyDown(key)) << int(key);
        Button(button, false);
        EXPECT_FALSE(platform::IsKeyDown(key)) << int(key);
    }
    const std::tuple<SDL_GameControllerAxis, float PadAxes::*, Sint16, float> axes[] = {
        {SDL_CONTROLLER_AXIS_LEFTX, &PadAxes::leftX, 32767, 1.0f},
        {SDL_CONTROLLER_AXIS_LEFTY, &PadAxes::leftY, -32768, -1.0f},
        {SDL_CONTROLLER_AXIS_RIGHTX, &PadAxes::rightX, 16384, 0.5f},
        {SDL_CONTROLLER_AXIS_RIGHTY, &PadAxes::rightY, -32768, -1.0f},
        {SDL_CONTROLLER_AXIS_TRIGGERRIGHT, &PadAxes::rightTrigger, 32767, 1.0f}};
    for (const auto& [axis, field, raw, read] : axes) {
        Axis(axis, raw);
        for (const auto& other : axes)
            EXPECT_NEAR(platform::GetPadAxes().*std::get<1>(other), std::get<0>(other) == axis ? read : 0.0f, 0.001f)
                << axis << " " << std::get<0>(other);
        Axis(axis, 0);
    }

    Axis(SDL_CONTROLLER_AXIS_LEFTY, -32768);
    Button(SDL_CONTROLLER_BUTTON_A, true);
    Unplug();
    EXPECT_EQ(platform::sdl::GetState().pads.size(), 0u) << "a pad pulled out stays open";
    EXPECT_FALSE(platform::IsKeyDown(Key::PadA));
    EXPECT_EQ(platform::GetPadAxes().leftY, 0.0f);

    // And again: a second plug-in is seen as well.
    PlugIn();
    Button(SDL_CONTROLLER_BUTTON_A, true);
    EXPECT_TRUE(platform::IsKeyDown(Key::PadA));
}
