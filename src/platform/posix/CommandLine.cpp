// The command line and messages on POSIX: argv and the standard streams as they are.
#include "platform/CommandLine.h"

#include "platform/OsError.h"

#include <cerrno>
#include <unistd.h>

namespace quillet::platform {

CommandLine readCommandLine(int argc, char** argv) {
    CommandLine line;
    if (argc > 0)
        line.program = baseNameOf(argv[0]);
    line.args.assign(argv + (argc > 0 ? 1 : 0), argv + argc);
    return line;
}

void writeMessage(MessageStream stream, std::string_view text) noexcept {
    const int fd = stream == MessageStream::Out ? STDOUT_FILENO : STDERR_FILENO;
    while (!text.empty()) {
        const ssize_t done = ::write(fd, text.data(), text.size());
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return;
        text.remove_prefix(static_cast<std::size_t>(done));
    }
}

} // namespace quillet::platform
