#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "core/sound.h"
#include "game_fixture.h"
#include "scenery_fixture.h"

namespace {

const char* const kSounds[] = {"data/bulletFire.wav", "data/wpqce.wav", "data/explode.wav", "data/ugh.wav"};

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
        for (const char* path : kSounds) {
            unlink(path);  // whatever a case left there, a symlink loop too
            scratch_.WriteSounds({path});
        }
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
    // The volume is set before anything plays.
    const std::vector<std::string> expected = {
        "sound init 44100 32",         "sound volume 100 100",         "sound load data/bulletFire.wav",
        "sound open-stream data/wpqce.wav", "sound stream data/wpqce.wav loop", "sound load data/explode.wav",
        "sound load data/ugh.wav",     "sound play data/ugh.wav",      "sound play data/ugh.wav",
        "sound free data/bulletFire.wav", "sound free data/explode.wav", "sound free data/ugh.wav",
        "sound close-stream data/wpqce.wav", "sound close"};
    EXPECT_EQ(script::LogLines("sound"), expected);
    EXPECT_EQ(g_ughSample, nullptr);
}

// Each unusable file is silent, named once with its reason, never handed to
// the backend, and the other sounds still play.
TEST_F(SoundTest, UnusableFilesAreSilentAndNamedWithTheirReason) {
    const struct {
        const char* path;
        std::function<void(const char*)> spoil;
        const char* reason;
    } cases[] = {
        {"data/ugh.wav", [](const char* p) { unlink(p); }, "cannot open (No such file or directory)"},
        {"data/ugh.wav", [](const char* p) { unlink(p), std::filesystem::create_symlink("ugh.wav", p); },
         "cannot open (Too many levels of symbolic links)"},
        // A RIFF file, but a video.
        {"data/wpqce.wav",
         [this](const char* p) { scratch_.Write(p, std::string("RIFF\x04\0\0\0AVI LIST\0\0\0\0", 20)); },
         "not a WAV file"},
        // Sparse: a gigabyte on paper that costs nothing to make.
        {"data/ugh.wav", [](const char* p) { std::filesystem::resize_file(p, uintmax_t(1) << 30); },
         "file too large (1073741824 bytes, at most 67108864)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        WriteAllSounds();
        c.spoil(c.path);
        ResetProgramState();
        script::ClearLog();
        const uint64_t readBefore = BytesRead();
        const std::string err = Stderr(StartSound);
        const uint64_t readDuring = BytesRead() - readBefore;
        PlaySound(g_ughSample);
        PlaySound(g_explodeSample);
        StopSound();
        EXPECT_EQ(err, std::string("orvanthe: ") + c.path + ": " + c.reason + "\n");
        EXPECT_EQ(script::CountLog(std::string("sound load ") + c.path), 0);
        EXPECT_EQ(script::CountLog(std::string("sound open-stream ") + c.path), 0);
        EXPECT_EQ(script::CountLog("sound play data/explode.wav"), 1);
        EXPECT_EQ(script::CountLog("sound free"), c.path == std::string("data/ugh.wav") ? 2 : 3);
        // The size alone refuses a huge file: it is never read into memory.
        EXPECT_LT(readDuring, uint64_t(1) << 20);
    }
}
