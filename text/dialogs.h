// The modal end-of-game and pause dialogs, drawn in the game window with
// its font (the desktop's box while it has none). Each returns after the player
// has chosen; "&Quit" has then already posted the quit request, and the
// caller still finishes its frame.
#pragma once

void ShowCaughtDialog();
void ShowWinDialog();
void ShowFellDialog();
void ShowPauseDialog();

// Shows dialog `resource` and acts on the button chosen.
void ShowGameDialog(int resource);
