// Reading a file on POSIX: open, read and fstat on a descriptor.
#include "platform/InputFile.h"

#include "ErrnoError.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillet::platform {

namespace {

int fdOf(std::intptr_t handle) {
    return static_cast<int>(handle);
}

FileIdentity identityOf(const struct stat& st) {
    return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

} // namespace

InputFile::InputFile(std::string path) : path_(std::move(path)) {
    const int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw errorFromErrno(errno, path_, OsAction::Open);
    handle_ = fd;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        int err = errno;
        close();
        throw errorFromErrno(err, path_, OsAction::Open);
    }
    if (S_ISDIR(st.st_mode)) {
        close();
        throw RunError(ErrorNumber::PathFileAccess, path_);
    }
    identity_ = identityOf(st);
}

InputFile::InputFile(StandardInput, std::string name)
    : path_(std::move(name)), handle_(STDIN_FILENO), owned_(false) {
    struct stat st {};
    if (::fstat(STDIN_FILENO, &st) != 0)
        throw errorFromErrno(errno, path_, OsAction::Read);
    identity_ = identityOf(st);
}

InputFile::~InputFile() {
    close();
}

void InputFile::close() noexcept {
    if (handle_ >= 0 && owned_)
        ::close(fdOf(handle_));
    handle_ = -1;
}

std::optional<std::int64_t> InputFile::size() const noexcept {
    struct stat st {};
    if (::fstat(fdOf(handle_), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return static_cast<std::int64_t>(st.st_size);
}

std::size_t InputFile::read(char* into, std::size_t max) {
    for (;;) {
        ssize_t got = ::read(fdOf(handle_), into, max);
        if (got >= 0)
            return static_cast<std::size_t>(got);
        if (errno != EINTR)
            throw errorFromErrno(errno, path_, OsAction::Read);
    }
}

} // namespace quillet::platform
