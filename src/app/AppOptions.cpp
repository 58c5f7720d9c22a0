// Reading the window program's command line.
#include "AppOptions.h"

#include "Version.h"
#include "platform/Localized.h"

namespace quillet::app {

AppOptions parseAppOptions(const std::vector<std::string_view>& args) {
    AppOptions options;
    bool onlyFiles = false;
    for (std::string_view arg : args) {
        if (onlyFiles || !arg.starts_with("-")) {
            if (options.file)
                throw platform::UsageError{platform::localized("only one FILE can be opened")};
            options.file = std::string(arg);
        } else if (arg == "--") {
            onlyFiles = true;
        } else if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--version") {
            options.version = true;
        } else {
            throw platform::UsageError{
                platform::filled(platform::localized("unknown option %s"), {arg})};
        }
    }
    return options;
}

std::string appUsageText() {
    using platform::localized;
    return localized("usage: quillet [--help] [--version] [FILE]\n") +
           localized(
               "Opens the window that turns comma-delimited text files into DXF drawings.\n") +
           localized("  FILE        a .csv file to choose, or a .dxf drawing to preview\n") +
           localized("  --help      show this text\n") +
           localized("  --version   show the version\n");
}

StartDecision decideStart(const std::vector<std::string_view>& args, std::ostream& out,
                          std::ostream& err) {
    StartDecision decision;
    try {
        decision.options = parseAppOptions(args);
    } catch (const platform::UsageError& error) {
        err << "quillet: " << error.message << "\n" << appUsageText();
        decision.exitStatus = 2;
        return decision;
    }
    if (decision.options.help) {
        out << appUsageText();
        decision.exitStatus = 0;
    } else if (decision.options.version) {
        out << "quillet " << kVersion << "\n";
        decision.exitStatus = 0;
    }
    return decision;
}

} // namespace quillet::app
