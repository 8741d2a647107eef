// The controls during play, through the player's bindings (by default:
// turn and walk with the arrows or WASD, look up and down with Page Up and
// Page Down, fire with CONTROL or the left mouse button every 700 ms, pause
// with ESC once per press; a gamepad's left stick, A, right trigger and
// Start).
#pragma once

#include <cstdint>

// The time between shots, a rule of the game.
constexpr uint32_t kFireIntervalMs = 700;
// Plants a changed rule: the demos' tests prove a replay notices one.
// Every game but theirs fires every kFireIntervalMs.
void ChangeFireIntervalForTests(uint32_t ms);

void HandlePlayerInput();
// Whether this tick of play ends by pausing: ESC or a key bound to pause
// was pressed since the last tick.
bool PauseKeyWaiting();
