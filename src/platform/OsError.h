#pragma once

#include "RunError.h"

#include <string>

namespace quillet::platform {

// What the program was doing when the operating system refused.
enum class OsAction { Open, Read, Write };

// Returns the run-time error for the errno value err met while acting on path. ENOENT names
// a missing file (53) when the folder exists and a missing folder (76) when it does not.
RunError errorFromErrno(int err, const std::string& path, OsAction action);

// Returns the folder part of path ("." when it has none, "/" for a file in the root).
std::string folderOf(const std::string& path);

} // namespace quillet::platform
