// Absolute paths in both systems' forms; the system's own is chosen in posix/ or win32/.
#include "AbsolutePath.h"

namespace quillet::platform {

bool isAbsolutePath(std::string_view name, PathStyle style) noexcept {
    if (style == PathStyle::Posix)
        return name.starts_with('/');
    auto separator = [](char c) { return c == '/' || c == '\\'; };
    if (!name.empty() && separator(name[0]))
        return true;
    const bool drive = name.size() >= 3 &&
                       ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z')) &&
                       name[1] == ':' && separator(name[2]);
    return drive;
}

} // namespace quillet::platform
