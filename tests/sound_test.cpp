#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/sound.h"
#include "game_fixture.h"
#include "platform/scripted/script.h"

namespace {

class SoundTest : public ::testing::Test {
protected:
    void SetUp() override { script::Reset(); }
    std::vector<std::string> SoundLog() { return script::LogLines("sound"); }
    ScratchDir scratch_;
};

}  // namespace

TEST_F(SoundTest, StartsInOrderPlaysAndReleasesEverything) {
    scratch_.Touch({"data/bulletFire.wav", "data/wpqce.wav", "data/explode.wav", "data/ugh.wav"});
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
    scratch_.Touch({"data/bulletFire.wav", "data/explode.wav"});
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
