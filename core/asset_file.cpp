#include "core/asset_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <set>

namespace {
std::set<std::string> g_reportedAssets;
}

AssetRead ReadAssetFile(const std::string& path, size_t maxBytes, std::vector<uint8_t>* bytes, std::string* reason) {
    bytes->clear();
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        *reason = std::string("cannot open (") + std::strerror(errno) + ")";
        return AssetRead::CannotOpen;
    }
    bool tooLarge = false, noMemory = false;
    try {
        uint8_t chunk[65536];
        size_t got;
        while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
            if (bytes->size() + got > maxBytes) {
                tooLarge = true;
                break;
            }
            bytes->insert(bytes->end(), chunk, chunk + got);
        }
    } catch (const std::bad_alloc&) {
        noMemory = true;
    }
    // A directory opens fine and fails here (EISDIR).
    const bool readError = std::ferror(file) != 0;
    const int readErrno = errno;
    std::fclose(file);
    if (noMemory) {
        *reason = "out of memory";
    } else if (readError) {
        *reason = std::string("cannot read (") + std::strerror(readErrno) + ")";
    } else if (tooLarge) {
        *reason = "file too large";
    } else {
        return AssetRead::Ok;
    }
    bytes->clear();
    return AssetRead::Failed;
}

void ForgetReportedAssetProblems() { g_reportedAssets.clear(); }

void ReportAssetProblem(const std::string& path, const std::string& reason) {
    if (!g_reportedAssets.insert(path).second) return;
    std::fprintf(stderr, "orvanthe: %s: %s\n", path.c_str(), reason.c_str());
}
