// Reading a file on Windows: CreateFileW and ReadFile on a HANDLE, the name in UTF-16.
#include "platform/InputFile.h"

#include "FileInfo.h"
#include "WideText.h"
#include "Win32Error.h"

#include <algorithm>

namespace quillet::platform {

namespace {

HANDLE handleOf(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

// ReadFile takes a count of 32 bits.
constexpr std::size_t kMostPerRead = 1u << 30;

} // namespace

InputFile::InputFile(std::string path) : path_(std::move(path)) {
    // Others may go on reading, writing, renaming or removing the file, as on POSIX; backup
    // semantics open a folder too, so that it is told apart (75) from a refusal (70).
    const HANDLE file = ::CreateFileW(
        win32::systemPath(path_).c_str(), GENERIC_READ,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
        FILE_FLAG_SEQUENTIAL_SCAN | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw errorFromWin32(::GetLastError(), path_, OsAction::Open);
    handle_ = reinterpret_cast<std::intptr_t>(file);
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileType(file) == FILE_TYPE_DISK && ::GetFileInformationByHandle(file, &info) &&
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        close();
        throw RunError(ErrorNumber::PathFileAccess, path_);
    }
    identity_ = win32::identityOf(file).value_or(FileIdentity{});
}

InputFile::InputFile(StandardInput, std::string name) : path_(std::move(name)), owned_(false) {
    const HANDLE in = ::GetStdHandle(STD_INPUT_HANDLE);
    if (in == nullptr || in == INVALID_HANDLE_VALUE)
        throw RunError(ErrorNumber::DeviceIo, path_);
    handle_ = reinterpret_cast<std::intptr_t>(in);
    identity_ = win32::identityOf(in).value_or(FileIdentity{});
}

InputFile::~InputFile() {
    close();
}

void InputFile::close() noexcept {
    if (handle_ != -1 && owned_)
        ::CloseHandle(handleOf(handle_));
    handle_ = -1;
}

std::optional<std::int64_t> InputFile::size() const noexcept {
    LARGE_INTEGER bytes{};
    if (::GetFileType(handleOf(handle_)) != FILE_TYPE_DISK ||
        !::GetFileSizeEx(handleOf(handle_), &bytes))
        return std::nullopt;
    return static_cast<std::int64_t>(bytes.QuadPart);
}

std::size_t InputFile::read(char* into, std::size_t max) {
    DWORD got = 0;
    if (::ReadFile(handleOf(handle_), into, static_cast<DWORD>(std::min(max, kMostPerRead)), &got,
                   nullptr))
        return got;
    const DWORD err = ::GetLastError();
    // A pipe whose writer has gone has ended, like a file.
    if (err == ERROR_BROKEN_PIPE || err == ERROR_HANDLE_EOF)
        return 0;
    throw errorFromWin32(err, path_, OsAction::Read);
}

} // namespace quillet::platform
