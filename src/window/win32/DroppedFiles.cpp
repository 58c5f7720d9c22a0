// Reads a drop's names in UTF-16, so that a name in no code page of the system comes through.
#include "DroppedFiles.h"

#include "platform/win32/WideText.h"

namespace quillet::window::win32 {

std::vector<std::string> droppedFiles(HDROP drop) {
    std::vector<std::string> files;
    const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        std::wstring name(static_cast<std::size_t>(::DragQueryFileW(drop, i, nullptr, 0)) + 1,
                          L'\0');
        name.resize(::DragQueryFileW(drop, i, name.data(), static_cast<UINT>(name.size())));
        if (!name.empty())
            files.push_back(platform::win32::toUtf8(name));
    }
    return files;
}

} // namespace quillet::window::win32
