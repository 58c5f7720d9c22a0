// Finding the associated program (AssocQueryStringW), starting it (ShellExecuteW) and the
// "Open with" dialog (SHOpenWithDialog).
#include "DefaultApplication.h"

#include "platform/win32/WideText.h"

#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <array>

namespace quillet::window::win32::preview {

namespace {

// ShellExecuteW wants a full path in the system's form: the program starts in its own folder.
std::wstring fullPath(const std::string& path) {
    std::wstring file = platform::win32::systemPath(path);
    std::array<wchar_t, 32768> full{};
    if (GetFullPathNameW(file.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr))
        file = full.data();
    return file;
}

std::wstring assocString(ASSOCSTR what, const wchar_t* extension) {
    std::array<wchar_t, 32768> text{};
    DWORD size = static_cast<DWORD>(text.size());
    if (FAILED(AssocQueryStringW(ASSOCF_NOTRUNCATE | ASSOCF_INIT_IGNOREUNKNOWN, what, extension,
                                 L"open", text.data(), &size)))
        return {};
    return text.data();
}

} // namespace

std::optional<AssociatedProgram> associatedProgram(const std::string& path) {
    const std::wstring file = fullPath(path);
    const wchar_t* extension = PathFindExtensionW(file.c_str());
    if (!extension || !*extension)
        return std::nullopt;
    const std::wstring exe = assocString(ASSOCSTR_EXECUTABLE, extension);
    if (exe.empty())
        return std::nullopt;
    std::wstring name = assocString(ASSOCSTR_FRIENDLYAPPNAME, extension);
    if (name.empty())
        name = PathFindFileNameW(exe.c_str());
    return AssociatedProgram{platform::win32::toUtf8(exe), platform::win32::toUtf8(name)};
}

bool openWithAssociation(HWND owner, const std::string& path) {
    const std::wstring file = fullPath(path);
    const auto started = reinterpret_cast<INT_PTR>(
        ShellExecuteW(owner, L"open", file.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return started > 32;
}

bool chooseProgramFor(HWND owner, const std::string& path) {
    const std::wstring file = fullPath(path);
    OPENASINFO info{};
    info.pcszFile = file.c_str();
    info.oaifInFlags = OAIF_EXEC | OAIF_ALLOW_REGISTRATION;
    const HRESULT result = SHOpenWithDialog(owner, &info);
    return SUCCEEDED(result) || result == HRESULT_FROM_WIN32(ERROR_CANCELLED);
}

} // namespace quillet::window::win32::preview
