// SDL backend for platform/window.h: one SDL window with a compatibility
// OpenGL context (the game draws with fixed-function GL), and the message
// poll that turns SDL's event queue into the few window messages the game
// handles while sampling input on the way. Fullscreen is SDL's, except on an
// X server with no window manager to grant it, where the window is laid
// over the screen by hand.
#include "platform/window.h"

#include <GL/gl.h>
#include <array>
#include <deque>

#include "platform/sdl/sdl_state.h"

namespace platform {

namespace sdl {

State& GetState() {
    static State state;
    return state;
}

void ReleaseSubsystems(Uint32 flags) {
    SDL_QuitSubSystem(flags);
    if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0) SDL_Quit();
}

}  // namespace sdl

namespace {

constexpr Uint32 kSubsystems = SDL_INIT_VIDEO | SDL_INIT_TIMER | SDL_INIT_EVENTS;

// Window messages drained from SDL but not yet handed out: every poll
// empties SDL's queue so input never waits behind the one-message-per-call
// rule.
std::deque<Message> pending;
bool quitPosted = false;
int quitCode = 0;

void QueueClose() {
    for (const Message& m : pending)
        if (m.type == MessageType::Close) return;
    Message m;
    m.type = MessageType::Close;
    pending.push_back(m);
}

void QueueFocus(bool focused) {
    sdl::State& s = sdl::GetState();
    s.focused = focused;
    sdl::UpdateCapture();
    // A native box takes the focus while it is open and may or may not give
    // it back: that is the box's doing, not the player leaving the game.
    if (s.dialogOpen) return;
    Message m;
    m.type = MessageType::Focus;
    m.focused = focused;
    pending.push_back(m);
}

// Where the window manager reports its decorations (X11 once it has mapped
// the window), the outer size is the one asked for and the client area
// smaller; without any the client area is. Done once, and not after the
// player has resized the window.
void SettleOuterSize() {
    sdl::State& s = sdl::GetState();
    if (s.outerSizeSettled || !s.window) return;
    int width = 0, height = 0;
    SDL_GetWindowSize(s.window, &width, &height);
    if (width != s.askedWidth || height != s.askedHeight) {
        s.outerSizeSettled = true;
        return;
    }
    int top = 0, left = 0, bottom = 0, right = 0;
    if (SDL_GetWindowBordersSize(s.window, &top, &left, &bottom, &right) != 0) return;
    if (top + left + bottom + right <= 0) return;
    s.outerSizeSettled = true;
    const int clientWidth = width - left - right;
    const int clientHeight = height - top - bottom;
    if (clientWidth > 0 && clientHeight > 0) SDL_SetWindowSize(s.window, clientWidth, clientHeight);
}

// The projection follows the drawable, which on a high-DPI screen is not
// the window's size and may change without the window's size changing.
void QueueResizeIfChanged() {
    sdl::State& s = sdl::GetState();
    if (!s.window) return;
    Message m;
    m.type = MessageType::Resize;
    SDL_GL_GetDrawableSize(s.window, &m.width, &m.height);
    if (m.width == s.reportedWidth && m.height == s.reportedHeight) return;
    s.reportedWidth = m.width;
    s.reportedHeight = m.height;
    pending.push_back(m);
}

void HandleWindowEvent(const SDL_WindowEvent& event) {
    sdl::State& s = sdl::GetState();
    if (event.windowID != SDL_GetWindowID(s.window)) return;
    switch (event.event) {
    case SDL_WINDOWEVENT_CLOSE: QueueClose(); break;
    case SDL_WINDOWEVENT_SIZE_CHANGED: QueueResizeIfChanged(); break;
    case SDL_WINDOWEVENT_FOCUS_GAINED: QueueFocus(true); break;
    case SDL_WINDOWEVENT_FOCUS_LOST: QueueFocus(false); break;
    default: break;
    }
}

// With no display SDL 2.26 silently falls back to its offscreen driver: the
// game would run invisible and never end. Only take it when asked for by name.
bool RealDisplay() {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver) return false;
    if (SDL_strcmp(driver, "offscreen") != 0 && SDL_strcmp(driver, "dummy") != 0) return true;
    const char* wanted = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    return wanted && SDL_strcasestr(wanted, driver) != nullptr;
}

}  // namespace

static void HandleEvent(const SDL_Event& event) {
    if (event.type == SDL_QUIT)
        QueueClose();
    else if (event.type == SDL_WINDOWEVENT)
        HandleWindowEvent(event.window);
    else
        sdl::HandleInputEvent(event);
}

void sdl::DrainEvents() {
    if (TakeQuitSignal()) QueueClose();
    if (!GetState().window) return;
    SDL_Event event;
    while (SDL_PollEvent(&event)) HandleEvent(event);
    SettleOuterSize();
    QueueResizeIfChanged();
    ForgetReleasedLatches();
}

// SDL's wait may sleep through a quit signal: the timeout bounds how late
// the dialog sees it.
void WaitForInput(unsigned timeoutMs) {
    if (!sdl::GetState().window) return;
    // The game is ending: a dialog opened now answers as its close box would.
    if (sdl::QuitSignalled()) {
        QueueClose();
        return;
    }
    SDL_Event event;
    if (SDL_WaitEventTimeout(&event, int(timeoutMs))) HandleEvent(event);
    sdl::DrainEvents();
}

void RepostMessage(const Message& message) { pending.push_front(message); }

bool CreateMainWindow(const char* caption, int width, int height, std::string* error) {
    sdl::State& s = sdl::GetState();
    // Closing the window is the game's decision, not an automatic quit.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    sdl::CatchQuitSignals();
    if (SDL_InitSubSystem(kSubsystems) != 0) {
        *error = std::string("cannot open a window: ") + SDL_GetError();
        return false;
    }
    if (!RealDisplay()) {
        *error = "cannot open a window: no display (neither DISPLAY nor WAYLAND_DISPLAY works)";
        sdl::ReleaseSubsystems(kSubsystems);
        return false;
    }
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);

    const Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI;
    for (int depth : {24, 16}) {
        SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, depth);
        s.window = SDL_CreateWindow(caption, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height, flags);
        if (!s.window) {
            *error = std::string("cannot open a window: ") + SDL_GetError();
            continue;
        }
        s.context = SDL_GL_CreateContext(s.window);
        if (s.context) break;
        *error = std::string("cannot create an OpenGL context: ") + SDL_GetError();
        SDL_DestroyWindow(s.window);
        s.window = nullptr;
    }
    if (!s.context) {
        sdl::ReleaseSubsystems(kSubsystems);
        return false;
    }
    error->clear();
    SDL_GL_MakeCurrent(s.window, s.context);
    s.swapProbed = false;
    s.swapKeepsBack = false;
    // Under Xvfb's GLX this is refused; the loop paces itself anyway.
    SDL_GL_SetSwapInterval(0);
    s.focused = (SDL_GetWindowFlags(s.window) & SDL_WINDOW_INPUT_FOCUS) != 0;
    SDL_GL_GetDrawableSize(s.window, &s.reportedWidth, &s.reportedHeight);
    sdl::UpdateCapture();
    sdl::OpenGamepads();
    // The decorations are usually known after one pump: the first frame
    // then already has its final size. Events stay queued for the poll.
    s.askedWidth = width;
    s.askedHeight = height;
    s.outerSizeSettled = false;
    SDL_PumpEvents();
    SettleOuterSize();
    return true;
}

void GetDrawableSize(int* width, int* height) {
    const sdl::State& s = sdl::GetState();
    *width = 0;
    *height = 0;
    if (s.window) SDL_GL_GetDrawableSize(s.window, width, height);
}

bool PollMessage(Message* message) {
    if (quitPosted) {
        quitPosted = false;
        *message = Message();
        message->type = MessageType::Quit;
        message->exitCode = quitCode;
        return true;
    }
    sdl::DrainEvents();
    if (pending.empty()) return false;
    *message = pending.front();
    pending.pop_front();
    return true;
}

bool WindowShown() {
    const sdl::State& s = sdl::GetState();
    if (!s.window) return false;
    return (SDL_GetWindowFlags(s.window) & (SDL_WINDOW_HIDDEN | SDL_WINDOW_MINIMIZED)) == 0;
}

bool WindowFocused() { return sdl::GetState().focused; }

namespace {

// With nobody between the game and the screen the window is simply laid
// over all of it, and put back where it was afterwards. The size change
// comes back from the server as for any resize, and with it the Resize
// message.
bool CoverScreen() {
    sdl::State& s = sdl::GetState();
    SDL_Rect screen;
    if (SDL_GetDisplayBounds(SDL_GetWindowDisplayIndex(s.window), &screen) != 0) return false;
    SDL_GetWindowPosition(s.window, &s.windowedPlace.x, &s.windowedPlace.y);
    SDL_GetWindowSize(s.window, &s.windowedPlace.w, &s.windowedPlace.h);
    SDL_SetWindowPosition(s.window, screen.x, screen.y);
    SDL_SetWindowSize(s.window, screen.w, screen.h);
    // Above any other window the server shows, as fullscreen would be.
    SDL_RaiseWindow(s.window);
    s.coversScreen = true;
    return true;
}

void UncoverScreen() {
    sdl::State& s = sdl::GetState();
    SDL_SetWindowSize(s.window, s.windowedPlace.w, s.windowedPlace.h);
    SDL_SetWindowPosition(s.window, s.windowedPlace.x, s.windowedPlace.y);
    s.coversScreen = false;
}

}  // namespace

bool SetFullscreen(bool fullscreen) {
    const sdl::State& s = sdl::GetState();
    if (!s.window) return false;
    if (s.coversScreen) {
        if (!fullscreen) UncoverScreen();
        return true;
    }
    const bool sdlFullscreen = (SDL_GetWindowFlags(s.window) & SDL_WINDOW_FULLSCREEN) != 0;
    if (fullscreen && !sdlFullscreen && !sdl::DesktopGrantsFullscreen(s.window)) return CoverScreen();
    return SDL_SetWindowFullscreen(s.window, fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) == 0;
}

bool IsFullscreen() {
    const sdl::State& s = sdl::GetState();
    return s.window && (s.coversScreen || (SDL_GetWindowFlags(s.window) & SDL_WINDOW_FULLSCREEN) != 0);
}

// Every call reaches the desktop, even with the same text: each frame sets
// the caption, and that is how a frame can be seen from outside.
void SetCaption(const char* caption) {
    const sdl::State& s = sdl::GetState();
    if (s.window) SDL_SetWindowTitle(s.window, caption);
}

namespace {

// A few pixels of the back buffer: the corners and the middle.
std::array<GLubyte, 20> BackSamples() {
    int width = 0, height = 0;
    platform::GetDrawableSize(&width, &height);
    std::array<GLubyte, 20> out{};
    GLint read = GL_BACK;
    glGetIntegerv(GL_READ_BUFFER, &read);
    glReadBuffer(GL_BACK);
    const int xs[5] = {0, width - 1, 0, width - 1, width / 2}, ys[5] = {0, 0, height - 1, height - 1, height / 2};
    for (int i = 0; i < 5; ++i) glReadPixels(xs[i], ys[i], 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, &out[size_t(4 * i)]);
    glReadBuffer(GLenum(read));
    return out;
}

// Some sample point differs from the first.
bool Varied(const std::array<GLubyte, 20>& samples) {
    for (size_t i = 4; i < samples.size(); ++i)
        if (samples[i] != samples[i % 4]) return true;
    return false;
}

}  // namespace

// Only a frame whose sample points differ among themselves tells a copying
// swap from a flip: a flip may hand back a cleared buffer as dark as a
// black frame. Until one such frame has been swapped, and again after every
// change of size (the desktop may start flipping then), the answer is no.
void SwapWindowBuffers() {
    sdl::State& s = sdl::GetState();
    if (!s.window) return;
    std::array<GLubyte, 20> before{};
    bool probing = false;
    if (!s.swapProbed) {
        before = BackSamples();
        probing = Varied(before);
    }
    SDL_GL_SwapWindow(s.window);
    if (probing) {
        s.swapKeepsBack = BackSamples() == before;
        s.swapProbed = true;
    }
    int width = 0, height = 0;
    SDL_GL_GetDrawableSize(s.window, &width, &height);
    if (width != s.swappedWidth || height != s.swappedHeight) s.swapProbed = probing;
    s.swappedWidth = width;
    s.swappedHeight = height;
}

bool SwapKeepsBackBuffer() {
    const sdl::State& s = sdl::GetState();
    if (!s.window || !s.swapProbed || !s.swapKeepsBack) return false;
    int width = 0, height = 0;
    SDL_GL_GetDrawableSize(s.window, &width, &height);
    return width == s.swappedWidth && height == s.swappedHeight;
}

bool SetVsync(bool on) {
    if (!sdl::GetState().window) return false;
    if (!on)
        SDL_GL_SetSwapInterval(0);
    else if (SDL_GL_SetSwapInterval(-1) != 0)
        SDL_GL_SetSwapInterval(1);
    // Asked rather than taken from the calls above: a driver that refuses
    // to stop waiting still waits.
    return SDL_GL_GetSwapInterval() != 0;
}

// What the screen runs at now, which a windowed or desktop-fullscreen
// window shares; the window's own mode is a fullscreen mode it may never use.
int RefreshRate() {
    const sdl::State& s = sdl::GetState();
    if (!s.window) return 0;
    SDL_DisplayMode mode{};
    const int display = SDL_GetWindowDisplayIndex(s.window);
    if (display >= 0 && SDL_GetCurrentDisplayMode(display, &mode) == 0 && mode.refresh_rate > 0)
        return mode.refresh_rate;
    if (SDL_GetWindowDisplayMode(s.window, &mode) == 0 && mode.refresh_rate > 0) return mode.refresh_rate;
    return 0;
}

int RunLoop(bool (*pass)(int* exitCode), int (*finish)(int exitCode)) {
    int exitCode = 0;
    while (pass(&exitCode)) {
    }
    return finish(exitCode);
}

bool DisplayPacesLoop() { return false; }

void PostQuit(int exitCode) {
    quitPosted = true;
    quitCode = exitCode;
}

void DestroyMainWindow() {
    sdl::State& s = sdl::GetState();
    if (!s.window) return;
    s.focused = false;
    sdl::UpdateCapture();
    sdl::CloseGamepads();
    SDL_GL_MakeCurrent(s.window, nullptr);
    SDL_GL_DeleteContext(s.context);
    SDL_DestroyWindow(s.window);
    s.context = nullptr;
    s.window = nullptr;
    s.coversScreen = false;
    // Messages about a window that no longer exists mean nothing.
    pending.clear();
    sdl::ReleaseSubsystems(kSubsystems);
}

}  // namespace platform
