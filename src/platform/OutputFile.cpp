// The part of a safe replacement that is the same everywhere: the blocks and the thread that
// writes them. The system's part is TempOutput.
#include "OutputFile.h"

#include "TempOutput.h"

#include <new>

namespace quillet::platform {

OutputFile::OutputFile(std::string path, std::optional<FileIdentity> input)
    : path_(std::move(path)) {
    file_ = std::make_unique<TempOutput>(path_, input);
    startWriting();
}

OutputFile::~OutputFile() {
    stopWriter();
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
    auto run = [](void* self) { static_cast<OutputFile*>(self)->writerLoop(); };
    if (!writer_.start(run, this))
        throw RunError(ErrorNumber::OutOfMemory, path_, 0, "書き込みのスレッドを始められません");
}

void OutputFile::writerLoop() noexcept {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stopping_ || !toWrite_.empty(); });
        if (toWrite_.empty())
            return;
        const std::size_t index = toWrite_.pop();
        Block& block = blocks_[index];
        std::uint32_t failed = writeFailure_;
        lock.unlock();
        if (!failed)
            failed = file_->write(block.bytes.data(), block.used);
        lock.lock();
        if (failed && !writeFailure_)
            writeFailure_ = failed;
        block.used = 0;
        free_.push(index);
        changed_.notify_all();
    }
}

void OutputFile::throwIfFailed() {
    if (writeFailure_)
        throw file_->writeError(writeFailure_);
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

bool OutputFile::patch(std::uint64_t offset, std::string_view bytes) {
    std::unique_lock lock(mutex_);
    // Every block but the one being filled back in the free queue: the writer is idle.
    changed_.wait(lock, [this] { return toWrite_.empty() && free_.count == kBlockCount - 1; });
    throwIfFailed();
    if (const std::uint32_t failed = file_->writeAt(offset, bytes.data(), bytes.size()))
        throw file_->writeError(failed);
    return true;
}

void OutputFile::stopWriter() noexcept {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    writer_.join();
}

Trashed OutputFile::commit(bool toTrash) {
    stopWriter();
    throwIfFailed();
    return file_->commit(toTrash);
}

} // namespace quillet::platform
