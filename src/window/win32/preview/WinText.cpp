// The preview's text helpers.
#include "WinText.h"

#include "platform/win32/WideText.h"

namespace quillet::window::win32::preview {

std::wstring wide(std::string_view utf8) {
    return platform::win32::toWide(utf8);
}

void showError(HWND owner, const std::string& message) {
    MessageBoxW(owner, wide(message).c_str(), L"Quillet", MB_OK | MB_ICONERROR);
}

std::string fileNameOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace quillet::window::win32::preview
