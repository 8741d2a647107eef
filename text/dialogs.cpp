#include "text/dialogs.h"

#include <cstdio>
#include <string>

#include "core/state.h"
#include "platform/dialog.h"
#include "platform/window.h"
#include "text/dialog_templates.h"
#include "text/dialog_ui.h"
#include "text/options_screen.h"

namespace {

DrawnDialog g_drawn;
// Over the title, or over the pause, which stands open behind it.
OptionsScreen g_options;
ApplySettingsFn g_applySettings = nullptr;
constexpr const char* kOptionsButton = "Options";
// The options stand alone over the title, as a box of their own: the
// pointer is the desktop's meanwhile.
bool g_optionsAlone = false;
const platform::DialogText kOptionsBox{"Options", "Back", "", "", ""};

void EndOptionsAlone() {
    if (!g_optionsAlone) return;
    g_optionsAlone = false;
    platform::EndGameDialog();
}
// The desktop's box's answer, handed on at the next step; 0 when none.
int g_boxAnswer = 0;

// What every answer does beyond closing the box.
int Act(int result, const std::string& error) {
    switch (result) {
    case platform::kDialogSecondButton: platform::PostQuit(0); break;
    case platform::kDialogFailed:
        // The error box may fail for the same reason: the terminal still
        // learns why. Play carries on as after the first button.
        std::fprintf(stderr, "orvanthe: cannot show a dialog: %s\n", error.c_str());
        platform::ShowMessageBox("Error", "Dialog failed!");
        return platform::kDialogFirstButton;
    default: break;
    }
    return result;
}

}  // namespace

void OpenGameDialog(int resource) {
    ForgetGameDialog();
    const DialogTemplate* found = nullptr;
    for (const DialogTemplate& t : kDialogTemplates)
        if (t.resource == resource) found = &t;
    if (!found) {
        g_boxAnswer = Act(platform::kDialogFailed, "no dialog template " + std::to_string(resource));
        return;
    }
    const platform::DialogText text{kDialogCaption, found->firstButton, kQuitButton, found->groupCaption,
                                    found->message};
    if (!CanDrawDialogs(g_font)) {
        // The desktop's box only where the game has no font to draw one.
        std::string error;
        g_boxAnswer = Act(platform::ShowModalDialog(text, &error), error);
        return;
    }
    // The pause opens before a frame is drawn; the ends of a game after one.
    const DialogBackdrop behind =
        resource == kPauseDialog ? DialogBackdrop::LastPresented : DialogBackdrop::FrameInProgress;
    g_drawn.Open(g_font, text, behind, resource == kPauseDialog ? kOptionsButton : nullptr);
}

void SetOptionsApply(ApplySettingsFn apply) { g_applySettings = apply; }

void OpenOptionsScreen() {
    ForgetGameDialog();
    // Without a font there is nothing to draw it with.
    if (!CanDrawDialogs(g_font)) return;
    platform::BeginGameDialog(kOptionsBox);
    g_optionsAlone = true;
    g_options.Open(g_font, nullptr, g_applySettings);
}

bool OptionsScreenOpen() { return g_options.IsOpen(); }

const OptionsScreen& GameOptionsScreen() { return g_options; }

bool GameDialogOpen() { return g_drawn.IsOpen() || g_boxAnswer != 0 || g_options.IsOpen(); }

int StepGameDialog() {
    if (g_boxAnswer != 0) {
        const int answer = g_boxAnswer;
        g_boxAnswer = 0;
        return answer;
    }
    if (g_options.IsOpen()) {
        if (!g_options.Step()) return 0;
        // Back to the pause, or to the title, which goes on as it was.
        if (!g_drawn.IsOpen()) {
            EndOptionsAlone();
            return platform::kDialogFirstButton;
        }
        platform::SetCaption(kDialogCaption);
        g_drawn.TakeFocusBack();
        return 0;
    }
    const int result = g_drawn.Step();
    if (result == kDialogThirdButton) {
        g_options.Open(g_font, &g_drawn.Backdrop(), g_applySettings);
        return 0;
    }
    return result == 0 ? 0 : Act(result, "");
}

void QuitGameDialog() {
    // The close box over the options keeps what was changed, then quits as
    // it does on the screen beneath.
    const bool options = g_options.IsOpen();
    g_options.Leave();
    if (!g_drawn.IsOpen() && !options) return;
    ForgetGameDialog();
    g_boxAnswer = Act(platform::kDialogSecondButton, "");
}

void AnswerGameDialog(int answer) {
    ForgetGameDialog();
    g_boxAnswer = Act(answer, "");
}

void RedrawGameDialog() {
    g_drawn.Redraw();
    g_options.Redraw();
}

void ForgetGameDialog() {
    g_options.Close();
    EndOptionsAlone();
    g_drawn.Close();
    g_boxAnswer = 0;
}

void OpenCaughtDialog() { OpenGameDialog(kCaughtDialog); }
void OpenWinDialog() { OpenGameDialog(kWinDialog); }
void OpenFellDialog() { OpenGameDialog(kFellDialog); }
void OpenPauseDialog() { OpenGameDialog(kPauseDialog); }
