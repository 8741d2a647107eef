// The four dialogs the game shows, by resource number. They share one
// layout (caption, first button, "&Quit", group box, message) and differ in
// the first button, the group caption and the message.
#pragma once

constexpr int kCaughtDialog = 2;
constexpr int kWinDialog = 3;
constexpr int kFellDialog = 4;
constexpr int kPauseDialog = 100;

struct DialogTemplate {
    int resource;
    const char* firstButton;
    const char* groupCaption;
    const char* message;
};

constexpr const char* kDialogCaption = "Orvanthe lev 0";
constexpr const char* kQuitButton = "&Quit";

constexpr DialogTemplate kDialogTemplates[] = {
    {kCaughtDialog, "&New Game", "Game Over", "The monster got you ;)\r\n\r\n"},
    {kWinDialog, "&New Game", "You win", "To get the next level, hire me  ;)\r\n\r\n"},
    {kFellDialog, "&New Game", "Game Over", "Opps you fell off the platform  ;)\r\n\r\n"},
    {kPauseDialog, "&Resume", "Game Paused", "\r\n\r\n"},
};
