// Modal dialogs: a box with a caption, a group caption, a message and two
// buttons, and the plain message box for errors.
#pragma once

#include <string>

namespace platform {

struct DialogText {
    const char* caption;       // window title of the box
    const char* firstButton;   // "&New Game" or "&Resume"; '&' marks a mnemonic
    const char* secondButton;  // "&Quit"
    const char* groupCaption;  // e.g. "Game Over"
    const char* message;       // may end in line breaks
};

enum DialogResult {
    kDialogFailed = -1,
    kDialogFirstButton = 1,   // ENTER
    kDialogSecondButton = 2,  // ESC or the close box
};

// Blocks until the player chooses; returns 1 or 2, or -1 with the reason in
// *error when no box could be shown. A quit signal (SIGTERM, SIGINT) while
// it waits closes the box and answers 2.
int ShowModalDialog(const DialogText& text, std::string* error);

// Around a dialog the game draws itself: the backend releases the pointer
// while it is open and gives it back afterwards.
void BeginGameDialog(const DialogText& text);
void EndGameDialog();

// Blocks until input or a window message arrives, or timeoutMs has passed:
// the loop sleeps here while a dialog stands instead of spinning. After a
// quit signal the loop finds a Close message.
void WaitForInput(unsigned timeoutMs);

// An OK box with an information icon.
void ShowMessageBox(const char* caption, const char* text);

}  // namespace platform
