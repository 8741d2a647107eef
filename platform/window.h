// The one game window and its OpenGL context, the message poll, caption,
// buffer swap and the quit request.
//
// Three backends implement every function here: platform/sdl (the desktop
// game), platform/web (the browser) and platform/scripted (tests; it doubles
// as the template for a new backend). Game code includes only these
// headers, never SDL, emscripten or OS headers.
#pragma once

#include <string>

namespace platform {

enum class MessageType {
    Quit,    // the quit request posted by PostQuit; carries exitCode
    Close,   // the user closed the window (close box, WM_DELETE_WINDOW, SIGTERM)
    Resize,  // the drawable changed size; carries width and height in pixels
    Focus,   // keyboard focus gained (focused = true) or lost; not while a dialog is open
};

struct Message {
    MessageType type = MessageType::Quit;
    int exitCode = 0;
    int width = 0;
    int height = 0;
    bool focused = false;
};

// Creates the window (width x height outer pixels where the window manager
// reports its decorations, else the client area; titled caption) with a
// double-buffered RGBA context, depth of 16 bits or more, and makes the
// context current. On failure returns false and describes what failed in
// *error (no display, no GL context, ...).
bool CreateMainWindow(const char* caption, int width, int height, std::string* error);

// Size of the drawable in pixels, for the first projection.
void GetDrawableSize(int* width, int* height);

// Non-blocking. Takes at most one window message (or the posted quit
// request) and returns true when it did. Input events are consumed on the
// way without being returned: keys and the cursor are sampled, not queued.
bool PollMessage(Message* message);

// False while nobody can see a frame: the window is unmapped, minimised or
// gone. Up to date as of the last poll.
bool WindowShown();

// Whether the window has the keyboard focus, as of the last poll.
bool WindowFocused();

// Borderless fullscreen on the desktop's own mode, or back to the window
// as it was. False, with nothing changed, where the desktop refuses. The
// size change arrives as a Resize message; some window managers also take
// the focus away and give it back on the way.
bool SetFullscreen(bool fullscreen);
bool IsFullscreen();

// Puts a message a modal loop took back in front of the queue, for the
// main loop to handle once the loop has returned.
void RepostMessage(const Message& message);

void SetCaption(const char* caption);
void SwapWindowBuffers();
// Whether, after a swap, the buffer drawn into still holds the frame just
// presented until something is drawn over it (a swap that copies, or a
// single buffer). Learnt at the window's first swap; false before it, and
// while the drawable has another size than at the last swap.
bool SwapKeepsBackBuffer();

// Whether each swap waits for the screen's next refresh. On asks for the
// adaptive kind first (a late frame is shown at once, torn, rather than a
// whole refresh later), then the plain one; a new window has it off.
// Returns whether the swap now waits, as the driver tells it: false where
// it refuses (Xvfb's does) and without a window; after off, false unless
// the driver keeps waiting anyway.
bool SetVsync(bool on);

// The refresh rate of the display the window is on, in Hz; 0 when that is
// unknown (no window, or the desktop does not say).
int RefreshRate();

// Runs the main loop: pass is called until it returns false, then finish
// with the exit code pass gave, and the result is finish's. The desktop
// loops here. The browser calls pass once per animation frame and gives
// the page back between them, so there this call never returns: finish's
// result goes to the page, and the program's state must outlive main.
int RunLoop(bool (*pass)(int* exitCode), int (*finish)(int exitCode));
// True where the platform calls the loop's pass once for each frame the
// display shows (the browser's animation frames): the pass then neither
// sleeps nor keeps its own schedule, and draws for the time it is called.
bool DisplayPacesLoop();
// Posts the quit request; PollMessage returns it as a Quit message.
void PostQuit(int exitCode);

// Makes no context current, deletes the context and destroys the window.
// GL calls made afterwards have no effect.
void DestroyMainWindow();

}  // namespace platform
