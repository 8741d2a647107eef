// SDL backend for platform/dialog.h: the game's two-button choice and its
// error box as native SDL message boxes, with mouse capture released while
// one is open.
#include "platform/dialog.h"

#include <cstdio>
#include <string>

#include "platform/sdl/sdl_state.h"

namespace platform {

namespace {

std::string Text(const char* s) { return s ? s : ""; }

// "&New Game" -> "New Game"; "&&" stays a literal '&'.
std::string WithoutMnemonics(const char* label) {
    std::string out;
    for (const char* p = label ? label : ""; *p; ++p) {
        if (*p == '&') {
            if (p[1] != '&') continue;
            ++p;
        }
        out += *p;
    }
    return out;
}

std::string WithoutTrailingBreaks(std::string s) {
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
    return s;
}

// Releases the pointer for the box and gives it back afterwards; a quit
// signal meanwhile ends the box.
class DialogScope {
public:
    DialogScope() {
        // On X11 SDL shows the box from a forked child: unflushed output
        // would be written twice.
        std::fflush(nullptr);
        sdl::GetState().dialogOpen = true;
        sdl::UpdateCapture();
        sdl::WatchDialogChild(true);
    }
    ~DialogScope() {
        sdl::WatchDialogChild(false);
        // Focus changes the box caused are taken while it still counts as
        // open, so they are not reported as the player leaving.
        sdl::DrainEvents();
        sdl::GetState().dialogOpen = false;
        sdl::UpdateCapture();
    }
    DialogScope(const DialogScope&) = delete;
    DialogScope& operator=(const DialogScope&) = delete;
};

}  // namespace

int ShowModalDialog(const DialogText& text, std::string* error) {
    // The game is ending: no box to wait for, the answer is Quit.
    if (sdl::QuitSignalled()) return kDialogSecondButton;

    const std::string title = Text(text.caption);
    const std::string body = Text(text.groupCaption) + "\n\n" + WithoutTrailingBreaks(Text(text.message));
    const std::string first = WithoutMnemonics(text.firstButton);
    const std::string second = WithoutMnemonics(text.secondButton);

    const SDL_MessageBoxButtonData buttons[] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, kDialogFirstButton, first.c_str()},
        {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, kDialogSecondButton, second.c_str()},
    };
    SDL_MessageBoxData data{};
    data.flags = SDL_MESSAGEBOX_INFORMATION;
    data.window = sdl::GetState().window;
    data.title = title.c_str();
    data.message = body.c_str();
    data.numbuttons = 2;
    data.buttons = buttons;

    int pressed = -1;
    int status;
    {
        DialogScope scope;
        status = SDL_ShowMessageBox(&data, &pressed);
    }
    // A signal killed the box: answer as its close box would.
    if (sdl::QuitSignalled()) return kDialogSecondButton;
    if (status != 0) {
        *error = SDL_GetError();
        return kDialogFailed;
    }
    // Closing the box without a button counts as the quit choice.
    return pressed == kDialogFirstButton ? kDialogFirstButton : kDialogSecondButton;
}

void BeginGameDialog(const DialogText&) {
    sdl::GetState().dialogOpen = true;
    sdl::UpdateCapture();
}

void EndGameDialog() {
    sdl::GetState().dialogOpen = false;
    sdl::UpdateCapture();
}

void ShowMessageBox(const char* caption, const char* text) {
    if (sdl::QuitSignalled()) return;
    DialogScope scope;
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, Text(caption).c_str(), Text(text).c_str(),
                             sdl::GetState().window);
}

}  // namespace platform
