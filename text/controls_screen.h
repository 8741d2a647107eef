// The Controls screen, under the options: each action's two keys, two
// mouse buttons and two pad inputs, a slot each. Choosing a slot waits for
// the next key, button or stick push and binds it; an input another action
// had swaps over, and the screen says so.
#pragma once

#include <string>

#include "core/bindings.h"
#include "text/dialog_draw.h"

class GlfFont;

// An input as the screens show it: every name drawn goes through here.
std::string DisplayName(const Input& input);

constexpr int kControlsColumns = kDeviceCount * kBindingsPerDevice;
// The row after the actions': "Back".
constexpr int kControlsBackRow = kActionCount;

struct ControlsLayout {
    float unitX = 0, unitY = 0;
    float clientX = 0, clientY = 0;
    DialogRect frame, captionBar, status;
    DialogRect title(int action) const;
    // Column c: device c / 2, its slot c % 2.
    DialogRect slot(int action, int column) const;
    DialogRect heading(Device device) const;
    DialogRect back() const;
};
ControlsLayout LayOutControls(int width, int height);

class ControlsScreen {
public:
    // Presents the screen over `behind` (null: over nothing, the panel alone).
    void Open(const GlfFont& font, const FrozenImage* behind);
    bool IsOpen() const { return open_; }
    // One frame. True when the player left it (Back, ESC, pad B); it has
    // then closed. The bindings changed are g_settings', saved by the
    // options screen as it is left.
    bool Step();
    void Redraw() { dirty_ = true; }
    void Close();
    bool Capturing() const { return capturing_; }
    // What the line under the slots says: the last binding made, or how to
    // bind.
    const std::string& Status() const { return status_; }

private:
    void StartCapture();
    void TakeCapture(const platform::Presses& presses, const platform::PadAxes& axes);
    void Draw() const;

    bool open_ = false, dirty_ = false, capturing_ = false;
    const GlfFont* font_ = nullptr;
    const FrozenImage* behind_ = nullptr;
    int width_ = 0, height_ = 0;
    int row_ = 0, column_ = 0;
    platform::PadAxes axes_{};  // last frame's, for a push to start from inside
    int stickX_ = 0, stickY_ = 0;
    std::string status_;
};
