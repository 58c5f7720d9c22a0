// Dir1 as a flat list, the way a plain list box shows it: the folders from the root down to
// the current one, then the current one's folders one step further in.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quillet::form {

// One line of the list: the folder's name as shown (the root as the system writes it, "C:\"),
// its path
// (the system's bytes) and how many steps in it stands.
struct DirectoryLine {
    std::string shown;
    std::string path;
    int indent = 0;
};

// Returns the root of path (absolute, as platform::absoluteFolder writes it): "/", "C:/", or
// "//server/share" for a network path.
std::string rootOf(std::string_view path);

struct DirectoryList {
    std::vector<DirectoryLine> lines;
    std::size_t current = 0; // the line of the current folder
};

// Returns the list for current (absolute): the root, each folder on the way (hidden ones too),
// current, then current's folders (hidden ones left out) in list order.
DirectoryList directoryLines(const std::string& current);

// Returns how Drive1 shows drive (a path as platform::listDrives gives it): with the system's
// separators, a drive letter without its root ("C:"), and other roots whole ("/",
// "\\server\share", "/media/usb").
std::string driveCaption(std::string_view drive);

// Returns the drive among drives that holds folder: the longest that is folder or one of its
// parents; rootOf(folder) when none does.
std::string driveRootOf(std::string_view folder, const std::vector<std::string>& drives);

} // namespace quillet::form
