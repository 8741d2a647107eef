// The browser's clocks: the page's monotonic clock, or, for tests that
// step the game frame by frame, a clock only the test moves.
#include <emscripten.h>

#include "platform/clock.h"
#include "platform/web/web_clock.h"

namespace platform {

namespace {
bool stepped = false;
uint32_t steppedNow = 1000;
}  // namespace

namespace web {

void UseSteppedClock() { stepped = true; }
bool SteppedClock() { return stepped; }
void AdvanceSteppedClock(uint32_t milliseconds) { steppedNow += milliseconds; }

}  // namespace web

uint32_t TickCount() {
    if (stepped) return steppedNow;
    // Whole milliseconds, wrapping as the desktop's do.
    return uint32_t(uint64_t(emscripten_get_now()));
}

uint32_t PacingTime() { return TickCount(); }

// The page's animation frames pace the loop (DisplayPacesLoop): nothing
// here may block the page.
void Sleep(uint32_t) {}

}  // namespace platform
