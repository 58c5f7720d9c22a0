#include "OutputFile.h"

#include "OsError.h"
#include "TempFileCleanup.h"

#include <cerrno>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace quillet::platform {

namespace {

constexpr std::size_t kBlockSize = 1024 * 1024;
// Six blocks keep the writing thread fed through the bursts of either side.
constexpr std::size_t kBlockCount = 6;

// Creates a file of a fresh name in folder, never opening one that exists already.
int createTemp(const std::string& folder, std::string& tempPath) {
    std::random_device seed;
    std::mt19937_64 random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        char name[32];
        std::snprintf(name, sizeof name, ".quillet-%012llx.tmp",
                      static_cast<unsigned long long>(random() & 0xFFFFFFFFFFFFull));
        tempPath = (folder == "/" ? "/" : folder + "/") + name;
        // 0666 here lets the umask decide the mode, as for any newly created file.
        int fd =
            ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

} // namespace

OutputFile::OutputFile(std::string path, std::optional<FileIdentity> input)
    : path_(std::move(path)) {
    if (path_.empty())
        throw RunError(ErrorNumber::PathFileAccess, path_);
    struct stat st {};
    if (::stat(path_.c_str(), &st) == 0) {
        if (input && FileIdentity{st.st_dev, st.st_ino} == *input)
            throw RunError(ErrorNumber::FileAlreadyOpen, path_);
        // A folder, a pipe or a device: nothing a finished file could be put in place of.
        if (!S_ISREG(st.st_mode))
            throw RunError(ErrorNumber::PathFileAccess, path_);
    }
    struct stat link {};
    if (::lstat(path_.c_str(), &link) == 0 && S_ISREG(link.st_mode)) {
        // A file we may not write is not ours to replace.
        if (::faccessat(AT_FDCWD, path_.c_str(), W_OK, AT_EACCESS) != 0)
            throw errorFromErrno(errno, path_, OsAction::Open);
        keepMode_ = link.st_mode & 07777;
    }

    {
        // A signal between creating the file and registering it would leave it behind.
        CleanupSignalsHeld held;
        fd_ = createTemp(folderOf(path_), tempPath_);
        if (fd_ < 0) {
            // The folder is what is missing or closed, but the user knows the output's name;
            // a missing folder still reads as 76, since the output's folder is not there.
            throw errorFromErrno(errno, path_, OsAction::Open);
        }
        registerTempFile(tempPath_.c_str());
    }

    blocks_.resize(kBlockCount);
    for (auto& block : blocks_)
        block.bytes.resize(kBlockSize);
    for (std::size_t i = 1; i < kBlockCount; ++i)
        free_.push_back(i);
    filling_ = 0;
    writer_ = std::thread(&OutputFile::writerLoop, this);
}

OutputFile::~OutputFile() {
    stopWriter();
    if (!committed_)
        discard();
}

void OutputFile::writerLoop() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stopping_ || !toWrite_.empty(); });
        if (toWrite_.empty())
            return;
        std::size_t index = toWrite_.front();
        toWrite_.pop_front();
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
        free_.push_back(index);
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
    toWrite_.push_back(filling_);
    changed_.notify_all();
    changed_.wait(lock, [this] { return !free_.empty(); });
    filling_ = free_.front();
    free_.pop_front();
    throwIfFailed();
    return blocks_[filling_].bytes;
}

void OutputFile::stopWriter() noexcept {
    if (!writer_.joinable())
        return;
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    writer_.join();
}

void OutputFile::commit() {
    stopWriter();
    throwIfFailed();
    if (keepMode_ && ::fchmod(fd_, *keepMode_) != 0)
        throw errorFromErrno(errno, path_, OsAction::Write);
    if (::fsync(fd_) != 0 && errno != EINVAL && errno != EROFS)
        throw errorFromErrno(errno, path_, OsAction::Write);
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 && errno != EINTR)
        throw errorFromErrno(errno, path_, OsAction::Write);
    if (::rename(tempPath_.c_str(), path_.c_str()) != 0)
        throw errorFromErrno(errno, path_, OsAction::Open);
    committed_ = true;
    unregisterTempFile();
    // Make the new name itself durable; a failure here loses nothing already in place.
    int dir = ::open(folderOf(path_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
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
    if (!tempPath_.empty())
        ::unlink(tempPath_.c_str());
    unregisterTempFile();
}

} // namespace quillet::platform
