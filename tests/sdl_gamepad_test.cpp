// Gamepads through the real SDL backend (under Xvfb): SDL's virtual pad plugged in and out while the game runs,
// in the guise of each maker's pads, named and shaken.
#include <gtest/gtest.h>

#include <SDL.h>

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "app/program.h"
#include "core/pad_names.h"
#include "core/settings.h"
#include "core/state.h"
#include "platform/input.h"
#include "platform/sdl/sdl_state.h"
#include "platform/window.h"
#include "text/glf_font.h"

void OpenFocusedWindow();  // sdl_backend_test.cpp

namespace {

using platform::Key;
using platform::PadAxes;
using platform::PadLayout;

// A maker's pad as SDL tells them apart: by the USB vendor and product.
struct Identity {
    const char* name;
    Uint16 vendor, product;
};
constexpr Identity kPlainVirtual{"Virtual pad", 0, 0};
constexpr Identity kDualShock4{"DualShock 4", 0x054c, 0x09cc};
constexpr Identity kSwitchPro{"Switch Pro Controller", 0x057e, 0x2009};

// What a pad's motors were last told, as SDL hands it to the device.
struct Motors {
    int calls = 0;
    Uint16 low = 0, high = 0;
};
int SDLCALL RecordRumble(void* userdata, Uint16 low, Uint16 high) {
    auto* motors = static_cast<Motors*>(userdata);
    ++motors->calls;
    motors->low = low;
    motors->high = high;
    return 0;
}

struct VirtualPad {
    SDL_Joystick* joystick = nullptr;
    Motors* motors = nullptr;
};

class SdlGamepad : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(OpenFocusedWindow()); }
    void TearDown() override {
        while (!pads_.empty()) Unplug(pads_.size() - 1);
        platform::DestroyMainWindow();
    }

    // Every button and axis of the game-controller layout, so SDL maps it one to one. Returns the pad's number.
    size_t PlugIn(const Identity& who = kPlainVirtual) {
        auto* motors = new Motors;
        SDL_VirtualJoystickDesc desc{};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        desc.vendor_id = who.vendor;
        desc.product_id = who.product;
        desc.name = who.name;
        desc.userdata = motors;
        desc.Rumble = RecordRumble;
        const int index = SDL_JoystickAttachVirtualEx(&desc);
        EXPECT_GE(index, 0) << SDL_GetError();
        SDL_Joystick* joystick = SDL_JoystickOpen(index);
        EXPECT_NE(joystick, nullptr) << SDL_GetError();
        pads_.push_back({joystick, motors});
        platform::PumpInput();
        return pads_.size() - 1;
    }
    // Device numbers shift as pads go: the pad is found by its instance.
    void Unplug(size_t pad = 0) {
        if (pad >= pads_.size()) return;
        const VirtualPad gone = pads_[pad];
        pads_.erase(pads_.begin() + long(pad));
        if (gone.joystick) {
            const SDL_JoystickID id = SDL_JoystickInstanceID(gone.joystick);
            SDL_JoystickClose(gone.joystick);
            for (int i = 0; i < SDL_NumJoysticks(); ++i)
                if (SDL_JoystickGetDeviceInstanceID(i) == id) SDL_JoystickDetachVirtual(i);
        }
        delete gone.motors;
        platform::PumpInput();
    }
    void Button(SDL_GameControllerButton button, bool down, size_t pad = 0) {
        SDL_JoystickSetVirtualButton(pads_[pad].joystick, button, down ? 1 : 0);
        platform::PumpInput();
    }
    void Axis(SDL_GameControllerAxis axis, Sint16 value, size_t pad = 0) {
        SDL_JoystickSetVirtualAxis(pads_[pad].joystick, axis, value);
        platform::PumpInput();
    }
    // A press and release: the pad in use.
    void Use(size_t pad) {
        Button(SDL_CONTROLLER_BUTTON_Y, true, pad);
        Button(SDL_CONTROLLER_BUTTON_Y, false, pad);
    }
    const Motors& MotorsOf(size_t pad) const { return *pads_[pad].motors; }

    std::vector<VirtualPad> pads_;
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

namespace {
// The names a player reads for the bottom, right, left and top buttons, Back, Start, the shoulders and the right
// trigger.
std::vector<std::string> NamesOn(PadLayout layout) {
    std::vector<std::string> names;
    for (Key key : {Key::PadA, Key::PadB, Key::PadX, Key::PadY, Key::PadBack, Key::PadStart, Key::PadLeftShoulder,
                    Key::PadRightShoulder})
        names.push_back(PadButtonLabel(key, layout));
    names.push_back(PadAxisLabel(PadAxisName::RightTrigger, layout));
    return names;
}
}  // namespace

// Each maker's pad, as SDL knows it by its ids, names its buttons as they are printed on it.
TEST_F(SdlGamepad, EachMakersPadNamesItsButtonsAsPrinted) {
    EXPECT_EQ(platform::GetPadLayout(), PadLayout::None) << "no pad yet";
    using Names = std::vector<std::string>;
    const std::tuple<Identity, PadLayout, Names> cases[] = {
        {kPlainVirtual, PadLayout::Xbox, {"A", "B", "X", "Y", "Back", "Start", "LB", "RB", "RT"}},
        {{"DualShock 3", 0x054c, 0x0268},
         PadLayout::PlayStation,
         {"Cross", "Circle", "Square", "Triangle", "Share", "Options", "L1", "R1", "R2"}},
        {kDualShock4,
         PadLayout::PlayStation,
         {"Cross", "Circle", "Square", "Triangle", "Share", "Options", "L1", "R1", "R2"}},
        {{"DualSense", 0x054c, 0x0ce6},
         PadLayout::PlayStation,
         {"Cross", "Circle", "Square", "Triangle", "Share", "Options", "L1", "R1", "R2"}},
        {kSwitchPro, PadLayout::Nintendo, {"B", "A", "Y", "X", "-", "+", "L", "R", "ZR"}},
        {{"Joy-Con (L)", 0x057e, 0x2006}, PadLayout::Nintendo, {"B", "A", "Y", "X", "-", "+", "L", "R", "ZR"}},
    };
    for (const auto& [who, layout, names] : cases) {
        SCOPED_TRACE(who.name);
        PlugIn(who);
        EXPECT_EQ(platform::GetPadLayout(), layout);
        EXPECT_EQ(NamesOn(platform::GetPadLayout()), names);
        // Its bottom button still reads as the game's A, whatever is printed on it.
        Button(SDL_CONTROLLER_BUTTON_A, true);
        EXPECT_TRUE(platform::IsKeyDown(Key::PadA));
        Button(SDL_CONTROLLER_BUTTON_A, false);
        Unplug();
        EXPECT_EQ(platform::GetPadLayout(), PadLayout::None);
    }
}

// With two pads the names follow the one last used: a button pressed or a stick moved well off centre; a stick
// resting off centre does not take them. When it goes, the first pad left names them.
TEST_F(SdlGamepad, TheNamesFollowThePadLastUsed) {
    const size_t sony = PlugIn(kDualShock4);
    const size_t nintendo = PlugIn(kSwitchPro);
    EXPECT_EQ(platform::GetPadLayout(), PadLayout::PlayStation) << "the first connected, before either is used";
    Use(nintendo);
    EXPECT_EQ(platform::GetPadLayout(), PadLayout::Nintendo);
    Axis(SDL_CONTROLLER_AXIS_LEFTX, 6000, sony);
    EXPECT_EQ(platform::GetPadLayout(), PadLayout::Nintendo) << "a stick resting off centre";
    Axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 30000, sony);
    EXPECT_EQ(platform::GetPadLayout(), PadLayout::PlayStation);
    Axis(SDL_CONTROLLER_AXIS_RIGHTY, -20000, nintendo);
    EXPECT_EQ(platform::GetPadLayout(), PadLayout::Nintendo);
    Unplug(nintendo);
    EXPECT_EQ(platform::GetPadLayout(), PadLayout::PlayStation);
}

// Every pad connected shakes, each motor as strong as asked, out-of-range strengths held to the motors' range.
TEST_F(SdlGamepad, RumbleReachesEveryPad) {
    platform::Rumble(0.5f, 1.0f, 100);  // no pad: nothing to do, nothing goes wrong
    PlugIn(kDualShock4);
    PlugIn(kSwitchPro);
    const std::tuple<float, float, Uint16, Uint16> cases[] = {
        {0.5f, 1.0f, 32768, 65535}, {0.15f, 0.35f, 9830, 22937}, {-1.0f, 2.0f, 0, 65535}, {NAN, 0.0f, 0, 0}};
    int calls = 0;
    for (const auto& [low, high, lowMotor, highMotor] : cases) {
        SCOPED_TRACE(std::to_string(low) + " " + std::to_string(high));
        platform::Rumble(low, high, 100);
        ++calls;
        for (size_t pad = 0; pad < 2; ++pad) {
            EXPECT_EQ(MotorsOf(pad).calls, calls) << pad;
            EXPECT_EQ(std::make_pair(MotorsOf(pad).low, MotorsOf(pad).high), std::make_pair(lowMotor, highMotor))
                << pad;
        }
    }
}

// A pad alone, on the real backend: its top button opens the options from the title, the D-pad raises the
// sensitivity and its back button leaves; the file holds the new value. Each step waits for its effect, counted in
// passes of the loop, never in time.
TEST_F(SdlGamepad, APadAloneChangesTheSensitivityAndItIsSaved) {
    char dir[] = "/tmp/orvanthe-pad-options-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string path = std::string(dir) + "/settings.ini";
    LoadSettings(path);
    ASSERT_TRUE(g_font.Load(std::string(ORVANTHE_DATA_DIR) + "/f.glf", 0));
    PlugIn();
    g_inTitle = true;
    const auto caption = [] { return std::string(SDL_GetWindowTitle(SDL_GL_GetCurrentWindow())); };
    const auto runUntil = [](const std::function<bool()>& done) {
        int code = 0;
        for (int pass = 0; pass < 500 && !done(); ++pass) EXPECT_TRUE(MainLoopPass(&code));
        return done();
    };
    const auto tap = [this](SDL_GameControllerButton button) {
        Button(button, true);
        Button(button, false);
    };
    platform::TakePresses();  // what the tests before this one pressed
    // The first frame drops presses made before it: the title stands first.
    ASSERT_TRUE(runUntil([] { return g_firstFrame; }));
    tap(SDL_CONTROLLER_BUTTON_Y);
    ASSERT_TRUE(runUntil([&] { return caption() == "Options"; })) << caption();
    tap(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
    ASSERT_TRUE(runUntil([] { return g_settings.mouseSensitivity > 1.0f; }));
    tap(SDL_CONTROLLER_BUTTON_B);
    ASSERT_TRUE(runUntil([&] { return caption() != "Options"; })) << caption();
    EXPECT_TRUE(g_inTitle);
    std::FILE* file = std::fopen(path.c_str(), "r");
    ASSERT_NE(file, nullptr) << "not saved";
    char text[4096] = {};
    text[std::fread(text, 1, sizeof text - 1, file)] = '\0';
    std::fclose(file);
    EXPECT_NE(std::string(text).find("mouse_sensitivity = 1.2\n"), std::string::npos) << text;
    g_font.Release();
    LoadSettings("");
    g_settings = Settings();
    std::remove(path.c_str());
    rmdir(dir);
}
