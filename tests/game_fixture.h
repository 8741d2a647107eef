// Tests driving the game through the scripted backend, on a current headless GL context as at program start.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <initializer_list>
#include <string>

#include "app/demos.h"
#include "app/flow.h"
#include "app/program.h"
#include "app/startup.h"
#include "camera/camera.h"
#include "core/asset_file.h"
#include "core/sound.h"
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

    // The scripted backend needs no more than a WAV header: 16-bit mono at 44.1 kHz, no samples.
    void WriteSounds(std::initializer_list<const char*> paths) {
        static const char kWav[] =
            "RIFF\x24\0\0\0WAVEfmt \x10\0\0\0\x01\0\x01\0\x44\xac\0\0\x88\x58\x01\0\x02\0\x10\0data\0\0\0\0";
        for (const char* p : paths) Write(p, std::string(kWav, sizeof kWav - 1));
    }
    void Write(const char* path, const std::string& bytes) {
        if (!(std::ofstream(path, std::ios::binary) << bytes)) std::abort();
    }
    const std::string& path() const { return dir_; }

private:
    std::string dir_;
    char oldDir_[4096];
};

// Every file the asset generator makes, in the order start-up reads them; only a burst reads the last.
inline const char* const kDataFiles[] = {"f.glf",       "grass.bmp", "t1.bmp",      "va.bmp",         "vb.bmp",
                                         "model.bmp",   "tris2.md2", "sky.bmp",     "bulletFire.wav", "wpqce.wav",
                                         "explode.wav", "ugh.wav",   "particle.bmp"};

// Links the scratch directory's data/ to every generated file but `missing`: whole games on the real assets.
inline void LinkGeneratedData(ScratchDir& dir, const std::string& missing = "") {
    for (const char* name : kDataFiles) {
        if (missing == name) continue;
        const std::string from = std::string(ORVANTHE_DATA_DIR) + "/" + name;
        ASSERT_EQ(symlink(from.c_str(), (dir.path() + "/data/" + name).c_str()), 0) << name;
    }
}

// The look a tick of play takes: the player's input gathered as a tick
// gathers it (the cursor put back), then the camera's look.
inline LookTurn TickLook(Camera& camera) {
    TakeTickInput();
    return camera.MouseLook(g_tickInput.mouseX, g_tickInput.mouseY, g_tickInput.pad);
}

// A bullet that never moves, standing at p.
inline void StillBulletAt(Vector3 p) {
    g_bullets.push_back(std::make_unique<Bullet>());
    g_bullets.back()->Aim(Vector3(p.x, p.y - 10.0f, p.z), Vector3(p.x, p.y - 10.0f, p.z));
}

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
    void TearDown() override {
        StopSound();
        ResetProgramState();
    }

    // The first frame switches the title screen on.
    void ReachTitle() {
        RunFrame();
        ASSERT_TRUE(g_inTitle);
    }
    void StartPlay() {
        ReachTitle();
        Press({platform::Key::Enter});
        ASSERT_FALSE(g_inTitle);
    }
    // `keys` held together for `frames` frames, then let go.
    void Press(std::initializer_list<platform::Key> keys, int frames = 1) {
        for (platform::Key k : keys) script::HoldKey(k, true);
        for (int i = 0; i < frames; ++i) RunFrame();
        for (platform::Key k : keys) script::HoldKey(k, false);
    }
    // Frames until `ms` have passed, for tests that set a 20 ms frame cost.
    void PlayFor(uint32_t ms) {
        for (uint32_t t = 0; t < ms; t += 20) RunFrame();
    }
};
