// The scripted backend: every platform function, driven by the test through
// script.h instead of a desktop. Clocks move only when the test, a sleep or a
// buffer swap moves them; keys, cursor motion, window messages and dialog
// answers come from the test; everything the game asks for is logged in
// order. The GL context is a real headless OSMesa one, so drawing runs and
// pixels can be read back. This file also serves as the template of what a
// new backend must provide.
#include <GL/osmesa.h>

#include <cstdio>
#include <deque>
#include <set>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/dialog.h"
#include "platform/input.h"
#include "platform/scripted/script.h"
#include "platform/sound.h"
#include "platform/window.h"

namespace {

struct State {
    uint32_t now = 1000;
    uint32_t frameCost = 0;
    std::vector<std::string> log;
    bool logging = true;
    int swappedWidth = -1, swappedHeight = -1;  // the buffer at the last swap
    std::deque<platform::Message> messages;
    bool quitPosted = false;
    int quitCode = 0;
    std::set<platform::Key> keys;
    std::set<platform::Key> latched;
    platform::Presses presses;
    int pointerX = -1, pointerY = -1;
    void (*waitHook)(int) = nullptr;
    int waits = 0;
    bool inGameDialog = false;
    bool autoEnter = false;
    int anchorX = platform::kMouseLookX, anchorY = platform::kMouseLookY;
    int motionX = 0, motionY = 0;
    platform::PadAxes pad;
    platform::PadLayout padLayout = platform::PadLayout::None;
    bool captured = false;
    std::deque<int> dialogAnswers;
    void (*dialogHook)() = nullptr;
    void (*swapHook)(int) = nullptr;
    void (*takeHook)(int) = nullptr;
    int takes = 0;
    int swaps = 0;
    std::string windowFailure;
    int forcedWidth = 0, forcedHeight = 0;
    bool windowExists = false;
    bool windowShown = true;
    bool focused = true;
    bool fullscreen = false;
    int windowedWidth = 0, windowedHeight = 0;
    int screenWidth = 1920, screenHeight = 1080;
    bool focusChurn = false;
    bool contextCurrent = false;
    bool soundOpen = false;
    bool vsyncWorks = false;
    int refreshRate = 60;
    bool displayPacesLoop = false;
};

State& S() {
    static State state;
    return state;
}

OSMesaContext g_context = nullptr;
std::vector<unsigned char> g_frameBuffer;
int g_width = 0, g_height = 0;

void Log(const std::string& line) {
    if (S().logging) S().log.push_back(line);
}

// Binds the one context to a buffer of this size, kept while the size stays.
bool BindBuffer(int width, int height) {
    if (width != g_width || height != g_height) {
        // Drawing still queued must land before its buffer goes.
        if (OSMesaGetCurrentContext()) glFinish();
        g_frameBuffer.assign(size_t(width) * size_t(height) * 4, 0);
        g_width = width;
        g_height = height;
    }
    return OSMesaMakeCurrent(g_context, g_frameBuffer.data(), GL_UNSIGNED_BYTE, width, height);
}

// The window takes a new size; the game learns of it by message.
void Resize(int width, int height) {
    if (S().contextCurrent) BindBuffer(width, height);
    platform::Message m;
    m.type = platform::MessageType::Resize;
    m.width = width;
    m.height = height;
    S().messages.push_back(m);
}

}  // namespace

struct platform::SoundSample {
    std::string path;
};
struct platform::MusicStream {
    std::string path;
};

// ---------------------------------------------------------------- script
namespace script {

void Reset(uint32_t now) {
    State& s = S();
    s.now = now;
    s.frameCost = 0;
    s.log.clear();
    s.logging = true;
    s.messages.clear();
    s.quitPosted = false;
    s.quitCode = 0;
    s.keys.clear();
    s.latched.clear();
    s.presses = platform::Presses();
    s.pointerX = s.pointerY = -1;
    s.waitHook = nullptr;
    s.waits = 0;
    s.inGameDialog = false;
    s.autoEnter = false;
    s.anchorX = platform::kMouseLookX;
    s.anchorY = platform::kMouseLookY;
    s.motionX = s.motionY = 0;
    s.pad = platform::PadAxes();
    s.padLayout = platform::PadLayout::None;
    s.captured = false;
    s.dialogAnswers.clear();
    s.dialogHook = nullptr;
    s.swapHook = nullptr;
    s.takeHook = nullptr;
    s.takes = 0;
    s.swaps = 0;
    s.windowFailure.clear();
    s.forcedWidth = s.forcedHeight = 0;
    s.windowShown = true;
    s.focused = true;
    s.fullscreen = false;
    s.screenWidth = 1920;
    s.screenHeight = 1080;
    s.focusChurn = false;
    s.vsyncWorks = false;
    s.refreshRate = 60;
    s.displayPacesLoop = false;
}

void SetTime(uint32_t now) { S().now = now; }
void AdvanceTime(uint32_t milliseconds) { S().now += milliseconds; }
uint32_t Now() { return S().now; }
void SetFrameCost(uint32_t milliseconds) { S().frameCost = milliseconds; }

namespace {
// A key of a pair counts as the pair too, as on the desktop.
void CountPress(platform::Key key) {
    State& s = S();
    ++s.presses.count[int(key)];
    bool altHeld = false;
    for (platform::Key held : s.keys) altHeld = altHeld || platform::PairOf(held) == platform::Key::Alt;
    if (altHeld) ++s.presses.withAlt[int(key)];
    if (platform::PairOf(key) != key) CountPress(platform::PairOf(key));
}
}  // namespace

void HoldKey(platform::Key key, bool down) {
    if (down) {
        if (!S().keys.count(key)) CountPress(key);
        S().keys.insert(key);
    } else {
        S().keys.erase(key);
        S().latched.erase(key);
    }
}
void TapKey(platform::Key key) { CountPress(key); }
void ReleaseAllKeys() {
    S().keys.clear();
    S().latched.clear();
}
void SetPointer(int x, int y) {
    S().pointerX = x;
    S().pointerY = y;
}
void OnWait(void (*hook)(int waits)) { S().waitHook = hook; }

void MoveMouse(int dx, int dy) {
    if (!S().captured || S().inGameDialog) return;  // the desktop's pointer, not the game's
    S().motionX += dx;
    S().motionY += dy;
}

void SetPadAxes(const platform::PadAxes& axes) { S().pad = axes; }
void SetPadLayout(platform::PadLayout layout) { S().padLayout = layout; }

// The desktop's focus changes when the event happens; the game sees the
// message when it polls.
void QueueMessage(const platform::Message& message) {
    if (message.type == platform::MessageType::Focus) S().focused = message.focused;
    S().messages.push_back(message);
}
void ResizeWindow(int width, int height) { Resize(width, height); }
void SetScreenSize(int width, int height) {
    S().screenWidth = width;
    S().screenHeight = height;
}
void LoseFocusOnFullscreenSwitch(bool lose) { S().focusChurn = lose; }
void AnswerDialog(int result) { S().dialogAnswers.push_back(result); }
void FailWindowCreation(const std::string& reason) { S().windowFailure = reason; }
void SetWindowSize(int width, int height) {
    S().forcedWidth = width;
    S().forcedHeight = height;
}
void SetWindowShown(bool shown) { S().windowShown = shown; }
void SetVsyncWorks(bool works) { S().vsyncWorks = works; }
void SetRefreshRate(int hz) { S().refreshRate = hz; }
void SetDisplayPacesLoop(bool paces) { S().displayPacesLoop = paces; }
void OnDialog(void (*hook)()) { S().dialogHook = hook; }
void OnSwap(void (*hook)(int swaps)) { S().swapHook = hook; }
void OnTakePresses(void (*hook)(int takes)) { S().takeHook = hook; }

const std::vector<std::string>& Log() { return S().log; }
void ClearLog() { S().log.clear(); }
void KeepLog(bool keep) { S().logging = keep; }

std::vector<std::string> LogLines(const std::string& prefix) {
    std::vector<std::string> out;
    for (const std::string& line : S().log)
        if (line.compare(0, prefix.size(), prefix) == 0) out.push_back(line);
    return out;
}

int CountLog(const std::string& prefix) { return int(LogLines(prefix).size()); }

bool WindowExists() { return S().windowExists; }
bool ContextCurrent() { return S().contextCurrent; }

}  // namespace script

// ---------------------------------------------------------------- window
namespace platform {

bool CreateMainWindow(const char* caption, int width, int height, std::string* error) {
    State& s = S();
    if (!s.windowFailure.empty()) {
        *error = s.windowFailure;
        return false;
    }
    if (s.forcedWidth > 0 && s.forcedHeight > 0) {
        width = s.forcedWidth;
        height = s.forcedHeight;
    }
    // One context for the whole test process; a new "window" rebinds it.
    if (!g_context) {
        g_context = OSMesaCreateContextExt(OSMESA_RGBA, 24, 8, 0, nullptr);
        if (!g_context) {
            *error = "cannot create an OSMesa context";
            return false;
        }
    }
    if (!BindBuffer(width, height)) {
        *error = "cannot make the OSMesa context current";
        return false;
    }
    s.windowExists = true;
    s.contextCurrent = true;
    Log("window create " + std::to_string(width) + "x" + std::to_string(height));
    Log(std::string("caption ") + caption);
    return true;
}

void GetDrawableSize(int* width, int* height) {
    *width = g_width;
    *height = g_height;
}

bool PollMessage(Message* message) {
    State& s = S();
    if (s.quitPosted) {
        s.quitPosted = false;
        message->type = MessageType::Quit;
        message->exitCode = s.quitCode;
        return true;
    }
    if (s.messages.empty()) return false;
    *message = s.messages.front();
    s.messages.pop_front();
    // The drawable follows a resize, as a real window's does.
    if (message->type == MessageType::Resize && message->width > 0 && message->height > 0 && s.contextCurrent &&
        (message->width != g_width || message->height != g_height)) {
        g_width = message->width;
        g_height = message->height;
        g_frameBuffer.assign(size_t(g_width) * size_t(g_height) * 4, 0);
        OSMesaMakeCurrent(g_context, g_frameBuffer.data(), GL_UNSIGNED_BYTE, g_width, g_height);
    }
    return true;
}

bool WindowShown() { return S().windowExists && S().windowShown; }

bool WindowFocused() { return S().focused; }

bool SetFullscreen(bool fullscreen) {
    State& s = S();
    if (!s.windowExists) return false;
    if (fullscreen == s.fullscreen) return true;
    s.fullscreen = fullscreen;
    Log(fullscreen ? "fullscreen on" : "fullscreen off");
    if (fullscreen) {
        s.windowedWidth = g_width;
        s.windowedHeight = g_height;
        Resize(s.screenWidth, s.screenHeight);
    } else {
        Resize(s.windowedWidth, s.windowedHeight);
    }
    if (s.focusChurn) {
        platform::Message m;
        m.type = MessageType::Focus;
        m.focused = false;
        script::QueueMessage(m);
    }
    return true;
}

bool IsFullscreen() { return S().windowExists && S().fullscreen; }

void RepostMessage(const Message& message) { S().messages.push_front(message); }

void SetCaption(const char* caption) {
    if (S().logging) Log(std::string("caption ") + caption);
}

void SwapWindowBuffers() {
    if (S().contextCurrent) glFinish();
    Log("swap");
    State& s = S();
    s.swappedWidth = g_width;
    s.swappedHeight = g_height;
    s.now += s.frameCost;
    ++s.swaps;
    if (s.swapHook) s.swapHook(s.swaps);
}

// One buffer, which a swap leaves as it is; a resize makes a new one.
bool SwapKeepsBackBuffer() {
    return S().contextCurrent && g_width == S().swappedWidth && g_height == S().swappedHeight;
}

// Swaps never wait here, whatever is asked: the clocks are the test's.
bool SetVsync(bool on) {
    if (!S().windowExists) return false;
    Log(on ? "vsync on" : "vsync off");
    return on && S().vsyncWorks;
}

int RefreshRate() { return S().windowExists ? S().refreshRate : 0; }

int RunLoop(bool (*pass)(int* exitCode), int (*finish)(int exitCode)) {
    int exitCode = 0;
    while (pass(&exitCode)) {
    }
    return finish(exitCode);
}

bool DisplayPacesLoop() { return S().displayPacesLoop; }

void PostQuit(int exitCode) {
    S().quitPosted = true;
    S().quitCode = exitCode;
    Log("quit " + std::to_string(exitCode));
}

void DestroyMainWindow() {
    State& s = S();
    if (!s.windowExists) return;
    // Unbinding leaves GL calls without a context: they do nothing.
    OSMesaMakeCurrent(nullptr, nullptr, GL_UNSIGNED_BYTE, 0, 0);
    s.windowExists = false;
    s.contextCurrent = false;
    s.fullscreen = false;
    Log("window destroy");
}

// ---------------------------------------------------------------- input
bool IsKeyDown(Key key) {
    for (Key held : S().keys)
        if ((held == key || PairOf(held) == key) && S().latched.count(held) == 0) return true;
    return false;
}

void LatchHeldKeys() {
    State& s = S();
    s.presses = Presses();
    std::string line = "latch";
    for (Key key : s.keys) {
        s.latched.insert(key);
        line += std::string(" ") + KeyIdentifier(key);
    }
    Log(line);
}

Presses TakePresses() {
    if (S().takeHook) S().takeHook(S().takes);
    ++S().takes;
    Presses taken = S().presses;
    S().presses = Presses();
    return taken;
}

bool GetPointerPos(int* x, int* y) {
    const State& s = S();
    if ((s.captured && !s.inGameDialog) || s.pointerX < 0 || s.pointerY < 0) return false;
    *x = s.pointerX;
    *y = s.pointerY;
    return true;
}

PadAxes GetPadAxes() { return S().pad; }
PadLayout GetPadLayout() { return S().padLayout; }

void Rumble(float low, float high, uint32_t ms) {
    char line[64];
    std::snprintf(line, sizeof line, "rumble %.2f %.2f %u", double(low), double(high), unsigned(ms));
    Log(line);
}

// Held keys are the test's, live at every read: nothing to bring up to date.
void PumpInput() {}

void GetCursorPos(int* x, int* y) {
    *x = S().anchorX + S().motionX;
    *y = S().anchorY + S().motionY;
}

void SetCursorPos(int x, int y) {
    State& s = S();
    s.anchorX = x;
    s.anchorY = y;
    s.motionX = s.motionY = 0;
    Log("cursor " + std::to_string(x) + " " + std::to_string(y));
}

void SetMouseCaptured(bool captured) {
    State& s = S();
    if (s.captured == captured) return;
    s.captured = captured;
    s.motionX = s.motionY = 0;
    Log(captured ? "capture on" : "capture off");
}

// ---------------------------------------------------------------- clock
uint32_t TickCount() { return S().now; }
uint32_t PacingTime() { return S().now; }

void Sleep(uint32_t milliseconds) {
    Log("sleep " + std::to_string(milliseconds));
    S().now += milliseconds;
}

// ---------------------------------------------------------------- dialogs
int ShowModalDialog(const DialogText& text, std::string* error) {
    State& s = S();
    Log(std::string("dialog ") + text.caption + "|" + text.firstButton + "|" + text.secondButton + "|" +
        text.groupCaption + "|" + text.message);
    if (s.dialogHook) s.dialogHook();
    if (s.dialogAnswers.empty()) return kDialogFirstButton;
    const int answer = s.dialogAnswers.front();
    s.dialogAnswers.pop_front();
    if (answer == kDialogFailed) *error = "the script refused the box";
    return answer;
}

void BeginGameDialog(const DialogText& text) {
    State& s = S();
    Log(std::string("dialog ") + text.caption + "|" + text.firstButton + "|" + text.secondButton + "|" +
        text.groupCaption + "|" + text.message);
    // The pointer is the desktop's while the dialog is open.
    if (s.captured) Log("capture off");
    s.inGameDialog = true;
    s.waits = 0;
}

void EndGameDialog() {
    State& s = S();
    s.inGameDialog = false;
    if (s.autoEnter) script::HoldKey(Key::Enter, false);
    s.autoEnter = false;
    s.motionX = s.motionY = 0;
    Log("end of dialog");
    if (s.captured) Log("capture on");
}

void WaitForInput(unsigned timeoutMs) {
    State& s = S();
    Log("wait " + std::to_string(timeoutMs));
    ++s.waits;
    if (s.waitHook) {
        s.waitHook(s.waits);
        return;
    }
    if (s.waits == 1) {
        script::ReleaseAllKeys();
        if (s.dialogHook) s.dialogHook();
        return;
    }
    int answer = kDialogFirstButton;
    if (!s.dialogAnswers.empty()) {
        answer = s.dialogAnswers.front();
        s.dialogAnswers.pop_front();
    }
    if (answer == kDialogFirstButton) {
        script::HoldKey(Key::Enter, true);
        s.autoEnter = true;
    } else {
        Message close;
        close.type = MessageType::Close;
        s.messages.push_back(close);
    }
}

void ShowMessageBox(const char* caption, const char* text) { Log(std::string("messagebox ") + caption + "|" + text); }

// ---------------------------------------------------------------- sound
bool SoundInit(int mixRate, int channels) {
    S().soundOpen = true;
    Log("sound init " + std::to_string(mixRate) + " " + std::to_string(channels));
    return true;
}

SoundSample* SoundLoadSample(const char* name, const void*, size_t, std::string* reason) {
    if (!S().soundOpen) {
        *reason = "no sound device";
        Log(std::string("sound load-failed ") + name);
        return nullptr;
    }
    Log(std::string("sound load ") + name);
    return new SoundSample{name};
}

MusicStream* SoundOpenStream(const char* name, std::vector<uint8_t>, std::string* reason) {
    if (!S().soundOpen) {
        *reason = "no sound device";
        Log(std::string("sound load-failed ") + name);
        return nullptr;
    }
    Log(std::string("sound open-stream ") + name);
    return new MusicStream{name};
}

void SoundPlayStream(MusicStream* stream, bool loop) {
    if (stream) Log("sound stream " + stream->path + (loop ? " loop" : " once"));
}

void SoundPlaySample(SoundSample* sample) {
    if (sample) Log("sound play " + sample->path);
}

void SoundSetVolume(int musicPercent, int effectsPercent) {
    if (S().soundOpen) Log("sound volume " + std::to_string(musicPercent) + " " + std::to_string(effectsPercent));
}

void SoundFreeSample(SoundSample* sample) {
    if (!sample) return;
    Log("sound free " + sample->path);
    delete sample;
}

void SoundCloseStream(MusicStream* stream) {
    if (!stream) return;
    Log("sound close-stream " + stream->path);
    delete stream;
}

void SoundClose() {
    if (!S().soundOpen) return;
    S().soundOpen = false;
    Log("sound close");
}

}  // namespace platform
