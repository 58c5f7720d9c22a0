#pragma once

#include "BlockSink.h"
#include "InputFile.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <sys/types.h>
#include <thread>
#include <vector>

namespace quillet::platform {

// An output file that appears only when it is complete. Bytes go to a temporary file in the
// output's folder, written by a background thread while the next block is filled; commit()
// flushes it to disk and moves it over the output name. Until then an existing file of that
// name stays as it was, and a writer that is destroyed uncommitted removes its temporary file.
class OutputFile final : public BlockSink {
  public:
    // Prepares to write path; throws RunError 55 when path is the file input (however named),
    // 75 for a folder, 70 when the existing file or the folder may not be written, 76 for a
    // missing folder.
    OutputFile(std::string path, std::optional<FileIdentity> input);
    ~OutputFile() override;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Hands the filled block to the writing thread; throws RunError 61 or 57 for an earlier
    // write that failed.
    std::span<char> exchange(std::span<const char> filled) override;

    // Waits for every byte to be written, flushes the file to disk and puts it in place of the
    // output name; throws RunError 61, 57 or 70 (the temporary file is then removed).
    void commit();

    const std::string& path() const noexcept { return path_; }

  private:
    struct Block {
        std::vector<char> bytes;
        std::size_t used = 0;
    };

    void writerLoop();
    void stopWriter() noexcept;
    void throwIfFailed();
    void discard() noexcept;

    std::string path_;
    std::string tempPath_;
    int fd_ = -1;
    std::optional<mode_t> keepMode_; // the replaced file's mode
    bool committed_ = false;

    std::vector<Block> blocks_;
    std::size_t filling_ = 0; // index of the block the writer is filling
    std::deque<std::size_t> toWrite_;
    std::deque<std::size_t> free_;
    bool stopping_ = false;
    int writeErrno_ = 0;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::thread writer_;
};

} // namespace quillet::platform
