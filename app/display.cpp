#include "app/display.h"

#include "core/settings.h"
#include "core/state.h"
#include "platform/input.h"
#include "platform/window.h"
#include "text/dialog_ui.h"
#include "text/dialogs.h"
#include "text/glf_font.h"

namespace {
// Focus lost this soon after a toggle is the toggle's doing.
TickTimer g_fullscreenSettle;
}  // namespace

void ForgetFullscreenToggle() { g_fullscreenSettle = TickTimer(); }

bool ToggleFullscreen() {
    if (!platform::SetFullscreen(!platform::IsFullscreen())) return false;
    g_fullscreenSettle.Disarm();
    g_fullscreenSettle.Arm();
    // The player's choice is kept for the next run.
    g_settings.fullscreen = platform::IsFullscreen();
    SaveSettings();
    return true;
}

void HandleFullscreenKeys() {
    using platform::Key;
    // Two presses between frames are there and back again: the window need
    // not flash through the other mode.
    const int toggles = g_presses.Of(Key::F11) + g_presses.WithAlt(Key::Enter);
    if (toggles % 2 == 1) ToggleFullscreen();
}

void HandleFocusLost() {
    if (g_inTitle || platform::WindowFocused()) return;
    if (g_fullscreenSettle.armed && !g_fullscreenSettle.RunOut(kFullscreenSettleMs)) return;
    // Between frames: the one just presented is still in the buffer.
    if (CanDrawDialogs(g_font) && platform::SwapKeepsBackBuffer()) KeepPresentedFrame();
    ShowPauseDialog();
}
