#include <gtest/gtest.h>

#include "text/dialogs.h"
#include "core/dialog_templates.h"
#include "platform/dialog.h"
#include "platform/scripted/script.h"

namespace {

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override { script::Reset(); }
};

}  // namespace

TEST_F(DialogTest, EachDialogShowsItsOwnTexts) {
    ShowCaughtDialog();
    ShowWinDialog();
    ShowFellDialog();
    ShowPauseDialog();
    const std::vector<std::string> expected = {
        "dialog Orvanthe lev 0|&New Game|&Quit|Game Over|The monster got you ;)\r\n\r\n",
        "dialog Orvanthe lev 0|&New Game|&Quit|You win|To get the next level, hire me  ;)\r\n\r\n",
        "dialog Orvanthe lev 0|&New Game|&Quit|Game Over|Opps you fell off the platform  ;)\r\n\r\n",
        "dialog Orvanthe lev 0|&Resume|&Quit|Game Paused|\r\n\r\n",
    };
    EXPECT_EQ(script::LogLines("dialog"), expected);
    EXPECT_EQ(script::CountLog("quit"), 0) << "the first button only returns";
}

TEST_F(DialogTest, QuitPostsTheQuitRequestWithZero) {
    script::AnswerDialog(platform::kDialogSecondButton);
    ShowPauseDialog();
    EXPECT_EQ(script::LogLines("quit"), std::vector<std::string>{"quit 0"});
}

TEST_F(DialogTest, AFailedBoxIsReportedWithItsReasonAndTreatedAsTheFirstButton) {
    script::AnswerDialog(platform::kDialogFailed);
    ::testing::internal::CaptureStderr();
    ShowFellDialog();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "orvanthe: cannot show a dialog: the script refused the box\n");
    EXPECT_EQ(script::LogLines("messagebox"), std::vector<std::string>{"messagebox Error|Dialog failed!"});
    EXPECT_EQ(script::CountLog("quit"), 0);
}

TEST_F(DialogTest, OtherResultsAndUnknownResourcesDoNothingHarmful) {
    script::AnswerDialog(7);
    ShowCaughtDialog();
    EXPECT_EQ(script::CountLog("quit"), 0);
    EXPECT_EQ(script::CountLog("messagebox"), 0);
    ::testing::internal::CaptureStderr();
    ShowGameDialog(55);  // no such template: reported like a failed box
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "orvanthe: cannot show a dialog: no dialog template 55\n");
    EXPECT_EQ(script::CountLog("messagebox Error|Dialog failed!"), 1);
}
