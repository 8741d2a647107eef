#include "core/tick_timer.h"

#include "platform/clock.h"

bool TickTimer::Arm() {
    if (armed) return false;
    start = platform::TickCount();
    armed = true;
    return true;
}

bool TickTimer::RunOut(uint32_t intervalMs) const { return armed && platform::TickCount() - start > intervalMs; }
