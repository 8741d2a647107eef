// Reading a data file whole and finding the config and data folders on POSIX
// systems; shared by every backend, the browser's included.
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

bool NothingAt(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) != 0 && errno == ENOENT;
}

namespace {

// An XDG base folder: the variable when it names an absolute path (a
// relative one is ignored, as every desktop program does), else its default
// under HOME.
std::string XdgHome(const char* variable, const char* underHome) {
    const char* xdg = std::getenv(variable);
    if (xdg && xdg[0] == '/') return xdg;
    const char* home = std::getenv("HOME");
    if (home && home[0] != '\0') return std::string(home) + underHome;
    return "";
}

}  // namespace

std::string ConfigHome() { return XdgHome("XDG_CONFIG_HOME", "/.config"); }

std::string DataHome() { return XdgHome("XDG_DATA_HOME", "/.local/share"); }

}  // namespace platform
