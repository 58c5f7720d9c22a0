// The parts of a folder listing that are the same on every system: entry paths and shown names.
#include "FolderListing.h"

#include "CodePages.h"
#include "TextEncoding.h"

#include <cstdio>

namespace quillet::platform {

std::string entryPath(std::string_view folder, std::string_view name) {
    std::string path(folder);
    if (path.empty() || path.back() != '/')
        path += '/';
    return path += name;
}

std::string displayName(std::string_view name) {
    if (text::isValidUtf8(name))
        return std::string(name);
    if (auto decoded = codepage::toUtf8Exactly(name, codepage::CodePage::Cp932))
        return *decoded;
    // Neither: the valid UTF-8 stays readable, each other byte shows as its value.
    std::string shown;
    for (std::size_t i = 0; i < name.size();) {
        if (static_cast<unsigned char>(name[i]) < 0x80) {
            shown += name[i++];
            continue;
        }
        std::size_t length = 2;
        while (length <= 4 && !text::isValidUtf8(name.substr(i, length)))
            ++length;
        if (length <= 4 && i + length <= name.size()) {
            shown.append(name.substr(i, length));
            i += length;
            continue;
        }
        char escape[8];
        std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned char>(name[i++]));
        shown += escape;
    }
    return shown;
}

} // namespace quillet::platform
