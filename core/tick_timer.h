// A timer on the game's clock (g_gameTime, the time of the tick running)
// with the armed-flag rule every game timer follows (firing, damage, animation, the hunt delay): arming notes
// the tick, and the timer has run out once more than its interval has
// passed since. Unsigned differences keep it right across the 32-bit wrap.
#pragma once

#include <cstdint>

struct TickTimer {
    bool armed = false;
    uint32_t start = 0;

    // Notes the current tick if the timer is idle; true when this call did.
    bool Arm();
    // Armed, and more than intervalMs since it was.
    bool RunOut(uint32_t intervalMs) const;
    void Disarm() { armed = false; }
};
