// Reading and keeping the best run. best.ini is one key, read by a few
// lines of its own rather than by libinih.
#include "core/best_run.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/files.h"

namespace {

constexpr size_t kMaxFileBytes = 4096;
constexpr uint32_t kMsPerTick = 20;

bool g_known = false;
uint32_t g_ticks = 0;
// LoadBestRun warned about best.ini: it stays as the player left it.
bool g_fileKept = false;
// A best that will not outlast the run was reported; once is enough.
bool g_toldNotSaved = false;

std::string Folder() {
    const std::string home = platform::DataHome();
    return home.empty() ? "" : home + "/orvanthe";
}

std::string Trimmed(const std::string& s) {
    const char* kSpace = " \t\r\n";
    const size_t first = s.find_first_not_of(kSpace);
    if (first == std::string::npos) return "";
    return s.substr(first, s.find_last_not_of(kSpace) - first + 1);
}

// Decimal digits only: strtoul would take a sign, spaces and "0x".
bool ParseTicks(const std::string& value, uint32_t* ticks) {
    if (value.empty() || value.size() > 10 || value.find_first_not_of("0123456789") != std::string::npos) return false;
    const unsigned long long v = std::strtoull(value.c_str(), nullptr, 10);
    if (v == 0 || v > UINT32_MAX) return false;
    *ticks = uint32_t(v);
    return true;
}

// The file as the game writes it: comments, blank lines, "[best]" and
// "ticks = N" in it. Returns "" and sets *ticks, or the first mistake.
std::string ParseFile(const std::string& text, uint32_t* ticks) {
    if (text.find('\0') != std::string::npos) return "not a text file";
    bool inBest = false, found = false;
    size_t at = 0;
    for (int line = 1; at < text.size(); ++line) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        const std::string s = Trimmed(text.substr(at, end - at));
        at = end + 1;
        const std::string where = "line " + std::to_string(line) + ": ";
        if (s.empty() || s[0] == '#' || s[0] == ';') continue;
        if (s[0] == '[') {
            inBest = s == "[best]";
            if (!inBest) return where + "unknown section " + s;
            continue;
        }
        const size_t equals = s.find('=');
        if (equals == std::string::npos) return where + "not a key = value line";
        const std::string key = Trimmed(s.substr(0, equals)), value = Trimmed(s.substr(equals + 1));
        if (!inBest || key != "ticks") return where + "unknown key " + key;
        if (!ParseTicks(value, ticks)) return where + "bad value '" + value + "' for ticks (a whole number above 0)";
        found = true;
    }
    return found ? "" : "no ticks under [best]";
}

std::string FileText(uint32_t ticks) {
    return "# Orvanthe's best time, in ticks of 20 ms. The game writes this file when a won game beats it.\n"
           "[best]\nticks = " +
           std::to_string(ticks) + "\n";
}

void TellNotSaved(const std::string& why) {
    if (!g_toldNotSaved) std::fprintf(stderr, "orvanthe: best time not saved (%s)\n", why.c_str());
    g_toldNotSaved = true;
}

}  // namespace

void LoadBestRun() {
    ForgetBestRun();
    const std::string folder = Folder();
    if (folder.empty()) return;
    const std::string path = folder + "/best.ini";
    if (platform::NothingAt(path)) return;
    std::vector<uint8_t> bytes;
    std::string problem;
    uint32_t ticks = 0;
    if (platform::ReadWholeFile(path.c_str(), kMaxFileBytes, &bytes, &problem) == platform::FileRead::Ok)
        problem = ParseFile(std::string(bytes.begin(), bytes.end()), &ticks);
    if (problem.empty()) {
        g_known = true;
        g_ticks = ticks;
        return;
    }
    g_fileKept = true;
    std::fprintf(stderr, "orvanthe: %s: %s; no best time shown, the file is left as it is\n", path.c_str(),
                 problem.c_str());
}

bool BestRunKnown() { return g_known; }

uint32_t BestRunTicks() { return g_known ? g_ticks : 0; }

bool OfferWonRun(uint32_t ticks, const std::string& demo) {
    if (g_known && ticks >= g_ticks) return false;
    g_known = true;
    g_ticks = ticks;
    const std::string folder = Folder();
    if (folder.empty()) {
        TellNotSaved("neither XDG_DATA_HOME nor HOME names a folder");
        return true;
    }
    if (g_fileKept) {
        TellNotSaved(folder + "/best.ini has a mistake and is left for you to fix");
        return true;
    }
    // The demo first, so that best.ini never names a run whose demo was
    // not kept.
    std::string reason;
    const std::string demoPath = folder + "/best.demo", iniPath = folder + "/best.ini";
    if (!platform::WriteFileAtomically(demoPath, demo, &reason)) {
        TellNotSaved(demoPath + ": " + reason);
    } else if (!platform::WriteFileAtomically(iniPath, FileText(ticks), &reason)) {
        TellNotSaved(iniPath + ": " + reason);
    }
    return true;
}

std::string BestRunDemoPath() {
    const std::string folder = Folder();
    return folder.empty() ? "" : folder + "/best.demo";
}

std::string FormatRunTime(uint32_t ticks) {
    const uint64_t hundredths = uint64_t(ticks) * kMsPerTick / 10;
    char text[32];
    std::snprintf(text, sizeof text, "%" PRIu64 ":%02u.%02u", hundredths / 6000, unsigned(hundredths / 100 % 60),
                  unsigned(hundredths % 100));
    return text;
}

void ForgetBestRun() {
    g_known = false;
    g_ticks = 0;
    g_fileKept = false;
    g_toldNotSaved = false;
}
