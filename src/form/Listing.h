// The files and folders the window lists, read through the platform layer by their bytes and
// put in the order the lists show them.
#pragma once

#include "platform/RunError.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillet::form {

// One entry of a list: its name as shown (UTF-8, platform::displayName) and as the system's
// bytes, which open it.
struct ListedName {
    std::string shown;
    std::string bytes;
};

// Tells whether a comes before b in a list: by the shown name with letters of either case
// alike, then by the bytes.
bool listedBefore(const ListedName& a, const ListedName& b);

// Returns the files of folder (no folders, hidden ones left out) in list order; none when the
// folder cannot be read.
std::vector<ListedName> filesOf(const std::string& folder);

// Returns the folders inside folder in list order, bytes holding each one's path; none when the
// folder cannot be read. Hidden ones are left out but for the one on the way to kept (a path),
// so that a tree still leads to a hidden folder it was shown at.
std::vector<ListedName> foldersOf(const std::string& folder, std::string_view kept = {});

// Returns whether file names a drawing (ends in ".dxf", in any case), which opens in the
// preview rather than being chosen as an input.
bool namesADrawing(std::string_view file);

// Returns the error that opening folder as Dir1's folder meets: PathNotFound when it is missing
// or no folder, PermissionDenied when it may not be listed; none when it is ready.
std::optional<platform::ErrorNumber> folderNotReady(const std::string& folder);

} // namespace quillet::form
