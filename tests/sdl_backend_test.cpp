// The SDL backend on a real X server (tests/e2e/sdl_backend.sh runs this under Xvfb). Keys are pressed with
// XTest on SDL's own connection: after XSync they wait in its queue, so only the game's pumping decides what
// SDL has seen, not timing.
#include <gtest/gtest.h>

#include <string>

#include "app/flow.h"
#include "app/program.h"
#include "app/startup.h"
#include "camera/camera.h"
#include "core/state.h"
#include "platform/input.h"
#include "platform/window.h"

// Last: Xlib's macros (None, Bool, ...) would break the headers above.
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

// Without a window manager SDL focuses the window itself; keys and pad presses reach it once SDL has seen that.
void OpenFocusedWindow() {
    ResetProgramState();
    std::string error;
    ASSERT_TRUE(OpenGameWindow(kWindowWidth, kWindowHeight, &error)) << error;
    const Uint32 deadline = SDL_GetTicks() + 5000;
    while (SDL_GetKeyboardFocus() == nullptr && SDL_GetTicks() < deadline) {
        platform::PumpInput();
        SDL_Delay(10);
    }
    ASSERT_NE(SDL_GetKeyboardFocus(), nullptr) << "the window never got the keyboard focus";
}

namespace {

class SdlBackend : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(OpenFocusedWindow());
        SDL_SysWMinfo info;
        SDL_VERSION(&info.version);
        ASSERT_TRUE(SDL_GetWindowWMInfo(SDL_GL_GetCurrentWindow(), &info)) << SDL_GetError();
        ASSERT_EQ(info.subsystem, SDL_SYSWM_X11) << "run under an X server";
        display_ = info.info.x11.display;
    }
    void TearDown() override {
        for (KeySym key : {XK_Up, XK_Down}) Press(key, false);
        platform::PumpInput();
        platform::DestroyMainWindow();
    }

    void Press(KeySym key, bool down) {
        XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, key), down ? True : False, CurrentTime);
        XSync(display_, False);
    }

    Display* display_ = nullptr;
};

}  // namespace

// UP is held when the last monster dies, released with DOWN pressed during the lap: the lap is a state of the main
// loop, whose pass pumps SDL's events, so its ticks read the keys as they are now and walk back.
TEST_F(SdlBackend, KeysStayLiveDuringTheVictoryLap) {
    Press(XK_Up, true);
    platform::PumpInput();
    ASSERT_TRUE(platform::IsKeyDown(platform::Key::Up));
    Press(XK_Up, false);
    Press(XK_Down, true);
    ASSERT_TRUE(platform::IsKeyDown(platform::Key::Up)) << "nothing pumped yet: SDL still has UP held";

    PlaceCameraAtStart();
    g_firstFrame = true;
    g_inTitle = false;
    g_lapTicksLeft = kVictoryLapTicks;
    int code = 0;
    ASSERT_TRUE(MainLoopPass(&code));
    EXPECT_EQ(g_lapTicksLeft, kVictoryLapTicks - 1);
    EXPECT_FALSE(platform::IsKeyDown(platform::Key::Up));
    EXPECT_TRUE(platform::IsKeyDown(platform::Key::Down));
    EXPECT_GT(g_camera.position.z, kCameraStart.z) << "the lap walked forward on a released UP";
}

// Real key events: a press and release pumped together count one press though the key reads up; Alt+Enter is an
// ENTER with Alt; a latch drops what was not yet taken.
TEST_F(SdlBackend, PressesAreCountedFromTheEventQueue) {
    using platform::Key;
    platform::TakePresses();
    Press(XK_Return, true);
    Press(XK_Return, false);
    Press(XK_Escape, true);
    Press(XK_Escape, false);
    // SDL takes a release and press in the same millisecond for key repeat.
    platform::PumpInput();
    Press(XK_Escape, true);
    Press(XK_Escape, false);
    platform::PumpInput();
    EXPECT_FALSE(platform::IsKeyDown(Key::Enter));
    platform::Presses p = platform::TakePresses();
    EXPECT_EQ(p.Of(Key::Enter), 1);
    EXPECT_EQ(p.WithAlt(Key::Enter), 0);
    EXPECT_EQ(p.Of(Key::Escape), 2);
    EXPECT_EQ(platform::TakePresses().Of(Key::Escape), 0) << "taken once";

    Press(XK_Alt_L, true);
    Press(XK_Return, true);
    Press(XK_Return, false);
    Press(XK_Alt_L, false);
    platform::PumpInput();
    p = platform::TakePresses();
    EXPECT_EQ(p.WithAlt(Key::Enter), 1);
    EXPECT_EQ(p.WithoutAlt(Key::Enter), 0);

    Press(XK_F11, true);
    Press(XK_F11, false);
    platform::PumpInput();
    platform::LatchHeldKeys();
    EXPECT_EQ(platform::TakePresses().Of(Key::F11), 0);
}

// Every key reads as its own, and one of a pair as the pair too: what a binding to "Right Ctrl", "Page Up" or "F"
// reads, and what the game's own CONTROL and ENTER still read.
TEST_F(SdlBackend, EachKeyReadsAsItselfAndOneOfAPairAsThePair) {
    using platform::Key;
    const struct {
        KeySym sym;
        Key key, pair;
    } cases[] = {{XK_Control_R, Key::RightControl, Key::Control},
                 {XK_Control_L, Key::LeftControl, Key::Control},
                 {XK_KP_Enter, Key::KeypadEnter, Key::Enter},
                 {XK_Page_Up, Key::PageUp, Key::PageUp},
                 {XK_f, Key::F, Key::F},
                 {XK_space, Key::Space, Key::Space},
                 {XK_KP_5, Key::Keypad5, Key::Keypad5}};
    for (const auto& c : cases) {
        platform::TakePresses();
        Press(c.sym, true);
        platform::PumpInput();
        EXPECT_TRUE(platform::IsKeyDown(c.key)) << platform::KeyIdentifier(c.key);
        EXPECT_TRUE(platform::IsKeyDown(c.pair)) << platform::KeyIdentifier(c.key);
        EXPECT_FALSE(platform::IsKeyDown(Key::Alt)) << platform::KeyIdentifier(c.key);
        Press(c.sym, false);
        platform::PumpInput();
        EXPECT_FALSE(platform::IsKeyDown(c.key)) << platform::KeyIdentifier(c.key);
        const platform::Presses p = platform::TakePresses();
        EXPECT_EQ(p.Of(c.key), 1) << platform::KeyIdentifier(c.key);
        EXPECT_EQ(p.Of(c.pair), 1) << platform::KeyIdentifier(c.key);
        int others = 0;
        for (int k = 0; k < platform::kKeyCount; ++k)
            if (Key(k) != c.key && Key(k) != c.pair) others += p.Of(Key(k));
        EXPECT_EQ(others, 0) << platform::KeyIdentifier(c.key);
    }
}

namespace {

// A window on the video driver named, not the one the environment picks.
class SdlVsync : public ::testing::Test {
protected:
    void TearDown() override {
        platform::DestroyMainWindow();
        SDL_ResetHint(SDL_HINT_VIDEODRIVER);
    }
};

}  // namespace

// The answer is the driver's swap interval, not the request: Xvfb's GLX refuses every interval (and may one day
// not), SDL's offscreen driver refuses the adaptive one, so only the plain one makes it wait. Without a window
// nothing waits and no rate is known.
TEST_F(SdlVsync, OnWaitsOnlyWhereTheDriverTakesIt) {
    const struct {
        const char* driver;
        int waits;  // what the driver makes of "on": 1 or 0, -1 for whatever it says
    } cases[] = {{"x11", -1}, {"offscreen", 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.driver);
        SDL_SetHint(SDL_HINT_VIDEODRIVER, c.driver);
        std::string error;
        ASSERT_TRUE(platform::CreateMainWindow("vsync", 320, 240, &error)) << error;
        ASSERT_STREQ(SDL_GetCurrentVideoDriver(), c.driver);
        for (bool on : {true, false, true, false}) {
            const bool waits = platform::SetVsync(on);
            EXPECT_EQ(waits, SDL_GL_GetSwapInterval() != 0) << "on " << on;
            if (c.waits >= 0) {
                EXPECT_EQ(waits, on && c.waits == 1) << "on " << on;
            }
            platform::SwapWindowBuffers();
        }
        EXPECT_GE(platform::RefreshRate(), 0);
        platform::DestroyMainWindow();
        EXPECT_FALSE(platform::SetVsync(true));
        EXPECT_EQ(platform::RefreshRate(), 0);
    }
}
