// The converter started with CreateProcessW, its output read back from files.
#include "ConverterRun.h"

#include "win32/ChildProcess.h"

#include <filesystem>
#include <windows.h>

namespace quillet::testing {

Outcome runConverter(const TempDir& dir, std::vector<std::string> args, const std::string&,
                     const std::string& input) {
    win32::Launch launch;
    launch.args = std::move(args);
    launch.folder = dir.str();
    launch.input = input;
    launch.output = dir / ".stdout";
    launch.errors = dir / ".stderr";
    Outcome outcome;
    {
        win32::Child child(win32::converterPath(), launch);
        std::uint32_t code = 0;
        if (!child.wait(60000, code)) {
            ADD_FAILURE() << "the converter did not end";
            return outcome;
        }
        outcome.exitCode = static_cast<int>(code);
    }
    outcome.out = readFile(launch.output);
    outcome.err = readFile(launch.errors);
    std::filesystem::remove(pathOf(launch.output));
    std::filesystem::remove(pathOf(launch.errors));
    return outcome;
}

} // namespace quillet::testing
