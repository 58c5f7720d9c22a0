// The files and folders of a folder in list order, read by their bytes.
#include "Listing.h"

#include "platform/FolderListing.h"

#include <algorithm>

namespace quillet::form {

namespace {

// Bytes above ASCII compare above it, as the characters they belong to do.
unsigned char folded(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte - 'A' + 'a') : byte;
}

// Tells whether the path of a folder is kept or one of the folders on the way to it.
bool onTheWay(std::string_view folder, std::string_view kept) {
    return kept == folder || (kept.starts_with(folder) && kept.size() > folder.size() &&
                              (kept[folder.size()] == '/' || folder.ends_with('/')));
}

// Entries of folder that are (or are not) folders, in list order, hidden ones left out when
// shown(their bytes) says so; the bytes hold what make(entry name) returns.
template <class Make, class Shown>
std::vector<ListedName> listed(const std::string& folder, bool folders, Make make, Shown shown) {
    std::vector<ListedName> names;
    try {
        for (const platform::FolderEntry& entry : platform::listFolder(folder))
            if (entry.folder == folders && (!entry.hidden || shown(make(entry.name))))
                names.push_back({platform::displayName(entry.name), make(entry.name)});
    } catch (const platform::RunError&) {
        // A folder that went away or may not be read has nothing to show.
    }
    std::sort(names.begin(), names.end(), listedBefore);
    return names;
}

} // namespace

bool listedBefore(const ListedName& a, const ListedName& b) {
    const auto order = std::lexicographical_compare_three_way(
        a.shown.begin(), a.shown.end(), b.shown.begin(), b.shown.end(),
        [](char x, char y) { return folded(x) <=> folded(y); });
    return order != 0 ? order < 0 : a.bytes < b.bytes;
}

bool namesADrawing(std::string_view file) {
    if (file.size() < 4)
        return false;
    std::string ending(file.substr(file.size() - 4));
    for (char& c : ending)
        c = c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
    return ending == ".dxf";
}

std::vector<ListedName> filesOf(const std::string& folder) {
    return listed(
        folder, false, [](const std::string& name) { return name; },
        [](const std::string&) { return false; });
}

std::vector<ListedName> foldersOf(const std::string& folder, std::string_view kept) {
    return listed(
        folder, true, [&](const std::string& name) { return platform::entryPath(folder, name); },
        [&](const std::string& path) { return !kept.empty() && onTheWay(path, kept); });
}

std::optional<platform::ErrorNumber> folderNotReady(const std::string& folder) {
    try {
        platform::listFolder(folder);
        return std::nullopt;
    } catch (const platform::RunError& error) {
        return error.number() == platform::ErrorNumber::PermissionDenied
                   ? platform::ErrorNumber::PermissionDenied
                   : platform::ErrorNumber::PathNotFound;
    }
}

} // namespace quillet::form
