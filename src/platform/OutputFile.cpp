#include "OutputFile.h"

#include "OsError.h"
#include "TempFileCleanup.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <new>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace quillet::platform {

namespace {

// The sanitizers' bookkeeping needs more than the writer's own few frames.
constexpr std::size_t kWriterStack = 256 * 1024;

// As many links as the system itself follows before it gives up.
constexpr int kMaxLinks = 40;

std::string baseNameOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

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

std::string randomTempName() {
    static std::mt19937_64 random{std::random_device{}()};
    char name[32];
    std::snprintf(name, sizeof name, ".quillet-%012llx.tmp",
                  static_cast<unsigned long long>(random() & 0xFFFFFFFFFFFFull));
    return name;
}

// An unnamed file is named through /proc when the process may not link it by its descriptor.
bool canNameUnnamedFiles() {
    return ::access("/proc/self/fd", X_OK) == 0;
}

} // namespace

OutputFile::OutputFile(std::string path, std::optional<FileIdentity> input)
    : path_(std::move(path)) {
    try {
        prepareTarget(input);
        createFile();
        startWriting();
    } catch (...) {
        discard();
        throw;
    }
}

OutputFile::~OutputFile() {
    stopWriter();
    discard();
}

void OutputFile::prepareTarget(std::optional<FileIdentity> input) {
    // What the name leads to in the end decides first: a link to a pipe or a terminal
    // (/dev/stdout) names no file that a finished drawing could take the place of.
    struct stat seen {};
    if (::stat(path_.c_str(), &seen) == 0) {
        if (input && FileIdentity{seen.st_dev, seen.st_ino} == *input)
            throw RunError(ErrorNumber::FileAlreadyOpen, path_, 0, kOutputIsInput);
        if (!S_ISREG(seen.st_mode))
            throw RunError(ErrorNumber::PathFileAccess, path_);
    }
    const std::string target = finalTarget(path_);
    folder_ = folderOf(target);
    name_ = baseNameOf(target);
    if (name_.empty() || name_ == "." || name_ == "..")
        throw RunError(ErrorNumber::PathFileAccess, path_);
    dirFd_ = ::open(folder_.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (dirFd_ < 0)
        throw errorFromErrno(errno, path_, OsAction::Open);
    // Known before any work: a name the folder cannot hold is refused now, not at the end.
    long nameMax = ::fpathconf(dirFd_, _PC_NAME_MAX);
    if (nameMax <= 0)
        nameMax = NAME_MAX;
    if (name_.size() > static_cast<std::size_t>(nameMax))
        throw RunError(ErrorNumber::BadFileName, path_);

    struct stat st {};
    if (::fstatat(dirFd_, name_.c_str(), &st, 0) != 0) {
        if (errno != ENOENT)
            throw errorFromErrno(errno, path_, OsAction::Open);
        return;
    }
    if (input && FileIdentity{st.st_dev, st.st_ino} == *input)
        throw RunError(ErrorNumber::FileAlreadyOpen, path_, 0, kOutputIsInput);
    // A folder, a pipe, a terminal or a device: nothing a finished file could take the place of.
    if (!S_ISREG(st.st_mode))
        throw RunError(ErrorNumber::PathFileAccess, path_);
    // A file we may not write is not ours to replace.
    if (::faccessat(dirFd_, name_.c_str(), W_OK, AT_EACCESS) != 0)
        throw errorFromErrno(errno, path_, OsAction::Open);
    // In a sticky folder only the file's owner, the folder's owner or root may replace it.
    struct stat folder {};
    const uid_t self = ::geteuid();
    if (::fstat(dirFd_, &folder) == 0 && (folder.st_mode & S_ISVTX) && self != 0 &&
        st.st_uid != self && folder.st_uid != self)
        throw RunError(ErrorNumber::PermissionDenied, path_);
    replacing_ = true;
    keepUid_ = st.st_uid;
    keepGid_ = st.st_gid;
    keepMode_ = st.st_mode & 0777;
}

void OutputFile::createFile() {
    // 0666 lets the umask decide the mode, as for any newly created file.
    if (canNameUnnamedFiles()) {
        fd_ = ::openat(dirFd_, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        if (fd_ >= 0)
            return;
        // Only a file system without unnamed files goes the named way.
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
            throw errorFromErrno(errno, path_, OsAction::Open);
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempName_ = randomTempName();
        TempNameStep step(dirFd_, tempName_.c_str());
        fd_ = ::openat(dirFd_, tempName_.c_str(),
                       O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        const int err = errno;
        tempNamed_ = fd_ >= 0;
        step.finish(tempNamed_);
        if (tempNamed_)
            return;
        if (err != EEXIST) {
            tempName_.clear();
            throw errorFromErrno(err, path_, OsAction::Open);
        }
    }
    tempName_.clear();
    throw errorFromErrno(EEXIST, path_, OsAction::Open);
}

void OutputFile::startWriting() {
    try {
        blocks_.resize(kBlockCount);
        for (auto& block : blocks_)
            block.bytes.resize(kBlockSize);
        for (std::size_t i = 1; i < kBlockCount; ++i)
            free_.push(i);
        filling_ = 0;
    } catch (const std::bad_alloc&) {
        throw RunError(ErrorNumber::OutOfMemory, path_);
    }
    // The writer needs little stack; the default eight megabytes would make a run fail
    // under an address-space limit that its blocks fit in easily.
    pthread_attr_t attributes;
    ::pthread_attr_init(&attributes);
    ::pthread_attr_setstacksize(&attributes, kWriterStack);
    auto start = [](void* self) -> void* {
        static_cast<OutputFile*>(self)->writerLoop();
        return nullptr;
    };
    const int err = ::pthread_create(&writer_, &attributes, start, this);
    ::pthread_attr_destroy(&attributes);
    if (err != 0)
        throw RunError(ErrorNumber::OutOfMemory, path_, 0, "書き込みのスレッドを始められません");
    writerRunning_ = true;
}

void OutputFile::writerLoop() noexcept {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stopping_ || !toWrite_.empty(); });
        if (toWrite_.empty())
            return;
        const std::size_t index = toWrite_.pop();
        Block& block = blocks_[index];
        int failed = writeErrno_;
        lock.unlock();
        const char* data = block.bytes.data();
        std::size_t left = failed ? 0 : block.used;
        while (left > 0) {
            ssize_t done = ::write(fd_, data, left);
            if (done < 0) {
                if (errno == EINTR)
                    continue;
                failed = errno;
                break;
            }
            data += done;
            left -= static_cast<std::size_t>(done);
        }
        lock.lock();
        if (failed && !writeErrno_)
            writeErrno_ = failed;
        block.used = 0;
        free_.push(index);
        changed_.notify_all();
    }
}

void OutputFile::throwIfFailed() {
    if (writeErrno_)
        throw errorFromErrno(writeErrno_, path_, OsAction::Write);
}

std::span<char> OutputFile::exchange(std::span<const char> filled) {
    std::unique_lock lock(mutex_);
    throwIfFailed();
    if (filled.empty())
        return blocks_[filling_].bytes;
    blocks_[filling_].used = filled.size();
    toWrite_.push(filling_);
    changed_.notify_all();
    changed_.wait(lock, [this] { return !free_.empty(); });
    filling_ = free_.pop();
    throwIfFailed();
    return blocks_[filling_].bytes;
}

void OutputFile::stopWriter() noexcept {
    if (!writerRunning_)
        return;
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    ::pthread_join(writer_, nullptr);
    writerRunning_ = false;
}

void OutputFile::keepOwnerAndMode() {
    // The owner and group where this process may set them (root, or a group of the user's);
    // the mode never keeps setuid, setgid or sticky bits. Owner first: chown clears them.
    if (::fchown(fd_, keepUid_, keepGid_) != 0) {
        // Not allowed for the group either: the file keeps the user's own.
        const bool groupKept = ::fchown(fd_, static_cast<uid_t>(-1), keepGid_) == 0;
        static_cast<void>(groupKept);
    }
    if (::fchmod(fd_, keepMode_) != 0)
        throw errorFromErrno(errno, path_, OsAction::Write);
}

void OutputFile::giveName() {
    auto link = [this](const std::string& name) {
        if (::linkat(fd_, "", dirFd_, name.c_str(), AT_EMPTY_PATH) == 0)
            return 0;
        char self[64];
        std::snprintf(self, sizeof self, "/proc/self/fd/%d", fd_);
        return ::linkat(AT_FDCWD, self, dirFd_, name.c_str(), AT_SYMLINK_FOLLOW) == 0 ? 0 : errno;
    };
    if (!tempNamed_) {
        // With no file at the name, the finished drawing takes the name in one step.
        if (!replacing_) {
            const int err = link(name_);
            if (err == 0)
                return;
            if (err != EEXIST)
                throw errorFromErrno(err, path_, OsAction::Open);
        }
        // Otherwise it is named beside the old one for the instant before it takes its place.
        for (int attempt = 0;; ++attempt) {
            tempName_ = randomTempName();
            TempNameStep step(dirFd_, tempName_.c_str());
            const int err = link(tempName_);
            tempNamed_ = err == 0;
            step.finish(tempNamed_);
            if (tempNamed_)
                break;
            if (err != EEXIST || attempt == 100) {
                tempName_.clear();
                throw errorFromErrno(err, path_, OsAction::Open);
            }
        }
    }
    TempNameStep step(dirFd_, tempName_.c_str());
    if (::renameat(dirFd_, tempName_.c_str(), dirFd_, name_.c_str()) != 0) {
        const int err = errno;
        step.finish(true);
        throw errorFromErrno(err, path_, OsAction::Open);
    }
    tempNamed_ = false;
    step.finish(false);
}

void OutputFile::commit() {
    stopWriter();
    throwIfFailed();
    if (replacing_)
        keepOwnerAndMode();
    if (::fsync(fd_) != 0 && errno != EINVAL && errno != EROFS)
        throw errorFromErrno(errno, path_, OsAction::Write);
    giveName();
    committed_ = true;
    ::close(fd_);
    fd_ = -1;
    // Make the new name itself durable; a failure here loses nothing already in place.
    const int dir = ::openat(dirFd_, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

void OutputFile::discard() noexcept {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    // Removed before it is forgotten: a signal in between only removes it once more.
    if (tempNamed_) {
        ::unlinkat(dirFd_, tempName_.c_str(), 0);
        tempNamed_ = false;
        forgetTempFile();
    }
    if (dirFd_ >= 0)
        ::close(dirFd_);
    dirFd_ = -1;
}

} // namespace quillet::platform
