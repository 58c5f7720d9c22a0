// The POSIX side of the error numbers: errno values, and paths with "/" alone.
#include "ErrnoError.h"
#include "platform/AbsolutePath.h"

#include <cerrno>
#include <sys/stat.h>

namespace quillet::platform {

bool isPathSeparator(char c) noexcept {
    return c == '/';
}

std::string nativeSeparators(std::string path) {
    return path;
}

std::string folderOf(const std::string& path) {
    auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

std::string baseNameOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

namespace {

bool isFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

ErrorNumber numberFor(int err, const std::string& path, OsAction action) {
    switch (err) {
    case ENOENT:
        if (action == OsAction::Open && !isFolder(folderOf(path)))
            return ErrorNumber::PathNotFound;
        return ErrorNumber::FileNotFound;
    case ENOTDIR:
    case ELOOP:
        return ErrorNumber::PathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
        return ErrorNumber::PermissionDenied;
    case EISDIR:
    case EINVAL:
    case ENXIO:
    case ENODEV:
        return ErrorNumber::PathFileAccess;
    case ENAMETOOLONG:
        return ErrorNumber::BadFileName;
    case ENOSPC:
    case EFBIG:
    case EDQUOT:
        return ErrorNumber::DiskFull;
    case EMFILE:
    case ENFILE:
        return ErrorNumber::PathFileAccess;
    default:
        return action == OsAction::Open ? ErrorNumber::PathFileAccess : ErrorNumber::DeviceIo;
    }
}

} // namespace

RunError errorFromErrno(int err, const std::string& path, OsAction action) {
    RunError error(numberFor(err, path, action), path);
    return action == OsAction::Write ? error.inWriting() : error;
}

} // namespace quillet::platform

namespace quillet::platform {

bool isAbsolutePath(std::string_view name) noexcept {
    return isAbsolutePath(name, PathStyle::Posix);
}

} // namespace quillet::platform
