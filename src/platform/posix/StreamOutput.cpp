// Standard output on POSIX: write(2) on descriptor 1.
#include "platform/StreamOutput.h"

#include "ErrnoError.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace quillet::platform {

StreamOutput::StreamOutput(std::string name, std::optional<FileIdentity> input)
    : name_(std::move(name)), block_(256 * 1024) {
    struct stat st {};
    // Appending to the file being read would never end.
    if (input && ::fstat(STDOUT_FILENO, &st) == 0 && S_ISREG(st.st_mode) &&
        FileIdentity{static_cast<std::uint64_t>(st.st_dev),
                     static_cast<std::uint64_t>(st.st_ino)} == *input)
        throw RunError(ErrorNumber::FileAlreadyOpen, name_, 0, kOutputIsInput);
}

std::span<char> StreamOutput::exchange(std::span<const char> filled) {
    const char* data = filled.data();
    std::size_t left = filled.size();
    while (left > 0) {
        const ssize_t done = ::write(STDOUT_FILENO, data, left);
        if (done < 0) {
            if (errno == EINTR)
                continue;
            throw errorFromErrno(errno, name_, OsAction::Write);
        }
        data += done;
        left -= static_cast<std::size_t>(done);
    }
    return block_;
}

} // namespace quillet::platform
