#pragma once

#include "platform/InputFile.h"

#include <optional>
#include <windows.h>

// What Windows tells of an open file, in the forms the program compares.
namespace quillet::platform::win32 {

// Returns the identity of the disk file open as handle: its volume serial number and file
// index, the same for every name of the file; nothing for a pipe, console or device, or when
// the system does not tell.
inline std::optional<FileIdentity> identityOf(HANDLE handle) noexcept {
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileType(handle) != FILE_TYPE_DISK || !::GetFileInformationByHandle(handle, &info))
        return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber,
                        std::uint64_t{info.nFileIndexHigh} << 32 | info.nFileIndexLow};
}

} // namespace quillet::platform::win32
