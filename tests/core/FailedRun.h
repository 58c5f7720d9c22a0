#pragma once

#include "TestSupport.h"

#include <filesystem>
#include <functional>
#include <map>
#include <ostream>
#include <string>
#include <vector>

// A run that fails leaves the disk as it found it: the cases, and the check.
namespace quillet::testing {

struct Paths {
    std::string input;
    std::string output;
    std::string height = "100";
};

struct ErrorCase {
    std::string name;
    int number;
    // Prepares dir (which already holds in.csv, old.dxf, sub/ and a long.csv) and names the run.
    std::function<Paths(const TempDir&)> setUp;
};

// Names the case in test output instead of dumping its bytes.
void PrintTo(const ErrorCase& c, std::ostream* os);

// Everything below a folder: each entry's kind, permissions and bytes (or link target).
std::map<std::string, std::string> snapshot(const std::filesystem::path& root);

// Sets up c in a fresh folder, runs it, and expects its error number with the folder as it was.
void expectFailsLeavingDiskAsItWas(const ErrorCase& c);

// The cases of this kind of system alone (posix/ or win32/).
const std::vector<ErrorCase>& systemErrorCases();

} // namespace quillet::testing
