#include "app/command_line.h"

#include <CLI/CLI.hpp>

#include <cstdio>

#include "core/best_run.h"
#include "core/settings.h"
#include "core/state.h"

CommandLine ParseCommandLine(int argc, char** argv) {
    CommandLine options;
    CLI::App app(
        "Orvanthe: a small first-person action game.\n"
        "Settings are kept in $XDG_CONFIG_HOME/orvanthe/settings.ini (~/.config/orvanthe/settings.ini), your best\n"
        "time and its game in $XDG_DATA_HOME/orvanthe/ (~/.local/share/orvanthe/).",
        "orvanthe");
    app.set_version_flag("--version", std::string("orvanthe ") + ORVANTHE_VERSION);
    auto* full = app.add_flag("--fullscreen", options.fullscreen, "Start fullscreen, this time");
    auto* windowed = app.add_flag("--windowed", options.windowed, "Start in a window, this time");
    full->excludes(windowed);
    app.add_option("--data", options.dataDir, "Read the game's files (f.glf, sky.bmp, ...) from DIR instead of data/")
        ->type_name("DIR")
        ->check(CLI::ExistingDirectory);
    app.add_flag("--mute", options.mute, "Start with all sound off (M turns it on)");
    // Read as the settings file reads max_fps: CLI11's own integers would
    // take 0x3c, and 060 as 48.
    app.add_option_function<std::string>(
           "--max-fps", [&options](const std::string& text) { ParseMaxFps(text.c_str(), &options.maxFps); },
           "Draw at most N frames a second, this time (" + std::to_string(kLowestMaxFps) + " to " +
               std::to_string(kHighestMaxFps) + "; 0: the screen's refresh rate)")
        ->type_name("N")
        ->check(CLI::Validator(
            [](std::string& text) {
                int fps = 0;
                return ParseMaxFps(text.c_str(), &fps)
                           ? std::string()
                           : "'" + text + "' is not 0 or a number from " + std::to_string(kLowestMaxFps) + " to " +
                                 std::to_string(kHighestMaxFps);
            },
            "", ""));
    auto* record =
        app.add_option("--record", options.recordPath, "Record this run's play to FILE, as it goes")->type_name("FILE");
    auto* play = app.add_option("--play", options.playPath, "Play the game recorded in FILE back (ESC stops)")
                     ->type_name("FILE");
    std::string timed;
    auto* timedemo = app.add_option("--timedemo", timed,
                                    "Play FILE back as fast as it draws, then print frames a second and frame times")
                         ->type_name("FILE");
    auto* best = app.add_flag("--play-best", options.playBest, "Play your best won game back");
    // One demo at a time: a replay is not recorded.
    play->excludes(timedemo)->excludes(best)->excludes(record);
    timedemo->excludes(best)->excludes(record);
    best->excludes(record);
    try {
        app.parse(argc, argv);
        if (!timed.empty()) {
            options.playPath = timed;
            options.timedemo = true;
        }
    } catch (const CLI::CallForHelp&) {
        std::fputs(app.help().c_str(), stdout);
        options.exitCode = 0;
    } catch (const CLI::CallForVersion&) {
        std::printf("%s\n", app.version().c_str());
        options.exitCode = 0;
    } catch (const CLI::ParseError& e) {
        std::fprintf(stderr, "orvanthe: %s\n%s", e.what(), app.help().c_str());
        options.exitCode = 2;
    }
    return options;
}

void ApplyCommandLine(const CommandLine& options) {
    if (options.fullscreen) g_settings.fullscreen = true;
    if (options.windowed) g_settings.fullscreen = false;
    if (options.mute) g_muted = true;
    if (options.maxFps >= 0) SetMaxFpsForThisRun(options.maxFps);
}

DemoRequest DemoRequestOf(const CommandLine& options) {
    DemoRequest request;
    request.recordPath = options.recordPath;
    request.playPath = options.playBest ? BestRunDemoPath() : options.playPath;
    request.timed = options.timedemo;
    request.best = options.playBest;
    return request;
}
