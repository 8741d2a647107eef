// The options and Controls screens: reached from the title and the pause, worked by keys, clicks or a pad
// alone, saved as they are left, drawn at any aspect.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "box_pixels.h"
#include "core/bindings.h"
#include "core/settings.h"
#include "game_fixture.h"
#include "platform/window.h"
#include "text/controls_screen.h"
#include "text/dialog_ui.h"
#include "text/dialogs.h"
#include "text/glf_font.h"
#include "text/options_screen.h"

namespace {

using platform::Key;

// One action per wait of the screen; past the end the window closes, so a screen that ignores its input still
// ends the test (and says so).
using Step = std::function<void()>;
std::vector<Step> g_steps;
bool g_ranOut = false;
void RunStep(int waits) {
    if (size_t(waits) <= g_steps.size()) return g_steps[size_t(waits) - 1]();
    g_ranOut = true;
    script::QueueMessage({platform::MessageType::Close});
}
Step Down(Key key, bool down = true) {
    return [=] { script::HoldKey(key, down); };
}
Step Up(Key key) { return Down(key, false); }
// Each key down at one wait and up at the next.
std::vector<Step> Taps(const std::vector<Key>& keys) {
    std::vector<Step> steps;
    for (Key key : keys) steps.insert(steps.end(), {Down(key), Up(key)});
    return steps;
}
std::vector<Step> Then(std::vector<Step> a, const std::vector<Step>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
// A click at the middle of r: the pointer there, the button down, then up.
std::vector<Step> Click(const DialogRect& r) {
    const int x = int(r.x + r.width / 2), y = int(r.y + r.height / 2);
    return {[=] { script::SetPointer(x, y); }, Down(Key::MouseLeft), Up(Key::MouseLeft)};
}
Step Stick(float x, float y) {
    return [=] {
        platform::PadAxes axes;
        axes.leftX = x;
        axes.leftY = y;
        script::SetPadAxes(axes);
    };
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

int RowOf(const char* title) {
    int count = 0;
    const OptionRow* rows = OptionRows(&count);
    for (int r = 0; r < count; ++r)
        if (std::string(rows[r].title) == title) return r;
    ADD_FAILURE() << "no row " << title;
    return 0;
}

class Options : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        Fresh();
        scratch_.WriteSounds({"data/bulletFire.wav", "data/wpqce.wav", "data/explode.wav", "data/ugh.wav"});
        StartSound();
        path_ = scratch_.path() + "/settings.ini";
        LoadSettings(path_);
        g_steps.clear();
        g_ranOut = false;
        script::OnWait(RunStep);
    }
    void TearDown() override {
        script::OnWait(nullptr);
        LoadSettings("");
        g_settings = Settings();
        GameTest::TearDown();
    }
    // The program as it starts, with the game's font.
    static void Fresh() {
        StopSound();  // what it loaded, given back before the reset forgets it
        ResetProgramState();
        ASSERT_TRUE(g_font.Load(std::string(ORVANTHE_DATA_DIR) + "/f.glf", 0));
    }
    // What the file says, read as the game reads it.
    Settings Saved() const {
        Settings s;
        EXPECT_EQ(ParseSettings(ReadText(path_), &s), "");
        return s;
    }
    // The title, then `steps` for the options `open` opens, run until they close.
    void OnTitle(Key open, const std::vector<Step>& steps) {
        ReachTitle();
        g_steps = steps;
        Press({open});
    }
    ScratchDir scratch_;
    std::string path_;
};

}  // namespace

// Down and Up again to "Mouse sensitivity", one step up, and out: by the keyboard, the mouse, the pad's D-pad
// and its stick alone. The change is made at once, written once as the screen is left, and the title stands.
TEST_F(Options, KeyboardMouseOrPadAloneRaiseTheSensitivityAndSaveIt) {
    const OptionsLayout l = LayOutOptions(800, 600);
    const int sensitivity = RowOf("Mouse sensitivity"), back = RowOf("Back");
    ASSERT_EQ(sensitivity, 0);
    const struct {
        const char* name;
        Key open;
        std::vector<Step> steps;
    } cases[] = {
        {"keyboard", Key::O, Taps({Key::Down, Key::Up, Key::Right, Key::Escape})},
        {"mouse", Key::O, Then(Click(l.more(sensitivity)), Click(l.button(back)))},
        {"pad", Key::PadY, Taps({Key::PadDpadDown, Key::PadDpadUp, Key::PadDpadRight, Key::PadB})},
        {"stick", Key::PadY,
         Then({Stick(0, 1), Stick(0, 0), Stick(0, -1), Stick(0, 0), Stick(1, 0), Stick(0, 0)}, Taps({Key::PadB}))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::remove(path_.c_str());
        LoadSettings(path_);
        Fresh();
        for (platform::Message left; platform::PollMessage(&left);) {  // a failed case's quit request
        }
        script::ReleaseAllKeys();
        script::ClearLog();
        OnTitle(c.open, c.steps);
        EXPECT_FALSE(g_ranOut) << "the screen was not left";
        EXPECT_FALSE(GameDialogOpen());
        EXPECT_TRUE(g_inTitle);
        EXPECT_EQ(script::CountLog("quit"), 0);
        EXPECT_EQ(script::CountLog("caption Options"), 1);
        EXPECT_FLOAT_EQ(g_settings.mouseSensitivity, 1.2f);
        EXPECT_FLOAT_EQ(Saved().mouseSensitivity, 1.2f) << "the file was not written";
        EXPECT_TRUE(Saved() == g_settings);
    }
}

// Each row steps within its range and says what it holds; the table's stepping is what the rows show.
TEST_F(Options, RowsStepWithinTheirRangesAndApplyAtOnce) {
    const struct {
        const char* row;
        std::vector<Key> keys;
        const char* shows;
        std::function<bool(const Settings&)> holds;
        const char* logged;  // a line the change must have logged, "" none
    } cases[] = {
        {"Music volume",
         {Key::Left, Key::Left},
         "80%",
         [](const Settings& s) { return s.musicVolume == 80; },
         "sound volume 80 100"},
        {"Effects volume", {Key::Right}, "100%", [](const Settings& s) { return s.effectsVolume == 100; }, ""},
        {"Effects volume",
         {Key::Left},
         "90%",
         [](const Settings& s) { return s.effectsVolume == 90; },
         "sound volume 100 90"},
        {"Frame cap", {Key::Right, Key::Right, Key::Right}, "60", [](const Settings& s) { return s.maxFps == 60; }, ""},
        {"Frame cap", {Key::Left}, "Screen rate", [](const Settings& s) { return s.maxFps == 0; }, ""},
        {"Vsync", {Key::Enter}, "Off", [](const Settings& s) { return !s.vsync; }, "vsync off"},
        {"Fullscreen", {Key::Right}, "On", [](const Settings& s) { return s.fullscreen; }, "fullscreen on"},
        {"Stick dead zone",
         {Key::Left, Key::Left, Key::Left, Key::Left, Key::Left},
         "5%",
         [](const Settings& s) { return s.stickDeadZone == 5; },
         ""},
        {"Field of view", {Key::Right}, "50", [](const Settings& s) { return s.fieldOfView == 50.0f; }, ""},
        {"Rumble", {Key::Left}, "Off", [](const Settings& s) { return !s.rumble; }, ""},
        {"Show count and hits", {Key::Enter}, "Off", [](const Settings& s) { return !s.showHud; }, ""},
        {"Invert Y", {Key::PadA}, "On", [](const Settings& s) { return s.invertY; }, ""},
        // A value at the end of its range stays there; ENTER goes round.
        {"Mouse sensitivity", {Key::Enter}, "1.2", [](const Settings& s) { return s.mouseSensitivity == 1.2f; }, ""},
    };
    int count = 0;
    const OptionRow* rows = OptionRows(&count);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row);
        g_settings = Settings();
        script::ReleaseAllKeys();
        script::ClearLog();
        std::vector<Key> keys(size_t(RowOf(c.row)), Key::Down);
        keys.insert(keys.end(), c.keys.begin(), c.keys.end());
        keys.push_back(Key::Escape);
        g_steps = Taps(keys);
        OpenOptionsScreen();
        AnswerDialogFrames();
        EXPECT_FALSE(g_ranOut);
        EXPECT_TRUE(c.holds(g_settings));
        EXPECT_EQ(rows[RowOf(c.row)].show(g_settings), c.shows);
        if (*c.logged) {
            EXPECT_GE(script::CountLog(c.logged), 1) << c.logged;
        }
    }
    // The effects are heard as their volume changes.
    g_settings = Settings();
    script::ReleaseAllKeys();
    script::ClearLog();
    g_steps = Taps({Key::Down, Key::Down, Key::Down, Key::Left, Key::Escape});
    OpenOptionsScreen();
    AnswerDialogFrames();
    EXPECT_EQ(script::CountLog("sound play data/bulletFire.wav"), 1);
}

// "Defaults" puts every setting back, the bindings too, and the window follows.
TEST_F(Options, DefaultsRestoreEverySettingAndTheBindings) {
    g_settings.mouseSensitivity = 3.0f;
    g_settings.vsync = false;
    g_settings.musicVolume = 10;
    Bind(&g_settings.bindings, Action::Fire, 0, Input::OfKey(Key::F));
    g_steps = Taps({Key::Up, Key::Up, Key::Enter, Key::Escape});
    OpenOptionsScreen();
    AnswerDialogFrames();
    EXPECT_TRUE(g_settings == Settings());
    EXPECT_TRUE(Saved() == Settings());
    EXPECT_GE(script::CountLog("vsync"), 1);
    EXPECT_GE(script::CountLog("sound volume 100 100"), 1);
}

// The pause's Options opens the screen over the pause; leaving it brings the pause back, which still resumes
// with ENTER and quits with ESC.
TEST_F(Options, ThePausesOptionsButtonOpensTheScreenAndBackReturnsToThePause) {
    const DialogLayout pause = LayOutDialog(800, 600);
    const OptionsLayout options = LayOutOptions(800, 600);
    const std::vector<Step> viaLeft = Taps({Key::Left, Key::Enter});
    const std::vector<Step> viaClick = Click(pause.buttons[2]);
    const struct {
        const char* name;
        std::vector<Step> steps;
        int quits;
    } cases[] = {
        {"Left, ENTER; ESC; ENTER resumes", Then(viaLeft, Taps({Key::Escape, Key::Enter})), 0},
        {"Left, ENTER; ESC; ESC quits", Then(viaLeft, Taps({Key::Escape, Key::Escape})), 1},
        {"click Options; click Back; ENTER resumes",
         Then(Then(viaClick, Click(options.button(RowOf("Back")))), Taps({Key::Enter})), 0},
        {"pad: Left, A; B; A resumes", Taps({Key::Left, Key::PadA, Key::PadB, Key::PadA}), 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Fresh();
        script::ReleaseAllKeys();
        for (platform::Message left; platform::PollMessage(&left);) {  // the last case's quit request
        }
        StartPlay();
        script::ClearLog();
        // The ESC that paused is let go first.
        g_steps = Then({Up(Key::Escape)}, c.steps);
        Press({Key::Escape});
        EXPECT_FALSE(g_ranOut) << "the pause or the options ignored their input";
        EXPECT_FALSE(GameDialogOpen());
        EXPECT_EQ(script::CountLog("quit"), c.quits);
        const std::vector<std::string> captions = script::LogLines("caption");
        const auto options = std::find(captions.begin(), captions.end(), "caption Options");
        ASSERT_NE(options, captions.end()) << "the options never opened";
        EXPECT_NE(std::find(options, captions.end(), "caption Orvanthe lev 0"), captions.end())
            << "the pause did not come back";
        EXPECT_FALSE(g_inTitle);
    }
}

// Fire bound to F by capture is saved (bindings_test plays it); binding what another action has swaps and says
// so; ESC cancels.
TEST_F(Options, ControlsBindByCaptureSwapOnAConflictAndCancelWithEscape) {
    const std::vector<Key> toControls(size_t(RowOf("Controls")), Key::Down);
    const std::vector<Key> toFire(size_t(Action::Fire), Key::Down);
    std::string fireStatus, swapStatus, cancelStatus;
    g_steps = Then(Taps(toControls), Taps({Key::Enter}));
    g_steps = Then(g_steps, Taps(toFire));
    // Fire's first key: F.
    g_steps = Then(g_steps, Taps({Key::Enter, Key::F}));
    g_steps.push_back([&] { fireStatus = GameOptionsScreen().Controls().Status(); });
    // Fire's second key: M, Mute's.
    g_steps = Then(g_steps, Taps({Key::Right, Key::Enter, Key::M}));
    g_steps.push_back([&] { swapStatus = GameOptionsScreen().Controls().Status(); });
    // A capture cancelled leaves the slot.
    g_steps = Then(g_steps, Taps({Key::Enter}));
    g_steps.push_back([] { EXPECT_TRUE(GameOptionsScreen().Controls().Capturing()); });
    g_steps = Then(g_steps, Taps({Key::Escape}));
    g_steps.push_back([&] { cancelStatus = GameOptionsScreen().Controls().Status(); });
    g_steps = Then(g_steps, Taps({Key::Escape, Key::Escape}));
    const Input keyF = Input::OfKey(Key::F), keyM = Input::OfKey(Key::M);
    const Input wasMute = g_settings.bindings.At(Action::Mute, Device::Keyboard, 0);
    const Input wasFire2 = g_settings.bindings.At(Action::Fire, Device::Keyboard, 1);
    ASSERT_TRUE(wasMute == keyM);
    OnTitle(Key::O, g_steps);
    EXPECT_FALSE(g_ranOut);
    EXPECT_TRUE(g_inTitle);
    const Bindings& b = g_settings.bindings;
    EXPECT_TRUE(b.At(Action::Fire, Device::Keyboard, 0) == keyF);
    EXPECT_TRUE(b.At(Action::Fire, Device::Keyboard, 1) == keyM);
    EXPECT_TRUE(b.At(Action::Mute, Device::Keyboard, 0) == wasFire2) << "Mute took what Fire's slot held";
    EXPECT_EQ(fireStatus, "Fire: F");
    EXPECT_EQ(swapStatus, "M was Mute's: swapped");
    EXPECT_EQ(cancelStatus, "Cancelled: Fire is as it was");
    EXPECT_TRUE(Saved().bindings == b) << "the bindings were not saved";
}

// The mouse alone on the Controls screen: a click on a slot and a mouse button binds it, a right click empties one.
TEST_F(Options, ControlsByTheMouseAloneBindAndEmptySlots) {
    const OptionsLayout options = LayOutOptions(800, 600);
    const ControlsLayout controls = LayOutControls(800, 600);
    const int fire = int(Action::Fire);
    const DialogRect mouseSlot = controls.slot(fire, 3), keySlot = controls.slot(fire, 0);
    const int kx = int(keySlot.x + keySlot.width / 2), ky = int(keySlot.y + keySlot.height / 2);
    g_steps = Then(Click(options.button(RowOf("Controls"))), Click(mouseSlot));
    g_steps = Then(g_steps, Taps({Key::MouseRight}));
    g_steps = Then(g_steps, {[=] { script::SetPointer(kx, ky); }, Down(Key::MouseRight), Up(Key::MouseRight)});
    g_steps = Then(Then(g_steps, Click(controls.back())), Click(options.button(RowOf("Back"))));
    OnTitle(Key::O, g_steps);
    EXPECT_FALSE(g_ranOut);
    EXPECT_TRUE(g_inTitle);
    EXPECT_EQ(FormatActionBindings(g_settings.bindings, Action::Fire),
              "Mouse Left, Mouse Right, Pad A, Pad Right Trigger");
    EXPECT_TRUE(Saved().bindings == g_settings.bindings);
}

// The screens at 4:3 and 32:9: the box is centred, scaled by the height, and every row has its letters.
TEST_F(Options, TheScreensAreDrawnCentredAtAnyAspect) {
    int count = 0;
    const OptionRow* rows = OptionRows(&count);
    for (const auto& size : {std::make_pair(800, 600), std::make_pair(1920, 540)}) {
        SCOPED_TRACE(size.first);
        script::ReleaseAllKeys();
        script::ResizeWindow(size.first, size.second);
        SetProjection(size.first, size.second);
        Pixels options, controls;
        g_steps = Then({[&] { options = ReadWindow(); }}, Taps({Key::Up, Key::Up, Key::Up, Key::Enter}));
        g_steps.push_back([&] { controls = ReadWindow(); });
        g_steps = Then(g_steps, Taps({Key::Escape, Key::Escape}));
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        OpenOptionsScreen();
        AnswerDialogFrames();
        EXPECT_FALSE(g_ranOut);
        ASSERT_EQ(options.width, size.first);

        const OptionsLayout l = LayOutOptions(size.first, size.second);
        EXPECT_NEAR(l.frame.x + l.frame.width / 2, size.first / 2.0f, 1.0f);
        EXPECT_NEAR(l.frame.height, LayOutOptions(800, 600).frame.height * size.second / 600.0f, 1.0f);
        EXPECT_GT(options.Letters(l.captionBar), 30);
        for (int r = 0; r < count; ++r) {
            const bool setting = rows[r].step != nullptr;
            EXPECT_GT(options.Letters(setting ? l.label(r) : l.button(r)), 20) << rows[r].title;
            if (setting) {
                EXPECT_GT(options.Letters(l.value(r)), 5) << rows[r].title << " value";
            }
        }
        EXPECT_EQ(options.Letters({0, 0, l.frame.x - 1, float(size.second)}), 0) << "outside the box";

        const ControlsLayout c = LayOutControls(size.first, size.second);
        EXPECT_NEAR(c.frame.x + c.frame.width / 2, size.first / 2.0f, 1.0f);
        for (int a = 0; a < kActionCount; ++a) {
            EXPECT_GT(controls.Letters(c.title(a)), 20) << ActionTitle(Action(a));
            EXPECT_GT(controls.Letters(c.slot(a, 0)), 5) << ActionTitle(Action(a)) << " key";
        }
        EXPECT_GT(controls.Letters(c.back()), 10);
    }
}

// The Controls screen names pad buttons and triggers as the pad in hand prints them; the file keeps one name.
TEST_F(Options, PadInputsAreNamedAsThePadInHandPrintsThem) {
    using platform::PadLayout;
    const struct {
        PadLayout layout;
        const char *bottom, *right, *trigger;
    } cases[] = {
        {PadLayout::None, "Pad A", "Pad B", "Pad RT"},
        {PadLayout::Xbox, "Pad A", "Pad B", "Pad RT"},
        {PadLayout::PlayStation, "Pad Cross", "Pad Circle", "Pad R2"},
        {PadLayout::Nintendo, "Pad B", "Pad A", "Pad ZR"},
    };
    for (const auto& c : cases) {
        script::SetPadLayout(c.layout);
        EXPECT_EQ(DisplayName(Input::OfKey(Key::PadA)), c.bottom);
        EXPECT_EQ(DisplayName(Input::OfKey(Key::PadB)), c.right);
        EXPECT_EQ(DisplayName(Input::OfAxis(PadAxis::RightTrigger)), c.trigger);
        EXPECT_EQ(DisplayName(Input::OfKey(Key::LeftControl)), "Left Ctrl") << "keys are the keyboard's";
        EXPECT_EQ(InputName(Input::OfKey(Key::PadA)), "Pad A") << "settings.ini keeps one name";
    }
}
