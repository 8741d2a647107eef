// The keyboard during play: turn and walk with the arrows, pause with ESC
// (once per press), fire with CONTROL every 700 ms.
#pragma once

void HandlePlayerInput();
