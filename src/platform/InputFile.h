#pragma once

#include "LineReader.h"

#include <cstdint>
#include <optional>
#include <string>

namespace quillet::platform {

// Identity of an open file, to tell whether two names lead to one file: the device and inode
// numbers on POSIX, the volume serial number and file index on Windows.
struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t file = 0;
    bool operator==(const FileIdentity&) const = default;
};

// A file opened for sequential reading.
class InputFile final : public ByteSource {
  public:
    // Opens path for reading; throws RunError 53, 76, 70, or 75 for a folder.
    explicit InputFile(std::string path);
    // Reads the process's standard input, called name in messages; throws RunError 57 when it
    // is closed.
    struct StandardInput {};
    InputFile(StandardInput, std::string name);
    ~InputFile() override;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // Reads up to max bytes; throws RunError 57 when reading fails.
    std::size_t read(char* into, std::size_t max) override;

    const std::string& path() const noexcept { return path_; }
    FileIdentity identity() const noexcept { return identity_; }

    // Returns the size in bytes of a regular file; nothing for a pipe, a device or standard
    // input that is no file.
    std::optional<std::int64_t> size() const noexcept;

    // Closes the file; throws nothing (a file only read loses nothing on close).
    void close() noexcept;

  private:
    std::string path_;
    std::intptr_t handle_ = -1; // a file descriptor, or a HANDLE on Windows
    bool owned_ = true;         // standard input is not ours to close
    FileIdentity identity_;
};

} // namespace quillet::platform
