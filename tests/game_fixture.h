// Shared set-up for tests that drive the game through the scripted backend:
// a fresh script, a current headless GL context with the game's fixed
// state, and the flow flags as at program start.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "app/flow.h"
#include "app/program.h"
#include "app/startup.h"
#include "platform/scripted/script.h"

class GameTest : public ::testing::Test {
protected:
    void SetUp() override {
        script::Reset();
        std::string error;
        ASSERT_TRUE(platform::CreateMainWindow(kCaption, kWindowWidth, kWindowHeight, &error)) << error;
        SetProjection(kWindowWidth, kWindowHeight);
        SetFixedGlState();
        g_inTitle = false;
        g_firstFrame = false;
        PlaceCameraAtStart();
        script::ClearLog();
    }

    // Runs frames until the title screen shows (the first frame switches it on).
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
};
