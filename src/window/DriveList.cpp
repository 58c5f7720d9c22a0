#include "DriveList.h"

#include "platform/FolderListing.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

#include <algorithm>
#include <array>
#include <string_view>

namespace quillet::window {

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

bool isUnder(const QString& path, const QString& folder) {
    if (folder == QLatin1String("/"))
        return path.startsWith(QLatin1Char('/'));
    return path == folder || path.startsWith(folder + QLatin1Char('/'));
}

bool isPickable(const MountEntry& mount) {
    if (!mount.ready || mount.rootPath.isEmpty())
        return false;
    const std::string_view type(mount.fileSystemType.constData(),
                                static_cast<std::size_t>(mount.fileSystemType.size()));
    if (std::find(kPseudoTypes.begin(), kPseudoTypes.end(), type) != kPseudoTypes.end())
        return false;
    // Some desktops mount removable media below /run.
    if (isUnder(mount.rootPath, QStringLiteral("/run/media")))
        return true;
    return std::none_of(kSystemFolders.begin(), kSystemFolders.end(), [&](std::string_view f) {
        return isUnder(mount.rootPath, QString::fromLatin1(f.data(), qsizetype(f.size())));
    });
}

} // namespace

QStringList pickableRoots(const QList<MountEntry>& mounts) {
    // The root is always there, whatever holds it (a container's root is an overlay).
    QStringList roots{QStringLiteral("/")};
    for (const MountEntry& mount : mounts) {
        const QString root = QDir::cleanPath(mount.rootPath);
        if (root != QLatin1String("/") && isPickable(mount) && !roots.contains(root))
            roots.append(root);
    }
    std::sort(roots.begin() + 1, roots.end());
    return roots;
}

QList<MountEntry> mountedFileSystems() {
    QList<MountEntry> mounts;
    // Containers mount single files too (/etc/hosts); only a folder can be a drive.
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes())
        mounts.append(
            {volume.rootPath(), volume.fileSystemType(),
             volume.isValid() && volume.isReady() && QFileInfo(volume.rootPath()).isDir()});
    return mounts;
}

QString driveRootOf(const QString& folder, const QStringList& roots) {
    const QString path = QDir::cleanPath(folder);
    QString best = QStringLiteral("/");
    for (const QString& root : roots)
        if (isUnder(path, root) && root.size() > best.size())
            best = root;
    return best;
}

std::optional<platform::ErrorNumber> folderNotReady(const QByteArray& folder) {
    try {
        platform::listFolder(folder.toStdString());
        return std::nullopt;
    } catch (const platform::RunError& error) {
        return error.number() == platform::ErrorNumber::PermissionDenied
                   ? platform::ErrorNumber::PermissionDenied
                   : platform::ErrorNumber::PathNotFound;
    }
}

} // namespace quillet::window
