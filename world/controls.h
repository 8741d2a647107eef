// The keyboard during play: turn and walk with the arrows, pause with ESC
// (once per press), fire with CONTROL every 700 ms. Beside them: WASD, the
// left mouse button, and a gamepad's left stick, Start, A and right trigger.
#pragma once

void HandlePlayerInput();
// Whether the next HandlePlayerInput opens the pause: ESC or Start was
// pressed since the last frame.
bool PauseKeyWaiting();
