// The machine's drives for Drive1: on POSIX the root and the mounts a user would pick, on
// Windows the logical drives.
#pragma once

#include <string>
#include <vector>

namespace quillet::platform {

// Returns the drives as folders in absoluteFolder's form: "/" first, then the real mounts in
// name order (POSIX; no pseudo, virtual or system file systems); "C:/", "D:/" ... (Windows,
// GetLogicalDriveStringsW). Read anew at each call, so media plugged in meanwhile appear.
// Throws nothing; at least the root is always there on POSIX.
std::vector<std::string> listDrives();

} // namespace quillet::platform
