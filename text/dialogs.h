// The end-of-game and pause dialogs, one at a time over the game, drawn in
// its window with its font (the desktop's box while it has none). Opening
// one returns at once; the frame driver steps it once a frame, and runs no
// tick, until the player has chosen.
#pragma once

#include "text/options_screen.h"

void OpenCaughtDialog();
void OpenWinDialog();
void OpenFellDialog();
void OpenPauseDialog();
// Opens dialog `resource`. The desktop's box is modal: it has been
// answered when this returns, and the next step hands the answer on.
void OpenGameDialog(int resource);

// The options screen over the frame in the buffer (the title's). Answered
// (left), it steps as kDialogFirstButton. The pause opens it with its
// "Options" button; left, the pause stands again.
void OpenOptionsScreen();
bool OptionsScreenOpen();
// The options screen, open or not: what it shows, for tests and tools.
const OptionsScreen& GameOptionsScreen();
// What the options screen calls to make the game follow a changed setting.
void SetOptionsApply(ApplySettingsFn apply);

// A dialog or the options screen stands.
bool GameDialogOpen();
// One frame of the open dialog. Returns 0 while it stays open, else the
// player's choice (kDialogFirstButton or kDialogSecondButton; a box that
// could not be shown counts as the first). "&Quit" has then already posted
// the quit request.
int StepGameDialog();
// Answers whatever stands as the player once did (a replay): closed, it
// steps as `answer`, which acts as that button does ("&Quit" quits).
void AnswerGameDialog(int answer);
// Answers the dialog standing in the window as its close box does: "&Quit".
void QuitGameDialog();
// The window's focus or size changed: the open dialog is drawn again.
void RedrawGameDialog();
// Closes any open dialog unanswered (a reset, shutdown).
void ForgetGameDialog();
