// The best run: the fewest ticks a won game has taken (pauses and boxes
// are not ticks), kept with that game's demo in $XDG_DATA_HOME/orvanthe/
// (~/.local/share/orvanthe/ without it) as best.ini and best.demo. A
// best.ini the game cannot read is warned about once and never written
// over, as the settings file is: a better run then lasts only this run.
#pragma once

#include <cstdint>
#include <string>

// Start-up: reads best.ini. A missing file is no best yet, said nothing
// about; any other failure (unreadable, not a regular file, not the
// file's form, ticks not a positive whole number) is one line on stderr.
void LoadBestRun();

// Whether a best is known, from the file or from a run won in this one.
bool BestRunKnown();
// Its length in ticks of 20 ms; 0 while none is known.
uint32_t BestRunTicks();

// A won game of `ticks` ticks and its demo. It becomes the best when none
// is known or it took strictly fewer ticks: best.demo is written, then
// best.ini, each atomically. When they cannot be (no folder to keep them
// in, a best.ini that LoadBestRun warned about, a failed write) that is
// said once on stderr, and the run is the best for this run only.
// Returns whether it became the best.
bool OfferWonRun(uint32_t ticks, const std::string& demo);

// Where the best run's demo is kept, "" when neither XDG_DATA_HOME nor
// HOME names a folder.
std::string BestRunDemoPath();

// A run's length as a player reads it: minutes, seconds and hundredths
// ("0:42.36"); an hour and more is shown as minutes ("75:00.00").
std::string FormatRunTime(uint32_t ticks);

// As if no file had been read and no game won: for each test.
void ForgetBestRun();
