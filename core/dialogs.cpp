#include "core/dialogs.h"

#include "core/dialog_templates.h"
#include "platform/dialog.h"
#include "platform/window.h"

void ShowGameDialog(int resource) {
    const DialogTemplate* found = nullptr;
    for (const DialogTemplate& t : kDialogTemplates)
        if (t.resource == resource) found = &t;

    int result = platform::kDialogFailed;
    if (found) {
        const platform::DialogText text{kDialogCaption, found->firstButton, kQuitButton, found->groupCaption,
                                        found->message};
        result = platform::ShowModalDialog(text);
    }
    switch (result) {
    case platform::kDialogSecondButton:
        platform::PostQuit(0);
        break;
    case platform::kDialogFailed:
        // Carries on as after the first button.
        platform::ShowMessageBox("Error", "Dialog failed!");
        break;
    default:
        break;
    }
}

void ShowCaughtDialog() { ShowGameDialog(kCaughtDialog); }
void ShowWinDialog() { ShowGameDialog(kWinDialog); }
void ShowFellDialog() { ShowGameDialog(kFellDialog); }
void ShowPauseDialog() { ShowGameDialog(kPauseDialog); }
