// The keyboard during play: turn and walk with the arrows, pause with ESC
// (once per press), fire with CONTROL every 700 ms. Beside them: WASD, the
// left mouse button, and a gamepad's left stick, Start, A and right trigger.
#pragma once

void HandlePlayerInput();
// Whether this tick of play ends by pausing: ESC or Start was pressed
// since the last tick.
bool PauseKeyWaiting();
