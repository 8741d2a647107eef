// The browser backend for platform/window.h: the page's canvas with a WebGL
// context (fixed-function GL through emscripten's emulation), the message
// poll, fullscreen through the page, and the loop run from the browser's
// animation frames. The page (index.html) owns the canvas's size on the
// screen; the drawable follows it at the screen's pixel density.
#include <emscripten.h>
#include <emscripten/html5.h>

#include <cmath>
#include <deque>
#include <string>

#include "platform/web/web_clock.h"
#include "platform/web/web_state.h"
#include "platform/window.h"

namespace platform {

namespace web {

State& GetState() {
    static State state;
    return state;
}

}  // namespace web

namespace {

std::deque<Message> pending;
bool quitPosted = false;
int quitCode = 0;
int drawableWidth = 0;
int drawableHeight = 0;
int swappedWidth = -1;  // the drawable at the last frame shown
int swappedHeight = -1;
std::string caption;

bool (*loopPass)(int*) = nullptr;
int (*loopFinish)(int) = nullptr;
bool loopEnded = false;

// A loss of focus the game has not yet been handed: the page stops running
// frames while hidden, and the focus is often back before the next frame,
// yet the player was away. Until the game has taken the loss, the page
// counts as unfocused.
bool lossUnseen = false;
bool lossHandedOut = false;

void QueueFocus(bool focused) {
    web::State& s = web::GetState();
    if (focused == s.focused) return;
    s.focused = focused;
    if (!focused) {
        lossUnseen = true;
        web::ReleaseAllKeys();
    }
    web::UpdateCapture();
    Message m;
    m.type = MessageType::Focus;
    m.focused = focused;
    pending.push_back(m);
}

// The canvas's drawing buffer at its size on the page times the screen's
// pixel density; a change is a Resize message, as a window's would be.
void FollowCanvasSize() {
    web::State& s = web::GetState();
    if (!s.context) return;
    double cssWidth = 0, cssHeight = 0;
    if (emscripten_get_element_css_size(web::kCanvas, &cssWidth, &cssHeight) != EMSCRIPTEN_RESULT_SUCCESS) return;
    const double ratio = emscripten_get_device_pixel_ratio();
    const int width = int(std::lround(cssWidth * ratio)), height = int(std::lround(cssHeight * ratio));
    if (width <= 0 || height <= 0 || (width == drawableWidth && height == drawableHeight)) return;
    emscripten_set_canvas_element_size(web::kCanvas, width, height);
    drawableWidth = width;
    drawableHeight = height;
    Message m;
    m.type = MessageType::Resize;
    m.width = width;
    m.height = height;
    pending.push_back(m);
}

EM_BOOL OnFocus(int type, const EmscriptenFocusEvent*, void*) {
    QueueFocus(type == EMSCRIPTEN_EVENT_FOCUS);
    return EM_FALSE;
}

// A hidden tab shows no frame: the game stands still as behind a dialog,
// and leaving it is leaving the game.
EM_BOOL OnVisibility(int, const EmscriptenVisibilityChangeEvent* event, void*) {
    web::GetState().hidden = event->hidden != 0;
    if (event->hidden) QueueFocus(false);
    return EM_FALSE;
}

// The GL 1 emulation sets itself up where emscripten's own window code
// makes a context; a context made through html5.h must do it by hand.
// clang-format off
EM_JS(void, StartGlEmulation, (), {
    Module['ctx'] = GLctx;
    Module['useWebGL'] = true;
    Browser.moduleContextCreatedCallbacks.forEach(function(callback) { callback(); });
});
// clang-format on

// clang-format off
EM_JS(void, SetDocumentTitle, (const char* text), { document.title = UTF8ToString(text); });
// clang-format on

// The page's own element around the canvas goes fullscreen, so its style
// decides how the canvas fills the screen. The browser grants it only soon
// after a key or click, and answers later: the wanted state stands until it
// has answered. Without such a gesture (a saved fullscreen as the page
// starts) the game does not ask, which the browser would refuse with a
// warning on the console, but waits for the player's next key or click.
// clang-format off
EM_JS(int, RequestPageFullscreen, (int on), {
    const stage = document.getElementById('stage') || Module['canvas'];
    if (!stage.requestFullscreen) return 0;
    const settle = function() { Module['orvantheFullscreenWanted'] = undefined; };
    // One waiter for a gesture at most, however often the game asked.
    const stopWaiting = function() {
        const waiting = Module['orvantheFullscreenWaiting'];
        if (!waiting) return;
        document.removeEventListener('keydown', waiting, true);
        document.removeEventListener('mousedown', waiting, true);
        Module['orvantheFullscreenWaiting'] = undefined;
    };
    stopWaiting();
    Module['orvantheFullscreenWanted'] = !!on;
    if (!on) {
        if (document.fullscreenElement) document.exitFullscreen().then(settle, settle);
        else settle();
        return 1;
    }
    if (document.fullscreenElement) {
        settle();
        return 1;
    }
    // Browsers that cannot say whether there was a gesture are asked anyway,
    // and a refusal then waits for one too. A refusal after a gesture stands.
    const mayAsk = function() { return !navigator.userActivation || navigator.userActivation.isActive; };
    const atGesture = function() {
        if (Module['orvantheFullscreenWanted'] !== true || document.fullscreenElement) {
            stopWaiting();
            if (document.fullscreenElement) settle();
            return;
        }
        if (!mayAsk()) return; // ESC is no gesture to the browser; the next key may be
        stopWaiting();
        stage.requestFullscreen().then(settle, settle);
    };
    const waitForGesture = function() {
        if (Module['orvantheFullscreenWanted'] !== true) return; // the player has since said no
        stopWaiting();
        Module['orvantheFullscreenWaiting'] = atGesture;
        document.addEventListener('keydown', atGesture, true);
        document.addEventListener('mousedown', atGesture, true);
    };
    if (mayAsk()) stage.requestFullscreen().then(settle, waitForGesture);
    else waitForGesture();
    return 1;
});
// clang-format on

// clang-format off
EM_JS(int, PageIsFullscreen, (), {
    const wanted = Module['orvantheFullscreenWanted'];
    if (wanted !== undefined) return wanted ? 1 : 0;
    return document.fullscreenElement ? 1 : 0;
});
// clang-format on

// clang-format off
EM_JS(int, PageWantsSteppedClock, (), { return Module['orvantheStepped'] ? 1 : 0; });
// clang-format on

// clang-format off
EM_JS(void, TellPageTheGameEnded, (int exitCode), {
    if (Module['onGameEnded']) Module['onGameEnded'](exitCode);
});
// clang-format on

// clang-format off
EM_JS(void, TellPageFrameDrawn, (), {
    if (Module['onFrameDrawn']) Module['onFrameDrawn']();
});
// clang-format on

// One pass of the game's loop; after the last, the game's own shutdown and
// the page is told.
bool RunPass() {
    if (loopEnded) return false;
    int exitCode = 0;
    if (loopPass(&exitCode)) return true;
    loopEnded = true;
    emscripten_cancel_main_loop();
    TellPageTheGameEnded(loopFinish(exitCode));
    return false;
}

void OnAnimationFrame() { RunPass(); }

}  // namespace

bool CreateMainWindow(const char* text, int, int, std::string* error) {
    web::State& s = web::GetState();
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    // The game clears to a colour with no alpha: the page must not show
    // through it.
    attributes.alpha = EM_FALSE;
    attributes.depth = EM_TRUE;
    attributes.stencil = EM_FALSE;
    attributes.antialias = EM_FALSE;
    // The frame shown stays in the buffer: the pause's backdrop is taken
    // from it when needed instead of copying every frame in case.
    attributes.preserveDrawingBuffer = EM_TRUE;
    attributes.enableExtensionsByDefault = EM_TRUE;
    for (int version : {2, 1}) {
        attributes.majorVersion = version;
        s.context = emscripten_webgl_create_context(web::kCanvas, &attributes);
        if (s.context > 0) break;
    }
    if (s.context <= 0) {
        s.context = 0;
        *error = "cannot create a WebGL context (the browser has WebGL turned off or no GPU it trusts)";
        return false;
    }
    emscripten_webgl_make_context_current(s.context);
    StartGlEmulation();
    error->clear();
    s.focused = true;
    s.hidden = false;
    drawableWidth = drawableHeight = 0;
    swappedWidth = swappedHeight = -1;
    FollowCanvasSize();
    pending.clear();  // the first size is not news: the game asks for it
    lossUnseen = lossHandedOut = false;
    emscripten_set_focus_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, OnFocus);
    emscripten_set_blur_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, OnFocus);
    emscripten_set_visibilitychange_callback(nullptr, EM_FALSE, OnVisibility);
    web::ListenForInput();
    SetCaption(text);
    return true;
}

void GetDrawableSize(int* width, int* height) {
    const bool open = web::GetState().context != 0;
    *width = open ? drawableWidth : 0;
    *height = open ? drawableHeight : 0;
}

bool PollMessage(Message* message) {
    // The message handed out at the last poll has been dealt with.
    if (lossHandedOut) lossUnseen = lossHandedOut = false;
    if (quitPosted) {
        quitPosted = false;
        *message = Message();
        message->type = MessageType::Quit;
        message->exitCode = quitCode;
        return true;
    }
    FollowCanvasSize();
    web::SampleGamepads();
    web::ForgetReleasedLatches();
    if (pending.empty()) return false;
    *message = pending.front();
    pending.pop_front();
    if (message->type == MessageType::Focus && !message->focused) lossHandedOut = true;
    return true;
}

bool WindowShown() {
    const web::State& s = web::GetState();
    return s.context != 0 && !s.hidden;
}

bool WindowFocused() { return web::GetState().focused && !lossUnseen; }

bool SetFullscreen(bool fullscreen) {
    if (!web::GetState().context) return false;
    return RequestPageFullscreen(fullscreen ? 1 : 0) != 0;
}

bool IsFullscreen() { return PageIsFullscreen() != 0; }

void RepostMessage(const Message& message) { pending.push_front(message); }

void SetCaption(const char* text) {
    if (caption == text) return;
    caption = text;
    SetDocumentTitle(text);
}

// The browser shows what was drawn once the animation frame returns.
void SwapWindowBuffers() {
    swappedWidth = drawableWidth;
    swappedHeight = drawableHeight;
    TellPageFrameDrawn();
}

// The context preserves its drawing buffer, until the canvas is resized.
bool SwapKeepsBackBuffer() {
    return web::GetState().context != 0 && drawableWidth == swappedWidth && drawableHeight == swappedHeight;
}

// Animation frames come at the screen's refresh, and only then.
bool SetVsync(bool) { return web::GetState().context != 0; }

// The page does not say; the animation frames keep to it anyway.
int RefreshRate() { return 0; }

int RunLoop(bool (*pass)(int* exitCode), int (*finish)(int exitCode)) {
    loopPass = pass;
    loopFinish = finish;
    loopEnded = false;
    if (PageWantsSteppedClock()) {
        // A test moves the clock and runs each pass (orvanthe_step).
        web::UseSteppedClock();
        emscripten_exit_with_live_runtime();
    }
    // 0: the browser's animation frames; the call does not return.
    emscripten_set_main_loop(OnAnimationFrame, 0, 1);
    return 0;
}

bool DisplayPacesLoop() { return true; }

void PostQuit(int exitCode) {
    quitPosted = true;
    quitCode = exitCode;
}

void DestroyMainWindow() {
    web::State& s = web::GetState();
    if (!s.context) return;
    s.captureWanted = false;
    web::UpdateCapture();
    emscripten_webgl_make_context_current(0);
    emscripten_webgl_destroy_context(s.context);
    s.context = 0;
}

}  // namespace platform

// Tests step the game: the clock moves by `milliseconds` and one pass of
// the loop runs. 1 while the game runs, 0 once it has ended.
extern "C" EMSCRIPTEN_KEEPALIVE int orvanthe_step(int milliseconds) {
    if (!platform::web::SteppedClock() || !platform::loopPass) return 0;
    platform::web::AdvanceSteppedClock(uint32_t(milliseconds));
    return platform::RunPass() ? 1 : 0;
}
