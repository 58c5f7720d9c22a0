// The temporary file on POSIX: an O_TMPFILE file in the output's folder (a named
// ".quillet-*.tmp" one where the file system has no unnamed files), linked or renamed over
// the output; the owner and mode of a replaced file kept.
#include "platform/TempOutputSteps.h"

#include "ErrnoError.h"
#include "Trash.h"
#include "platform/TempFileCleanup.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillet::platform {

namespace {

// As many links as the system itself follows before it gives up.
constexpr int kMaxLinks = 40;

// Returns the file a chain of symbolic links at path leads to; path itself when it is none.
// A chain that ends nowhere gives the name the file will be created under.
std::string finalTarget(const std::string& path) {
    std::string current = path;
    for (int link = 0; link < kMaxLinks; ++link) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0) {
            if (errno == ENOENT)
                return current;
            throw errorFromErrno(errno, path, OsAction::Open);
        }
        if (!S_ISLNK(st.st_mode))
            return current;
        std::string target(PATH_MAX, '\0');
        const ssize_t n = ::readlink(current.c_str(), target.data(), target.size());
        if (n < 0)
            throw errorFromErrno(errno, path, OsAction::Open);
        target.resize(static_cast<std::size_t>(n));
        if (target.empty())
            throw errorFromErrno(ENOENT, path, OsAction::Open);
        if (target.front() != '/') {
            const std::string folder = folderOf(current);
            target = (folder == "/" ? "/" : folder + "/") + target;
        }
        current = std::move(target);
    }
    throw errorFromErrno(ELOOP, path, OsAction::Open);
}

FileIdentity identityOf(const struct stat& st) {
    return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

// An unnamed file is named through /proc when the process may not link it by its descriptor.
bool canNameUnnamedFiles() {
    return ::access("/proc/self/fd", X_OK) == 0;
}

// What the temporary file and the replacement need to know.
struct PosixOutput final : TempOutputSteps {
    explicit PosixOutput(const std::string& output) : path(output) {}
    ~PosixOutput() override { discard(); }

    void prepareTarget(std::optional<FileIdentity> input);
    void createFile();
    void discard() noexcept;

    bool replacing() const noexcept override { return replacingFile; }
    void keepWhatTheUserSet() override;
    void flush() override;
    std::optional<TrashedCopy> trashReplaced() noexcept override;
    void giveName() override;
    void finish() noexcept override;

    std::string path;   // as the caller named it
    std::string folder; // of the file replaced: the link's target when path is a link
    std::string name;
    int dirFd = -1;
    int fd = -1;
    std::string tempName;
    bool tempNamed = false;
    bool replacingFile = false;
    uid_t keepUid = 0;
    gid_t keepGid = 0;
    mode_t keepMode = 0; // the replaced file's permissions, without setuid, setgid or sticky
};

PosixOutput& posix(const std::unique_ptr<TempOutputSteps>& state) {
    return static_cast<PosixOutput&>(*state);
}

} // namespace

std::unique_ptr<TempOutputSteps> makeTempOutput(const std::string& path,
                                                std::optional<FileIdentity> input) {
    auto state = std::make_unique<PosixOutput>(path);
    state->prepareTarget(input);
    state->createFile();
    return state;
}

void PosixOutput::prepareTarget(std::optional<FileIdentity> input) {
    // What the name leads to in the end decides first: a link to a pipe or a terminal
    // (/dev/stdout) names no file that a finished drawing could take the place of.
    struct stat seen {};
    if (::stat(path.c_str(), &seen) == 0) {
        if (input && identityOf(seen) == *input)
            throw RunError(ErrorNumber::FileAlreadyOpen, path, 0, kOutputIsInput);
        if (!S_ISREG(seen.st_mode))
            throw RunError(ErrorNumber::PathFileAccess, path);
    }
    const std::string target = finalTarget(path);
    folder = folderOf(target);
    name = baseNameOf(target);
    if (name.empty() || name == "." || name == "..")
        throw RunError(ErrorNumber::PathFileAccess, path);
    dirFd = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0)
        throw errorFromErrno(errno, path, OsAction::Open);
    // Known before any work: a name the folder cannot hold is refused now, not at the end.
    long nameMax = ::fpathconf(dirFd, _PC_NAME_MAX);
    if (nameMax <= 0)
        nameMax = NAME_MAX;
    if (name.size() > static_cast<std::size_t>(nameMax))
        throw RunError(ErrorNumber::BadFileName, path);

    struct stat st {};
    if (::fstatat(dirFd, name.c_str(), &st, 0) != 0) {
        if (errno != ENOENT)
            throw errorFromErrno(errno, path, OsAction::Open);
        return;
    }
    if (input && identityOf(st) == *input)
        throw RunError(ErrorNumber::FileAlreadyOpen, path, 0, kOutputIsInput);
    // A folder, a pipe, a terminal or a device: nothing a finished file could take the place of.
    if (!S_ISREG(st.st_mode))
        throw RunError(ErrorNumber::PathFileAccess, path);
    // A file we may not write is not ours to replace.
    if (::faccessat(dirFd, name.c_str(), W_OK, AT_EACCESS) != 0)
        throw errorFromErrno(errno, path, OsAction::Open);
    // In a sticky folder only the file's owner, the folder's owner or root may replace it.
    struct stat holder {};
    const uid_t self = ::geteuid();
    if (::fstat(dirFd, &holder) == 0 && (holder.st_mode & S_ISVTX) && self != 0 &&
        st.st_uid != self && holder.st_uid != self)
        throw RunError(ErrorNumber::PermissionDenied, path);
    replacingFile = true;
    keepUid = st.st_uid;
    keepGid = st.st_gid;
    keepMode = st.st_mode & 0777;
}

void PosixOutput::createFile() {
    // 0666 lets the umask decide the mode, as for any newly created file.
    if (canNameUnnamedFiles()) {
        fd = ::openat(dirFd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        if (fd >= 0)
            return;
        // Only a file system without unnamed files goes the named way.
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
            throw errorFromErrno(errno, path, OsAction::Open);
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempName = randomTempName();
        TempNameStep step(dirFd, tempName.c_str());
        fd = ::openat(dirFd, tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                      0666);
        const int err = errno;
        tempNamed = fd >= 0;
        step.finish(tempNamed);
        if (tempNamed)
            return;
        if (err != EEXIST) {
            tempName.clear();
            throw errorFromErrno(err, path, OsAction::Open);
        }
    }
    tempName.clear();
    throw errorFromErrno(EEXIST, path, OsAction::Open);
}

std::uint32_t TempOutput::write(const char* data, std::size_t left) noexcept {
    while (left > 0) {
        const ssize_t done = ::write(posix(state_).fd, data, left);
        if (done < 0) {
            if (errno == EINTR)
                continue;
            return static_cast<std::uint32_t>(errno);
        }
        data += done;
        left -= static_cast<std::size_t>(done);
    }
    return 0;
}

std::uint32_t TempOutput::writeAt(std::uint64_t offset, const char* data,
                                  std::size_t left) noexcept {
    while (left > 0) {
        const ssize_t done = ::pwrite(posix(state_).fd, data, left, static_cast<off_t>(offset));
        if (done < 0) {
            if (errno == EINTR)
                continue;
            return static_cast<std::uint32_t>(errno);
        }
        data += done;
        offset += static_cast<std::uint64_t>(done);
        left -= static_cast<std::size_t>(done);
    }
    return 0;
}

RunError TempOutput::writeError(std::uint32_t failure) const {
    return errorFromErrno(static_cast<int>(failure), posix(state_).path, OsAction::Write);
}

void PosixOutput::keepWhatTheUserSet() {
    if (!replacingFile)
        return; // a new file's owner and mode are the process's
    // The owner and group where this process may set them (root, or a group of the user's);
    // the mode never keeps setuid, setgid or sticky bits. Owner first: chown clears them.
    if (::fchown(fd, keepUid, keepGid) != 0) {
        // Not allowed for the group either: the file keeps the user's own.
        const bool groupKept = ::fchown(fd, static_cast<uid_t>(-1), keepGid) == 0;
        static_cast<void>(groupKept);
    }
    if (::fchmod(fd, keepMode) != 0)
        throw errorFromErrno(errno, path, OsAction::Write);
}

void PosixOutput::giveName() {
    auto link = [this](const std::string& as) {
        if (::linkat(fd, "", dirFd, as.c_str(), AT_EMPTY_PATH) == 0)
            return 0;
        char self[64];
        std::snprintf(self, sizeof self, "/proc/self/fd/%d", fd);
        return ::linkat(AT_FDCWD, self, dirFd, as.c_str(), AT_SYMLINK_FOLLOW) == 0 ? 0 : errno;
    };
    if (!tempNamed) {
        // With no file at the name, the finished drawing takes the name in one step.
        if (!replacingFile) {
            const int err = link(name);
            if (err == 0)
                return;
            if (err != EEXIST)
                throw errorFromErrno(err, path, OsAction::Open);
        }
        // Otherwise it is named beside the old one for the instant before it takes its place.
        for (int attempt = 0;; ++attempt) {
            tempName = randomTempName();
            TempNameStep step(dirFd, tempName.c_str());
            const int err = link(tempName);
            tempNamed = err == 0;
            step.finish(tempNamed);
            if (tempNamed)
                break;
            if (err != EEXIST || attempt == 100) {
                tempName.clear();
                throw errorFromErrno(err, path, OsAction::Open);
            }
        }
    }
    TempNameStep step(dirFd, tempName.c_str());
    if (::renameat(dirFd, tempName.c_str(), dirFd, name.c_str()) != 0) {
        const int err = errno;
        step.finish(true);
        throw errorFromErrno(err, path, OsAction::Open);
    }
    tempNamed = false;
    step.finish(false);
}

void PosixOutput::flush() {
    if (::fsync(fd) != 0 && errno != EINVAL && errno != EROFS)
        throw errorFromErrno(errno, path, OsAction::Write);
}

std::optional<TrashedCopy> PosixOutput::trashReplaced() noexcept {
    std::optional<TrashEntry> entry = TrashEntry::link(dirFd, folder, name);
    if (!entry)
        return std::nullopt;
    auto shared = std::make_shared<TrashEntry>(std::move(*entry));
    return TrashedCopy{[shared] { shared->undo(); }, [shared] { return shared->trashed(); }};
}

void PosixOutput::finish() noexcept {
    ::close(fd);
    fd = -1;
    // Make the new name itself durable; a failure here loses nothing already in place.
    const int dir = ::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

void PosixOutput::discard() noexcept {
    if (fd >= 0)
        ::close(fd);
    fd = -1;
    // Removed before it is forgotten: a signal in between only removes it once more.
    if (tempNamed) {
        ::unlinkat(dirFd, tempName.c_str(), 0);
        tempNamed = false;
        forgetTempFile();
    }
    if (dirFd >= 0)
        ::close(dirFd);
    dirFd = -1;
}

} // namespace quillet::platform
