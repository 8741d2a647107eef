// Fullscreen on any screen, and pausing when the player leaves the window.
#pragma once

#include <cstdint>

// How long after a fullscreen toggle a lost focus is taken to be the
// toggle's doing: some window managers unmap and remap the window.
constexpr uint32_t kFullscreenSettleMs = 1000;

// Borderless fullscreen on or off, remembered in the settings; true when
// the window changed. Focus lost for a moment afterwards does not pause
// the game.
bool ToggleFullscreen();
// Program start: no toggle has been made.
void ForgetFullscreenToggle();

// Called by the frame driver every frame: each press of F11 or Alt+Enter
// since the last frame toggles. The ENTER of an Alt+Enter is no ENTER press.
void HandleFullscreenKeys();

// The window lost the keyboard focus: during play the pause dialog opens,
// as ESC would, unless the focus is already back or the loss came from the
// game's own fullscreen toggle. Nothing happens on the title screen.
void HandleFocusLost();
