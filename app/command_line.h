// The command line: --help, --version, --fullscreen, --windowed,
// --data DIR, --mute, --max-fps N, and the demos' --record FILE,
// --play FILE, --timedemo FILE and --play-best. Nothing here is kept: the
// settings file holds only what the player changes in the game.
#pragma once

#include <string>

#include "app/demos.h"

struct CommandLine {
    // 0 after --help or --version, 2 after a mistake (usage printed): the
    // program ends with it at once. -1: run the game.
    int exitCode = -1;
    bool fullscreen = false;  // --fullscreen
    bool windowed = false;    // --windowed
    bool mute = false;        // --mute
    int maxFps = -1;          // --max-fps N (0: the screen's rate), -1 when not given
    std::string dataDir;      // --data DIR, "" when not given
    std::string recordPath;   // --record FILE
    std::string playPath;     // --play FILE or --timedemo FILE
    bool timedemo = false;    // --timedemo FILE
    bool playBest = false;    // --play-best
};

// Parses argv; help, the version and mistakes are printed here.
CommandLine ParseCommandLine(int argc, char** argv);

// Puts the options into this run's g_settings and g_muted; the settings
// must have been loaded first, as they are overridden.
void ApplyCommandLine(const CommandLine& options);
// What the options ask of this run's demos.
DemoRequest DemoRequestOf(const CommandLine& options);
