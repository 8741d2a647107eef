#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "core/sound.h"
#include "game_fixture.h"
#include "scenery_fixture.h"

namespace {

// Bytes this process has read from files so far.
uint64_t BytesRead() {
    std::ifstream io("/proc/self/io");
    std::string key;
    uint64_t value = 0;
    while (io >> key >> value)
        if (key == "rchar:") return value;
    return 0;
}

class SoundTest : public GameTest {
protected:
    void WriteAllSounds() {
        scratch_.WriteSounds({"data/bulletFire.wav", "data/wpqce.wav", "data/explode.wav", "data/ugh.wav"});
    }
    ScratchDir scratch_;
};

}  // namespace

TEST_F(SoundTest, StartsInOrderPlaysAndReleasesEverything) {
    WriteAllSounds();
    StartSound();
    PlaySound(g_ughSample);
    PlaySound(g_ughSample);
    StopSound();
    std::string log;  // the volume is set before anything plays
    for (const std::string& line : script::LogLines("sound")) log += line.substr(6) + "; ";
    EXPECT_EQ(log,
              "init 44100 32; volume 100 100; load data/bulletFire.wav; open-stream data/wpqce.wav; "
              "stream data/wpqce.wav loop; load data/explode.wav; load data/ugh.wav; play data/ugh.wav; "
              "play data/ugh.wav; free data/bulletFire.wav; free data/explode.wav; free data/ugh.wav; "
              "close-stream data/wpqce.wav; close; ");
    EXPECT_EQ(g_ughSample, nullptr);
}

// Each unusable file is silent, named once with its reason, never handed to the backend; the others play.
TEST_F(SoundTest, UnusableFilesAreSilentAndNamedWithTheirReason) {
    const std::tuple<const char*, std::function<void(const char*)>, const char*> cases[] = {
        {"data/ugh.wav", [](const char* p) { unlink(p); }, "cannot open (No such file or directory)"},
        {"data/wpqce.wav",  // a RIFF file, but a video
         [this](const char* p) { scratch_.Write(p, std::string("RIFF\x04\0\0\0AVI LIST\0\0\0\0", 20)); },
         "not a WAV file"},
        {"data/ugh.wav", [](const char* p) { std::filesystem::resize_file(p, uintmax_t(1) << 30); },
         "file too large (1073741824 bytes, at most 67108864)"},  // sparse: a gigabyte that costs nothing
    };
    for (const auto& [path, spoil, reason] : cases) {
        SCOPED_TRACE(reason);
        WriteAllSounds();
        spoil(path);
        ResetProgramState();
        script::ClearLog();
        const uint64_t readBefore = BytesRead();
        const std::string err = Stderr(StartSound);
        const uint64_t readDuring = BytesRead() - readBefore;
        PlaySound(g_ughSample);
        PlaySound(g_explodeSample);
        StopSound();
        EXPECT_EQ(err, std::string("orvanthe: ") + path + ": " + reason + "\n");
        EXPECT_EQ(script::CountLog(std::string("sound load ") + path), 0);
        EXPECT_EQ(script::CountLog(std::string("sound open-stream ") + path), 0);
        EXPECT_EQ(script::CountLog("sound play data/explode.wav"), 1);
        EXPECT_LT(readDuring, uint64_t(1) << 20) << "the size alone refuses a huge file, never read into memory";
    }
}
