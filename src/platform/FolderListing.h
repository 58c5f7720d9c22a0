#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The entries of a folder as the system names them: bytes, whatever their encoding, so that
// every file the converter can open can also be listed and chosen.
namespace quillet::platform {

struct FolderEntry {
    std::string name;    // the name's bytes
    bool folder = false; // a folder, or a link to one
    bool hidden = false; // starts with a dot
};

// Returns the entries of folder, "." and ".." left out, in no order. Throws RunError 76 for a
// missing folder or no folder at all, 70 for one that may not be listed.
std::vector<FolderEntry> listFolder(const std::string& folder);

// Returns what changes whenever an entry of folder comes or goes (its modification and change
// times); 0 when it cannot be told.
std::int64_t folderStamp(const std::string& folder) noexcept;

// Returns path made absolute (against the current folder) and plain: no ".", "..", doubled or
// trailing "/" ("/" stays). Works on the bytes, names are not looked up.
std::string absoluteFolder(std::string_view path);

// Returns the path of folder's entry name.
std::string entryPath(std::string_view folder, std::string_view name);

// Returns name as UTF-8 to show: as it is when it is UTF-8, decoded from code page 932 when
// it is that, and otherwise with each byte that is no character written as \xNN.
std::string displayName(std::string_view name);

} // namespace quillet::platform
