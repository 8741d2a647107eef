// The best run: where it is kept, a first win kept, only a faster one replacing it, a broken best.ini warned
// about and never written over, a failed save said once, and the time as the title shows it.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>

#include "core/best_run.h"
#include "game_fixture.h"
#include "platform/files.h"
#include "scenery_fixture.h"

namespace {

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

int Lines(const std::string& text) { return int(std::count(text.begin(), text.end(), '\n')); }

// Sets an environment variable for the life of the object; nullopt unsets it.
class EnvVar {
public:
    EnvVar(const char* name, std::optional<std::string> value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        Set(value);
    }
    ~EnvVar() { Set(old_); }
    EnvVar(const EnvVar&) = delete;
    EnvVar& operator=(const EnvVar&) = delete;

private:
    void Set(const std::optional<std::string>& value) {
        if (value) {
            setenv(name_, value->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }
    const char* name_;
    std::optional<std::string> old_;
};

class BestRun : public ::testing::Test {
protected:
    void SetUp() override { ForgetBestRun(); }
    void TearDown() override { ForgetBestRun(); }
    std::string Folder() const { return scratch_.path() + "/share/orvanthe"; }
    std::string Ini() const { return Folder() + "/best.ini"; }
    std::string Demo() const { return Folder() + "/best.demo"; }
    std::string Load() {
        return Stderr([] { LoadBestRun(); });
    }
    std::string Offer(uint32_t ticks, const std::string& demo, bool expected) {
        return Stderr([&] { EXPECT_EQ(OfferWonRun(ticks, demo), expected); });
    }
    // What a fresh run would read from the folder.
    ScratchDir scratch_;
    EnvVar xdg_{"XDG_DATA_HOME", scratch_.path() + "/share"};
};

// Bytes a text-only writer would spoil: a NUL, a high byte, a lone CR.
const std::string kDemoA("ODEM\0\x01\xff\r\x80z", 10);
const std::string kDemoB("ODEM\0\x02\xfe\n", 8);

}  // namespace

TEST(BestRunFolder, FollowsXdgDataHomeThenHome) {
    const struct {
        std::optional<std::string> xdg, home;
        const char* data;
    } cases[] = {
        {"/xdg", "/home/player", "/xdg"},
        {"relative/is/ignored", "/home/player", "/home/player/.local/share"},
        {std::nullopt, "/home/player", "/home/player/.local/share"},
        {"", "/home/player", "/home/player/.local/share"},
        {"/xdg", std::nullopt, "/xdg"},
        {std::nullopt, std::nullopt, ""},
        {std::nullopt, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.xdg.value_or("(unset)") + " " + c.home.value_or("(unset)"));
        const EnvVar xdg("XDG_DATA_HOME", c.xdg), home("HOME", c.home);
        EXPECT_EQ(platform::DataHome(), c.data);
        EXPECT_EQ(BestRunDemoPath(), c.data[0] ? std::string(c.data) + "/orvanthe/best.demo" : "");
    }
}

// best.ini as a player may leave it: read if it says one positive tick count, else one warning line naming it,
// and never written over, however fast the run; a run won still shows for this run.
TEST_F(BestRun, ABrokenFileIsWarnedAboutOnceAndNeverWrittenOver) {
    const struct {
        std::string text;
        const char* problem;  // "" when read well
        uint32_t ticks;
    } cases[] = {
        {"[best]\nticks = 2118\n", "", 2118},
        {"# mine\r\n\r\n[best]\r\n  ticks=7 \r\n; end", "", 7},
        {"[best]\nticks = 4294967295\n", "", UINT32_MAX},
        {"[best]\nticks = 0\n", "line 2: bad value '0' for ticks", 0},
        {"[best]\nticks = -5\n", "line 2: bad value '-5' for ticks", 0},
        {"[best]\nticks = 12 s\n", "line 2: bad value '12 s' for ticks", 0},
        {"[best]\nticks = 4294967296\n", "line 2: bad value '4294967296' for ticks", 0},
        {"[best]\nticks =\n", "line 2: bad value '' for ticks", 0},
        {"ticks = 50\n", "line 1: unknown key ticks", 0},
        {"[best]\ntime = 50\n", "line 2: unknown key time", 0},
        {"[scores]\nticks = 50\n", "line 1: unknown section [scores]", 0},
        {"[best]\nticks 50\n", "line 2: not a key = value line", 0},
        {"[best]\n", "no ticks under [best]", 0},
        {std::string("[best]\nticks = 5\0", 17), "not a text file", 0},
        {"", "not a regular file", 0},  // no text: best.ini is a folder
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        ForgetBestRun();
        ASSERT_EQ(std::system(("rm -rf " + Folder()).c_str()), 0);
        ASSERT_EQ(std::system(("mkdir -p " + Folder()).c_str()), 0);
        if (c.text.empty()) {
            ASSERT_EQ(mkdir(Ini().c_str(), 0700), 0);
        } else {
            scratch_.Write(Ini().c_str(), c.text);
        }
        const std::string warning = Load();
        if (c.problem[0] == '\0') {
            EXPECT_EQ(warning, "");
            EXPECT_TRUE(BestRunKnown());
            EXPECT_EQ(BestRunTicks(), c.ticks);
            continue;
        }
        EXPECT_EQ(Lines(warning), 1) << warning;
        EXPECT_NE(warning.find(Ini() + ": " + c.problem), std::string::npos) << warning;
        EXPECT_FALSE(BestRunKnown());

        EXPECT_EQ(Offer(100, kDemoA, true),
                  "orvanthe: best time not saved (" + Ini() + " has a mistake and is left for you to fix)\n");
        EXPECT_EQ(Offer(50, kDemoB, true), "") << "said once";
        EXPECT_EQ(Offer(60, kDemoA, false), "");
        EXPECT_TRUE(BestRunKnown());
        EXPECT_EQ(BestRunTicks(), 50u);
        if (!c.text.empty()) {
            EXPECT_EQ(ReadBytes(Ini()), c.text);
        }
        EXPECT_TRUE(platform::NothingAt(Demo())) << "no demo beside a time it does not match";
    }
}

// Nowhere to write (a folder where the demo goes; no folder named at all): said once, the run kept for this run,
// and no best.ini naming a run whose demo was not kept.
TEST_F(BestRun, ASaveThatFailsIsSaidOnceAndTheRunStillCounts) {
    const struct {
        bool blocked;  // else neither variable names a folder
        std::string said;
    } cases[] = {
        {true, "orvanthe: best time not saved (" + scratch_.path() + "/share/orvanthe/best.demo: Is a directory)\n"},
        {false, "orvanthe: best time not saved (neither XDG_DATA_HOME nor HOME names a folder)\n"},
    };
    ASSERT_EQ(std::system(("mkdir -p " + Demo() + " && touch " + Demo() + "/keep").c_str()), 0);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.said);
        ForgetBestRun();
        const EnvVar xdg("XDG_DATA_HOME", c.blocked ? std::optional(scratch_.path() + "/share") : std::nullopt);
        const EnvVar home("HOME", c.blocked ? std::optional<std::string>("/home/player") : std::nullopt);
        EXPECT_EQ(Load(), "");
        EXPECT_EQ(Offer(500, kDemoA, true), c.said);
        EXPECT_EQ(Offer(400, kDemoB, true), "") << "said once";
        EXPECT_EQ(Offer(450, kDemoB, false), "");
        EXPECT_EQ(BestRunTicks(), 400u);
        EXPECT_TRUE(platform::NothingAt(Ini()));
        EXPECT_TRUE(platform::NothingAt(Demo() + "/best.demo"));
    }
}

TEST(BestRunTime, MinutesSecondsAndHundredths) {
    const std::pair<uint32_t, const char*> cases[] = {
        {0, "0:00.00"},    {1, "0:00.02"},    {49, "0:00.98"},     {50, "0:01.00"},      {2118, "0:42.36"},
        {2999, "0:59.98"}, {3000, "1:00.00"}, {30499, "10:09.98"}, {225000, "75:00.00"}, {UINT32_MAX, "1431655:45.90"},
    };
    for (const auto& [ticks, text] : cases) EXPECT_EQ(FormatRunTime(ticks), text) << ticks;
}
