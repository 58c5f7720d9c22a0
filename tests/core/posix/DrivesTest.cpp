// Drive1's drives on POSIX: which mounts a user would pick.
#include "platform/Drives.h"
#include "platform/posix/Mounts.h"

#include <gtest/gtest.h>

namespace quillet::platform {
namespace {

TEST(Drives, KeepsTheMountsAUserWouldPick) {
    struct Case {
        const char* name;
        std::vector<MountEntry> mounts;
        std::vector<std::string> roots;
    };
    const Case cases[] = {
        {"typical desktop",
         {{"/", "ext4"},
          {"/proc", "proc"},
          {"/sys", "sysfs"},
          {"/sys/fs/cgroup", "cgroup2"},
          {"/dev", "devtmpfs"},
          {"/dev/shm", "tmpfs"},
          {"/run", "tmpfs"},
          {"/run/user/1000", "tmpfs"},
          {"/home", "ext4"},
          {"/boot/efi", "vfat"},
          {"/snap/core/123", "squashfs"},
          {"/media/ann/USB STICK", "vfat"},
          {"/run/user/1000/gvfs", "fuse.gvfsd-fuse"}},
         {"/", "/boot/efi", "/home", "/media/ann/USB STICK"}},
        {"container root is an overlay",
         {{"/", "overlay"}, {"/srv", "ext4"}, {"/var/lib/docker/x", "overlay"}},
         {"/", "/srv"}},
        {"removable media below /run",
         {{"/run/media/ann/DISK", "exfat"}, {"/run/lock", "ext4"}},
         {"/", "/run/media/ann/DISK"}},
        {"not ready, repeated and untidy roots",
         {{"/mnt/cd", "iso9660", false}, {"/data/", "xfs"}, {"/data", "xfs"}, {"/", "ext4"}},
         {"/", "/data"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(pickableRoots(c.mounts), c.roots) << c.name;
}

TEST(Drives, TheMachinesListStartsAtTheRootAndLeavesTheSystemOut) {
    const std::vector<std::string> drives = listDrives();
    ASSERT_FALSE(drives.empty());
    EXPECT_EQ(drives.front(), "/");
    for (const std::string& drive : drives)
        for (const char* system : {"/proc", "/sys", "/dev", "/run/user"})
            EXPECT_FALSE(drive.starts_with(system)) << drive;
}

} // namespace
} // namespace quillet::platform
