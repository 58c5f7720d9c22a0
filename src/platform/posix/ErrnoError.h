#pragma once

#include "platform/OsError.h"

// The run-time error numbers for errno values.
namespace quillet::platform {

// Returns the run-time error for the errno value err met while acting on path. ENOENT names
// a missing file (53) when the folder exists and a missing folder (76) when it does not.
RunError errorFromErrno(int err, const std::string& path, OsAction action);

} // namespace quillet::platform
