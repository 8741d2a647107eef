#include "app/display.h"

#include "core/settings.h"
#include "core/state.h"
#include "platform/input.h"
#include "platform/window.h"
#include "text/dialog_ui.h"
#include "text/dialogs.h"
#include "text/glf_font.h"

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
    using platform::IsKeyDown;
    using platform::Key;
    const bool altEnter = IsKeyDown(Key::Alt) && IsKeyDown(Key::Enter);
    const bool pressed = IsKeyDown(Key::F11) || altEnter;
    if (pressed && !g_fullscreenKeyLatched) {
        ToggleFullscreen();
        if (altEnter) g_enterTakenByToggle = true;
    }
    g_fullscreenKeyLatched = pressed;
    if (!IsKeyDown(Key::Enter)) g_enterTakenByToggle = false;
}

bool EnterIsTheToggles() { return g_enterTakenByToggle; }

void HandleFocusLost() {
    if (g_inTitle || platform::WindowFocused()) return;
    if (g_fullscreenSettle.armed && !g_fullscreenSettle.RunOut(kFullscreenSettleMs)) return;
    // Between frames: the one just presented is still in the buffer.
    if (CanDrawDialogs(g_font) && platform::SwapKeepsBackBuffer()) KeepPresentedFrame();
    ShowPauseDialog();
}
