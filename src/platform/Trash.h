#pragma once

#include <string>

// Where a replaced drawing went: the desktop's trash, so that an edit made since the last run
// can still be had back.
namespace quillet::platform {

// What became of the file a run replaced.
struct Trashed {
    bool moved = false; // it is in the trash
    std::string
        where; // its copy there (POSIX: the trash's files/ entry; empty for the Recycle Bin)
};

} // namespace quillet::platform
