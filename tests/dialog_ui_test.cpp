// Dialogs the game draws: texts over the frozen frame, the caption, how input answers them, the latch after.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "app/flow.h"
#include "box_pixels.h"
#include "core/pad_names.h"
#include "core/state.h"
#include "game_fixture.h"
#include "platform/window.h"
#include "text/dialog_ui.h"
#include "text/dialogs.h"
#include "text/glf_font.h"

namespace {

using platform::Key;

// One action per wait of the dialog; past the end the window closes, so an ignored input still ends the test.
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
Step PointAt(int x, int y) {
    return [=] { script::SetPointer(x, y); };
}

// Each key down at one wait and up at the next.
void Tap(const std::vector<Key>& keys) {
    for (Key key : keys) g_steps.insert(g_steps.end(), {Down(key), Up(key)});
}

Pixels g_seen;

DialogRect Inset(const DialogRect& r, float by) { return {r.x + by, r.y + by, r.width - 2 * by, r.height - 2 * by}; }

// The frozen frame: one flat colour the dialog never uses.
constexpr unsigned char kFrozenGreen = 200;

class DrawnDialogs : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        ASSERT_TRUE(g_font.Load(std::string(ORVANTHE_DATA_DIR) + "/f.glf", 0));
        g_steps.clear();
        g_ranOut = false;
        script::OnWait(RunStep);
        ClearToFrozenGreen();
    }
    // The frame being drawn as a box opens over it.
    static void ClearToFrozenGreen() {
        glClearColor(0.0f, kFrozenGreen / 255.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    }
    void TearDown() override {
        script::OnWait(nullptr);
        GameTest::TearDown();
    }
};

}  // namespace

TEST_F(DrawnDialogs, EachDialogShowsItsTextsOverTheFrozenFrameAndTheCaptionWhileOpen) {
    std::set<int> messageLetters;
    for (void (*show)() : {OpenCaughtDialog, OpenWinDialog, OpenFellDialog, OpenPauseDialog}) {
        script::ReleaseAllKeys();
        g_steps = {[] { g_seen = ReadWindow(); }};
        Tap({Key::Enter});
        ClearToFrozenGreen();
        script::ClearLog();
        show();
        AnswerDialogFrames();
        EXPECT_EQ(script::CountLog("caption Orvanthe lev 0"), 1);

        const DialogLayout l = LayOutDialog(800, 600);
        const float in = 2 * l.unitX + 1;
        const DialogRect group{l.group.x + 8 * l.unitX, l.group.y, 50 * l.unitX, 8 * l.unitY};
        for (const DialogRect& r : {Inset(l.captionBar, in), group, Inset(l.buttons[0], in), Inset(l.buttons[1], in)})
            EXPECT_GT(g_seen.Letters(r), 40) << "caption, group, first button, Quit: " << r.x << "," << r.y;
        const int letters = g_seen.Letters(l.message);
        EXPECT_TRUE(show == OpenPauseDialog ? letters == 0 : letters > 100) << "message letters " << letters;
        if (letters) messageLetters.insert(letters);
        // Only the pause offers the options.
        const int options = g_seen.Letters(Inset(l.buttons[2], in));
        EXPECT_TRUE(show == OpenPauseDialog ? options > 40 : options == 0) << "Options letters " << options;
        // Outside the box the frozen frame shows, dimmed.
        EXPECT_NEAR(g_seen.At(5, 5)[1], kFrozenGreen / 2, 3);
    }
    EXPECT_EQ(messageLetters.size(), 3u) << "each dialog draws its own message";

    // The frame driver gives the window its name back.
    RunFrame();
    EXPECT_EQ(script::LogLines("caption").back(), "caption Orvanthe");
}

TEST_F(DrawnDialogs, KeysCloseBoxAndClicksChooseAsAPushButtonDialogDoes) {
    const DialogLayout l = LayOutDialog(800, 600);
    const auto pointAt = [&l](int b) { return PointAt(int(l.buttons[b].x + 5), int(l.buttons[b].y + 5)); };
    using K = Key;
    const struct {
        const char* name;
        std::vector<Step> steps;
        std::vector<Key> taps;
        int quits;              // "quit" lines logged
        Step before = nullptr;  // ahead of the dialog
    } cases[] = {
        {"ENTER", {}, {K::Enter}, 0},
        {"ESC", {}, {K::Escape}, 1},
        {"pad A", {}, {K::PadA}, 0},
        {"pad B", {}, {K::PadB}, 1},
        {"Right then pad A", {}, {K::Right, K::PadA}, 1},
        {"Tab then ENTER", {}, {K::Tab, K::Enter}, 1},
        // Round the pause's three buttons: Resume, Quit, Options.
        {"Left three times then ENTER", {}, {K::Left, K::Left, K::Left, K::Enter}, 0},
        {"Left twice then ENTER", {}, {K::Left, K::Left, K::Enter}, 1},
        {"close box", {[] { script::QueueMessage({platform::MessageType::Close}); }}, {}, 1},
        // It stands (posted again) and closes the dialog as Quit does.
        {"a quit asked for meanwhile", {[] { platform::PostQuit(3); }}, {}, 3},
        {"click on Quit", {pointAt(1)}, {K::MouseLeft}, 1},
        {"click on the first", {pointAt(0)}, {K::MouseLeft}, 0},
        // Down and up again while the dialog waited: the press is counted all the same.
        {"ESC tapped between two looks", {[] { script::TapKey(K::Escape); }}, {}, 1},
        {"a click come and gone on Quit", {pointAt(1), [] { script::TapKey(K::MouseLeft); }}, {}, 1},
        // Pressed on Quit and let go outside: the press moved the focus to Quit.
        {"press on Quit, ENTER", {pointAt(1), Down(K::MouseLeft), PointAt(5, 5), Up(K::MouseLeft)}, {K::Enter}, 1},
        {"the ESC that paused still held, ENTER", {Down(K::Escape), Up(K::Escape)}, {K::Enter}, 0, Down(K::Escape)}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        g_steps = c.steps;
        g_ranOut = false;
        script::ReleaseAllKeys();
        for (platform::Message left; platform::PollMessage(&left);) {  // the last case's quit request
        }
        if (c.before) c.before();
        Tap(c.taps);
        script::ClearLog();
        OpenPauseDialog();
        AnswerDialogFrames();
        EXPECT_FALSE(g_ranOut) << "the dialog ignored its answer";
        EXPECT_EQ(script::CountLog("quit"), c.quits);
        // A choice made by a key press leaves its release step unrun; a click acts on the release.
        EXPECT_GE(script::CountLog("wait"), int(g_steps.size()) - 1);
    }
}

namespace {
// The pad button printed `label` on this family of pad.
Key PadButtonPrinted(const std::string& label, platform::PadLayout layout) {
    for (int i = 0; i < platform::kKeyCount; ++i) {
        const char* name = PadButtonLabel(Key(i), layout);
        if (name && label == name) return Key(i);
    }
    ADD_FAILURE() << "no button is printed " << label;
    return Key::Enter;
}
}  // namespace

// The buttons the hint names are the ones that answer: on a Nintendo pad the A on the right resumes and the B at the
// bottom quits, on the others the bottom button resumes.
TEST_F(DrawnDialogs, EachPadAnswersWithTheButtonsItsHintNames) {
    using platform::PadLayout;
    for (PadLayout layout : {PadLayout::Xbox, PadLayout::PlayStation, PadLayout::Nintendo}) {
        const std::string hint = ConfirmBackHint(layout, "Resume", "Quit");
        const size_t resume = hint.find(" Resume   "), quit = hint.rfind(" Quit");
        ASSERT_TRUE(resume != std::string::npos && quit != std::string::npos) << hint;
        const std::string confirmLabel = hint.substr(0, resume);
        const std::string backLabel = hint.substr(resume + 10, quit - resume - 10);
        for (const auto& [label, quits] : {std::make_pair(confirmLabel, 0), std::make_pair(backLabel, 1)}) {
            SCOPED_TRACE(hint + ": " + label);
            script::SetPadLayout(layout);
            g_steps.clear();
            g_ranOut = false;
            script::ReleaseAllKeys();
            Tap({PadButtonPrinted(label, layout)});
            script::ClearLog();
            OpenPauseDialog();
            AnswerDialogFrames();
            EXPECT_FALSE(g_ranOut) << "the dialog ignored the button";
            EXPECT_EQ(script::CountLog("quit"), quits);
            for (platform::Message left; platform::PollMessage(&left);) {  // the quit request
            }
        }
    }
}

TEST_F(DrawnDialogs, AResizeWhileOpenRedrawsAtTheNewSizeAndReachesTheGame) {
    g_steps.push_back([] { script::QueueMessage({platform::MessageType::Resize, 0, 1024, 576}); });
    g_steps.push_back([] { g_seen = ReadWindow(); });
    Tap({Key::Enter});
    OpenFellDialog();
    AnswerDialogFrames();
    EXPECT_EQ(script::CountLog("swap"), 2) << "drawn, and drawn again at the new size";
    ASSERT_EQ(std::make_pair(g_seen.width, g_seen.height), std::make_pair(1024, 576));
    const DialogLayout l = LayOutDialog(1024, 576);
    EXPECT_GT(g_seen.Letters(l.message), 100);
    EXPECT_NEAR(g_seen.At(2, 2)[1], kFrozenGreen / 2, 3) << "the frozen frame fills the new size";
    EXPECT_EQ(std::make_pair(g_viewportWidth, g_viewportHeight), std::make_pair(1024, 576))
        << "the game's projection follows";
}

TEST_F(DrawnDialogs, AnEnterStillHeldAfterNewGameDoesNotStartPlay) {
    StartPlay();
    g_steps.push_back(Down(Key::Enter));  // and never let go
    g_camera.Place(-50, -100, -50, -50, -100, -51, 0, 1, 0);
    RunFrame();  // the fall and its dialog
    ASSERT_TRUE(g_inTitle);
    for (int i = 0; i < 3; ++i) RunFrame();
    EXPECT_TRUE(g_inTitle) << "the ENTER that chose New Game started play";
    script::HoldKey(Key::Enter, false);
    RunFrame();
    Press({Key::Enter});
    EXPECT_FALSE(g_inTitle) << "a fresh ENTER starts play";
}

TEST(DialogLayout, ButtonsSitInTheGroupAndWideWindowsScaleByHeightAndCentre) {
    const DialogLayout l = LayOutDialog(800, 600);
    for (const DialogRect& b : {l.buttons[0], l.buttons[1]}) {
        EXPECT_GE(b.x, l.message.x + l.message.width);
        EXPECT_LE(b.x + b.width, l.group.x + l.group.width);
    }
    // The pause's Options: below the group, inside the box, in the buttons' column.
    EXPECT_GE(l.buttons[2].y, l.group.y + l.group.height);
    EXPECT_LE(l.buttons[2].y + l.buttons[2].height, l.frame.y + l.frame.height);
    EXPECT_FLOAT_EQ(l.buttons[2].x, l.buttons[1].x);
    const DialogLayout wide = LayOutDialog(2560, 1080);
    EXPECT_FLOAT_EQ(wide.unitY, l.unitY * 1.8f);
    EXPECT_NEAR(wide.frame.x + wide.frame.width / 2 - 1280, 1.8f * (l.frame.x + l.frame.width / 2 - 400), 0.01f);
}
