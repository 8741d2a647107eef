// Demos: every run records its ticks' input as it goes (in memory, and to
// a file with --record), a recorded game plays back exactly (--play), and
// a playback can be timed as fast as the machine draws (--timedemo).
#pragma once

#include <cstdint>
#include <string>

#include "core/demo.h"

// What the command line asks of this run's demos.
struct DemoRequest {
    std::string recordPath;  // --record FILE: written as the game runs
    std::string playPath;    // --play FILE, --timedemo FILE, --play-best
    bool timed = false;      // --timedemo
    bool best = false;       // --play-best: playPath is the kept best run's
};

// This game's version, which every demo names: another's is not replayed.
const char* GameVersion();

// The rules' settings as the player has them now, with the window's view.
RuleSettings CurrentRuleSettings();

// ---- recording ----
// This run records from its first tick on; with a path, the demo is also
// written there as the game runs. A path that cannot be written is named
// once, and the game runs on.
void StartRecording(const std::string& path);
// Ends the file with its end record and names what it holds.
void FinishRecording();
// A box the game opened was answered, after it stood `boxMs`.
void RecordAnswer(int answer, uint32_t boxMs);
// The game the player is starting now: a best run's demo shows from here.
void NoteGameStart();
// The demo of the run so far, ending here.
std::string RecordedDemo();
// The same, shown from the start of the game last begun: the earlier
// games are replayed unseen.
std::string DemoOfThisGame();

// ---- the tick's input ----
// Fills g_tickInput (and g_presses) for the tick about to run: the
// player's input, recorded, or the demo's, with the demo's settings. Any
// key the player pressed meanwhile is taken: ESC stops a replay.
void TakeTickInput();

// ---- playback ----
// Reads a demo to play back; false, with one line's reason naming the
// file, when it cannot be played.
bool OpenDemo(const std::string& path, DemoReader* reader, std::string* error);
// Plays the demo back from the next tick on, the player's input ignored
// but ESC. `timed`: as fast as the machine draws, then its figures.
void StartReplay(const std::string& path, DemoReader reader, bool timed);
bool Replaying();
bool TimingDemo();
// The game time of the replay's next tick.
uint32_t ReplayNextTickTime();
// What the demo holds next, its settings records applied on the way: a
// tick, a box's answer or its end.
DemoRecord NextReplayRecord();
// Takes the answer the demo gives the standing box, once it has stood as
// long as it did in the recording (at once when timed, or when the box was
// answered in no time). 0 while it stays.
int TakeReplayAnswer(uint32_t now);
// Ticks replayed unseen at the start (a best run skips earlier games).
uint32_t ReplayHiddenTicks();
uint32_t ReplayedTicks();
// The player pressed ESC during a replay, or the demo ran out and its last
// picture has stood a moment: the replay is over, and the program quits.
bool ReplayOver(uint32_t now);
// Says what was replayed: ticks, the end state, and a timed replay's figures.
void FinishReplay();
// One frame of a timed replay took this long, in seconds.
void NoteTimedFrame(double seconds);

// Back to program start: no recording, no replay.
void ForgetDemos();
