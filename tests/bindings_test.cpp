// Bindings: names that read back, settings.ini lines, swaps on a conflict, what the Controls screen captures, and
// rebound keys acting in play through the real frame driver.
#include <gtest/gtest.h>

#include <set>

#include "camera/camera.h"
#include "core/bindings.h"
#include "core/settings.h"
#include "core/sound.h"
#include "game_fixture.h"

using platform::Key;

namespace {

std::vector<Input> EveryInput() {
    std::vector<Input> all;
    for (int k = 0; k < platform::kKeyCount; ++k) all.push_back(Input::OfKey(Key(k)));
    for (int a = 0; a < kPadAxisCount; ++a) all.push_back(Input::OfAxis(PadAxis(a)));
    return all;
}

}  // namespace

// Every key and axis has a name of its own that reads back as it, whatever its case; nothing else reads.
TEST(BindingNames, EveryInputHasANameThatReadsBack) {
    std::set<std::string> seen;
    for (const Input& input : EveryInput()) {
        const std::string name = InputName(input);
        ASSERT_FALSE(name.empty()) << platform::KeyIdentifier(input.key);
        EXPECT_EQ(name.find(','), std::string::npos) << name << ": a comma would split the settings line";
        EXPECT_TRUE(seen.insert(name).second) << name << " names two inputs";
        std::string shouted = name;
        for (char& c : shouted) c = char(std::toupper(static_cast<unsigned char>(c)));
        Input back;
        ASSERT_TRUE(ParseInputName("  " + shouted + " ", &back)) << name;
        EXPECT_TRUE(back == input) << name;
    }
    Input unused;
    for (const char* bad : {"", "Pad", "Ctrl Left", "Mouse 6", "F13", "Pad Left Stick Sideways"})
        EXPECT_FALSE(ParseInputName(bad, &unused)) << bad;
}

// The defaults are the game's own controls, as settings.ini writes them.
TEST(BindingNames, TheDefaultsAreTheGamesOwnControls) {
    const Bindings& d = DefaultBindings();
    const std::pair<Action, const char*> lines[] = {
        {Action::WalkForward, "Up, W, Pad Left Stick Up"},
        {Action::WalkBack, "Down, S, Pad Left Stick Down"},
        {Action::TurnLeft, "Left, A, Pad Left Stick Left"},
        {Action::TurnRight, "Right, D, Pad Left Stick Right"},
        {Action::LookUp, "Page Up"},
        {Action::LookDown, "Page Down"},
        {Action::Fire, "Ctrl, Mouse Left, Pad A, Pad Right Trigger"},
        {Action::Pause, "Escape, Pad Start"},
        {Action::Mute, "M"},
        {Action::Fullscreen, "F11"},
    };
    for (const auto& [action, text] : lines) EXPECT_EQ(FormatActionBindings(d, action), text) << ActionKey(action);
}

// A settings file with bindings reads back to what was written; a line naming an unknown key, or three of one
// kind, is reported and leaves that action as it was while the other lines still read; an empty line unbinds.
TEST(BindingLines, ReadWriteAndRefuse) {
    Settings mine;
    EXPECT_EQ(ParseActionBindings("F, Mouse Right, Pad Left Trigger, Pad X", Action::Fire, &mine.bindings), "");
    EXPECT_EQ(ParseActionBindings("", Action::Mute, &mine.bindings), "");
    EXPECT_EQ(ParseActionBindings("Keypad 8,Pad Right Stick Up", Action::LookUp, &mine.bindings), "");
    Settings back;
    ASSERT_EQ(ParseSettings(FormatSettings(mine), &back), "");
    EXPECT_TRUE(back == mine);
    EXPECT_EQ(FormatActionBindings(back.bindings, Action::Fire), "F, Mouse Right, Pad Left Trigger, Pad X");
    EXPECT_EQ(FormatActionBindings(back.bindings, Action::Mute), "");

    const struct {
        const char* text;
        const char* problem;
    } bad[] = {
        {"[bindings]\nfire = F, Blaster\nmute = N\n", "line 2: unknown key 'Blaster' for bindings.fire"},
        {"[bindings]\nfire = F, G, H\nmute = N\n", "line 2: more than two of one kind: 'H' for bindings.fire"},
        {"[bindings]\nfire = F,\nmute = N\n", "line 2: unknown key '' for bindings.fire"},
        {"[bindings]\nshoot = F\nmute = N\n", "line 2: unknown key bindings.shoot"},
    };
    for (const auto& c : bad) {
        Settings s;
        EXPECT_EQ(ParseSettings(c.text, &s), c.problem) << c.text;
        EXPECT_EQ(FormatActionBindings(s.bindings, Action::Fire), FormatActionBindings(DefaultBindings(), Action::Fire))
            << c.text;
        EXPECT_EQ(FormatActionBindings(s.bindings, Action::Mute), "N") << c.text << ": the next line still reads";
    }
}

// Binding what another action has swaps the two; the player is told whose it was. A pair and one of its keys are
// one key; binding a slot to what it holds changes nothing.
TEST(BindingSwaps, AConflictSwapsAndNamesTheLoser) {
    const struct {
        const char* name;
        Action action;
        int slot;
        Input input;
        int lost;
        const char* actionAfter;
        Action other;
        const char* otherAfter;
    } cases[] = {
        {"free key", Action::Fire, 0, Input::OfKey(Key::F), -1, "F, Mouse Left, Pad A, Pad Right Trigger", Action::Mute,
         "M"},
        {"mute's M", Action::Fire, 0, Input::OfKey(Key::M), int(Action::Mute),
         "M, Mouse Left, Pad A, Pad Right Trigger", Action::Mute, "Ctrl"},
        {"left of fire's pair", Action::WalkForward, 1, Input::OfKey(Key::LeftControl), int(Action::Fire),
         "Up, Left Ctrl, Pad Left Stick Up", Action::Fire, "W, Mouse Left, Pad A, Pad Right Trigger"},
        {"into an empty slot", Action::LookUp, 1, Input::OfKey(Key::W), int(Action::WalkForward), "Page Up, W",
         Action::WalkForward, "Up, Pad Left Stick Up"},
        {"own other slot", Action::WalkForward, 0, Input::OfKey(Key::W), int(Action::WalkForward),
         "W, Up, Pad Left Stick Up", Action::Fire, "Ctrl, Mouse Left, Pad A, Pad Right Trigger"},
        {"same slot", Action::WalkForward, 0, Input::OfKey(Key::Up), -1, "Up, W, Pad Left Stick Up", Action::Fire,
         "Ctrl, Mouse Left, Pad A, Pad Right Trigger"},
        {"pad axis", Action::Fire, 1, Input::OfAxis(PadAxis::LeftStickUp), int(Action::WalkForward),
         "Ctrl, Mouse Left, Pad A, Pad Left Stick Up", Action::WalkForward, "Up, W, Pad Right Trigger"},
    };
    for (const auto& c : cases) {
        Bindings b = DefaultBindings();
        EXPECT_EQ(Bind(&b, c.action, c.slot, c.input), c.lost) << c.name;
        EXPECT_EQ(FormatActionBindings(b, c.action), c.actionAfter) << c.name;
        EXPECT_EQ(FormatActionBindings(b, c.other), c.otherAfter) << c.name;
    }
    Bindings b = DefaultBindings();
    Unbind(&b, Action::Fire, Device::Mouse, 0);
    EXPECT_EQ(FormatActionBindings(b, Action::Fire), "Ctrl, Pad A, Pad Right Trigger");
}

// The Controls screen takes one key, never a pair nor ESC, or an axis pushed from rest.
TEST(BindingCapture, TakesOneKeyOrAFreshPush) {
    using Pad = platform::PadAxes;
    const auto pressed = [](std::initializer_list<Key> keys) {
        platform::Presses p;
        for (Key k : keys) ++p.count[int(k)];
        return p;
    };
    Pad rest, pushed;
    pushed.rightY = -0.8f;
    const struct {
        const char* name;
        platform::Presses presses;
        Pad before, now;
        bool taken;
        Input input;
    } cases[] = {
        {"left ctrl", pressed({Key::Control, Key::LeftControl}), rest, rest, true, Input::OfKey(Key::LeftControl)},
        {"escape cancels", pressed({Key::Escape}), rest, rest, false, {}},
        {"mouse", pressed({Key::MouseRight}), rest, rest, true, Input::OfKey(Key::MouseRight)},
        {"stick pushed", pressed({}), rest, pushed, true, Input::OfAxis(PadAxis::RightStickUp)},
        {"stick still pushed", pressed({}), pushed, pushed, false, {}},
        {"nothing", pressed({}), rest, rest, false, {}},
    };
    for (const auto& c : cases) {
        Input got;
        EXPECT_EQ(CaptureInput(c.presses, c.before, c.now, &got), c.taken) << c.name;
        if (c.taken) {
            EXPECT_TRUE(got == c.input) << c.name << ": " << InputName(got);
        }
    }
}

namespace {

class ReboundPlay : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        script::SetWindowSize(160, 120);
        std::string error;
        ASSERT_TRUE(OpenGameWindow(kWindowWidth, kWindowHeight, &error)) << error;
        g_settings = Settings();
        script::SetFrameCost(20);
        scratch_.WriteSounds({"data/bulletFire.wav"});
        StartSound();
        g_inTitle = true;
        StartPlay();
    }
    void TearDown() override {
        g_settings = Settings();
        GameTest::TearDown();
    }
    ScratchDir scratch_;
};

}  // namespace

// Fire rebound to F fires at the 700 ms rate while F is held, and CONTROL, no longer bound, does nothing.
TEST_F(ReboundPlay, FireReboundToFFiresAtItsRate) {
    Bind(&g_settings.bindings, Action::Fire, 0, Input::OfKey(Key::F));
    for (Key key : {Key::Control, Key::F}) {
        g_fireTimer = TickTimer();
        const uint32_t pressed = script::Now();
        script::HoldKey(key, true);
        std::vector<uint32_t> shots;
        for (int frame = 0; frame < 100; ++frame) {
            const size_t before = g_bullets.size();
            const uint32_t at = script::Now();
            RunFrame();
            if (g_bullets.size() > before) shots.push_back(at - pressed);
        }
        script::ReleaseAllKeys();
        const std::vector<uint32_t> expected =
            key == Key::F ? std::vector<uint32_t>{720, 1460} : std::vector<uint32_t>{};
        EXPECT_EQ(shots, expected) << platform::KeyIdentifier(key);
    }
}

// Page Up and Page Down look up and down as the mouse does, and nothing turns sideways; rebound, the new keys do.
TEST_F(ReboundPlay, LookKeysPitchTheView) {
    const auto pitchAfter = [](Key key) {
        PlaceCameraAtStart();
        const float before = (g_camera.target - g_camera.position).y;
        const Vector3 side = g_camera.target - g_camera.position;
        script::HoldKey(key, true);
        for (int frame = 0; frame < 10; ++frame) RunFrame();
        script::ReleaseAllKeys();
        const Vector3 view = g_camera.target - g_camera.position;
        EXPECT_NEAR(view.x * side.z - view.z * side.x, 0.0f, 1e-3f) << "turned sideways";
        return view.y - before;
    };
    EXPECT_GT(pitchAfter(Key::PageUp), 0.05f);
    EXPECT_LT(pitchAfter(Key::PageDown), -0.05f);
    EXPECT_EQ(pitchAfter(Key::Y), 0.0f);
    Bind(&g_settings.bindings, Action::LookUp, 0, Input::OfKey(Key::Y));
    EXPECT_GT(pitchAfter(Key::Y), 0.05f);
    EXPECT_EQ(pitchAfter(Key::PageUp), 0.0f);
}

// Pause rebound to P pauses; ESC pauses whatever the bindings say, so nobody is left without a way out.
TEST_F(ReboundPlay, PauseReboundAndEscapeAlways) {
    Bind(&g_settings.bindings, Action::Pause, 0, Input::OfKey(Key::P));
    for (Key key : {Key::Q, Key::P, Key::Escape}) {
        script::ClearLog();
        script::TapKey(key);
        RunFrame();
        EXPECT_EQ(script::CountLog("dialog Orvanthe lev 0|&Resume"), key == Key::Q ? 0 : 1)
            << platform::KeyIdentifier(key);
        RunFrame();
    }
}
