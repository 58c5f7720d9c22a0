#pragma once

#include "BlockSink.h"
#include "InputFile.h"
#include "Trash.h"
#include "WriterThread.h"

#include <array>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace quillet::platform {

class TempOutput;

// An output file that appears only when it is complete. Bytes go to a temporary file in the
// output's folder (unnamed on Linux where the file system can make one, hidden otherwise),
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

    // Waits for the bytes handed over to be written, then writes bytes over those at offset;
    // throws RunError 61 or 57.
    bool patch(std::uint64_t offset, std::string_view bytes) override;

    // Waits for every byte to be written, flushes the file to disk and puts it in place of the
    // output name, a replaced file going to the desktop's trash with toTrash; returns what
    // became of the replaced file. Throws RunError 61, 57 or 70 (nothing is left behind then).
    Trashed commit(bool toTrash = false);

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

    void startWriting();
    void writerLoop() noexcept;
    void stopWriter() noexcept;
    void throwIfFailed();

    std::string path_; // as the caller named it
    std::unique_ptr<TempOutput> file_;

    std::vector<Block> blocks_;
    std::size_t filling_ = 0; // index of the block the writer is filling
    BlockQueue toWrite_;
    BlockQueue free_;
    bool stopping_ = false;
    std::uint32_t writeFailure_ = 0; // the system's error code of the first failed write
    std::mutex mutex_;
    std::condition_variable changed_;
    WriterThread writer_;
};

} // namespace quillet::platform
