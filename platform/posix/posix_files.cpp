// Reading a data file whole, and writing the settings file atomically, on
// POSIX systems; shared by every backend.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/files.h"

namespace {

const char* KindOf(mode_t mode) {
    if (S_ISDIR(mode)) return "directory";
    if (S_ISFIFO(mode)) return "named pipe";
    if (S_ISCHR(mode)) return "character device";
    if (S_ISBLK(mode)) return "block device";
    if (S_ISSOCK(mode)) return "socket";
    return "special file";
}

std::string WithErrno(const char* what, int error) { return std::string(what) + " (" + std::strerror(error) + ")"; }

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

}  // namespace

namespace platform {

FileRead ReadWholeFile(const char* path, size_t maxBytes, std::vector<uint8_t>* bytes, std::string* reason) {
    bytes->clear();
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a
    // writer, and a device could wait for its hardware; regular files ignore
    // it. O_NOCTTY: a terminal put in data/ must not become ours.
    const Fd fd(open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.get() < 0) {
        *reason = WithErrno("cannot open", errno);
        return FileRead::CannotOpen;
    }
    struct stat st;
    if (fstat(fd.get(), &st) != 0) {
        *reason = WithErrno("cannot read", errno);
        return FileRead::Failed;
    }
    if (!S_ISREG(st.st_mode)) {
        *reason = std::string("not a regular file (") + KindOf(st.st_mode) + ")";
        return FileRead::Failed;
    }
    if (st.st_size < 0 || uint64_t(st.st_size) > maxBytes) {
        *reason = "file too large (" + std::to_string(st.st_size) + " bytes, at most " + std::to_string(maxBytes) + ")";
        return FileRead::Failed;
    }
    try {
        // One byte over the size seen, so a file that grew since is noticed.
        bytes->resize(size_t(st.st_size) + 1);
    } catch (const std::bad_alloc&) {
        *reason = "out of memory";
        return FileRead::Failed;
    }
    size_t got = 0;
    while (got < bytes->size()) {
        const ssize_t n = read(fd.get(), bytes->data() + got, bytes->size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            bytes->clear();
            *reason = WithErrno("cannot read", errno);
            return FileRead::Failed;
        }
        if (n == 0) break;
        got += size_t(n);
    }
    if (got > size_t(st.st_size)) {
        bytes->clear();
        *reason = "file changed while being read";
        return FileRead::Failed;
    }
    bytes->resize(got);
    return FileRead::Ok;
}

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

bool NothingAt(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) != 0 && errno == ENOENT;
}

std::string ConfigHome() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/') return xdg;
    const char* home = std::getenv("HOME");
    if (home && home[0] != '\0') return std::string(home) + "/.config";
    return "";
}

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
