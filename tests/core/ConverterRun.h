#pragma once

#include "TestSupport.h"

#include <string>
#include <vector>

// Runs the real quillet-convert as its own process, as a shell would.
namespace quillet::testing {

struct Outcome {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs the converter in dir with args, standard output and error read back, standard input
// read from the file input when one is named. On POSIX its environment holds LC_ALL=locale and
// nothing else; on Windows it inherits the test's (the regional settings decide there).
Outcome runConverter(const TempDir& dir, std::vector<std::string> args,
                     const std::string& locale = "C", const std::string& input = {});

} // namespace quillet::testing
