#pragma once

#include "platform/OsError.h"

#include <cstdint>

// The run-time error numbers for the codes GetLastError gives.
namespace quillet::platform {

// Returns the run-time error number for the Win32 error code code met in action.
ErrorNumber numberForWin32(std::uint32_t code, OsAction action) noexcept;

// Returns the run-time error for the Win32 error code code met while acting on path.
RunError errorFromWin32(std::uint32_t code, const std::string& path, OsAction action);

} // namespace quillet::platform
