// Folders on Windows: FindFirstFileExW, names in UTF-16 turned into UTF-8, paths made whole
// by GetFullPathNameW and written with "/" as the window writes them.
#include "platform/FolderListing.h"

#include "WideText.h"
#include "Win32Error.h"

#include <algorithm>
#include <windows.h>

namespace quillet::platform {

std::vector<FolderEntry> listFolder(const std::string& folder) {
    const std::wstring wide = win32::systemPath(folder);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD err = ::GetLastError();
        // A missing folder is 76, whatever holds it.
        throw errorFromWin32(err == ERROR_FILE_NOT_FOUND ? ERROR_PATH_NOT_FOUND : err, folder,
                             OsAction::Open);
    }
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
        throw RunError(ErrorNumber::PathNotFound, folder);
    std::wstring pattern = wide;
    if (!pattern.empty() && pattern.back() != L'\\' && pattern.back() != L'/')
        pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW found{};
    const HANDLE search =
        ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr,
                           FIND_FIRST_EX_LARGE_FETCH);
    std::vector<FolderEntry> entries;
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD err = ::GetLastError();
        if (err == ERROR_FILE_NOT_FOUND)
            return entries; // the root of an empty drive has not even "." and ".."
        throw errorFromWin32(err, folder, OsAction::Open);
    }
    do {
        const std::wstring_view name = found.cFileName;
        if (name == L"." || name == L"..")
            continue;
        FolderEntry item{win32::toUtf8(name), false, false};
        // A link to a folder carries the folder attribute itself.
        item.folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        item.hidden = (found.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0 || name[0] == L'.';
        entries.push_back(std::move(item));
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return entries;
}

std::int64_t folderStamp(const std::string& folder) noexcept {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    try {
        if (!::GetFileAttributesExW(win32::systemPath(folder).c_str(), GetFileExInfoStandard,
                                    &data))
            return 0;
    } catch (...) {
        return 0;
    }
    // An entry that comes or goes changes the folder's last write time.
    auto ticks = [](const FILETIME& t) {
        return std::uint64_t{t.dwHighDateTime} << 32 | t.dwLowDateTime;
    };
    const std::uint64_t stamp = ticks(data.ftLastWriteTime) * 3 + ticks(data.ftCreationTime) * 5;
    return static_cast<std::int64_t>(stamp | 1); // never 0, which means "cannot tell"
}

std::string absoluteFolder(std::string_view path) {
    const std::wstring wide = win32::toWide(path.empty() ? std::string_view(".") : path);
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n =
            ::GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (n == 0)
            return std::string(path);
        if (n < full.size()) {
            full.resize(n);
            break;
        }
        full.resize(n);
    }
    std::string clean = win32::toUtf8(full);
    std::replace(clean.begin(), clean.end(), '\\', '/');
    // "C:/" stays as it is, as "/" does on POSIX.
    while (clean.size() > 3 && clean.back() == '/')
        clean.pop_back();
    return clean;
}

} // namespace quillet::platform
