// Dir1 as a flat list: the chain of folders down to the current one, then its folders.
#include "DirectoryList.h"

#include "Listing.h"
#include "platform/FolderListing.h"
#include "platform/OsError.h"

#include <cctype>

namespace quillet::form {

namespace {

bool hasDriveLetter(std::string_view path) {
    return path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]));
}

// Tells whether path starts with prefix, a drive letter's case aside ("c:/" is "C:/").
bool startsWith(std::string_view path, std::string_view prefix) {
    if (path.size() < prefix.size())
        return false;
    if (hasDriveLetter(prefix) && hasDriveLetter(path))
        return std::toupper(static_cast<unsigned char>(path[0])) ==
                   std::toupper(static_cast<unsigned char>(prefix[0])) &&
               path.substr(1, prefix.size() - 1) == prefix.substr(1);
    return path.substr(0, prefix.size()) == prefix;
}

// Tells whether folder is drive or lies below it.
bool isUnder(std::string_view folder, std::string_view drive) {
    if (drive.empty() || !startsWith(folder, drive))
        return false;
    return folder.size() == drive.size() || drive.back() == '/' || folder[drive.size()] == '/';
}

} // namespace

std::string rootOf(std::string_view path) {
    if (hasDriveLetter(path))
        return std::string(path.substr(0, 2)) + "/";
    if (path.starts_with("//")) {
        // //server/share: the root takes the server and the share.
        std::size_t end = path.find('/', 2);
        if (end != std::string_view::npos)
            end = path.find('/', end + 1);
        return std::string(path.substr(0, end));
    }
    return "/";
}

DirectoryList directoryLines(const std::string& current) {
    DirectoryList list;
    std::string walked = rootOf(current);
    list.lines.push_back({platform::nativeSeparators(platform::displayName(walked)), walked, 0});
    std::string_view rest =
        std::string_view(current).substr(std::min(walked.size(), current.size()));
    while (!rest.empty()) {
        const std::size_t slash = rest.find('/');
        const std::string_view part = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
        if (part.empty())
            continue;
        walked = platform::entryPath(walked, part);
        list.lines.push_back({platform::displayName(part), walked, int(list.lines.size())});
    }
    list.current = list.lines.size() - 1;
    const int indent = int(list.lines.size());
    for (ListedName& folder : foldersOf(current))
        list.lines.push_back({std::move(folder.shown), std::move(folder.bytes), indent});
    return list;
}

std::string driveCaption(std::string_view drive) {
    std::string caption = platform::nativeSeparators(platform::displayName(drive));
    // "C:\" shows as "C:", as drives always have; a share's path and "/" stay whole.
    if (caption.size() == 3 && hasDriveLetter(caption) && platform::isPathSeparator(caption[2]))
        caption.pop_back();
    return caption;
}

std::string driveRootOf(std::string_view folder, const std::vector<std::string>& drives) {
    const std::string* best = nullptr;
    for (const std::string& drive : drives)
        if (isUnder(folder, drive) && (!best || drive.size() > best->size()))
            best = &drive;
    return best ? *best : rootOf(folder);
}

} // namespace quillet::form
