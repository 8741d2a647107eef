// The browser backend's part of platform/files.h. The data files come in
// the page's .data package, mounted at /data. The player's files (the
// settings, the best time and its demo) live in the page's storage (localStorage, keyed by path): the
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
// or storage turned off for the page). Text is kept as itself, so a player
// can read it in the page's storage; other files (a demo) a character a
// byte, under a key of their own.
// clang-format off
EM_JS(int, StoreInPage, (const char* path, const char* bytes, int size, int text, char* reason, int reasonSize), {
    try {
        var name = UTF8ToString(path);
        localStorage.removeItem((text ? 'orvanthe-bytes:' : 'orvanthe:') + name);
        if (text) {
            localStorage.setItem('orvanthe:' + name, UTF8ToString(bytes, size));
        } else {
            var chars = [];
            for (var i = 0; i < size; i += 8192)
                chars.push(String.fromCharCode.apply(null, HEAPU8.subarray(bytes + i, bytes + Math.min(size, i + 8192))));
            localStorage.setItem('orvanthe-bytes:' + name, chars.join(""));
        }
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

// Plain ASCII, as the settings and best.ini are, is stored as text; any
// other file byte for byte.
bool IsText(const std::string& bytes) {
    for (size_t i = 0; i < bytes.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c == 0 || c >= 0x80) return false;
    }
    return true;
}

}  // namespace

bool FindGameData() {
    struct stat st;
    return chdir("/") == 0 && stat("data", &st) == 0 && S_ISDIR(st.st_mode);
}

bool WriteFileAtomically(const std::string& path, const std::string& bytes, std::string* reason) {
    char why[256] = {};
    if (!StoreInPage(path.c_str(), bytes.data(), int(bytes.size()), IsText(bytes) ? 1 : 0, why, int(sizeof why))) {
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
