// The orvanthe executable: this entry point plus the SDL backend.
#include "app/program.h"
#include "platform/files.h"

int main() {
    // A missing data/ is not fatal: every asset is optional, and start-up
    // names each file it could not read.
    platform::FindGameData();
    return ProgramMain();
}
