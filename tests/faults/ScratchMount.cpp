#include "ScratchMount.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <sys/mount.h>
#include <unistd.h>

namespace quillet::faults {

namespace fs = std::filesystem;

namespace {

bool run(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

} // namespace

ScratchMount::ScratchMount(Kind kind) {
    std::string pattern = (fs::temp_directory_path() / "quillet-mount-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    base_ = pattern;
    const std::string point = base_ + "/fs";
    fs::create_directory(point);
    if (::geteuid() != 0) {
        failure_ = "mounting a file system needs root";
        return;
    }
    if (kind == Kind::Tmpfs) {
        if (::mount("tmpfs", point.c_str(), "tmpfs", 0, "size=768m,mode=0777") != 0) {
            failure_ = "tmpfs could not be mounted";
            return;
        }
    } else {
        const std::string image = base_ + "/ext4.img";
        if (!run("truncate -s 768M " + image) || !run("mkfs.ext4 -q -F " + image)) {
            failure_ = "no ext4 image could be made (mkfs.ext4 missing?)";
            return;
        }
        if (!run("mount -o loop " + image + " " + point)) {
            failure_ = "the ext4 image could not be loop-mounted (no loop device?)";
            return;
        }
        fs::remove_all(point + "/lost+found");
        fs::permissions(point, fs::perms::all);
    }
    mounted_ = point;
}

ScratchMount::~ScratchMount() {
    if (!mounted_.empty())
        ::umount2(mounted_.c_str(), MNT_DETACH);
    std::error_code ignored;
    fs::remove_all(base_, ignored);
}

} // namespace quillet::faults
