// SDL backend for platform/clock.h: both clocks are SDL's millisecond tick
// counter, which wraps like the interface expects.
#include "platform/clock.h"

#include <SDL.h>

namespace platform {

uint32_t TickCount() { return SDL_GetTicks(); }

uint32_t PacingTime() { return SDL_GetTicks(); }

void Sleep(uint32_t milliseconds) { SDL_Delay(milliseconds); }

}  // namespace platform
