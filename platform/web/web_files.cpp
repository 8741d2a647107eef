// The browser backend's part of platform/files.h. The data files come in
// the page's .data package, mounted at /data. The player's files (the
// settings) live in the page's storage (localStorage, keyed by path): the
// page copies them into the in-memory file system before the game starts,
// and a write goes to the storage first, then to the file.
#include <emscripten.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/files.h"

namespace platform {

namespace {

// 1 when stored; 0 with the browser's reason in `reason` (a full storage,
// or storage turned off for the page).
// clang-format off
EM_JS(int, StoreInPage, (const char* path, const char* bytes, char* reason, int reasonSize), {
    try {
        localStorage.setItem('orvanthe:' + UTF8ToString(path), UTF8ToString(bytes));
        return 1;
    } catch (e) {
        stringToUTF8(String(e && e.message ? e.message : e), reason, reasonSize);
        return 0;
    }
});
// clang-format on

bool MakeFolders(const std::string& dir) {
    for (size_t at = 1; at <= dir.size(); ++at) {
        if (at != dir.size() && dir[at] != '/') continue;
        const std::string part = dir.substr(0, at);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    return true;
}

}  // namespace

bool FindGameData() {
    struct stat st;
    return chdir("/") == 0 && stat("data", &st) == 0 && S_ISDIR(st.st_mode);
}

// The storage takes text: the game writes only text files there.
bool WriteFileAtomically(const std::string& path, const std::string& bytes, std::string* reason) {
    if (bytes.find('\0') != std::string::npos) {
        *reason = "the page's storage takes text only";
        return false;
    }
    char why[256] = {};
    if (!StoreInPage(path.c_str(), bytes.c_str(), why, int(sizeof why))) {
        *reason = std::string("the browser's storage refused it: ") + why;
        return false;
    }
    // The in-memory copy is what the game reads back within this page.
    const size_t slash = path.rfind('/');
    if (slash != std::string::npos && slash > 0) MakeFolders(path.substr(0, slash));
    if (FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
    return true;
}

}  // namespace platform
