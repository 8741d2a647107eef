// The options screen: every setting of settings.ini as a row the player
// steps with the keyboard, the mouse or a pad, drawn as the game's boxes
// are over the frozen frame. Like the dialogs it is a state of the flow:
// stepped once a frame while the world stands still.
#pragma once

#include <string>

#include "core/settings.h"
#include "text/controls_screen.h"
#include "text/dialog_draw.h"

class GlfFont;

// Makes the game match g_settings after the screen changed them from
// `before` (the window, the frame pacing, the volumes); the app's.
using ApplySettingsFn = void (*)(const Settings& before);

// What a row does when chosen, beyond stepping its value.
enum class OptionAction { None, Controls, Defaults, Back };

// One row: its title, and for a setting how its value reads and how it
// steps (direction -1 or +1; `wrap` goes round from the last value to the
// first, as ENTER and a click on the value do).
struct OptionRow {
    const char* title;
    std::string (*show)(const Settings&);
    void (*step)(Settings*, int direction, bool wrap);
    OptionAction action;
};

// The screen's rows, top to bottom.
const OptionRow* OptionRows(int* count);

// Where the screen stands in a drawable of this size: centred, scaled by
// the window as the dialogs are.
struct OptionsLayout {
    float unitX = 0, unitY = 0;
    DialogRect frame, captionBar;
    DialogRect label(int row) const;
    DialogRect less(int row) const;    // "<"
    DialogRect value(int row) const;   // the value, between the arrows
    DialogRect more(int row) const;    // ">"
    DialogRect button(int row) const;  // an action row
    DialogRect row(int row) const;     // the whole row
    DialogRect hint;
    float clientX = 0, clientY = 0;
};
OptionsLayout LayOutOptions(int width, int height);

class OptionsScreen {
public:
    // Presents the screen over `behind`, or over the frame in the buffer
    // when that is null. Keys held as it opens are latched.
    void Open(const GlfFont& font, const FrozenImage* behind, ApplySettingsFn apply);
    bool IsOpen() const { return open_; }
    // One frame: the presses, the pointer and the pad since the last, then
    // the screen drawn where anything changed. True when the player left
    // it this frame (Back, ESC, pad B); it has then closed and saved.
    bool Step();
    void Redraw() {
        dirty_ = true;
        controls_.Redraw();
    }
    // The Controls screen, while it stands over this one.
    const ControlsScreen& Controls() const { return controls_; }
    // Closes and saves what changed (the window's close box).
    void Leave();
    // Closes without saving (a reset, shutdown).
    void Close();
    int Focus() const { return focus_; }

private:
    void Change(int direction, bool wrap);
    void Act(OptionAction action);
    void Draw() const;

    bool open_ = false, dirty_ = false;
    const GlfFont* font_ = nullptr;
    const FrozenImage* behind_ = nullptr;
    FrozenImage grabbed_;
    ApplySettingsFn apply_ = nullptr;
    int width_ = 0, height_ = 0;
    int focus_ = 0;
    int stickX_ = 0, stickY_ = 0;  // the left stick's direction last frame
    Settings opened_;              // as they were when the screen opened
    ControlsScreen controls_;
};
