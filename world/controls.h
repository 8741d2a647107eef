// The keyboard during play: turn and walk with the arrows, pause with ESC
// (once per press), fire with CONTROL every 700 ms.
#pragma once

#include <cstdint>

extern bool g_fireTimerArmed;
extern uint32_t g_fireTimerStart;
extern bool g_pauseKeyLatched;

void HandlePlayerInput();
