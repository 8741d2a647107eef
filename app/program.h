// Program entry, the window's message handling and the paced main loop.
// app/main.cpp only finds the data folder and calls ProgramMain, so tests
// and benchmarks drive the same code through any backend.
#pragma once

#include <string>

#include "app/demos.h"
#include "camera/matrices.h"
#include "platform/window.h"

struct Settings;

constexpr int kWindowWidth = 800;
constexpr int kWindowHeight = 600;
constexpr unsigned kMinPassMs = 20;  // at most 50 passes a second, at max_fps 50
constexpr unsigned kSleepStepMs = 10;

// Start-up's first half, shared by main, the benchmark and the tests: the
// window and its GL context, the projection for the drawable it got, and
// the fixed GL state. False, with *error, when no window or context.
bool OpenGameWindow(int width, int height, std::string* error);

// Opens the window, sets the fixed GL state, loads the game, runs the loop
// and shuts down. Returns the quit request's exit code, or 1 when no window
// or GL context could be made. In the browser it returns only on that
// failure: the page runs the loop and the shutdown after main.
int ProgramMain(const DemoRequest& demo = {});

// Handles one window message taken by the loop (resize and close).
void WindowProc(const platform::Message& message);

// Viewport and perspective for a drawable of this size, at the settings'
// field of view.
void SetProjection(int width, int height);
// The projection the game draws a view of this size with, at this field of
// view: the picture's, and the frustum the monsters' rules are cut from.
Matrix4 GameProjection(float fieldOfView, int width, int height);

// Changes the field of view (degrees, top to bottom; clamped to the
// settings' range) and the projection with it, for a change seen at once:
// the sky, the frustum of the monsters' rules and the picture follow from
// the next frame. Call it between frames, as a resize is handled; the
// caller saves the settings.
void SetFieldOfView(float degrees);

// max_fps 50: every pass one tick and its picture, at the tick, without
// vsync, as the game has always drawn.
bool DrawsAtTheTick();
// Vsync and the frame cap as g_settings have them, from the next frame on.
void ApplyPacingSettings();
// The options screen changed g_settings from `before`: the window, the
// pacing, the projection and the sound follow at once.
void ApplyChangedSettings(const Settings& before);

// One pass of the main loop: take at most one message, run one frame (none
// while the window is hidden), pace (unless the display does), dispatch.
// Returns false, with the exit code, when the quit request was taken.
bool MainLoopPass(int* exitCode);
