// The game's dialogs drawn inside its window with its own font, over the
// frozen last frame: the dialog template's layout (caption bar, group box,
// centred message, two push buttons) in dialog units scaled to the window,
// and a modal loop that waits for input instead of running frames.
#pragma once

#include "platform/dialog.h"

class GlfFont;

// Drawable pixels from the window's top-left corner.
struct DialogRect {
    float x = 0, y = 0, width = 0, height = 0;
    bool Contains(int px, int py) const;
};

struct DialogLayout {
    float unitX = 0, unitY = 0;  // pixels per dialog unit
    DialogRect frame;            // the whole box, caption bar included
    DialogRect captionBar;
    DialogRect group;
    DialogRect message;
    DialogRect buttons[2];  // first button, then "&Quit"
};

// Where the dialog stands in a drawable of this size: the template's
// position and size in an 800 x 600 area scaled to fit and centred.
DialogLayout LayOutDialog(int width, int height);

// The game draws its own dialogs once its font has glyphs.
bool CanDrawDialogs(const GlfFont& font);

// Copies the frame in the buffer drawn into, for the pause to show: the one
// being presented, or (where swaps keep it) the one last presented, before
// anything is drawn over it. One copy of the colour buffer into a texture:
// about 2.5 ms in software GL at 800 x 600, a copy within video memory on a
// GPU.
void KeepPresentedFrame();
// Gives the kept frame's texture back (while the context is current).
void ForgetPresentedFrame();

enum class DialogBackdrop {
    FrameInProgress,  // raised after this frame's world was drawn
    LastPresented,    // raised before: the kept frame, where there is one
};

// Shows the dialog until the player chooses: ENTER chooses the focused
// button (the first when it opens), ESC and the close box "&Quit",
// Left/Right/Tab move the focus, a click chooses a button. Window messages
// are taken meanwhile; a resize is handed back to the main loop afterwards.
// Keys still held when it closes are latched. Returns kDialogFirstButton or
// kDialogSecondButton.
int RunDrawnDialog(const GlfFont& font, const platform::DialogText& text, DialogBackdrop behind);
