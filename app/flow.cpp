#include "app/flow.h"

#include <GL/gl.h>

#include <cstdio>

#include "app/display.h"
#include "camera/camera.h"
#include "core/sound.h"
#include "core/state.h"
#include "monsters/monster.h"
#include "platform/clock.h"
#include "platform/input.h"
#include "platform/window.h"
#include "scenery/sky_cache.h"
#include "text/dialog_ui.h"
#include "text/dialogs.h"
#include "text/glf_font.h"
#include "text/title.h"
#include "world/bullet.h"
#include "world/controls.h"
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

namespace {

// M, on any screen: mutes or unmutes all sound, once per press; two
// presses between frames are off and on again.
void HandleMuteKey() {
    if (g_presses.Of(platform::Key::M) % 2 == 0) return;
    g_muted = !g_muted;
    ApplySoundVolume();
}

}  // namespace

void TitleFrame() {
    DrawTitle(g_font);
    g_bullets.clear();
}

float SkyWidening() {
    const long width = g_viewportWidth, height = g_viewportHeight;
    if (width <= 0 || height <= 0) return 1.0f;
    if (width * 3 <= height * 4) return 1.0f;
    return float(width * 3) / float(height * 4);
}

// The sky is drawn on the identity modelview, in eye space: it neither
// turns nor moves with the camera. The box is just wide enough for a 4:3
// view; a wider view would see its side faces, so the box widens with the
// view and its far face fills the frame as at 4:3. It is drawn once and
// copied after while nothing it depends on changes.
void ClearAndDrawSky() {
    glLoadIdentity();
    const float widen = SkyWidening();
    g_skyCache.ClearAndDraw({234.0f * widen, -155.0f, -319.0f, 2000.0f * widen, 2000.0f, 2000.0f});
}

// The pause shows the frame the player last saw. Where a swap leaves it in
// the buffer drawn into, it is kept only when the pause is about to open,
// before the sky covers it; elsewhere every play frame is kept as it is
// presented (a copy of the whole frame: about 2.5 ms in software GL).
void KeepFrameForPause() {
    if (!g_inTitle && PauseKeyWaiting() && CanDrawDialogs(g_font) && platform::SwapKeepsBackBuffer())
        KeepPresentedFrame();
}

// Unpaced frames of play, with no messages and no rules, for the three
// seconds after the last monster died. The first is drawn at once.
void RunVictoryLap() {
    g_victoryStart = platform::TickCount();
    while (platform::TickCount() - g_victoryStart < kVictoryLapMs) {
        // Keys stay live for the lap's walking and shooting, though no
        // window message is taken.
        platform::PumpInput();
        g_presses = platform::TakePresses();
        KeepFrameForPause();
        ClearAndDrawSky();
        UpdateWorld();
        platform::SwapWindowBuffers();
    }
}

void RunFrame() {
    // Every press since the last frame, however short: a tap between two
    // looks at the keyboard still acts.
    g_presses = platform::TakePresses();
    KeepFrameForPause();

    if (!g_firstFrame) {
        g_firstFrame = true;
        g_inTitle = true;
    }
    const bool wasTitle = g_inTitle;
    HandleFullscreenKeys();
    using platform::Key;
    // ENTER is tested first: with both keys pressed, play starts and nobody
    // quits.
    if (g_presses.WithoutAlt(Key::Enter) > 0 && g_inTitle) g_inTitle = false;
    if (g_presses.Of(Key::Escape) > 0 && g_inTitle) platform::PostQuit(0);
    // A gamepad's Start is ENTER here and Back is ESC. The Start that began
    // play is spent: it must not also pause.
    if (g_presses.Of(Key::PadStart) > 0 && g_inTitle) {
        g_inTitle = false;
        g_presses.count[int(Key::PadStart)] = 0;
    }
    if (g_presses.Of(Key::PadBack) > 0 && g_inTitle) platform::PostQuit(0);
    HandleMuteKey();

    // The first frame of play shows what every later one does: the eye
    // already on the ground (the start point lies below it) and the sky in
    // its own colours, not tinted by the title's letters.
    if (wasTitle && !g_inTitle) {
        FollowTerrain();
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    }
    ClearAndDrawSky();

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
    if (!g_inTitle && CanDrawDialogs(g_font) && !platform::SwapKeepsBackBuffer()) KeepPresentedFrame();
    platform::SwapWindowBuffers();
}
