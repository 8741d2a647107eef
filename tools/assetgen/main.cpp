// orvanthe-assetgen OUTDIR: writes every data file the game reads.
// The same program gives the same bytes on every run.
#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "assets.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: orvanthe-assetgen OUTDIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    mkdir(dir.c_str(), 0755);
    bool ok = MakeImages(dir);
    ok = MakeFont(dir) && ok;
    ok = MakeIcon(dir) && ok;
    ok = MakeModel(dir) && ok;
    ok = MakeSounds(dir) && ok;
    return ok ? 0 : 1;
}
