// Folders on POSIX: read by their bytes with readdir, made absolute against getcwd.
#include "platform/FolderListing.h"

#include "ErrnoError.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillet::platform {

std::vector<FolderEntry> listFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        // A missing folder is 76, whatever holds it.
        const int err = errno == ENOENT ? ENOTDIR : errno;
        throw errorFromErrno(err, folder, OsAction::Open);
    }
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        const int err = errno;
        ::close(fd);
        throw errorFromErrno(err, folder, OsAction::Open);
    }
    std::vector<FolderEntry> entries;
    while (const dirent* entry = ::readdir(dir)) {
        const char* name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
            continue;
        FolderEntry item{name, false, name[0] == '.'};
        if (entry->d_type == DT_DIR) {
            item.folder = true;
        } else if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            struct stat st {};
            item.folder = ::fstatat(fd, name, &st, 0) == 0 && S_ISDIR(st.st_mode);
        }
        entries.push_back(std::move(item));
    }
    ::closedir(dir);
    return entries;
}

std::int64_t folderStamp(const std::string& folder) noexcept {
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0)
        return 0;
    // Mixed, not XORed: the two times are equal after most changes.
    auto nanoseconds = [](const timespec& t) {
        return static_cast<std::uint64_t>(t.tv_sec) * 1000000000u +
               static_cast<std::uint64_t>(t.tv_nsec);
    };
    const std::uint64_t stamp = nanoseconds(st.st_mtim) * 3 + nanoseconds(st.st_ctim) * 5 +
                                static_cast<std::uint64_t>(st.st_ino);
    return static_cast<std::int64_t>(stamp | 1); // never 0, which means "cannot tell"
}

std::string absoluteFolder(std::string_view path) {
    std::string whole;
    if (!path.starts_with('/')) {
        std::string here(4096, '\0');
        if (::getcwd(here.data(), here.size()))
            whole = here.c_str();
        whole += '/';
    }
    whole += path;
    std::vector<std::string_view> parts;
    std::string_view rest = whole;
    while (!rest.empty()) {
        const std::size_t slash = rest.find('/');
        const std::string_view part = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view{} : rest.substr(slash + 1);
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }
    std::string clean;
    for (std::string_view part : parts)
        (clean += '/') += part;
    return clean.empty() ? "/" : clean;
}

} // namespace quillet::platform
