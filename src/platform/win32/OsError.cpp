// The Windows side of the error numbers: one table for GetLastError's codes, and paths with
// "\" or "/" and drive letters.
#include "Win32Error.h"
#include "platform/AbsolutePath.h"

#include <algorithm>
#include <array>
#include <windows.h>

namespace quillet::platform {

namespace {

// Codes older headers (mingw-w64's among them) do not name.
constexpr DWORD kDiskQuotaExceeded = 1295;    // ERROR_DISK_QUOTA_EXCEEDED
constexpr DWORD kDirectoryNotSupported = 336; // ERROR_DIRECTORY_NOT_SUPPORTED

struct Mapping {
    DWORD code;
    ErrorNumber number;
};

// Every code the program's file work can meet that has a number of its own; the rest are 75
// in opening and 57 in reading or writing, as on POSIX.
constexpr std::array kMappings{
    Mapping{ERROR_FILE_NOT_FOUND, ErrorNumber::FileNotFound},
    Mapping{ERROR_PATH_NOT_FOUND, ErrorNumber::PathNotFound},
    Mapping{ERROR_INVALID_DRIVE, ErrorNumber::PathNotFound},
    Mapping{ERROR_BAD_NETPATH, ErrorNumber::PathNotFound},
    Mapping{ERROR_BAD_NET_NAME, ErrorNumber::PathNotFound},
    Mapping{ERROR_DIRECTORY, ErrorNumber::PathNotFound}, // a file where a folder should be
    Mapping{ERROR_CANT_RESOLVE_FILENAME, ErrorNumber::PathNotFound}, // links in a circle
    Mapping{ERROR_ACCESS_DENIED, ErrorNumber::PermissionDenied},
    Mapping{ERROR_SHARING_VIOLATION, ErrorNumber::PermissionDenied},
    Mapping{ERROR_LOCK_VIOLATION, ErrorNumber::PermissionDenied},
    Mapping{ERROR_WRITE_PROTECT, ErrorNumber::PermissionDenied},
    Mapping{ERROR_DELETE_PENDING, ErrorNumber::PermissionDenied},
    Mapping{ERROR_USER_MAPPED_FILE, ErrorNumber::PermissionDenied},
    Mapping{ERROR_PRIVILEGE_NOT_HELD, ErrorNumber::PermissionDenied},
    Mapping{ERROR_DISK_FULL, ErrorNumber::DiskFull},
    Mapping{ERROR_HANDLE_DISK_FULL, ErrorNumber::DiskFull},
    Mapping{kDiskQuotaExceeded, ErrorNumber::DiskFull},
    Mapping{ERROR_FILE_TOO_LARGE, ErrorNumber::DiskFull},
    Mapping{ERROR_INVALID_NAME, ErrorNumber::BadFileName},
    Mapping{ERROR_FILENAME_EXCED_RANGE, ErrorNumber::BadFileName},
    Mapping{ERROR_BAD_PATHNAME, ErrorNumber::BadFileName},
    Mapping{ERROR_BUFFER_OVERFLOW, ErrorNumber::BadFileName},
    Mapping{kDirectoryNotSupported, ErrorNumber::PathFileAccess},
    Mapping{ERROR_CANT_ACCESS_FILE, ErrorNumber::PathFileAccess},
    Mapping{ERROR_TOO_MANY_OPEN_FILES, ErrorNumber::PathFileAccess},
    Mapping{ERROR_NOT_ENOUGH_MEMORY, ErrorNumber::OutOfMemory},
    Mapping{ERROR_OUTOFMEMORY, ErrorNumber::OutOfMemory},
};

bool hasDrive(const std::string& path) {
    return path.size() >= 2 && path[1] == ':' &&
           ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

} // namespace

ErrorNumber numberForWin32(std::uint32_t code, OsAction action) noexcept {
    for (const Mapping& m : kMappings)
        if (m.code == code)
            return m.number;
    return action == OsAction::Open ? ErrorNumber::PathFileAccess : ErrorNumber::DeviceIo;
}

RunError errorFromWin32(std::uint32_t code, const std::string& path, OsAction action) {
    RunError error(numberForWin32(code, action), path);
    return action == OsAction::Write ? error.inWriting() : error;
}

bool isPathSeparator(char c) noexcept {
    return c == '/' || c == '\\';
}

std::string nativeSeparators(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::string folderOf(const std::string& path) {
    const auto slash = path.find_last_of("/\\");
    if (slash == std::string::npos)
        return hasDrive(path) ? path.substr(0, 2) + "." : "."; // "C:x" lies in C:'s own folder
    if (slash == 0)
        return path.substr(0, 1);
    if (slash == 2 && hasDrive(path))
        return path.substr(0, 3);
    return path.substr(0, slash);
}

std::string baseNameOf(const std::string& path) {
    const auto slash = path.find_last_of("/\\");
    if (slash != std::string::npos)
        return path.substr(slash + 1);
    return hasDrive(path) ? path.substr(2) : path;
}

} // namespace quillet::platform

namespace quillet::platform {

bool isAbsolutePath(std::string_view name) noexcept {
    return isAbsolutePath(name, PathStyle::Windows);
}

} // namespace quillet::platform
