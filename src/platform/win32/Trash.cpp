// The Recycle Bin on Windows: a second name for the replaced file, handed to the shell.
#include "Trash.h"

#include "WideText.h"

#include <cwchar>
#include <random>
// windows.h first: shellapi.h needs its definitions.
#include <windows.h>

#include <shellapi.h>

namespace quillet::platform {

namespace {

// The shell takes no "\\?\" paths; a path that needs one cannot be recycled anyway.
std::wstring withoutLongPrefix(const std::wstring& path) {
    if (path.starts_with(L"\\\\?\\UNC\\"))
        return L"\\\\" + path.substr(8);
    if (path.starts_with(L"\\\\?\\"))
        return path.substr(4);
    return path;
}

} // namespace

std::optional<RecycleCopy> RecycleCopy::make(const std::wstring& folder, const std::wstring& target,
                                             const std::wstring& name) noexcept {
    try {
        static std::mt19937_64 random{std::random_device{}()};
        std::wstring prefix = withoutLongPrefix(folder);
        if (!prefix.empty() && prefix.back() != L'\\' && prefix.back() != L'/')
            prefix += L'\\';
        for (int attempt = 0; attempt < 100; ++attempt) {
            wchar_t hidden[40];
            std::swprintf(hidden, std::size(hidden), L".quillet-%012llx.old",
                          static_cast<unsigned long long>(random() & 0xFFFFFFFFFFFFull));
            const std::wstring holder = prefix + hidden;
            if (!::CreateDirectoryW(holder.c_str(), nullptr)) {
                if (::GetLastError() == ERROR_ALREADY_EXISTS)
                    continue;
                return std::nullopt;
            }
            ::SetFileAttributesW(holder.c_str(), FILE_ATTRIBUTE_HIDDEN);
            const std::wstring copy = holder + L"\\" + name;
            const std::wstring from = withoutLongPrefix(target);
            if (::CreateHardLinkW(copy.c_str(), from.c_str(), nullptr) ||
                ::CopyFileW(from.c_str(), copy.c_str(), TRUE))
                return RecycleCopy(holder, copy);
            ::RemoveDirectoryW(holder.c_str());
            return std::nullopt;
        }
    } catch (...) {
        // Out of memory: no Recycle Bin, the run goes on as without it.
    }
    return std::nullopt;
}

Trashed RecycleCopy::recycle() noexcept {
    // The shell wants a list of names, each ended by a null and the list by one more.
    std::wstring list = copy_;
    list.push_back(L'\0');
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = list.c_str();
    operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    const bool moved = ::SHFileOperationW(&operation) == 0 && !operation.fAnyOperationsAborted &&
                       ::GetFileAttributesW(copy_.c_str()) == INVALID_FILE_ATTRIBUTES;
    undo();
    return moved ? Trashed{true, {}} : Trashed{};
}

void RecycleCopy::undo() noexcept {
    ::DeleteFileW(copy_.c_str());
    ::RemoveDirectoryW(holder_.c_str());
}

} // namespace quillet::platform
