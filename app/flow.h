// The frame driver: title screen or play, the rules that end a game, the
// new-game reset, the caption and presenting the frame.
#pragma once

#include <cstdint>

constexpr const char* kCaption = "Orvanthe";
// The platform square; a camera exactly on a border is still on it.
constexpr float kPlatformMinX = 0.0f;
constexpr float kPlatformMaxX = 1800.0f;
constexpr float kPlatformMinZ = -1800.0f;
constexpr float kPlatformMaxZ = 0.0f;
constexpr uint32_t kVictoryLapMs = 3000;
// A monster's box meeting a box reaching this far from the camera catches.
constexpr int kCatchHalfSize = 5;

// One complete frame, presented. Called once per main-loop pass.
void RunFrame();
// Puts the camera (and the monsters) back to their start.
void NewGame();
void TitleFrame();

void ClearAndDrawSky();
// How much wider than at 4:3 the sky box is drawn for the current
// viewport: 1 up to 4:3, the viewport's aspect over 4:3 beyond.
float SkyWidening();
void RunVictoryLap();

void PlaceCameraAtStart();
void ApplyCatchRule();
bool CameraLeftPlatform();
