// Finding the associated program (AssocQueryStringW) and starting it (ShellExecuteW).
#include "DefaultApplication.h"

#include "platform/win32/WideText.h"

#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <array>
#include <cwctype>

namespace quillet::window::win32::preview {

namespace {

std::wstring lower(std::wstring_view text) {
    std::wstring out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });
    return out;
}

// Returns the program that opens files with path's extension, or an empty string.
std::wstring associatedProgram(const std::wstring& path) {
    const wchar_t* extension = PathFindExtensionW(path.c_str());
    if (!extension || !*extension)
        return {};
    std::array<wchar_t, 32768> exe{};
    DWORD size = static_cast<DWORD>(exe.size());
    if (FAILED(AssocQueryStringW(ASSOCF_NOTRUNCATE | ASSOCF_INIT_IGNOREUNKNOWN, ASSOCSTR_EXECUTABLE,
                                 extension, L"open", exe.data(), &size)))
        return {};
    return exe.data();
}

} // namespace

bool isQuilletProgram(std::wstring_view exe) {
    const std::size_t slash = exe.find_last_of(L"\\/");
    const std::wstring name = lower(slash == std::wstring_view::npos ? exe : exe.substr(slash + 1));
    return name == L"quillet.exe" || name == L"quillet-preview.exe" || name == L"quillet" ||
           name == L"quillet-preview";
}

std::string openWithDefaultApplication(HWND owner, const std::string& path) {
    std::wstring file = platform::win32::systemPath(path);
    // ShellExecuteW wants a full path: the program starts in its own folder.
    std::array<wchar_t, 32768> full{};
    if (GetFullPathNameW(file.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr))
        file = full.data();
    const std::wstring program = associatedProgram(file);
    if (!program.empty() && !isQuilletProgram(program)) {
        const auto started = reinterpret_cast<INT_PTR>(
            ShellExecuteW(owner, L"open", file.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
        if (started > 32)
            return {};
    }
    // Quillet itself, or nothing: the user chooses, and it is opened at once.
    OPENASINFO info{};
    info.pcszFile = file.c_str();
    info.oaifInFlags = OAIF_EXEC | OAIF_ALLOW_REGISTRATION;
    if (SUCCEEDED(SHOpenWithDialog(owner, &info)))
        return {};
    return "この図面を開くアプリが見つかりません。";
}

} // namespace quillet::window::win32::preview
