// Which family a browser's gamepad belongs to, from the id string the
// browser gives it. Chromium writes "DualSense Wireless Controller
// (STANDARD GAMEPAD Vendor: 054c Product: 0ce6)", Firefox
// "054c-0ce6-DualSense Wireless Controller": the USB vendor id says most,
// the name the rest. Plain C++, so it is tested without a browser.
#pragma once

#include "platform/input.h"

namespace platform {

// PlayStation for Sony's pads, Nintendo for Nintendo's, Xbox for any
// other (and for an empty or unreadable id).
PadLayout LayoutFromGamepadId(const char* id);

}  // namespace platform
