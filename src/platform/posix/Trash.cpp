// The freedesktop trash on POSIX: where a file's trash is, and linking a file into it.
#include "Trash.h"

#include "platform/OsError.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillet::platform {

namespace {

// Makes path and the folders above it that are missing, each 0700 as the trash wants them;
// returns false when path is no folder in the end.
bool makeFolders(const std::string& path) {
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            break;
    }
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// A trash: its folder, and the part of the path a .trashinfo names files relative to.
struct TrashPlace {
    std::string folder;
    std::string topdir; // empty for the home trash, whose Path= is absolute
};

std::optional<TrashPlace> homeTrash() {
    std::string base;
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && data[0] == '/')
        base = data;
    else if (const char* home = std::getenv("HOME"); home && home[0] == '/')
        base = std::string(home) + "/.local/share";
    else
        return std::nullopt;
    return TrashPlace{base + "/Trash", {}};
}

// Returns the mount point of the file system folder (an absolute path) is on.
std::string topdirOf(const std::string& folder, dev_t device) {
    std::string top = folder;
    while (top != "/") {
        const std::string parent = folderOf(top);
        struct stat st {};
        if (::stat(parent.c_str(), &st) != 0 || st.st_dev != device)
            break;
        top = parent;
    }
    return top;
}

// A folder the trash may use: a real folder (no link) of this user's.
bool isOwnFolder(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid();
}

// The trash of the file system at topdir: $topdir/.Trash/$uid when the administrator made
// .Trash (a sticky folder, no link), else $topdir/.Trash-$uid.
std::optional<TrashPlace> topdirTrash(const std::string& topdir) {
    const std::string root = topdir == "/" ? "" : topdir;
    const std::string uid = std::to_string(::geteuid());
    struct stat shared {};
    const std::string sharedPath = root + "/.Trash";
    if (::lstat(sharedPath.c_str(), &shared) == 0 && S_ISDIR(shared.st_mode) &&
        (shared.st_mode & S_ISVTX)) {
        const std::string own = sharedPath + "/" + uid;
        if ((::mkdir(own.c_str(), 0700) == 0 || errno == EEXIST) && isOwnFolder(own))
            return TrashPlace{own, topdir};
    }
    const std::string own = root + "/.Trash-" + uid;
    if ((::mkdir(own.c_str(), 0700) == 0 || errno == EEXIST) && isOwnFolder(own))
        return TrashPlace{own, topdir};
    return std::nullopt;
}

// The trash for a file on device in the absolute folder: the home trash on its file system,
// the file system's own trash otherwise.
std::optional<TrashPlace> trashFor(const std::string& folder, dev_t device) {
    const std::optional<TrashPlace> home = homeTrash();
    if (!home || !makeFolders(home->folder))
        return std::nullopt;
    struct stat st {};
    if (::stat(home->folder.c_str(), &st) != 0)
        return std::nullopt;
    if (st.st_dev == device)
        return home;
    return topdirTrash(topdirOf(folder, device));
}

std::string deletionDate() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    return text;
}

// Returns the attempt-th name for name in the trash: name, then "x.2.dxf", "x.3.dxf" ...
std::string candidate(const std::string& name, int attempt) {
    if (attempt == 1)
        return name;
    const std::size_t dot = name.rfind('.');
    const std::size_t stem = dot == std::string::npos || dot == 0 ? name.size() : dot;
    return name.substr(0, stem) + "." + std::to_string(attempt) + name.substr(stem);
}

bool writeAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

std::string trashInfoPath(const std::string& path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
            (byte >= '0' && byte <= '9') || c == '-' || c == '.' || c == '_' || c == '~' ||
            c == '/') {
            encoded += c;
        } else {
            encoded += '%';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 15];
        }
    }
    return encoded;
}

std::optional<TrashEntry> TrashEntry::link(int folderFd, const std::string& folder,
                                           const std::string& name) noexcept {
    try {
        struct stat file {};
        if (::fstatat(folderFd, name.c_str(), &file, AT_SYMLINK_NOFOLLOW) != 0)
            return std::nullopt;
        char* real = ::realpath(folder.c_str(), nullptr);
        if (!real)
            return std::nullopt;
        const std::string absolute = real;
        std::free(real);
        const std::optional<TrashPlace> trash = trashFor(absolute, file.st_dev);
        if (!trash)
            return std::nullopt;
        const std::string files = trash->folder + "/files";
        const std::string info = trash->folder + "/info";
        if (!makeFolders(files) || !makeFolders(info))
            return std::nullopt;
        std::string original = (absolute == "/" ? "" : absolute) + "/" + name;
        if (!trash->topdir.empty() && trash->topdir != "/")
            original = original.substr(trash->topdir.size() + 1);
        else if (trash->topdir == "/")
            original = original.substr(1);
        const std::string infoText = "[Trash Info]\nPath=" + trashInfoPath(original) +
                                     "\nDeletionDate=" + deletionDate() + "\n";
        for (int attempt = 1; attempt <= 1000; ++attempt) {
            const std::string entry = candidate(name, attempt);
            const std::string infoPath = info + "/" + entry + ".trashinfo";
            // The information file first, made exclusively: it is what claims the name.
            const int fd = ::open(infoPath.c_str(),
                                  O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
            if (fd < 0) {
                if (errno == EEXIST)
                    continue;
                return std::nullopt;
            }
            const bool written = writeAll(fd, infoText) && ::fsync(fd) == 0;
            ::close(fd);
            if (!written) {
                ::unlink(infoPath.c_str());
                return std::nullopt;
            }
            if (::linkat(folderFd, name.c_str(), AT_FDCWD, (files + "/" + entry).c_str(), 0) == 0)
                return TrashEntry(files, info, entry);
            const int err = errno;
            ::unlink(infoPath.c_str());
            // A left-over file without its information file keeps its name.
            if (err != EEXIST)
                return std::nullopt;
        }
    } catch (...) {
        // Out of memory: no trash, the run goes on as without it.
    }
    return std::nullopt;
}

void TrashEntry::undo() noexcept {
    ::unlink(path_.c_str());
    ::unlink((infoDir_ + "/" + entry_ + ".trashinfo").c_str());
}

} // namespace quillet::platform
