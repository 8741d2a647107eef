// The browser backend for platform/dialog.h. The game draws its own dialogs
// in the canvas; the page's confirm box stands in for the desktop's only
// where the game has no font to draw one.
#include <emscripten.h>

#include <string>

#include "platform/dialog.h"
#include "platform/web/web_state.h"

namespace platform {

namespace {

std::string WithoutMnemonics(const char* text) {
    std::string out;
    for (const char* p = text ? text : ""; *p; ++p)
        if (*p != '&') out += *p;
    return out;
}

// clang-format off
EM_JS(int, ConfirmBox, (const char* text), {
    try {
        return window.confirm(UTF8ToString(text)) ? 1 : 2;
    } catch (e) {
        return -1;
    }
});
// clang-format on

// clang-format off
EM_JS(void, TellPage, (const char* caption, const char* text), {
    const c = UTF8ToString(caption), t = UTF8ToString(text);
    console.error(c + ': ' + t);
    if (Module['onGameMessage']) Module['onGameMessage'](c, t);
});
// clang-format on

}  // namespace

// OK is the first button, Cancel the second.
int ShowModalDialog(const DialogText& text, std::string* error) {
    const std::string body = std::string(text.groupCaption ? text.groupCaption : "") + "\n\n" +
                             (text.message ? text.message : "") + "\n\nOK: " + WithoutMnemonics(text.firstButton) +
                             "    Cancel: " + WithoutMnemonics(text.secondButton);
    const int answer = ConfirmBox(body.c_str());
    if (answer < 0) *error = "the page cannot show a box";
    return answer;
}

void BeginGameDialog(const DialogText&) {
    web::GetState().dialogOpen = true;
    web::UpdateCapture();
}

void EndGameDialog() {
    web::GetState().dialogOpen = false;
    web::UpdateCapture();
}

// The page's animation frames come back on their own; nothing may wait.
void WaitForInput(unsigned) {}

// On the page, not in a blocking box: the console and the page's notice.
void ShowMessageBox(const char* caption, const char* text) { TellPage(caption, text); }

}  // namespace platform
