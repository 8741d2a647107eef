#include "core/asset_file.h"

#include <cstdio>
#include <set>

namespace {
std::set<std::string> g_reportedAssets;
}

AssetRead ReadAssetFile(const std::string& path, size_t maxBytes, std::vector<uint8_t>* bytes, std::string* reason) {
    return platform::ReadWholeFile(path.c_str(), maxBytes, bytes, reason);
}

void ForgetReportedAssetProblems() { g_reportedAssets.clear(); }

void ReportAssetProblem(const std::string& path, const std::string& reason) {
    if (!g_reportedAssets.insert(path).second) return;
    std::fprintf(stderr, "orvanthe: %s: %s\n", path.c_str(), reason.c_str());
}
