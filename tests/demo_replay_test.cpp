// Games recorded from scripted input on the generated assets (a win, a fall, a catch) replay to the same end
// state at any frame rate, and a rule changed after the recording makes every one of them fail.
#include "app/demos.h"
#include "core/best_run.h"
#include "core/settings.h"
#include "demo_bots.h"
#include "game_fixture.h"
#include "monsters/monster.h"
#include "platform/files.h"
#include "scenery_fixture.h"
#include "text/dialogs.h"
#include "world/controls.h"
#include "world/world.h"

namespace {

using bots::Bot;
using bots::Winner;
using platform::Key;

struct Recorded {
    std::string demo;
    uint64_t endState = 0;
    uint32_t ticks = 0;
    std::vector<std::string> boxes;  // the boxes that opened, in order
    std::vector<uint64_t> states;    // the world's state as each opened
};

// The boxes the scripted log saw open.
std::vector<std::string> Boxes() {
    std::vector<std::string> boxes;
    for (const std::string& line : script::LogLines("dialog ")) boxes.push_back(line);
    return boxes;
}

class DemoReplay : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        LinkGeneratedData(dir_);
    }
    void TearDown() override {
        ChangeFireIntervalForTests(kFireIntervalMs);
        g_settings = Settings();
        ShutdownGame();
        GameTest::TearDown();
    }

    // Program start on the generated assets, the clock where a run's starts.
    void Start() {
        ShutdownGame();
        ResetProgramState();
        script::Reset();
        // The rules see no pixels: a small window draws the same game sooner.
        script::SetWindowSize(200, 150);
        std::string error;
        ASSERT_TRUE(OpenGameWindow(200, 150, &error)) << error;
        InitGame();
        now_ = script::Now();
        states_.clear();
        boxNoted_ = false;
    }
    // One frame `frameMs` after the last, as the loop runs it; false once the program has been asked to quit.
    bool Frame(uint32_t frameMs) {
        now_ += frameMs;
        script::SetTime(now_);
        RunFrameAt(now_, true);
        NoteBox();
        platform::Message message;
        while (platform::PollMessage(&message)) {
            if (message.type == platform::MessageType::Quit) return false;
            WindowProc(message);
            // Leaving the window opens the pause here, between frames.
            NoteBox();
        }
        return true;
    }
    // The world's state as each box opens.
    void NoteBox() {
        if (GameDialogOpen() && !boxNoted_) states_.push_back(WorldStateHash());
        boxNoted_ = GameDialogOpen();
    }

    // The bot plays from the title until the program quits (it must, within ten minutes of play).
    Recorded Record(const Bot& bot, uint32_t frameMs) {
        Start();
        StartRecording("");
        script::ClearLog();
        bool running = true;
        for (int frame = 0; running && frame < 600000 / int(frameMs); ++frame) {
            bot(frame);
            running = Frame(frameMs);
        }
        EXPECT_FALSE(running) << "the bot never quit";
        Recorded r;
        r.demo = RecordedDemo();
        r.endState = WorldStateHash();
        DemoReader reader;
        std::string reason;
        EXPECT_TRUE(reader.Open(r.demo, GameVersion(), &reason)) << reason;
        r.ticks = reader.tickCount();
        r.boxes = Boxes();
        r.states = states_;
        return r;
    }

    Recorded Replay(const std::string& demo, uint32_t frameMs) {
        Start();
        script::ClearLog();
        DemoReader reader;
        std::string reason;
        EXPECT_TRUE(reader.Open(demo, GameVersion(), &reason)) << reason;
        StartReplay("demo", std::move(reader), false);
        // A player's keys and mouse during the replay change nothing.
        script::HoldKey(Key::Up, true);
        script::MoveMouse(500, 0);
        for (int frame = 0; frame < 900000 / int(frameMs); ++frame) {
            if (frame % 10 == 0) script::TapKey(Key::Enter);  // the boxes are the recording's to answer
            if (!Frame(frameMs)) break;
        }
        script::HoldKey(Key::Up, false);
        Recorded r;
        r.endState = WorldStateHash();
        r.ticks = ReplayedTicks();
        r.boxes = Boxes();
        r.states = states_;
        return r;
    }

    // Records the game once at `recordMs` frames and replays it at frames of 7, 16, 20 and 33 ms: the same ticks,
    // the same boxes with the same world as each opened, the same end. With the fire interval 20 ms shorter than
    // it was, the replay does not end the same.
    void RecordAndReplay(const Bot& bot, const char* ending, uint32_t recordMs = 20) {
        const Recorded recorded = Record(bot, recordMs);
        ASSERT_FALSE(recorded.boxes.empty());
        EXPECT_NE(recorded.boxes.back().find(ending), std::string::npos) << recorded.boxes.back();
        for (const uint32_t frameMs : {7u, 16u, 20u, 33u}) {
            SCOPED_TRACE(frameMs);
            const Recorded replayed = Replay(recorded.demo, frameMs);
            EXPECT_EQ(replayed.ticks, recorded.ticks);
            EXPECT_EQ(replayed.boxes, recorded.boxes);
            EXPECT_EQ(replayed.states, recorded.states);
            EXPECT_EQ(replayed.endState, recorded.endState);
        }
        ChangeFireIntervalForTests(kFireIntervalMs - 20);
        const Recorded changed = Replay(recorded.demo, 20);
        EXPECT_TRUE(changed.states != recorded.states || changed.endState != recorded.endState)
            << "a changed rule went unnoticed";
    }

    ScratchDir dir_;
    uint32_t now_ = 0;
    std::vector<uint64_t> states_;
    bool boxNoted_ = false;
};

// Walks to the far side with a pause on the way and another as it leaves the window, answers the fall with a new
// game, quits there.
void Fall(int frame) {
    // The pause resumes, the end's box starts a new game.
    if (bots::StartOrAnswerBox(frame, Key::Enter)) return;
    if (g_inTitle && frame > 10) {
        script::HoldKey(Key::Escape, true);
        return;
    }
    script::HoldKey(Key::Up, frame > 5);
    script::HoldKey(Key::Control, frame > 5 && frame < 100);
    script::HoldKey(Key::Escape, frame == 60);
    // The player leaves the window: a pause between two ticks, which a replay opens where it opened.
    if (frame == 90 || frame == 125) script::QueueMessage({platform::MessageType::Focus, 0, 0, 0, frame == 125});
    if (frame > 5) script::MoveMouse(frame % 7 - 3, 0);
}

// Looks the monsters' way, firing now and then, until two have come close and stopped below the view; then walks
// into them.
void Caught(int frame) {
    if (bots::StartOrAnswerBox(frame, Key::Escape)) return;
    if (frame > 5 && frame < 40) script::MoveMouse(70, 0);  // toward the nearest monster
    script::HoldKey(Key::Control, frame > 5 && frame % 100 < 60);
    script::HoldKey(Key::Up, frame > 600);
}

// Recorded at 50 ms frames: two or three ticks each, so the ESC that quits on the title is taken by the first of a
// frame's ticks, and the replay must end on that tick as the recording did.
TEST_F(DemoReplay, AFallWithTwoPausesOnTheWayReplaysToItsEndAtAnyFrameRate) {
    RecordAndReplay(Fall, "fell off the platform", 50);
    EXPECT_EQ(script::CountLog("dialog Orvanthe lev 0|&Resume"), 2) << "the pauses by ESC and by leaving the window";
}

TEST_F(DemoReplay, ACatchReplaysToItsEndAtAnyFrameRate) { RecordAndReplay(Caught, "The monster got you"); }

TEST_F(DemoReplay, AWinReplaysToItsEndAtAnyFrameRate) { RecordAndReplay(Winner(), "You win"); }

// A demo that cannot be written is said once, when it fails, and the game plays on: a folder that is not there
// fails at the start, a full disk at the first write.
TEST_F(DemoReplay, ADemoThatCannotBeWrittenIsSaidOnceAndPlayGoesOn) {
    for (const char* path : {"/no/such/folder/game.demo", "/dev/full"}) {
        SCOPED_TRACE(path);
        Start();
        const std::string said = Stderr([&] {
            StartRecording(path);
            for (int frame = 0; frame < 200; ++frame) {
                script::HoldKey(Key::Enter, frame == 2);
                script::HoldKey(Key::Up, frame > 5);
                ASSERT_TRUE(Frame(20));
            }
            FinishRecording();
        });
        EXPECT_FALSE(g_inTitle);
        EXPECT_NE(g_camera.position.z, kCameraStart.z) << "play went on";
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        EXPECT_NE(said.find(std::string(path) + ": demo not written ("), std::string::npos) << said;
    }
}

std::string ReadFile(const std::string& path) {
    std::vector<uint8_t> bytes;
    std::string reason;
    EXPECT_EQ(platform::ReadWholeFile(path.c_str(), kMaxDemoBytes, &bytes, &reason), platform::FileRead::Ok) << reason;
    return std::string(bytes.begin(), bytes.end());
}

// A won game is timed in ticks of play, its pauses left out; it is kept (and read back by the next run) only when
// it is faster than the best, and the demo kept with it replays that win.
TEST_F(DemoReplay, AWinIsTimedWithoutItsPausesAndKeptOnlyWhenFasterWithADemoOfIt) {
    const std::string share = dir_.path() + "/share";
    const char* oldData = std::getenv("XDG_DATA_HOME");
    const std::string keptData = oldData ? oldData : "";
    setenv("XDG_DATA_HOME", share.c_str(), 1);
    // Each run reads what the one before kept.
    const auto bestAfter = [](const Recorded&) {
        ForgetBestRun();
        LoadBestRun();
        return BestRunTicks();
    };
    ForgetBestRun();
    const uint32_t slow = bestAfter(Record(Winner(100), 20));
    ASSERT_GT(slow, 0u);
    const Recorded paused = Record(Winner(0, 300), 20);
    ASSERT_EQ(paused.boxes.size(), 2u);
    const uint32_t fast = bestAfter(paused);
    EXPECT_LT(fast, slow) << "a faster win replaces the best";
    const std::string demo = ReadFile(share + "/orvanthe/best.demo");
    EXPECT_EQ(bestAfter(Record(Winner(), 20)), fast) << "the same win without its pause is no faster";
    EXPECT_EQ(bestAfter(Record(Winner(100), 20)), fast) << "a slower win leaves the best";
    EXPECT_EQ(ReadFile(share + "/orvanthe/best.demo"), demo);

    // The best demo shows the winning game alone: the ticks before it are replayed unseen, the win stands as it did.
    DemoReader reader;
    std::string reason;
    ASSERT_TRUE(reader.Open(demo, GameVersion(), &reason)) << reason;
    EXPECT_GT(reader.header().hiddenTicks, 0u);
    const Recorded replayed = Replay(demo, 16);
    ASSERT_FALSE(replayed.boxes.empty());
    EXPECT_NE(replayed.boxes.back().find("You win"), std::string::npos);
    EXPECT_EQ(replayed.states.back(), paused.states.back());
    if (oldData) {
        setenv("XDG_DATA_HOME", keptData.c_str(), 1);
    } else {
        unsetenv("XDG_DATA_HOME");
    }
    ForgetBestRun();
}

}  // namespace
