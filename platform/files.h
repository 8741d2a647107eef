// The game's data files: where data/ is, and reading one file whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// Keeps the working directory when it has a data/ folder; otherwise moves
// to the nearest one that has: beside the executable (a build tree), then
// the installed share/orvanthe. Returns false when none was found.
bool FindGameData();

enum class FileRead {
    Ok,
    CannotOpen,  // missing or not permitted: nothing was read
    Failed,      // not a regular file, larger than maxBytes, unreadable, or no memory
};

// Reads a regular file whole into *bytes. A pipe, device, socket or directory is
// refused without blocking, and a file over maxBytes before any of it is
// read. On failure *bytes is empty and *reason says why, in a few words.
FileRead ReadWholeFile(const char* path, size_t maxBytes, std::vector<uint8_t>* bytes, std::string* reason);

}  // namespace platform
