// Drive1's drives on POSIX: the root and the mounts a user would pick.
#include "platform/Drives.h"

#include "Mounts.h"
#include "platform/FolderListing.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string_view>

#include <mntent.h>
#include <sys/stat.h>
#include <sys/statvfs.h>

namespace quillet::platform {

namespace {

// Kernel interfaces, memory file systems and images mounted by packaging tools.
constexpr std::array<std::string_view, 30> kPseudoTypes{
    "autofs",   "binfmt_misc", "bpf",      "cgroup",     "cgroup2",         "configfs",
    "debugfs",  "devpts",      "devtmpfs", "efivarfs",   "fuse.gvfsd-fuse", "fuse.portal",
    "fusectl",  "hugetlbfs",   "mqueue",   "nsfs",       "overlay",         "proc",
    "pstore",   "ramfs",       "rootfs",   "rpc_pipefs", "securityfs",      "selinuxfs",
    "squashfs", "sysfs",       "tmpfs",    "tracefs",    "fuse.snapfuse",   "none",
};

// Folders whose mounts belong to the system, not to the user's files.
constexpr std::array<std::string_view, 6> kSystemFolders{"/proc", "/sys",  "/dev",
                                                         "/run",  "/snap", "/var/run"};

bool isUnder(std::string_view path, std::string_view folder) {
    if (folder == "/")
        return path.starts_with('/');
    return path == folder ||
           (path.starts_with(folder) && path.size() > folder.size() && path[folder.size()] == '/');
}

bool isPickable(const MountEntry& mount, std::string_view root) {
    if (!mount.ready || mount.rootPath.empty())
        return false;
    if (std::find(kPseudoTypes.begin(), kPseudoTypes.end(), mount.fileSystemType) !=
        kPseudoTypes.end())
        return false;
    // Some desktops mount removable media below /run.
    if (isUnder(root, "/run/media"))
        return true;
    return std::none_of(kSystemFolders.begin(), kSystemFolders.end(),
                        [&](std::string_view folder) { return isUnder(root, folder); });
}

} // namespace

std::vector<std::string> pickableRoots(const std::vector<MountEntry>& mounts) {
    // The root is always there, whatever holds it (a container's root is an overlay).
    std::vector<std::string> roots{"/"};
    for (const MountEntry& mount : mounts) {
        if (!mount.rootPath.starts_with('/'))
            continue;
        const std::string root = absoluteFolder(mount.rootPath);
        if (root != "/" && isPickable(mount, root) &&
            std::find(roots.begin(), roots.end(), root) == roots.end())
            roots.push_back(root);
    }
    std::sort(roots.begin() + 1, roots.end());
    return roots;
}

std::vector<MountEntry> mountedFileSystems() {
    std::vector<MountEntry> mounts;
    FILE* table = ::setmntent("/proc/self/mounts", "r");
    if (!table)
        return mounts;
    mntent entry{};
    std::array<char, 4096> buffer{};
    while (::getmntent_r(table, &entry, buffer.data(), int(buffer.size()))) {
        // Containers mount single files too (/etc/hosts); only a folder can be a drive.
        struct stat info {};
        struct statvfs volume {};
        const bool ready = ::stat(entry.mnt_dir, &info) == 0 && S_ISDIR(info.st_mode) &&
                           ::statvfs(entry.mnt_dir, &volume) == 0;
        mounts.push_back({entry.mnt_dir, entry.mnt_type, ready});
    }
    ::endmntent(table);
    return mounts;
}

std::vector<std::string> listDrives() {
    return pickableRoots(mountedFileSystems());
}

} // namespace quillet::platform
