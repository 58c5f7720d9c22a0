#pragma once

#include <string>
#include <string_view>
#include <vector>

// What a program was started with, and where its messages go, in UTF-8 on every system.
namespace quillet::platform {

// The program's name (its file name, without ".exe" on Windows; empty when the system gave
// none) and its arguments.
struct CommandLine {
    std::string program;
    std::vector<std::string> args;
};

// Returns the command line as UTF-8: argv as it is on POSIX; on Windows the process's UTF-16
// command line (GetCommandLineW), whatever the system's code page, argc and argv unused.
// Also puts standard input and output into binary mode where the system has text modes.
CommandLine readCommandLine(int argc, char** argv);

// The two message streams.
enum class MessageStream { Out, Err };

// Writes the UTF-8 text text to standard output or error: as it is to a file or pipe; on a
// Windows console as UTF-16 (WriteConsoleW), so that Japanese shows whatever the console's
// code page. Allocates nothing, so that it serves the message for no memory too; a stream
// that cannot be written loses the text.
void writeMessage(MessageStream stream, std::string_view text) noexcept;

} // namespace quillet::platform
