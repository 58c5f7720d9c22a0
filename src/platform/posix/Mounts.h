// The mounted file systems of a POSIX machine and which of them a user would pick as a drive.
#pragma once

#include <string>
#include <vector>

namespace quillet::platform {

// One mounted file system, as the system lists it.
struct MountEntry {
    std::string rootPath;
    std::string fileSystemType;
    bool ready = true; // a folder that can be looked into
};

// Returns the roots of the mounts a user would pick as a drive: "/" first, then the real
// mounts in name order, without pseudo, virtual or system-internal file systems.
std::vector<std::string> pickableRoots(const std::vector<MountEntry>& mounts);

// Returns the mounts of this machine (from /proc/self/mounts); none when they cannot be read.
std::vector<MountEntry> mountedFileSystems();

} // namespace quillet::platform
