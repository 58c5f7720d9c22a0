#pragma once

#include "platform/Trash.h"

#include <optional>
#include <string>

// The Recycle Bin on Windows. The shell moves a file there only by its name, so the replaced
// file gets a second name first (a hard link, or a copy where links cannot be made) in a
// hidden folder beside it, under its own name; once the new file has taken the output name,
// that second name goes to the Recycle Bin.
namespace quillet::platform {

class RecycleCopy {
  public:
    // Gives target (in folder, named name) its second name; returns nothing when it cannot be
    // made. Throws nothing.
    static std::optional<RecycleCopy> make(const std::wstring& folder, const std::wstring& target,
                                           const std::wstring& name) noexcept;

    // Sends the second name to the Recycle Bin and removes the hidden folder; returns whether
    // it went. Throws nothing.
    Trashed recycle() noexcept;

    // Removes the second name and the hidden folder; throws nothing.
    void undo() noexcept;

    RecycleCopy(std::wstring holder, std::wstring copy)
        : holder_(std::move(holder)), copy_(std::move(copy)) {}

  private:
    std::wstring holder_; // the hidden folder
    std::wstring copy_;   // the second name, inside it
};

} // namespace quillet::platform
