// Reading a drawing file (ASCII or binary DXF) into a Drawing, streamed block by block, on the
// calling thread (which may be a worker: progress and cancellation are for that).
#pragma once

#include "Drawing.h"

#include "platform/LineReader.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace quillet::drawing {

struct ReadOptions {
    // Called now and then with the bytes read so far and the file's size (0 when unknown),
    // on the reading thread.
    std::function<void(std::int64_t done, std::int64_t total)> progress;
    // When it turns true the reader stops with ReadCancelled.
    const std::atomic<bool>* cancel = nullptr;
    // The most memory the drawing may take; past it reading stops with a DrawingError.
    std::uint64_t memoryLimit = std::uint64_t{8} << 30;
    // Threads that parse the entities section of a large file (0: one per processor).
    unsigned threads = 0;
};

// What the first bytes of a file say it is.
enum class FileKind { Drawing, BinaryDrawing, NotDrawing };

// Returns what a file starting with start (its first few kilobytes, or all of it) is.
FileKind kindOf(std::string_view start) noexcept;

// Returns the first bytes of path (up to max). Throws platform::RunError 53, 70, 75 or 76.
std::string readStart(const std::string& path, std::size_t max = 4096);

// Returns the message for a file of kind that cannot be read (Japanese), empty for a drawing
// in either form.
std::string refusal(FileKind kind);

// Reads the drawing at path. Throws platform::RunError when the file cannot be opened or
// read (53, 70, 75, 76, 57), DrawingError when it is no drawing this reader takes (broken,
// too large; one cut short is read, with Drawing::truncated set), ReadCancelled, and
// std::bad_alloc.
std::unique_ptr<Drawing> readDrawing(const std::string& path, const ReadOptions& options = {});

// Reads a drawing from source, of total bytes (0 when unknown); throws as above.
std::unique_ptr<Drawing> readDrawing(platform::ByteSource& source, std::int64_t total,
                                     const ReadOptions& options = {});

} // namespace quillet::drawing
