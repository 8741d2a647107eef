// Reading the game's asset files, and telling the player once per file when
// one cannot be used. Every loader reads its file whole through here and
// decodes from memory, so the decoders can be tested and fuzzed without I/O.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/files.h"

// Ok; CannotOpen (missing or not permitted); Failed (not a regular file, too
// large, unreadable, no memory).
using AssetRead = platform::FileRead;

// Where "data/..." paths are read from: "data" (the working directory's) unless
// the command line named another folder. The name in reports stays "data/...".
void SetAssetFolder(const std::string& dir);

// Reads at most maxBytes; on failure *reason says why, in a few words. A
// file over maxBytes is refused by its size, before any of it is read.
AssetRead ReadAssetFile(const std::string& path, size_t maxBytes, std::vector<uint8_t>* bytes, std::string* reason);

// One short stderr line naming the file and the reason, once per file: an
// explosion reloading a missing sprite does not repeat it.
void ReportAssetProblem(const std::string& path, const std::string& reason);
// Start-up calls this, so every run names its unreadable files afresh.
void ForgetReportedAssetProblems();
