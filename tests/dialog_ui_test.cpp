// The dialogs the game draws itself: their texts on real pixels over the
// frozen frame, the window title while open, how keys, the close box, the
// mouse and a resize answer them, and the held-key latch afterwards.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <functional>
#include <string>
#include <vector>

#include "core/dialog_templates.h"
#include "game_fixture.h"
#include "platform/dialog.h"
#include "platform/window.h"
#include "text/dialog_ui.h"
#include "text/dialogs.h"
#include "text/glf_font.h"

namespace {

using platform::Key;

// One action per wait of the dialog's loop; past the end the window is
// closed, so a dialog that ignores its input still ends the test.
std::vector<std::function<void()>> g_steps;
bool g_ranOut = false;
void RunStep(int waits) {
    if (size_t(waits) <= g_steps.size()) {
        g_steps[size_t(waits) - 1]();
        return;
    }
    g_ranOut = true;
    platform::Message close;
    close.type = platform::MessageType::Close;
    script::QueueMessage(close);
}

// A key down at one wait and up at the next.
void Tap(Key key) {
    g_steps.push_back([key] { script::HoldKey(key, true); });
    g_steps.push_back([key] { script::HoldKey(key, false); });
}

struct Pixels {
    int width = 0, height = 0;
    std::vector<unsigned char> rgba;
    // Bright, near-white pixels (the dialog's letters) inside r.
    int Letters(const DialogRect& r) const {
        int n = 0;
        for (int y = int(r.y); y < int(r.y + r.height); ++y)
            for (int x = int(r.x); x < int(r.x + r.width); ++x) {
                const unsigned char* p = At(x, y);
                if (p[0] > 200 && p[1] > 200 && p[2] > 200) ++n;
            }
        return n;
    }
    // Top-down rows, as the layout counts them.
    const unsigned char* At(int x, int y) const {
        return &rgba[(size_t(height - 1 - y) * size_t(width) + size_t(x)) * 4];
    }
};

Pixels ReadWindow() {
    Pixels p;
    platform::GetDrawableSize(&p.width, &p.height);
    p.rgba.resize(size_t(p.width) * size_t(p.height) * 4);
    glReadPixels(0, 0, p.width, p.height, GL_RGBA, GL_UNSIGNED_BYTE, p.rgba.data());
    return p;
}

DialogRect Inset(const DialogRect& r, float by) { return {r.x + by, r.y + by, r.width - 2 * by, r.height - 2 * by}; }

// The frozen frame: one flat colour the dialog never uses.
constexpr unsigned char kFrozenGreen = 200;
void DrawFrozenFrame() {
    glClearColor(0.0f, kFrozenGreen / 255.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
}

class DrawnDialog : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        ASSERT_TRUE(g_font.Load(std::string(ORVANTHE_DATA_DIR) + "/f.glf", 0));
        g_steps.clear();
        g_ranOut = false;
        script::OnWait(RunStep);
        DrawFrozenFrame();
        script::ClearLog();
    }
    void TearDown() override {
        script::OnWait(nullptr);
        GameTest::TearDown();
    }
};

Pixels g_seen;

}  // namespace

TEST_F(DrawnDialog, EachDialogShowsItsTextsOverTheFrozenFrameAndTheCaptionWhileOpen) {
    struct Case {
        void (*show)();
        bool message;  // the pause has none
    };
    const Case cases[] = {
        {ShowCaughtDialog, true}, {ShowWinDialog, true}, {ShowFellDialog, true}, {ShowPauseDialog, false}};
    std::vector<int> messageLetters;
    for (const Case& c : cases) {
        script::ReleaseAllKeys();
        g_steps = {[] { g_seen = ReadWindow(); }};
        Tap(Key::Enter);
        script::ClearLog();
        c.show();
        EXPECT_FALSE(g_ranOut);
        EXPECT_EQ(script::CountLog("caption Orvanthe lev 0"), 1);
        EXPECT_EQ(script::CountLog("quit"), 0);
        EXPECT_EQ(script::CountLog("messagebox"), 0) << "no desktop box while the font is loaded";
        EXPECT_EQ(script::CountLog("swap"), 1) << "drawn once: nothing changed until ENTER";

        const DialogLayout l = LayOutDialog(800, 600);
        const float in = 2 * l.unitX + 1;
        EXPECT_GT(g_seen.Letters(Inset(l.captionBar, in)), 40) << "caption";
        EXPECT_GT(g_seen.Letters({l.group.x + 8 * l.unitX, l.group.y, 50 * l.unitX, 8 * l.unitY}), 40) << "group";
        EXPECT_GT(g_seen.Letters(Inset(l.buttons[0], in)), 40) << "first button";
        EXPECT_GT(g_seen.Letters(Inset(l.buttons[1], in)), 40) << "Quit";
        const int letters = g_seen.Letters(l.message);
        if (c.message) {
            EXPECT_GT(letters, 100);
        } else {
            EXPECT_EQ(letters, 0);
        }
        messageLetters.push_back(letters);
        // Outside the box the frozen frame shows, dimmed.
        const unsigned char* corner = g_seen.At(5, 5);
        EXPECT_EQ(corner[0], 0);
        EXPECT_NEAR(corner[1], kFrozenGreen / 2, 3);
        // Closed, the frame being drawn is back as it was.
        const Pixels after = ReadWindow();
        EXPECT_EQ(after.At(5, 5)[1], kFrozenGreen);
        EXPECT_EQ(after.At(400, 250)[1], kFrozenGreen);
    }
    EXPECT_NE(messageLetters[0], messageLetters[1]) << "each dialog draws its own message";
    EXPECT_NE(messageLetters[1], messageLetters[2]);

    // The frame driver gives the window its name back.
    RunFrame();
    EXPECT_EQ(script::LogLines("caption").back(), "caption Orvanthe");
}

TEST_F(DrawnDialog, KeysCloseBoxAndClicksChooseAsAPushButtonDialogDoes) {
    const DialogLayout l = LayOutDialog(800, 600);
    auto pointAt = [](const DialogRect& r) {
        return [r] { script::SetPointer(int(r.x + r.width / 2), int(r.y + r.height / 2)); };
    };
    auto close = [] {
        platform::Message m;
        m.type = platform::MessageType::Close;
        script::QueueMessage(m);
    };
    struct Case {
        const char* name;
        std::function<void()> build;
        bool quits;
    };
    const Case cases[] = {
        {"ENTER", [] { Tap(Key::Enter); }, false},
        {"ESC", [] { Tap(Key::Escape); }, true},
        {"pad A", [] { Tap(Key::PadA); }, false},
        {"pad B", [] { Tap(Key::PadB); }, true},
        {"Right then pad A",
         [] {
             Tap(Key::Right);
             Tap(Key::PadA);
         },
         true},
        {"close box", [&] { g_steps.push_back(close); }, true},
        {"Right then ENTER",
         [] {
             Tap(Key::Right);
             Tap(Key::Enter);
         },
         true},
        {"Tab then ENTER",
         [] {
             Tap(Key::Tab);
             Tap(Key::Enter);
         },
         true},
        {"Left twice then ENTER",
         [] {
             Tap(Key::Left);
             Tap(Key::Left);
             Tap(Key::Enter);
         },
         false},
        {"click on Quit",
         [&] {
             g_steps.push_back(pointAt(l.buttons[1]));
             Tap(Key::MouseLeft);
         },
         true},
        {"click on the first",
         [&] {
             g_steps.push_back(pointAt(l.buttons[0]));
             Tap(Key::MouseLeft);
         },
         false},
        {"press on Quit, let go outside, ENTER",
         [&] {
             g_steps.push_back(pointAt(l.buttons[1]));
             g_steps.push_back([] { script::HoldKey(Key::MouseLeft, true); });
             g_steps.push_back([] { script::SetPointer(5, 5); });
             g_steps.push_back([] { script::HoldKey(Key::MouseLeft, false); });
             Tap(Key::Enter);  // the press moved the focus to Quit
         },
         true},
        {"the ESC that paused is still held, then ENTER",
         [] {
             script::HoldKey(Key::Escape, true);
             g_steps.push_back([] {});
             g_steps.push_back([] { script::HoldKey(Key::Escape, false); });
             Tap(Key::Enter);
         },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_steps.clear();
        g_ranOut = false;
        script::ReleaseAllKeys();
        script::SetPointer(-1, -1);
        platform::Message left;
        while (platform::PollMessage(&left)) {  // the last case's quit request
        }
        c.build();
        script::ClearLog();
        ShowPauseDialog();
        EXPECT_FALSE(g_ranOut) << "the dialog ignored its answer";
        EXPECT_EQ(script::CountLog("quit 0"), c.quits ? 1 : 0);
        // A choice made by a key press leaves its release step unrun.
        const int waits = script::CountLog("wait");
        EXPECT_LE(waits, int(g_steps.size())) << "it waits for input, once per event";
        EXPECT_GE(waits, int(g_steps.size()) - 1);
    }
}

TEST_F(DrawnDialog, AQuitAskedForMeanwhileStandsAndClosesIt) {
    g_steps.push_back([] { platform::PostQuit(3); });
    ShowPauseDialog();
    EXPECT_FALSE(g_ranOut);
    platform::Message m;
    ASSERT_TRUE(platform::PollMessage(&m));
    EXPECT_EQ(m.type, platform::MessageType::Quit);
}

TEST_F(DrawnDialog, AResizeWhileOpenRedrawsAtTheNewSizeAndReachesTheGameAfterwards) {
    g_steps.push_back([] {
        platform::Message m;
        m.type = platform::MessageType::Resize;
        m.width = 1024;
        m.height = 576;
        script::QueueMessage(m);
    });
    g_steps.push_back([] { g_seen = ReadWindow(); });
    Tap(Key::Enter);
    ShowFellDialog();
    EXPECT_EQ(script::CountLog("swap"), 2) << "drawn, and drawn again at the new size";
    ASSERT_EQ(g_seen.width, 1024);
    ASSERT_EQ(g_seen.height, 576);
    const DialogLayout l = LayOutDialog(1024, 576);
    EXPECT_GT(l.buttons[0].x, LayOutDialog(800, 600).buttons[0].x) << "centred in the wider window";
    EXPECT_GT(g_seen.Letters(Inset(l.buttons[1], 2 * l.unitX + 1)), 40);
    EXPECT_GT(g_seen.Letters(l.message), 100);
    EXPECT_NEAR(g_seen.At(2, 2)[1], kFrozenGreen / 2, 3) << "the frozen frame fills the new size";
    platform::Message m;
    ASSERT_TRUE(platform::PollMessage(&m)) << "the main loop still sets the projection";
    EXPECT_EQ(m.type, platform::MessageType::Resize);
    EXPECT_EQ(m.width, 1024);
}

TEST_F(DrawnDialog, AnEnterStillHeldAfterNewGameDoesNotStartPlay) {
    StartPlay();
    g_steps.push_back([] { script::HoldKey(Key::Enter, true); });  // and never let go
    g_camera.Place(-50, -100, -50, -50, -100, -51, 0, 1, 0);
    RunFrame();  // the fall and its dialog
    EXPECT_FALSE(g_ranOut);
    ASSERT_TRUE(g_inTitle);
    EXPECT_EQ(script::LogLines("caption").back(), "caption Orvanthe");
    for (int i = 0; i < 3; ++i) RunFrame();
    EXPECT_TRUE(g_inTitle) << "the ENTER that chose New Game started play";
    script::HoldKey(Key::Enter, false);
    RunFrame();
    script::HoldKey(Key::Enter, true);
    RunFrame();
    EXPECT_FALSE(g_inTitle) << "a fresh ENTER starts play";
}

TEST(DialogLayout, TheTemplateInDialogUnitsScaledAndCentred) {
    const DialogLayout l = LayOutDialog(800, 600);
    EXPECT_FLOAT_EQ(l.unitX, 1.5f);
    EXPECT_FLOAT_EQ(l.buttons[0].width, 75.0f);
    EXPECT_FLOAT_EQ(l.buttons[1].y - l.buttons[0].y, 17 * 1.625f);
    // Both buttons inside the group box, right of the message.
    for (const DialogRect& b : l.buttons) {
        EXPECT_GE(b.x, l.message.x + l.message.width);
        EXPECT_LE(b.x + b.width, l.group.x + l.group.width);
    }
    const DialogLayout wide = LayOutDialog(2560, 1080);  // 21:9: scaled by height, centred
    EXPECT_FLOAT_EQ(wide.unitY, 1.625f * 1.8f);
    EXPECT_NEAR(wide.frame.x + wide.frame.width / 2 - 1280, 1.8f * (l.frame.x + l.frame.width / 2 - 400), 0.01f);
}
