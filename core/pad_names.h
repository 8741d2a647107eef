// A gamepad's buttons, sticks and triggers as the pad in the player's hands
// prints them: the same button is "A" on an Xbox pad, "Cross" on a
// PlayStation one and "B" on a Nintendo one. And which button answers yes
// or goes back, as players of each family expect.
#pragma once

#include <string>

#include "platform/input.h"

// The label printed on a pad button (platform::Key::PadA and the rest, by
// position), for this family of pad; an Xbox pad's without one (None).
// nullptr for a key that is no pad button.
const char* PadButtonLabel(platform::Key key, platform::PadLayout layout);

enum class PadAxisName { LeftStick, RightStick, LeftTrigger, RightTrigger };
// "Left Stick", or a trigger as printed ("RT", "R2", "ZR").
const char* PadAxisLabel(PadAxisName axis, platform::PadLayout layout);

// The button that answers yes (chooses, confirms) and the one that goes
// back (quits, cancels). On a Nintendo pad those are the ones printed A (on
// the right) and B (at the bottom), as its players expect; on every other
// pad the bottom and the right one (A and B, Cross and Circle).
platform::Key PadConfirmButton(platform::PadLayout layout);
platform::Key PadBackButton(platform::PadLayout layout);

// A line telling a pad's player the two, e.g. "A Resume   B Quit" or
// "Cross Resume   Circle Quit"; "" without a pad.
std::string ConfirmBackHint(platform::PadLayout layout, const char* confirm, const char* back);
