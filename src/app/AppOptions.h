// The window program's command line, read before any window or display exists. No Qt.
#pragma once

#include "platform/UsageError.h"

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace quillet::app {

// What `quillet [--help] [--version] [FILE]` asks for.
struct AppOptions {
    std::optional<std::string> file; // as given, relative to the working directory
    bool help = false;
    bool version = false;
};

// Reads the arguments after the program name; throws platform::UsageError.
AppOptions parseAppOptions(const std::vector<std::string_view>& args);

// Returns the usage text of the window program.
std::string appUsageText();

// What start-up does with a command line: either an exit status (help, version or a usage
// error, answered on out or err) or the options the window opens with.
struct StartDecision {
    std::optional<int> exitStatus;
    AppOptions options;
};

// Answers --help, --version and usage errors without a display; throws nothing.
StartDecision decideStart(const std::vector<std::string_view>& args, std::ostream& out,
                          std::ostream& err);

} // namespace quillet::app
