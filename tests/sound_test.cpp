#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/sound.h"
#include "platform/scripted/script.h"

namespace {

// Runs the test inside a scratch directory holding only the named data files.
class SoundTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/orvanthe-sound-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        ASSERT_NE(getcwd(oldDir_, sizeof oldDir_), nullptr);
        ASSERT_EQ(chdir(dir_.c_str()), 0);
        mkdir("data", 0755);
        script::Reset();
    }
    void TearDown() override {
        ASSERT_EQ(chdir(oldDir_), 0);
        std::string cmd = "rm -rf " + dir_;
        ASSERT_EQ(std::system(cmd.c_str()), 0);
    }
    void Touch(const char* path) {
        FILE* f = std::fopen(path, "wb");
        ASSERT_NE(f, nullptr);
        std::fclose(f);
    }
    std::vector<std::string> SoundLog() { return script::LogLines("sound"); }

    std::string dir_;
    char oldDir_[4096];
};

}  // namespace

TEST_F(SoundTest, StartsInOrderPlaysAndReleasesEverything) {
    for (const char* f : {"data/bulletFire.wav", "data/wpqce.wav", "data/explode.wav", "data/ugh.wav"}) Touch(f);
    StartSound();
    PlaySound(g_ughSample);
    PlaySound(g_ughSample);
    StopSound();
    const std::vector<std::string> expected = {
        "sound init 44100 32",
        "sound load data/bulletFire.wav",
        "sound open-stream data/wpqce.wav",
        "sound stream data/wpqce.wav loop",
        "sound load data/explode.wav",
        "sound load data/ugh.wav",
        "sound play data/ugh.wav",
        "sound play data/ugh.wav",
        "sound free data/bulletFire.wav",
        "sound free data/explode.wav",
        "sound free data/ugh.wav",
        "sound close-stream data/wpqce.wav",
        "sound close",
    };
    EXPECT_EQ(SoundLog(), expected);
    EXPECT_EQ(g_ughSample, nullptr);
}

TEST_F(SoundTest, MissingFilesAreSilentAndEverythingElseStillPlays) {
    Touch("data/bulletFire.wav");
    Touch("data/explode.wav");
    StartSound();
    EXPECT_EQ(g_ughSample, nullptr);
    EXPECT_EQ(g_musicStream, nullptr);
    PlaySound(g_ughSample);
    PlaySound(g_explodeSample);
    StopSound();
    const std::vector<std::string> log = SoundLog();
    EXPECT_EQ(script::CountLog("sound play data/ugh.wav"), 0);
    EXPECT_EQ(script::CountLog("sound play data/explode.wav"), 1);
    EXPECT_EQ(script::CountLog("sound stream"), 0);
    EXPECT_EQ(script::CountLog("sound close-stream"), 0);
    EXPECT_EQ(script::CountLog("sound load-failed data/wpqce.wav"), 1);
    EXPECT_EQ(log.back(), "sound close");
}
