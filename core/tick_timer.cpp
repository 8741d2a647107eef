#include "core/tick_timer.h"

#include "core/state.h"

bool TickTimer::Arm() {
    if (armed) return false;
    start = g_gameTime;
    armed = true;
    return true;
}

bool TickTimer::RunOut(uint32_t intervalMs) const { return armed && g_gameTime - start > intervalMs; }
