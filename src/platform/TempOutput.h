#pragma once

#include "InputFile.h"
#include "RunError.h"
#include "Trash.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

// The system's part of a safe replacement: the temporary file an OutputFile writes, and how it
// takes the output's place. posix/TempOutput.cpp and win32/TempOutput.cpp make it.
namespace quillet::platform {

struct TempOutputSteps; // the system's side, TempOutputSteps.h

class TempOutput {
  public:
    // Checks what path names, with every check OutputFile's constructor lists, and creates
    // the temporary file in the folder of the file that will be replaced. Throws RunError.
    TempOutput(const std::string& path, std::optional<FileIdentity> input);
    // Removes the temporary file unless it has taken the output's place; throws nothing.
    ~TempOutput();
    TempOutput(const TempOutput&) = delete;
    TempOutput& operator=(const TempOutput&) = delete;

    // Writes all of data; returns 0, or the system's error code (errno, GetLastError) when
    // writing failed. Allocates nothing, for the writing thread.
    std::uint32_t write(const char* data, std::size_t size) noexcept;

    // Writes all of data at offset, over bytes written before; returns 0 or the system's
    // error code.
    std::uint32_t writeAt(std::uint64_t offset, const char* data, std::size_t size) noexcept;

    // Returns the run-time error for a write that failed with the system's code failure.
    RunError writeError(std::uint32_t failure) const;

    // Flushes the file to disk and puts it in place of the output name, keeping what the
    // replaced file's owner set; with toTrash, a replaced file goes to the desktop's trash
    // (where none can be had it is replaced as without). Returns what became of the replaced
    // file; throws RunError 61, 57 or 70 (nothing is left behind then, in the trash neither).
    Trashed commit(bool toTrash = false);

  private:
    std::unique_ptr<TempOutputSteps> state_;
};

} // namespace quillet::platform
