// Millisecond clocks. Both are 32-bit and wrap; compare them only through
// unsigned differences (now - start).
#pragma once

#include <cstdint>

namespace platform {

uint32_t TickCount();   // game timers
uint32_t PacingTime();  // the main loop's pacing
void Sleep(uint32_t milliseconds);

}  // namespace platform
