// Drive1's drives on Windows: the logical drives, written as absoluteFolder writes them.
#include "platform/Drives.h"

#include "WideText.h"

#include <algorithm>

#include <windows.h>

namespace quillet::platform {

std::vector<std::string> listDrives() {
    std::vector<std::string> drives;
    std::wstring names(::GetLogicalDriveStringsW(0, nullptr) + 1, L'\0');
    const DWORD length = ::GetLogicalDriveStringsW(static_cast<DWORD>(names.size()), names.data());
    if (length == 0 || length >= names.size())
        return drives;
    // "C:\", "D:\", ... each ended by a NUL, the list by another.
    for (std::size_t at = 0; at < length && names[at];) {
        const std::size_t end = names.find(L'\0', at);
        std::string drive = win32::toUtf8(names.substr(at, end - at));
        std::replace(drive.begin(), drive.end(), '\\', '/');
        drives.push_back(std::move(drive));
        at = end + 1;
    }
    return drives;
}

} // namespace quillet::platform
