// The controls during play, through the player's bindings (by default:
// turn and walk with the arrows or WASD, look up and down with Page Up and
// Page Down, fire with CONTROL or the left mouse button every 700 ms, pause
// with ESC once per press; a gamepad's left stick, A, right trigger and
// Start).
#pragma once

void HandlePlayerInput();
// Whether this tick of play ends by pausing: ESC or a key bound to pause
// was pressed since the last tick.
bool PauseKeyWaiting();
