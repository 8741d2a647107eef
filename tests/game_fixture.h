// Shared set-up for tests that drive the game through the scripted backend:
// a fresh script, a current headless GL context with the game's fixed
// state, and the flow flags as at program start.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>

#include "app/flow.h"
#include "app/program.h"
#include "app/startup.h"
#include "camera/camera.h"
#include "core/asset_file.h"
#include "core/state.h"
#include "gl/gl_state.h"
#include "platform/scripted/script.h"
#include "world/bullet.h"

// Runs a test inside a scratch directory; data files are made on request.
class ScratchDir {
public:
    ScratchDir() {
        char tmpl[] = "/tmp/orvanthe-test-XXXXXX";
        if (!mkdtemp(tmpl) || !getcwd(oldDir_, sizeof oldDir_) || chdir(tmpl) != 0) std::abort();
        dir_ = tmpl;
        mkdir("data", 0755);
    }
    ~ScratchDir() {
        if (chdir(oldDir_) != 0 || std::system(("rm -rf " + dir_).c_str()) != 0) std::abort();
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    // Sounds for the scripted backend, which needs no more than a WAV header:
    // 16-bit mono at 44.1 kHz with no samples.
    void WriteSounds(std::initializer_list<const char*> paths) {
        static const char kWav[] =
            "RIFF\x24\0\0\0WAVEfmt \x10\0\0\0\x01\0\x01\0\x44\xac\0\0\x88\x58\x01\0\x02\0\x10\0data\0\0\0\0";
        for (const char* p : paths) Write(p, std::string(kWav, sizeof kWav - 1));
    }
    void Write(const char* path, const std::string& bytes) {
        FILE* f = std::fopen(path, "wb");
        if (!f) std::abort();
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    const std::string& path() const { return dir_; }

private:
    std::string dir_;
    char oldDir_[4096];
};

class GameTest : public ::testing::Test {
protected:
    void SetUp() override {
        script::Reset();
        ResetProgramState();
        std::string error;
        ASSERT_TRUE(OpenGameWindow(kWindowWidth, kWindowHeight, &error)) << error;
        PlaceCameraAtStart();
        script::ClearLog();
    }
    // While the context is current: explosions give back their textures.
    void TearDown() override { ResetProgramState(); }

    // The first frame switches the title screen on.
    void ReachTitle() {
        RunFrame();
        ASSERT_TRUE(g_inTitle);
    }
    void StartPlay() {
        ReachTitle();
        script::HoldKey(platform::Key::Enter, true);
        RunFrame();
        script::HoldKey(platform::Key::Enter, false);
        ASSERT_FALSE(g_inTitle);
    }
    // Frames until `ms` have passed, for tests that set a 20 ms frame cost.
    void PlayFor(uint32_t ms) {
        for (uint32_t t = 0; t < ms; t += 20) RunFrame();
    }
};
