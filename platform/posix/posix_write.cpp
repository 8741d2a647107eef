// Writing the settings file atomically on POSIX systems, for the desktop's
// backends (the browser keeps its files in the page's storage).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/files.h"

namespace platform {

namespace {

// Makes every missing folder of dir, each private to the user.
bool MakeFolders(const std::string& dir, std::string* reason) {
    for (size_t at = 1; at <= dir.size(); ++at) {
        if (at != dir.size() && dir[at] != '/') continue;
        const std::string part = dir.substr(0, at);
        struct stat st;
        if (stat(part.c_str(), &st) == 0) {
            if (S_ISDIR(st.st_mode)) continue;
            *reason = part + " is not a folder";
            return false;
        }
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            *reason = part + ": " + std::strerror(errno);
            return false;
        }
    }
    return true;
}

bool WriteAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += size_t(n);
    }
    return true;
}

}  // namespace

bool WriteFileAtomically(const std::string& path, const std::string& bytes, std::string* reason) {
    const size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
    if (!MakeFolders(dir, reason)) return false;
    std::string temp = path + ".XXXXXX";
    const int fd = mkstemp(&temp[0]);
    if (fd < 0) {
        *reason = std::strerror(errno);
        return false;
    }
    bool ok = WriteAll(fd, bytes);
    int error = errno;
    if (ok && fsync(fd) != 0) {
        ok = false;
        error = errno;
    }
    if (close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        *reason = std::strerror(error);
    } else if (rename(temp.c_str(), path.c_str()) != 0) {
        ok = false;
        *reason = std::strerror(errno);
    }
    if (!ok) unlink(temp.c_str());
    return ok;
}

}  // namespace platform
