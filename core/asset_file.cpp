#include "core/asset_file.h"

#include <cstdio>
#include <set>

namespace {
std::set<std::string> g_reportedAssets;
// A run option, not game state: the reset leaves it alone.
std::string g_assetFolder = "data";
}  // namespace

void SetAssetFolder(const std::string& dir) { g_assetFolder = dir; }

AssetRead ReadAssetFile(const std::string& path, size_t maxBytes, std::vector<uint8_t>* bytes, std::string* reason) {
    static const std::string kData = "data/";
    const std::string real =
        path.compare(0, kData.size(), kData) == 0 ? g_assetFolder + "/" + path.substr(kData.size()) : path;
    return platform::ReadWholeFile(real.c_str(), maxBytes, bytes, reason);
}

void ForgetReportedAssetProblems() { g_reportedAssets.clear(); }

void ReportAssetProblem(const std::string& path, const std::string& reason) {
    if (!g_reportedAssets.insert(path).second) return;
    std::fprintf(stderr, "orvanthe: %s: %s\n", path.c_str(), reason.c_str());
}
