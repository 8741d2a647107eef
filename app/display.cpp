#include "app/display.h"

#include "app/demos.h"
#include "app/flow.h"

#include "core/settings.h"
#include "core/state.h"
#include "platform/clock.h"
#include "platform/input.h"
#include "platform/window.h"
#include "text/dialogs.h"

namespace {
// Focus lost this soon after a toggle is the toggle's doing. On the
// desktop's clock, not the game's: it is about the window manager.
bool g_toggled = false;
uint32_t g_toggleTime = 0;
}  // namespace

void ForgetFullscreenToggle() { g_toggled = false; }

bool ToggleFullscreen() {
    if (!platform::SetFullscreen(!platform::IsFullscreen())) return false;
    g_toggled = true;
    g_toggleTime = platform::TickCount();
    // The player's choice is kept for the next run.
    g_settings.fullscreen = platform::IsFullscreen();
    SaveSettings();
    return true;
}

void HandleFullscreenKeys() {
    using platform::Key;
    // Two presses between frames are there and back again: the window need
    // not flash through the other mode.
    const int toggles =
        ActionPresses(g_settings.bindings, Action::Fullscreen, g_presses) + g_presses.WithAlt(Key::Enter);
    if (toggles % 2 == 1) ToggleFullscreen();
}

void HandleFocusLost() {
    // A replay pauses only where its recording did.
    if (g_inTitle || GameDialogOpen() || platform::WindowFocused() || Replaying()) return;
    if (g_toggled && platform::TickCount() - g_toggleTime <= kFullscreenSettleMs) return;
    // Between frames: the one just presented is still in the buffer.
    PauseGame();
}
