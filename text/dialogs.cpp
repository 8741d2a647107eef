#include "text/dialogs.h"

#include <cstdio>
#include <string>

#include "core/state.h"
#include "platform/dialog.h"
#include "platform/window.h"
#include "text/dialog_templates.h"
#include "text/dialog_ui.h"

void ShowGameDialog(int resource) {
    const DialogTemplate* found = nullptr;
    for (const DialogTemplate& t : kDialogTemplates)
        if (t.resource == resource) found = &t;

    int result = platform::kDialogFailed;
    std::string error = "no dialog template " + std::to_string(resource);
    if (found) {
        const platform::DialogText text{kDialogCaption, found->firstButton, kQuitButton, found->groupCaption,
                                        found->message};
        // The desktop's box only where the game has no font to draw one.
        // The pause opens as a frame begins; the ends of a game after one.
        const DialogBackdrop behind =
            resource == kPauseDialog ? DialogBackdrop::LastPresented : DialogBackdrop::FrameInProgress;
        result =
            CanDrawDialogs(g_font) ? RunDrawnDialog(g_font, text, behind) : platform::ShowModalDialog(text, &error);
    }
    switch (result) {
    case platform::kDialogSecondButton: platform::PostQuit(0); break;
    case platform::kDialogFailed:
        // The error box may fail for the same reason: the terminal still
        // learns why. Play carries on as after the first button.
        std::fprintf(stderr, "orvanthe: cannot show a dialog: %s\n", error.c_str());
        platform::ShowMessageBox("Error", "Dialog failed!");
        break;
    default: break;
    }
}

void ShowCaughtDialog() { ShowGameDialog(kCaughtDialog); }
void ShowWinDialog() { ShowGameDialog(kWinDialog); }
void ShowFellDialog() { ShowGameDialog(kFellDialog); }
void ShowPauseDialog() { ShowGameDialog(kPauseDialog); }
