#include "world/rumble.h"

#include <cstdint>

#include "core/settings.h"
#include "core/state.h"
#include "platform/input.h"

namespace {

struct Shake {
    float low, high;  // the heavy and the light motor, 0..1
    uint32_t ms;
};
// A shot is a short, light kick, long over before the next one 700 ms
// later; a hit thumps with the heavy motor and lasts twice as long.
constexpr Shake kShot{0.15f, 0.35f, 80};
constexpr Shake kHit{0.55f, 0.75f, 160};

void Play(const Shake& shake) {
    if (!g_settings.rumble || platform::GetPadLayout() == platform::PadLayout::None) return;
    platform::Rumble(shake.low, shake.high, shake.ms);
}

}  // namespace

void RumbleForShot() { Play(kShot); }
void RumbleForHit() { Play(kHit); }
