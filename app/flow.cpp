#include "app/flow.h"

#include <GL/gl.h>

#include <cstdio>

#include "camera/camera.h"
#include "text/dialogs.h"
#include "core/sound.h"
#include "core/state.h"
#include "monsters/monster.h"
#include "platform/clock.h"
#include "platform/input.h"
#include "platform/window.h"
#include "scenery/skybox.h"
#include "text/dialog_ui.h"
#include "text/glf_font.h"
#include "text/title.h"
#include "world/bullet.h"
#include "world/world.h"

void PlaceCameraAtStart() {
    // Looking one unit along -z: that length is the walking speed.
    const Vector3& p = kCameraStart;
    g_camera.Place(p.x, p.y, p.z, p.x, p.y, p.z - 1.0f, 0.0f, 1.0f, 0.0f);
}

bool CameraLeftPlatform() {
    const Vector3& p = g_camera.position;
    return p.x < kPlatformMinX || p.x > kPlatformMaxX || p.z > kPlatformMaxZ || p.z < kPlatformMinZ;
}

void NewGame() {
    ResetMonsters();
    PlaceCameraAtStart();
}

// Every monster in index order, whatever its hit points; after a catch the
// others stand at their starts again and no longer catch.
void ApplyCatchRule() {
    for (auto& monster : g_monsters) {
        if (!monster->Overlaps(g_camera.position, kCatchHalfSize, kCatchHalfSize)) continue;
        PlaySound(g_ughSample);
        ShowCaughtDialog();
        NewGame();
        g_inTitle = true;
    }
}

void TitleFrame() {
    DrawTitle(g_font);
    g_bullets.clear();
}

// The sky is drawn on the identity modelview, in eye space: it neither
// turns nor moves with the camera.
void ClearAndDrawSky() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    DrawSkyBox(234.0f, -155.0f, -319.0f, 2000.0f, 2000.0f, 2000.0f);
}

// Unpaced frames of play, with no messages and no rules, for the three
// seconds after the last monster died. The first is drawn at once.
void RunVictoryLap() {
    g_victoryStart = platform::TickCount();
    while (platform::TickCount() - g_victoryStart < kVictoryLapMs) {
        // Keys stay live for the lap's walking and shooting, though no
        // window message is taken.
        platform::PumpInput();
        ClearAndDrawSky();
        UpdateWorld();
        platform::SwapWindowBuffers();
    }
}

void RunFrame() {
    ClearAndDrawSky();

    if (!g_firstFrame) {
        g_firstFrame = true;
        g_inTitle = true;
    }
    // ENTER is tested first: with both keys down, play starts and nobody quits.
    if (platform::IsKeyDown(platform::Key::Enter) && g_inTitle) g_inTitle = false;
    if (platform::IsKeyDown(platform::Key::Escape) && g_inTitle) platform::PostQuit(0);

    // The pointer belongs to the game only during play.
    platform::SetMouseCaptured(!g_inTitle);
    if (g_inTitle) {
        TitleFrame();
    } else {
        UpdateWorld();
    }

    ApplyCatchRule();
    if (CameraLeftPlatform()) {
        PlaySound(g_ughSample);
        ShowFellDialog();
        g_inTitle = true;
        NewGame();
    }
    if (AllMonstersDefeated()) {
        RunVictoryLap();
        ShowWinDialog();
        NewGame();
        g_inTitle = true;
    }

    std::snprintf(g_windowTitle, sizeof g_windowTitle, "%s", kCaption);
    platform::SetCaption(g_windowTitle);
    // Only play frames: the pause opens only in play.
    if (!g_inTitle && CanDrawDialogs(g_font)) KeepPresentedFrame();
    platform::SwapWindowBuffers();
}
