// The game's data files: where data/ is, and reading one file whole; the
// player's config and data folders and writing a file there atomically.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// Keeps the working directory when it has a data/ folder; otherwise moves
// to the nearest one that has: beside the executable (a build tree), then
// the installed share/games/orvanthe. Returns false when none was found.
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

// Nothing at all is at path (not even a broken link): what a first run sees.
bool NothingAt(const std::string& path);

// The player's config folder: $XDG_CONFIG_HOME when it is an absolute path,
// else $HOME/.config. "" when neither says.
std::string ConfigHome();

// The player's data folder, for what the game keeps rather than what the
// player sets (the best run): $XDG_DATA_HOME when it is an absolute path,
// else $HOME/.local/share. "" when neither says.
std::string DataHome();

// Replaces path with bytes all at once: written to a temporary file beside
// it, flushed to disk and renamed over it, so a reader (or a crash) sees the
// old file or the new one, never a part. Missing folders on the way are made
// (private to the user). On failure the old file is untouched, no temporary
// file is left, and *reason says why in the system's words ("No space left
// on device"), naming a folder only when the folder is the problem.
bool WriteFileAtomically(const std::string& path, const std::string& bytes, std::string* reason);

}  // namespace platform
