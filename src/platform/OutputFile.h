#pragma once

#include "BlockSink.h"
#include "InputFile.h"

#include <array>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <pthread.h>
#include <string>
#include <sys/types.h>
#include <vector>

namespace quillet::platform {

// An output file that appears only when it is complete. Bytes go to an unnamed file in the
// output's folder (a named temporary file where the file system cannot make unnamed ones),
// written by a background thread while the next block is filled; commit() flushes it to disk
// and gives it the output's name. Until then an existing file of that name stays as it was,
// and a writer that is destroyed uncommitted leaves nothing behind. A symbolic link at the
// output name stays: the file it leads to is the one replaced.
class OutputFile final : public BlockSink {
  public:
    // Prepares to write path; throws RunError 55 when path is the file input (however named),
    // 75 for a folder, pipe or device, 70 when the existing file or the folder may not be
    // written, 76 for a missing folder, 52 for a name too long for the folder, 7 when memory
    // or the writing thread cannot be had.
    OutputFile(std::string path, std::optional<FileIdentity> input);
    ~OutputFile() override;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Hands the filled block to the writing thread; throws RunError 61 or 57 for an earlier
    // write that failed.
    std::span<char> exchange(std::span<const char> filled) override;

    // Waits for every byte to be written, flushes the file to disk and puts it in place of the
    // output name; throws RunError 61, 57 or 70 (nothing is left behind then).
    void commit();

    const std::string& path() const noexcept { return path_; }

  private:
    // Six blocks of a megabyte keep the writing thread fed through the bursts of either side.
    static constexpr std::size_t kBlockSize = 1024 * 1024;
    static constexpr std::size_t kBlockCount = 6;

    struct Block {
        std::vector<char> bytes;
        std::size_t used = 0;
    };
    // Block numbers waiting their turn; fixed storage, so the writing thread never allocates.
    struct BlockQueue {
        std::array<std::size_t, kBlockCount> slots{};
        std::size_t head = 0;
        std::size_t count = 0;
        bool empty() const { return count == 0; }
        void push(std::size_t block) { slots[(head + count++) % kBlockCount] = block; }
        std::size_t pop() {
            const std::size_t block = slots[head];
            head = (head + 1) % kBlockCount;
            --count;
            return block;
        }
    };

    void prepareTarget(std::optional<FileIdentity> input);
    void createFile();
    void startWriting();
    void writerLoop() noexcept;
    void stopWriter() noexcept;
    void throwIfFailed();
    void keepOwnerAndMode();
    void giveName();
    void discard() noexcept;

    std::string path_;   // as the caller named it
    std::string folder_; // of the file replaced: the link's target when path is a link
    std::string name_;
    int dirFd_ = -1;
    int fd_ = -1;
    std::string tempName_;
    bool tempNamed_ = false;
    bool replacing_ = false;
    uid_t keepUid_ = 0;
    gid_t keepGid_ = 0;
    mode_t keepMode_ = 0; // the replaced file's permissions, without setuid, setgid or sticky
    bool committed_ = false;

    std::vector<Block> blocks_;
    std::size_t filling_ = 0; // index of the block the writer is filling
    BlockQueue toWrite_;
    BlockQueue free_;
    bool stopping_ = false;
    int writeErrno_ = 0;
    std::mutex mutex_;
    std::condition_variable changed_;
    pthread_t writer_{};
    bool writerRunning_ = false;
};

} // namespace quillet::platform
