// The stepped clock of the browser backend, for tests that drive the game
// frame by frame (see orvanthe_step in web_window.cpp).
#pragma once

#include <cstdint>

namespace platform::web {

void UseSteppedClock();
bool SteppedClock();
void AdvanceSteppedClock(uint32_t milliseconds);

}  // namespace platform::web
