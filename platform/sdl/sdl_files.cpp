// Finding data/ for the SDL build: beside the executable for a build tree,
// where the install layout puts it (ORVANTHE_DATA_FROM_BINARY, set by the
// build) for an installed copy.
#include <SDL.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "platform/files.h"

namespace {

bool HasData(const std::string& dir) {
    struct stat st;
    const std::string path = dir + "data";
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

namespace platform {

bool FindGameData() {
    if (HasData("")) return true;
    char* base = SDL_GetBasePath();  // ends with a separator
    if (!base) return false;
    const std::string exeDir = base;
    SDL_free(base);
    for (const std::string& dir : {exeDir, exeDir + ORVANTHE_DATA_FROM_BINARY}) {
        if (HasData(dir) && chdir(dir.c_str()) == 0) return true;
    }
    return false;
}

}  // namespace platform
