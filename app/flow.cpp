#include "app/flow.h"

#include <algorithm>
#include <cstdio>

#include "app/demos.h"
#include "app/display.h"
#include "app/program.h"
#include "app/sky_view.h"
#include "camera/camera.h"
#include "camera/matrices.h"
#include "core/best_run.h"
#include "core/settings.h"
#include "core/sound.h"
#include "core/state.h"
#include "monsters/monster.h"
#include "platform/clock.h"
#include "platform/dialog.h"
#include "platform/input.h"
#include "platform/window.h"
#include "scenery/sky_cache.h"
#include "text/dialog_ui.h"
#include "text/dialogs.h"
#include "text/glf_font.h"
#include "text/title.h"
#include "world/bullet.h"
#include "world/controls.h"
#include "world/explosion.h"
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
    // A burst of the last game never shows in this one, nor draws random
    // numbers in it, however soon the player starts it.
    g_explosions.clear();
}

namespace {

// M (or what mute is bound to), on any screen: mutes or unmutes all
// sound, once per press; two presses between frames are off and on again.
void HandleMuteKey() {
    if (ActionPresses(g_settings.bindings, Action::Mute, g_presses) % 2 == 0) return;
    g_muted = !g_muted;
    ApplySoundVolume();
}

}  // namespace

namespace {

// How a tick of play ended the game; said to the player once its picture is
// drawn, so the box stands over the frame that ended it. Paused: the tick
// took ESC; it is the frame's last, and the pause stands over the frame
// before it. No tick of the frame runs on presses made while a box stood
// (the one that gave the focus back can hold the very key that closed it).
// Options: the title's O or pad Back opened the options screen, which then
// stands over the title's picture as a box would (no game ends).
enum class GameEnd { None, Paused, Caught, Fell, Won, Options };

// O or pad Back was pressed on the title since the last tick.
bool g_optionsAsked = false;

// Ticks of the game being played, the victory lap left out: its time.
uint32_t g_runTicks = 0;

// The game just won, kept if it is the player's best; a replayed win is
// the recording's, not the player's.
void OfferWonGame() {
    if (Replaying()) return;
    OfferWonRun(g_runTicks, DemoOfThisGame());
}

// Set by the tick that asked to quit, which is the last to run: the
// request is taken only when the loop next polls, and ticks run before
// that in the same frame would be in the recording but not in its replay,
// which ends on the tick that asked.
bool g_quitAsked = false;

void AskToQuit() {
    g_quitAsked = true;
    platform::PostQuit(0);
}

// The title screen's keys, F11 and Alt+Enter, and M, from the presses
// since the last tick. A replay's window and sound are the viewer's: the
// recording's F11 and M are not theirs.
void HandleScreenKeys() {
    if (!Replaying()) HandleFullscreenKeys();
    using platform::Key;
    // ENTER is tested first: with both keys pressed, play starts and nobody
    // quits.
    if (g_presses.WithoutAlt(Key::Enter) > 0 && g_inTitle) g_inTitle = false;
    if (g_presses.Of(Key::Escape) > 0 && g_inTitle) AskToQuit();
    // A gamepad's Start is ENTER here and Back is ESC. The Start that began
    // play is spent: it must not also pause.
    if (g_presses.Of(Key::PadStart) > 0 && g_inTitle) {
        g_inTitle = false;
        g_presses.count[int(Key::PadStart)] = 0;
    }
    if (g_presses.Of(Key::PadBack) > 0 && g_inTitle) AskToQuit();
    // O and the pad's top face button open the options, as the title says.
    if (g_presses.Of(Key::O) + g_presses.Of(Key::PadY) > 0 && g_inTitle) g_optionsAsked = true;
    if (!Replaying()) HandleMuteKey();
}

// One tick of the game: the screen's keys, then the title or a step of
// the world and the rules that end a game. The victory lap's ticks walk and
// shoot on without those rules, and its last one ends the game as won.
GameEnd TickGame() {
    if (!g_firstFrame) {
        g_firstFrame = true;
        g_inTitle = true;
    }
    const bool wasTitle = g_inTitle;
    HandleScreenKeys();
    // The first tick of play starts with the eye on the ground (the start
    // point lies below it), as every later one does.
    if (wasTitle && !g_inTitle) {
        FollowTerrain();
        NoteGameStart();
        g_runTicks = 0;
    }
    if (g_inTitle) {
        g_bullets.clear();
        const bool options = g_optionsAsked;
        g_optionsAsked = false;
        return options ? GameEnd::Options : GameEnd::None;
    }
    g_optionsAsked = false;
    TickWorld();
    if (wasTitle) ForgetPreviousTick();
    if (g_lapTicksLeft > 0) {
        if (--g_lapTicksLeft > 0) return GameEnd::None;
        OfferWonGame();
        return GameEnd::Won;
    }
    ++g_runTicks;
    if (CaughtByAMonster()) return GameEnd::Caught;
    if (CameraLeftPlatform()) return GameEnd::Fell;
    if (AllMonstersDefeated()) g_lapTicksLeft = kVictoryLapTicks;
    return GameEnd::None;
}

// Whether the last frame drawn was the title's: its letters leave their red
// to tint the next sky, as every title frame after the first shows it.
bool g_titleDrawnLast = false;

// The sky, then the title or what the last tick of play left, `alpha` of
// the way from the tick before. Play shows the sky in its own colours, its
// first frame too: the title's red tints only the title.
void DrawGame(float alpha) {
    const SkyTint kWhite{1.0f, 1.0f, 1.0f, 1.0f}, kTitleRed{1.0f, 0.0f, 0.0f, 1.0f};
    ClearAndDrawSky(g_inTitle && g_titleDrawnLast ? kTitleRed : kWhite);
    g_titleDrawnLast = g_inTitle;
    if (g_inTitle) {
        DrawTitle(g_font, BestRunKnown() ? "Best time " + FormatRunTime(BestRunTicks()) : "");
    } else {
        DrawWorld(alpha);
    }
}

// Whether the open dialog ends the game: answered, the title follows.
bool g_dialogEndsGame = false;
// When the box standing opened, on the platform's clock: a demo keeps how
// long each box stood.
uint32_t g_boxOpenedAt = 0;

// Opens the box a tick's end of the game calls for, over its picture.
void OpenEndDialog(GameEnd end) {
    g_boxOpenedAt = platform::TickCount();
    switch (end) {
    case GameEnd::None:
    case GameEnd::Paused: return;
    case GameEnd::Options: OpenOptionsScreen(); return;
    case GameEnd::Caught:
        PlaySound(g_ughSample);
        OpenCaughtDialog();
        break;
    case GameEnd::Fell:
        PlaySound(g_ughSample);
        OpenFellDialog();
        break;
    case GameEnd::Won: OpenWinDialog(); break;
    }
    g_dialogEndsGame = true;
}

// The open dialog's frame. Answered, an end of the game starts a new one
// at the title; "&Quit" has posted the quit request.
void StepDialog() {
    const int answer = StepGameDialog();
    if (answer != 0) RecordAnswer(answer, platform::TickCount() - g_boxOpenedAt);
    if (answer == 0 || !g_dialogEndsGame) return;
    g_dialogEndsGame = false;
    NewGame();
    g_inTitle = true;
}

}  // namespace

bool CaughtByAMonster() {
    for (auto& monster : g_monsters)
        if (monster->Overlaps(g_camera.position, kCatchHalfSize, kCatchHalfSize)) return true;
    return false;
}

namespace {

// When the next tick is due on the platform's clock; unset before the
// first frame.
bool g_clockRunning = false;
uint32_t g_nextTickTime = 0;

// One tick at game time `time`, with every press since the last tick,
// however short: a tap between two looks at the keyboard still acts.
GameEnd Tick(uint32_t time) {
    g_gameTime = time;
    TakeTickInput();
    const GameEnd end = TickGame();
    // ESC in play pauses once the tick is done: the world stands still
    // between two ticks, never inside one.
    const bool pausing = !g_inTitle && PauseKeyWaiting();
    return end == GameEnd::None && pausing ? GameEnd::Paused : end;
}

// A replay's first ticks that are not to be seen (the games before a best
// run) run at once, undrawn and unheard, each box answered as recorded.
void RunHiddenTicks() {
    if (ReplayedTicks() >= ReplayHiddenTicks()) return;
    const bool muted = g_muted;
    g_muted = true;
    ApplySoundVolume();
    uint32_t gameTime = ReplayNextTickTime();
    while (ReplayedTicks() < ReplayHiddenTicks() && !g_quitAsked) {
        const DemoRecord next = NextReplayRecord();
        if (next == DemoRecord::End) break;
        GameEnd end = GameEnd::None;
        if (next == DemoRecord::Tick) {
            end = Tick(gameTime);
            gameTime += kTickMs;
            if (end == GameEnd::None) continue;
        }
        // A box the game opened, or the player's leaving the window opened.
        const int answer = TakeReplayAnswer(0);
        if (answer == 0) break;
        if (answer == platform::kDialogSecondButton) {
            platform::PostQuit(0);
            break;
        }
        if (end == GameEnd::Caught || end == GameEnd::Fell || end == GameEnd::Won) {
            NewGame();
            g_inTitle = true;
        }
    }
    g_muted = muted;
    ApplySoundVolume();
}

// The picture of the last tick presented, or the box that tick opened: the
// pause over the frame before it, an end of the game over its own picture.
void Present(GameEnd end, float alpha = 1.0f) {
    // The pointer belongs to the game only during play, not a replay's.
    platform::SetMouseCaptured(!g_inTitle && !Replaying());
    std::snprintf(g_windowTitle, sizeof g_windowTitle, "%s", kCaption);
    platform::SetCaption(g_windowTitle);
    if (end == GameEnd::Paused) {
        PauseGame();
        return;
    }
    DrawGame(alpha);
    if (end != GameEnd::None) {
        OpenEndDialog(end);
        // The desktop's box was answered as it opened.
        StepDialog();
        return;
    }
    // Only play frames: the pause opens only in play.
    if (!g_inTitle && CanDrawDialogs(g_font) && !platform::SwapKeepsBackBuffer()) KeepPresentedFrame();
    platform::SwapWindowBuffers();
}

}  // namespace

void ForgetGameClock() {
    g_clockRunning = false;
    g_runTicks = 0;
    g_boxOpenedAt = 0;
    g_titleDrawnLast = false;
    g_dialogEndsGame = false;
    g_optionsAsked = false;
    g_quitAsked = false;
    ForgetGameDialog();
}

void PauseGame() {
    // The box stands over the frame the player last saw. Where a swap
    // leaves it in the buffer drawn into it is kept now, before anything
    // covers it; elsewhere every play frame was kept as it was presented.
    if (CanDrawDialogs(g_font) && platform::SwapKeepsBackBuffer()) KeepPresentedFrame();
    g_boxOpenedAt = platform::TickCount();
    OpenPauseDialog();
    // The desktop's box was answered as it opened.
    StepDialog();
}

void RunFrame() {
    const GameEnd end = Tick(platform::TickCount());
    Present(end);
    AnswerDialogFrames();
}

void AnswerDialogFrames() {
    // The desktop's box has its answer as it opens: no wait for it.
    StepDialog();
    while (GameDialogOpen()) {
        platform::WaitForInput(kDialogWaitMs);
        platform::Message message;
        while (GameDialogOpen() && platform::PollMessage(&message)) {
            if (message.type == platform::MessageType::Quit) {
                // Asked for elsewhere: it stands, and the box gives way.
                platform::PostQuit(message.exitCode);
                QuitGameDialog();
                break;
            }
            WindowProc(message);
            if (message.type == platform::MessageType::Close) break;
        }
        StepDialog();
    }
}

void RunFrameAt(uint32_t now, bool interpolate, float fraction) {
    if (Replaying()) {
        if (ReplayOver(now)) {
            platform::PostQuit(0);
            return;
        }
        if (!g_clockRunning) RunHiddenTicks();
    }
    if (GameDialogOpen()) {
        if (!Replaying()) {
            StepDialog();
        } else if (const int answer = TakeReplayAnswer(now); answer != 0) {
            // The recording's answer, once the box has stood as long; the
            // viewer's keys never reach the box.
            AnswerGameDialog(answer);
            StepDialog();
        }
        // Time behind a box is not played: the first tick after it closes
        // is due a tick later, as if the box had lasted no time.
        g_nextTickTime = now + kTickMs;
        return;
    }
    // The game's clock starts at the platform's and then moves only by
    // ticks. Time the game did not see (a dialog open, the window hidden, a
    // stall longer than kMaxCatchUpMs) is not played out: the world and its
    // timers stand still through it.
    uint32_t gameTime = g_gameTime + kTickMs;
    if (!g_clockRunning) {
        g_nextTickTime = now;
        gameTime = Replaying() ? ReplayNextTickTime() : now;
        g_clockRunning = true;
    } else if (int32_t(now - g_nextTickTime) > int32_t(kMaxCatchUpMs)) {
        g_nextTickTime = now;
    }
    GameEnd end = GameEnd::None;
    // A replay whose player left the window between two ticks pauses there.
    bool pauseAfter = false;
    // A tick that ends the game is the last before its picture and its box.
    while (int32_t(now - g_nextTickTime) >= 0 && end == GameEnd::None && !g_quitAsked) {
        if (Replaying()) {
            const DemoRecord next = NextReplayRecord();
            pauseAfter = next == DemoRecord::Answer;
            if (next != DemoRecord::Tick) break;
        }
        end = Tick(gameTime);
        gameTime += kTickMs;
        g_nextTickTime += kTickMs;
    }
    const float sinceTick = float(now - (g_nextTickTime - kTickMs)) + fraction;
    const float alpha = interpolate ? std::min(sinceTick / float(kTickMs), 1.0f) : 1.0f;
    Present(end, alpha);
    if (pauseAfter) PauseGame();
}
