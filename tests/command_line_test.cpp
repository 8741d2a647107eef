// The command line: what each option sets, and a mistake ends the run with 2 and says why.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "core/settings.h"
#include "core/state.h"
#include "game_fixture.h"
#include "scenery_fixture.h"

namespace {

// ParseCommandLine on these arguments after the program's name, with what it wrote on stderr.
CommandLine Parse(std::vector<std::string> args, std::string* errors) {
    args.insert(args.begin(), "orvanthe");
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    CommandLine options;
    *errors = Stderr([&] { options = ParseCommandLine(int(args.size()), argv.data()); });
    return options;
}

std::string FirstLine(const std::string& text) { return text.substr(0, text.find('\n') + 1); }

// Options applied over a settings file in a scratch folder.
class CommandLineRun : public ::testing::Test {
protected:
    void TearDown() override {
        LoadSettings("");
        g_settings = Settings();
    }
    std::string Path() const { return scratch_.path() + "/settings.ini"; }
    ScratchDir scratch_;
};

}  // namespace

// --max-fps takes 0 and 30 to 1000 in decimal, as the settings file does; anything else is one line naming the
// option and the value, then the usage, and exit code 2.
TEST(CommandLine, MaxFpsTakesZeroOrThirtyToAThousand) {
    const struct {
        std::vector<std::string> args;
        int exitCode;
        int maxFps;
        const char* problem;  // stderr's first line
    } cases[] = {
        {{}, -1, -1, ""},
        {{"--max-fps", "144"}, -1, 144, ""},
        {{"--max-fps", "0", "--mute"}, -1, 0, ""},
        {{"--max-fps=30"}, -1, 30, ""},
        {{"--max-fps", "1000"}, -1, 1000, ""},
        {{"--max-fps", "060"}, -1, 60, ""},
        {{"--max-fps", "29"}, 2, -1, "orvanthe: --max-fps: '29' is not 0 or a number from 30 to 1000\n"},
        {{"--max-fps", "1001"}, 2, -1, "orvanthe: --max-fps: '1001' is not 0 or a number from 30 to 1000\n"},
        {{"--max-fps", "-1"}, 2, -1, "orvanthe: --max-fps: '-1' is not 0 or a number from 30 to 1000\n"},
        {{"--max-fps", "sixty"}, 2, -1, "orvanthe: --max-fps: 'sixty' is not 0 or a number from 30 to 1000\n"},
        {{"--max-fps", "0x40"}, 2, -1, "orvanthe: --max-fps: '0x40' is not 0 or a number from 30 to 1000\n"},
        {{"--max-fps", "60.5"}, 2, -1, "orvanthe: --max-fps: '60.5' is not 0 or a number from 30 to 1000\n"},
        {{"--max-fps"}, 2, -1, "orvanthe: --max-fps: 1 required N missing\n"},
    };
    for (const auto& c : cases) {
        std::string trace;
        for (const std::string& a : c.args) trace += a + " ";
        SCOPED_TRACE(trace);
        std::string errors;
        const CommandLine options = Parse(c.args, &errors);
        EXPECT_EQ(options.exitCode, c.exitCode);
        EXPECT_EQ(FirstLine(errors), c.problem);
        if (c.exitCode == 2) {
            EXPECT_NE(errors.find("\nUsage: orvanthe"), std::string::npos) << errors;
        } else {
            EXPECT_EQ(options.maxFps, c.maxFps);
        }
    }
}

// The cap given is this run's, over the file's, and is not what a later save writes; without the option the
// file's cap stands.
TEST_F(CommandLineRun, MaxFpsIsForThisRunOnly) {
    scratch_.Write("settings.ini", "[display]\nmax_fps = 144\n");
    std::string errors;
    const CommandLine options = Parse({"--max-fps", "75"}, &errors);
    ASSERT_EQ(options.exitCode, -1) << errors;
    LoadSettings(Path());
    ApplyCommandLine(options);
    EXPECT_EQ(g_settings.maxFps, 75);
    g_settings.fullscreen = true;
    EXPECT_TRUE(SaveSettings());
    std::ifstream in(Path());
    const std::string text(std::istreambuf_iterator<char>(in), {});
    Settings back;
    EXPECT_EQ(ParseSettings(text, &back), "");
    EXPECT_TRUE(back.fullscreen) << text;
    EXPECT_EQ(back.maxFps, 144) << text;

    LoadSettings(Path());
    ApplyCommandLine(Parse({}, &errors));
    EXPECT_EQ(g_settings.maxFps, 144);
}

// The demo options ask for one demo at a time: --record, --play, --timedemo or --play-best (which plays the file
// kept beside the best time); any two together are a mistake.
TEST(CommandLine, DemoOptionsAskForOneDemoEach) {
    const char* const home = std::getenv("XDG_DATA_HOME");
    ASSERT_NE(home, nullptr);
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        std::string record, play;
        bool timed;
    } const cases[] = {
        {{"--record", "a.demo"}, -1, "a.demo", "", false},
        {{"--play", "a.demo"}, -1, "", "a.demo", false},
        {{"--timedemo", "a.demo"}, -1, "", "a.demo", true},
        {{"--play-best"}, -1, "", std::string(home) + "/orvanthe/best.demo", false},
        {{"--record", "a.demo", "--play", "b.demo"}, 2, "", "", false},
        {{"--play", "a.demo", "--timedemo", "b.demo"}, 2, "", "", false},
        {{"--timedemo", "a.demo", "--play-best"}, 2, "", "", false},
        {{"--record", "a.demo", "--play-best"}, 2, "", "", false},
        {{"--record"}, 2, "", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        std::string errors;
        const CommandLine options = Parse(c.args, &errors);
        EXPECT_EQ(options.exitCode, c.exitCode) << errors;
        if (c.exitCode >= 0) continue;
        const DemoRequest request = DemoRequestOf(options);
        EXPECT_EQ(request.recordPath, c.record);
        EXPECT_EQ(request.playPath, c.play);
        EXPECT_EQ(request.timed, c.timed);
    }
}
