// Test controls of the scripted backend. A test sets the clocks, holds keys,
// feeds cursor motion, queues window messages, answers dialogs, and reads
// back an ordered log of what the game asked of the platform.
//
// The window is a real headless OSMesa context of the requested size, so GL
// calls run for real and pixels can be read back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/input.h"
#include "platform/window.h"

namespace script {

// Clears the log, the message queue, held keys, cursor motion, queued
// dialog answers and frame cost; sets both clocks to `now`.
void Reset(uint32_t now = 1000);

// Both clocks move together.
void SetTime(uint32_t now);
void AdvanceTime(uint32_t milliseconds);
uint32_t Now();

// Every buffer swap advances the clocks by this much: the cost of a frame.
void SetFrameCost(uint32_t milliseconds);

// Holding a key that was up is also a press of it.
void HoldKey(platform::Key key, bool down);
// A press and release between two looks at the keys: only the press count
// sees it.
void TapKey(platform::Key key);
void ReleaseAllKeys();
void MoveMouse(int dx, int dy);
// The gamepad's sticks and trigger until set again; Reset centres them.
void SetPadAxes(const platform::PadAxes& axes);
// The family of pad GetPadLayout reports; Reset makes it None (no pad).
void SetPadLayout(platform::PadLayout layout);

void QueueMessage(const platform::Message& message);

// Results handed out by ShowModalDialog in order; when none is queued a
// dialog answers 1 (the first button). A -1 comes with the reason
// "the script refused the box".
void AnswerDialog(int result);
// Called after every buffer swap with the number of swaps so far, so a
// test can drive a whole run of the program frame by frame.
void OnSwap(void (*hook)(int swaps));

// Called as the game takes the presses, once a tick, with the number of takes
// before it: a test that sets keys, taps and mouse motion here gives every
// tick its inputs, however the frames fall.
void OnTakePresses(void (*hook)(int takes));

// The window CreateMainWindow makes, whatever size is asked for (0, 0:
// as asked). Whole-game tests run small to stay fast.
void SetWindowSize(int width, int height);

// The player (or the window manager) resizes the window: the drawable
// takes the new size at once and a Resize message is queued.
void ResizeWindow(int width, int height);

// The desktop's size, which fullscreen takes (1920 x 1080 unless set).
void SetScreenSize(int width, int height);
// Make every fullscreen switch also queue a focus loss, as some window
// managers do; the focus comes back only when the test queues it.
void LoseFocusOnFullscreenSwitch(bool lose);

// Hide (unmap, minimise) or show the window; it starts shown.
void SetWindowShown(bool shown);

// What SetVsync(true) answers: whether the driver takes the request (false
// unless set, as under Xvfb). Off always answers false.
void SetVsyncWorks(bool works);
// What RefreshRate answers while there is a window (60 unless set; 0 is a
// desktop that does not say).
void SetRefreshRate(int hz);

// Call the loop's pass once for each frame the display shows, as the
// browser does: DisplayPacesLoop answers true (false unless set).
void SetDisplayPacesLoop(bool paces);

// Make CreateMainWindow fail with this description ("" lets it succeed).
void FailWindowCreation(const std::string& reason);

// Called inside a dialog before it returns, e.g. to release keys "while the
// box was open" or move the clock.
void OnDialog(void (*hook)());

// Where the desktop's pointer is over the window, in drawable pixels
// (x < 0: outside). The game sees it only while it has not captured it.
void SetPointer(int x, int y);

// Called at every wait of an in-game dialog with the number of waits since
// it opened, to hold keys, move the pointer and queue messages "while it is
// open". Without a hook the dialog is answered from AnswerDialog as a
// player would: the first wait runs the OnDialog hook and lets every key
// go, the second presses ENTER (answer 1) or closes the window (answer 2),
// and the ENTER is let go once the dialog has closed.
void OnWait(void (*hook)(int waits));

// Ordered record of platform calls, one line each, e.g.
//   "caption Orvanthe", "swap", "sleep 10", "quit 0",
//   "dialog Orvanthe lev 0|&New Game|&Quit|Game Over|The monster got you ;)\r\n\r\n",
//   "messagebox Error|Dialog failed!", "sound init 44100 32",
//   "sound load data/ugh.wav", "sound load-failed data/x.wav",
//   "sound stream data/wpqce.wav loop", "sound play data/ugh.wav",
//   "sound free data/ugh.wav", "sound close-stream data/wpqce.wav",
//   "sound close", "sound volume 100 80", "cursor 475 300", "capture on", "capture off",
//   "window create 800x600", "window destroy", "vsync on", "vsync off",
//   an in-game dialog logs its "dialog ..." line too, then "wait 100" at
//   each wait of the loop while it stands and "end of dialog" when it closes,
//   "latch Enter Escape" (the held keys latched; "latch" when none),
//   "rumble 0.30 0.60 120" (low and high motors, milliseconds)
const std::vector<std::string>& Log();
void ClearLog();
// Stops (false) and restarts the log: a test that counts the game's
// allocations must not count the log's. Reset restarts it.
void KeepLog(bool keep);
// Lines of the log that start with `prefix`.
std::vector<std::string> LogLines(const std::string& prefix);
int CountLog(const std::string& prefix);

bool WindowExists();
bool ContextCurrent();

}  // namespace script
