// Where the game's data/ folder is. The game opens its files as "data/..."
// relative to the working directory; this lets it start from anywhere.
#pragma once

namespace platform {

// Keeps the working directory when it has a data/ folder; otherwise moves
// to the nearest one that has: beside the executable (a build tree), then
// the installed share/orvanthe. Returns false when none was found.
bool FindGameData();

}  // namespace platform
