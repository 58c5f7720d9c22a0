#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

namespace quillet::platform {

// The numbered run-time errors the program can raise.
enum class ErrorNumber : int {
    InvalidCall = 5,
    Overflow = 6,
    OutOfMemory = 7,
    TypeMismatch = 13,
    BadFileName = 52,
    FileNotFound = 53,
    FileAlreadyOpen = 55,
    DeviceIo = 57,
    DiskFull = 61,
    PermissionDenied = 70,
    PathFileAccess = 75,
    PathNotFound = 76,
};

// The detail of error 55 when the output would be the input.
inline constexpr const char* kOutputIsInput = "出力ファイルが入力ファイルと同じです";

// What an overflow (6) came from, so that a message can say what to do about it.
enum class OverflowCause {
    Unknown,
    Column,     // a column's X left -32768..32767; figure: the column, from 1
    LineLength, // a line longer than 32767 characters; figure: its characters (0: not counted)
    Row,        // a Y beyond the 32-bit range
    EmptyLines, // more than 32767 empty lines
};

struct ErrorEntry {
    ErrorNumber number;
    std::string_view description; // Japanese, as shown to the user
};

// Returns the table of every error number with its description.
std::span<const ErrorEntry> errorTable();

// Returns the Japanese description of number.
std::string_view describe(ErrorNumber number);

// A run-time error: its number, its description and where it happened.
class RunError : public std::runtime_error {
  public:
    // Makes the error; path is the file involved (may be empty), line the 1-based input line
    // (0 when the error belongs to no line), detail what the standard description leaves
    // unsaid (may be empty).
    explicit RunError(ErrorNumber number, std::string path = {}, std::int64_t line = 0,
                      std::string detail = {});

    ErrorNumber number() const noexcept { return number_; }
    int code() const noexcept { return static_cast<int>(number_); }
    std::string_view description() const noexcept { return describe(number_); }
    const std::string& path() const noexcept { return path_; }
    std::int64_t line() const noexcept { return line_; }
    const std::string& detail() const noexcept { return detail_; }

    // Returns a copy that names path and line where this error names none yet. An error in
    // writing the output never takes a line: the line being read says nothing about it.
    RunError withContext(const std::string& path, std::int64_t line) const;

    // Returns a copy marked as an error in writing the output.
    RunError inWriting() const;
    bool isInWriting() const noexcept { return inWriting_; }

    // Returns "実行時エラー N: description" and the detail, without the file and line.
    std::string headline() const;

    // Returns a copy that says what the overflow came from.
    RunError withCause(OverflowCause cause, std::int64_t figure = 0) const;
    OverflowCause cause() const noexcept { return cause_; }
    std::int64_t figure() const noexcept { return figure_; }

  private:
    ErrorNumber number_;
    std::string path_;
    std::int64_t line_;
    std::string detail_;
    bool inWriting_ = false;
    OverflowCause cause_ = OverflowCause::Unknown;
    std::int64_t figure_ = 0;
};

// Throws RunError(Overflow); the one way the checked arithmetic fails.
[[noreturn]] void raiseOverflow();

} // namespace quillet::platform
