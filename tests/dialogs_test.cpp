#include <gtest/gtest.h>

#include "platform/dialog.h"
#include "platform/scripted/script.h"
#include "scenery_fixture.h"
#include "text/dialog_templates.h"
#include "text/dialogs.h"

namespace {
// Without a font the desktop's box answers as the dialog opens; the next step hands the answer on.
void Show(void (*open)()) {
    open();
    ASSERT_TRUE(GameDialogOpen());
    EXPECT_NE(StepGameDialog(), 0);
    EXPECT_FALSE(GameDialogOpen());
}
}  // namespace

TEST(DialogTest, EachDialogShowsItsOwnTextsAndOnlyTheSecondButtonQuits) {
    script::Reset();
    Show(OpenCaughtDialog);
    Show(OpenWinDialog);
    Show(OpenFellDialog);
    script::AnswerDialog(7);  // neither button: nothing happens
    Show(OpenPauseDialog);
    const std::vector<std::string> expected = {
        "dialog Orvanthe lev 0|&New Game|&Quit|Game Over|The monster got you ;)\r\n\r\n",
        "dialog Orvanthe lev 0|&New Game|&Quit|You win|To get the next level, hire me  ;)\r\n\r\n",
        "dialog Orvanthe lev 0|&New Game|&Quit|Game Over|Opps you fell off the platform  ;)\r\n\r\n",
        "dialog Orvanthe lev 0|&Resume|&Quit|Game Paused|\r\n\r\n"};
    EXPECT_EQ(script::LogLines("dialog"), expected);
    EXPECT_EQ(script::CountLog("messagebox"), 0);
    script::AnswerDialog(platform::kDialogSecondButton);
    Show(OpenPauseDialog);
    EXPECT_EQ(script::LogLines("quit"), std::vector<std::string>{"quit 0"});
}

// The terminal learns why, an error box follows, and play carries on.
TEST(DialogTest, AFailedBoxOrAnUnknownTemplateIsReportedWithItsReason) {
    script::Reset();
    script::AnswerDialog(platform::kDialogFailed);
    EXPECT_EQ(Stderr([] { Show(OpenFellDialog); }), "orvanthe: cannot show a dialog: the script refused the box\n");
    EXPECT_EQ(script::LogLines("messagebox"), std::vector<std::string>{"messagebox Error|Dialog failed!"});
    EXPECT_EQ(Stderr([] {
                  OpenGameDialog(55);
                  StepGameDialog();
              }),
              "orvanthe: cannot show a dialog: no dialog template 55\n");
    EXPECT_EQ(script::CountLog("messagebox Error|Dialog failed!"), 2);
    EXPECT_EQ(script::CountLog("quit"), 0);
}
