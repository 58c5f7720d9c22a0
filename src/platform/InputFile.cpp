#include "InputFile.h"

#include "OsError.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillet::platform {

InputFile::InputFile(std::string path) : path_(std::move(path)) {
    fd_ = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0)
        throw errorFromErrno(errno, path_, OsAction::Open);
    struct stat st {};
    if (::fstat(fd_, &st) != 0) {
        int err = errno;
        close();
        throw errorFromErrno(err, path_, OsAction::Open);
    }
    if (S_ISDIR(st.st_mode)) {
        close();
        throw RunError(ErrorNumber::PathFileAccess, path_);
    }
    identity_ = {st.st_dev, st.st_ino};
}

InputFile::InputFile(StandardInput, std::string name)
    : path_(std::move(name)), fd_(STDIN_FILENO), owned_(false) {
    struct stat st {};
    if (::fstat(fd_, &st) != 0)
        throw errorFromErrno(errno, path_, OsAction::Read);
    identity_ = {st.st_dev, st.st_ino};
}

InputFile::~InputFile() {
    close();
}

void InputFile::close() noexcept {
    if (fd_ >= 0 && owned_)
        ::close(fd_);
    fd_ = -1;
}

std::size_t InputFile::read(char* into, std::size_t max) {
    for (;;) {
        ssize_t got = ::read(fd_, into, max);
        if (got >= 0)
            return static_cast<std::size_t>(got);
        if (errno != EINTR)
            throw errorFromErrno(errno, path_, OsAction::Read);
    }
}

} // namespace quillet::platform
