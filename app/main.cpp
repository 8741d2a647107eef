// The orvanthe executable: this entry point plus the SDL backend.
#include "app/command_line.h"
#include "app/program.h"
#include "core/asset_file.h"
#include "core/best_run.h"
#include "core/settings.h"
#include "platform/files.h"

int main(int argc, char** argv) {
    const CommandLine options = ParseCommandLine(argc, argv);
    if (options.exitCode >= 0) return options.exitCode;
    LoadSettings(SettingsPath());
    LoadBestRun();
    ApplyCommandLine(options);
    // A missing data/ is not fatal: every asset is optional, and start-up
    // names each file it could not read.
    if (options.dataDir.empty()) {
        platform::FindGameData();
    } else {
        SetAssetFolder(options.dataDir);
    }
    return ProgramMain(DemoRequestOf(options));
}
