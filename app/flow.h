// The frame driver: title screen or play, the rules that end a game, the
// victory lap, the new-game reset, the caption and presenting the frame.
#pragma once

#include <cstdint>

constexpr const char* kCaption = "Orvanthe";
// The platform square; a camera exactly on a border is still on it.
constexpr float kPlatformMinX = 0.0f;
constexpr float kPlatformMaxX = 1800.0f;
constexpr float kPlatformMinZ = -1800.0f;
constexpr float kPlatformMaxZ = 0.0f;
// The world's step: 20 ms of game time.
constexpr uint32_t kTickMs = 20;
// After the last monster dies, three seconds of play go on before the win.
constexpr int kVictoryLapTicks = 3000 / kTickMs;
// A monster's box meeting a box reaching this far from the camera catches.
constexpr int kCatchHalfSize = 5;

// A stall longer than this is not made up in ticks.
constexpr uint32_t kMaxCatchUpMs = 100;
// While a dialog stands the loop sleeps until input, or this long: how late
// a quit signal is seen at worst.
constexpr unsigned kDialogWaitMs = 100;

// The main loop's entry: every tick due by `now` (the platform's clock),
// each 20 ms of game time after the last, then the picture of the last,
// presented. A tick that ends a game or pauses is the last before its
// picture and its box; while a box stands, a frame is one step of it and
// no tick runs.
// With `interpolate`, the picture stands between the last two ticks, as far
// as `now` is past the last: frames at the screen's rate move evenly.
// `fraction` is how far past `now` the frame's time lies, in milliseconds.
void RunFrameAt(uint32_t now, bool interpolate = false, float fraction = 0.0f);
// One tick at the platform clock's time and its picture, presented: a
// frame as the game drew it at 50 a second, for tests and tools. A box it
// opens is answered before it returns, a frame of the box per wait for
// input, with the window's messages handled between.
void RunFrame();
// Runs the standing box's frames until it is answered, as RunFrame does:
// a wait for input, the window's messages, a step.
void AnswerDialogFrames();
// Opens the pause over the frame last presented (ESC, Start, lost focus).
void PauseGame();
// Program start: no tick has been run on the loop's clock, no box stands,
// no frame has been drawn.
void ForgetGameClock();
// Puts the camera (and the monsters) back to their start.
void NewGame();

void PlaceCameraAtStart();
// A monster's box meets the box around the camera: the player is caught.
bool CaughtByAMonster();
bool CameraLeftPlatform();
