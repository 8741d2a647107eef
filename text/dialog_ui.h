// The game's dialogs drawn inside its window with its own font, over the
// frozen last frame: the dialog template's layout (caption bar, group box,
// centred message, two push buttons) in dialog units scaled to the window,
// answered a frame at a time while the world stands still.
#pragma once

#include "platform/dialog.h"
#include "text/dialog_draw.h"

class GlfFont;

// The pause's third button, "Options": answered, the box stays open
// behind the options screen.
constexpr int kDialogThirdButton = 3;

struct DialogLayout {
    float unitX = 0, unitY = 0;  // pixels per dialog unit
    DialogRect frame;            // the whole box, caption bar included
    DialogRect captionBar;
    DialogRect group;
    DialogRect message;
    DialogRect buttons[3];  // first button, "&Quit", and the pause's "Options"
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

// One dialog standing over the game, answered a frame at a time: the frame
// driver steps it once a frame instead of running ticks. ENTER chooses the
// focused button (the first when it opens), ESC "&Quit", and so do the
// pad's confirm and back buttons (core/pad_names.h); Right/Tab move the
// focus round the buttons and Left back, a click chooses a button. Keys
// held as it opens and as it closes are latched. A third button, where
// there is one, answers kDialogThirdButton and leaves the box open.
class DrawnDialog {
public:
    // Sets the caption, frees the pointer and presents the box; behind it
    // stands the frame `behind` names.
    void Open(const GlfFont& font, const platform::DialogText& text, DialogBackdrop behind,
              const char* thirdButton = nullptr);
    bool IsOpen() const { return open_; }
    // One frame: the presses since the last and the pointer, then the box
    // drawn and presented where anything changed. Returns 0 while open, else kDialogFirstButton or
    // kDialogSecondButton, and the dialog has closed.
    int Step();
    // The window lost or took the focus: the box is drawn again.
    void Redraw() { dirty_ = true; }
    // The frame standing behind the box, for a screen raised over it.
    const FrozenImage& Backdrop() const;
    // A screen raised over the box has closed: the box is drawn again with
    // the focus on its first button, and keys still held from that screen
    // are latched.
    void TakeFocusBack();
    // Closes it unanswered, giving its frame back (while the context is current).
    void Close();

private:
    int TakeInput();
    void Draw() const;

    bool open_ = false, dirty_ = false, mouseWasDown_ = false;
    const GlfFont* font_ = nullptr;
    platform::DialogText text_{};
    const char* thirdButton_ = nullptr;
    FrozenImage grabbed_;  // the frame behind, where the kept one would not do
    int width_ = 0, height_ = 0;
    int focus_ = 0;   // 0 to 2
    int armed_ = -1;  // the button the mouse went down on, -1 none
};
