// orvanthe-assetgen DATADIR ICONDIR: writes every data file the game reads
// into DATADIR, and the desktop icon at each size (NxN.png) into ICONDIR.
// The same program gives the same bytes on every run.
#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "assets.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: orvanthe-assetgen DATADIR ICONDIR\n");
        return 2;
    }
    const std::string dir = argv[1], iconDir = argv[2];
    mkdir(dir.c_str(), 0755);
    mkdir(iconDir.c_str(), 0755);
    bool ok = MakeImages(dir);
    ok = MakeFont(dir) && ok;
    ok = MakeIcons(iconDir) && ok;
    ok = MakeModel(dir) && ok;
    ok = MakeSounds(dir) && ok;
    return ok ? 0 : 1;
}
