// The steps of a safe replacement as each system takes them, and the one order TempOutput
// takes them in (TempOutput.cpp); posix/TempOutput.cpp and win32/TempOutput.cpp make them.
#pragma once

#include "TempOutput.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace quillet::platform {

// The replaced file's second name in the trash, made while it still has its own name.
struct TrashedCopy {
    std::function<void()> undo;    // takes it out again; throws nothing
    std::function<Trashed()> keep; // leaves it there; returns where it went
};

struct TempOutputSteps {
    virtual ~TempOutputSteps() = default;

    // Tells whether a file at the output name is being replaced.
    virtual bool replacing() const noexcept = 0;
    // Gives the new file what a user set on the one it replaces (owner and mode, attributes
    // and access list), or what a new file has. Throws RunError.
    virtual void keepWhatTheUserSet() = 0;
    // Flushes the new file to disk. Throws RunError.
    virtual void flush() = 0;
    // Gives the replaced file its second name in the trash; none when no trash can be had.
    virtual std::optional<TrashedCopy> trashReplaced() noexcept = 0;
    // Puts the new file in place of the output name. Throws RunError, leaving it unnamed.
    virtual void giveName() = 0;
    // Closes the file, its name made durable where the system can.
    virtual void finish() noexcept = 0;
};

// Checks path and creates the temporary file for it (TempOutput's constructor). Throws RunError.
std::unique_ptr<TempOutputSteps> makeTempOutput(const std::string& path,
                                                std::optional<FileIdentity> input);

// Returns a fresh name for a temporary file beside the output: ".quillet-XXXXXXXXXXXX.tmp".
std::string randomTempName();

} // namespace quillet::platform
