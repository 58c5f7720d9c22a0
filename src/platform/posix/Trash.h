#pragma once

#include "platform/Trash.h"

#include <optional>
#include <string>

// The freedesktop trash: a replaced file is linked into it (files/NAME with info/NAME.trashinfo)
// while it still has its own name, so that the new file can take the name in one rename.
namespace quillet::platform {

// One file linked into a trash; undo() takes it out again.
class TrashEntry {
  public:
    // Links the file name in the open folder folderFd (whose path is folder) into the trash of
    // its file system: the home trash ($XDG_DATA_HOME/Trash) on the home trash's file system,
    // else $topdir/.Trash/$uid or $topdir/.Trash-$uid. Returns nothing when no trash can be had
    // (another file system without a usable trash, no permission, no link possible); throws
    // nothing.
    static std::optional<TrashEntry> link(int folderFd, const std::string& folder,
                                          const std::string& name) noexcept;

    // Removes the entry and its information file; throws nothing.
    void undo() noexcept;

    // Returns where the file went.
    Trashed trashed() const { return {true, path_}; }

    TrashEntry(std::string filesDir, std::string infoDir, std::string entry)
        : filesDir_(std::move(filesDir)), infoDir_(std::move(infoDir)), entry_(std::move(entry)),
          path_(filesDir_ + "/" + entry_) {}

  private:
    std::string filesDir_;
    std::string infoDir_;
    std::string entry_;
    std::string path_;
};

// Returns path with every byte but letters, digits, "-._~" and "/" written as %XX, as a
// .trashinfo file's Path= holds it.
std::string trashInfoPath(const std::string& path);

} // namespace quillet::platform
