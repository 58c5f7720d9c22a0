// Preloaded into a converter or the window's program to put a signal exactly where a temporary
// name has just appeared, and to stand in for a file system without unnamed files.
//   QUILLET_SHIM_NO_UNNAMED=1   opening an unnamed file (O_TMPFILE) fails with EOPNOTSUPP
//   QUILLET_SHIM_SIGNAL=N       signal N is sent to the process ...
//   QUILLET_SHIM_AT=create|link ... right after a ".quillet-" name was created or linked
#include <cerrno>
#include <csignal>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

namespace {

bool isTempName(const char* path) {
    const char* slash = std::strrchr(path, '/');
    return std::strncmp(slash ? slash + 1 : path, ".quillet-", 9) == 0;
}

void signalIfAt(const char* step, const char* path) {
    const char* at = std::getenv("QUILLET_SHIM_AT");
    const char* sig = std::getenv("QUILLET_SHIM_SIGNAL");
    if (at && sig && std::strcmp(at, step) == 0 && isTempName(path))
        ::kill(::getpid(), std::atoi(sig));
}

using OpenAt = int (*)(int, const char*, int, ...);

int shimOpenAt(OpenAt real, int dirfd, const char* path, int flags, mode_t mode) {
    if ((flags & O_TMPFILE) == O_TMPFILE && std::getenv("QUILLET_SHIM_NO_UNNAMED")) {
        errno = EOPNOTSUPP;
        return -1;
    }
    const int fd = real(dirfd, path, flags, mode);
    const int err = errno;
    if (fd >= 0 && (flags & O_CREAT))
        signalIfAt("create", path);
    errno = err;
    return fd;
}

mode_t modeArgument(int flags, va_list args) {
    return (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE ? va_arg(args, mode_t) : 0;
}

} // namespace

extern "C" int openat(int dirfd, const char* path, int flags, ...) {
    static auto real = reinterpret_cast<OpenAt>(::dlsym(RTLD_NEXT, "openat"));
    va_list args;
    va_start(args, flags);
    const mode_t mode = modeArgument(flags, args);
    va_end(args);
    return shimOpenAt(real, dirfd, path, flags, mode);
}

extern "C" int openat64(int dirfd, const char* path, int flags, ...) {
    static auto real = reinterpret_cast<OpenAt>(::dlsym(RTLD_NEXT, "openat64"));
    va_list args;
    va_start(args, flags);
    const mode_t mode = modeArgument(flags, args);
    va_end(args);
    return shimOpenAt(real, dirfd, path, flags, mode);
}

extern "C" int linkat(int olddirfd, const char* oldpath, int newdirfd, const char* newpath,
                      int flags) {
    using LinkAt = int (*)(int, const char*, int, const char*, int);
    static auto real = reinterpret_cast<LinkAt>(::dlsym(RTLD_NEXT, "linkat"));
    const int done = real(olddirfd, oldpath, newdirfd, newpath, flags);
    const int err = errno;
    if (done == 0)
        signalIfAt("link", newpath);
    errno = err;
    return done;
}
