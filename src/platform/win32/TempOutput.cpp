// The temporary file on Windows: a hidden ".quillet-*.tmp" file in the folder of the file it
// will replace, marked to be deleted when its handle closes, so that a process ended by any
// means (Ctrl+C, Task Manager, a crash) takes it with it. Once complete it is flushed, given
// the replaced file's attributes and access list, unmarked, and moved over the output name by
// MoveFileExW(MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH): one rename, as renameat on
// POSIX. ReplaceFileW would keep more of the old file (its creation time, short name, object
// id) but works in several steps and can fail half-way with the old file under another name;
// the attributes and the access list, what a user sets, are kept here by hand instead.
#include "platform/TempOutputSteps.h"

#include "FileInfo.h"
#include "Trash.h"
#include "WideText.h"
#include "Win32Error.h"
#include "platform/TempFileCleanup.h"

#include <aclapi.h>
#include <cwchar>

namespace quillet::platform {

namespace {

// Attributes a replaced file passes on; read-only is refused before, folders never come here.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                  FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

std::wstring folderPart(const std::wstring& path) {
    const auto slash = path.find_last_of(L"/\\");
    if (slash == std::wstring::npos)
        return path.size() >= 2 && path[1] == L':' ? path.substr(0, 2) + L"." : L".";
    if (slash == 0 || (slash == 2 && path[1] == L':'))
        return path.substr(0, slash + 1);
    return path.substr(0, slash);
}

std::wstring namePart(const std::wstring& path) {
    const auto slash = path.find_last_of(L"/\\");
    if (slash == std::wstring::npos)
        return path.size() >= 2 && path[1] == L':' ? path.substr(2) : path;
    return path.substr(slash + 1);
}

// Closes a handle when it goes.
struct Handle {
    HANDLE h = INVALID_HANDLE_VALUE;
    ~Handle() {
        if (h != INVALID_HANDLE_VALUE)
            ::CloseHandle(h);
    }
};

// The longest name (in UTF-16 units) the file system of the open folder takes.
DWORD longestName(HANDLE folder) {
    DWORD longest = 0;
    if (::GetVolumeInformationByHandleW(folder, nullptr, 0, nullptr, &longest, nullptr, nullptr,
                                        0) &&
        longest > 0)
        return longest;
    return 255;
}

bool markForDeletion(HANDLE file, bool deleteIt) {
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = deleteIt;
    return ::SetFileInformationByHandle(file, FileDispositionInfo, &disposition,
                                        sizeof disposition);
}

// What the temporary file and the replacement need to know.
struct WindowsOutput final : TempOutputSteps {
    explicit WindowsOutput(const std::string& output) : path(output) {}
    ~WindowsOutput() override { discard(); }

    void prepareTarget(std::optional<FileIdentity> input);
    void createFile();
    void discard() noexcept;

    bool replacing() const noexcept override { return replacingFile; }
    void keepWhatTheUserSet() override;
    void flush() override;
    std::optional<TrashedCopy> trashReplaced() noexcept override;
    void giveName() override;
    void finish() noexcept override;

    std::string path;    // as the caller named it
    std::wstring target; // the file replaced: what a link at the name leads to
    std::wstring folder;
    std::wstring tempPath;
    HANDLE file = INVALID_HANDLE_VALUE;
    bool tempNamed = false;
    bool deletePending = false;
    bool replacingFile = false;
    DWORD keepAttributes = 0;
    PSECURITY_DESCRIPTOR keepSecurity = nullptr; // the replaced file's, from GetSecurityInfo
    PACL keepAccess = nullptr;                   // inside keepSecurity
    bool accessProtected = false;
};

WindowsOutput& windows(const std::unique_ptr<TempOutputSteps>& state) {
    return static_cast<WindowsOutput&>(*state);
}

} // namespace

std::unique_ptr<TempOutputSteps> makeTempOutput(const std::string& path,
                                                std::optional<FileIdentity> input) {
    auto state = std::make_unique<WindowsOutput>(path);
    state->prepareTarget(input);
    state->createFile();
    return state;
}

void WindowsOutput::prepareTarget(std::optional<FileIdentity> input) {
    target = win32::systemPath(path);
    // What the name leads to in the end decides first. Backup semantics open a folder too,
    // and follow a symbolic link or junction to its target.
    Handle existing{::CreateFileW(target.c_str(), FILE_READ_ATTRIBUTES | READ_CONTROL, kShareAll,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr)};
    if (existing.h == INVALID_HANDLE_VALUE) {
        const DWORD err = ::GetLastError();
        if (err != ERROR_FILE_NOT_FOUND)
            throw errorFromWin32(err, path, OsAction::Open);
        // A link that leads nowhere: what it would create is not known here, and the link is
        // not ours to replace.
        const DWORD own = ::GetFileAttributesW(target.c_str());
        if (own != INVALID_FILE_ATTRIBUTES && (own & FILE_ATTRIBUTE_REPARSE_POINT))
            throw RunError(ErrorNumber::PathFileAccess, path);
    } else {
        // NUL, CON, a pipe: nothing a finished file could take the place of.
        const std::optional<FileIdentity> identity = win32::identityOf(existing.h);
        if (!identity)
            throw RunError(ErrorNumber::PathFileAccess, path);
        if (input && *identity == *input)
            throw RunError(ErrorNumber::FileAlreadyOpen, path, 0, kOutputIsInput);
        BY_HANDLE_FILE_INFORMATION info{};
        ::GetFileInformationByHandle(existing.h, &info);
        if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            throw RunError(ErrorNumber::PathFileAccess, path);
        // A read-only file is not ours to replace.
        if (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY)
            throw RunError(ErrorNumber::PermissionDenied, path);
        const DWORD own = ::GetFileAttributesW(target.c_str());
        if (own != INVALID_FILE_ATTRIBUTES && (own & FILE_ATTRIBUTE_REPARSE_POINT)) {
            // A link at the name stays; the file it leads to is the one replaced.
            wchar_t resolved[32768];
            const DWORD n = ::GetFinalPathNameByHandleW(existing.h, resolved, std::size(resolved),
                                                        FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
            if (n == 0 || n >= std::size(resolved))
                throw errorFromWin32(::GetLastError(), path, OsAction::Open);
            target.assign(resolved, n);
        }
        // Known before any work: a file another program holds open without letting it be
        // replaced (as most readers do) cannot be replaced at the end either.
        Handle replaceable{::CreateFileW(target.c_str(), DELETE, kShareAll, nullptr, OPEN_EXISTING,
                                         FILE_FLAG_BACKUP_SEMANTICS, nullptr)};
        if (replaceable.h == INVALID_HANDLE_VALUE)
            throw errorFromWin32(::GetLastError(), path, OsAction::Open);
        replacingFile = true;
        keepAttributes = info.dwFileAttributes & kKeptAttributes;
        if (::GetSecurityInfo(existing.h, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                              nullptr, &keepAccess, nullptr, &keepSecurity) != ERROR_SUCCESS) {
            keepSecurity = nullptr;
            keepAccess = nullptr;
        } else {
            SECURITY_DESCRIPTOR_CONTROL control = 0;
            DWORD revision = 0;
            if (::GetSecurityDescriptorControl(keepSecurity, &control, &revision))
                accessProtected = (control & SE_DACL_PROTECTED) != 0;
        }
    }
    folder = folderPart(target);
    const std::wstring name = namePart(target);
    if (name.empty() || name == L"." || name == L"..")
        throw RunError(ErrorNumber::PathFileAccess, path);
    Handle holder{::CreateFileW(folder.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr)};
    if (holder.h == INVALID_HANDLE_VALUE) {
        const DWORD err = ::GetLastError();
        // A missing folder is 76, whatever holds it.
        throw errorFromWin32(err == ERROR_FILE_NOT_FOUND ? ERROR_PATH_NOT_FOUND : err, path,
                             OsAction::Open);
    }
    BY_HANDLE_FILE_INFORMATION folderInfo{};
    if (::GetFileInformationByHandle(holder.h, &folderInfo) &&
        !(folderInfo.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        throw RunError(ErrorNumber::PathNotFound, path);
    // Known before any work: a name the folder cannot hold is refused now, not at the end.
    if (name.size() > longestName(holder.h))
        throw RunError(ErrorNumber::BadFileName, path);
}

void WindowsOutput::createFile() {
    std::wstring prefix = folder;
    if (!prefix.empty() && prefix.back() != L'\\' && prefix.back() != L'/')
        prefix += L'\\';
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = prefix + win32::toWide(randomTempName());
        TempNameStep step(tempPath.c_str());
        // Others may not write it or read it; the handler and the move may remove and rename.
        file = ::CreateFileW(tempPath.c_str(), GENERIC_WRITE | DELETE | WRITE_DAC,
                             FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED, nullptr);
        const DWORD err = ::GetLastError();
        tempNamed = file != INVALID_HANDLE_VALUE;
        step.finish(tempNamed);
        if (tempNamed) {
            deletePending = markForDeletion(file, true);
            return;
        }
        if (err != ERROR_FILE_EXISTS && err != ERROR_ALREADY_EXISTS) {
            tempPath.clear();
            throw errorFromWin32(err, path, OsAction::Open);
        }
    }
    tempPath.clear();
    throw errorFromWin32(ERROR_FILE_EXISTS, path, OsAction::Open);
}

std::uint32_t TempOutput::write(const char* data, std::size_t left) noexcept {
    while (left > 0) {
        DWORD done = 0;
        const DWORD chunk = static_cast<DWORD>(left < (1u << 30) ? left : (1u << 30));
        if (!::WriteFile(windows(state_).file, data, chunk, &done, nullptr))
            return ::GetLastError();
        data += done;
        left -= done;
    }
    return 0;
}

std::uint32_t TempOutput::writeAt(std::uint64_t offset, const char* data,
                                  std::size_t left) noexcept {
    // The last write of the run: that it moves the file's position does not matter.
    while (left > 0) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD done = 0;
        const DWORD chunk = static_cast<DWORD>(left < (1u << 30) ? left : (1u << 30));
        if (!::WriteFile(windows(state_).file, data, chunk, &done, &at))
            return ::GetLastError();
        data += done;
        offset += done;
        left -= done;
    }
    return 0;
}

RunError TempOutput::writeError(std::uint32_t failure) const {
    return errorFromWin32(failure, windows(state_).path, OsAction::Write);
}

void WindowsOutput::keepWhatTheUserSet() {
    // A new drawing looks like any new file: not hidden, ready for backup.
    FILE_BASIC_INFO basic{};
    basic.FileAttributes =
        replacingFile && keepAttributes ? keepAttributes : FILE_ATTRIBUTE_ARCHIVE;
    if (!::SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic))
        throw errorFromWin32(::GetLastError(), path, OsAction::Write);
    if (replacingFile && keepAccess) {
        const SECURITY_INFORMATION which =
            DACL_SECURITY_INFORMATION | (accessProtected ? PROTECTED_DACL_SECURITY_INFORMATION
                                                         : UNPROTECTED_DACL_SECURITY_INFORMATION);
        const DWORD err =
            ::SetSecurityInfo(file, SE_FILE_OBJECT, which, nullptr, nullptr, keepAccess, nullptr);
        if (err != ERROR_SUCCESS)
            throw errorFromWin32(err, path, OsAction::Write);
    }
}

void WindowsOutput::giveName() {
    TempNameStep step(tempPath.c_str());
    // From here to the move the file would outlive a process ended by force: the one instant.
    if (deletePending && !markForDeletion(file, false)) {
        const DWORD err = ::GetLastError();
        step.finish(true);
        throw errorFromWin32(err, path, OsAction::Open);
    }
    deletePending = false;
    if (!::MoveFileExW(tempPath.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD err = ::GetLastError();
        deletePending = markForDeletion(file, true);
        step.finish(true);
        throw errorFromWin32(err, path, OsAction::Open);
    }
    tempNamed = false;
    step.finish(false);
}

void WindowsOutput::flush() {
    if (!::FlushFileBuffers(file))
        throw errorFromWin32(::GetLastError(), path, OsAction::Write);
}

std::optional<TrashedCopy> WindowsOutput::trashReplaced() noexcept {
    std::optional<RecycleCopy> copy = RecycleCopy::make(folder, target, namePart(target));
    if (!copy)
        return std::nullopt;
    auto shared = std::make_shared<RecycleCopy>(std::move(*copy));
    return TrashedCopy{[shared] { shared->undo(); }, [shared] { return shared->recycle(); }};
}

void WindowsOutput::finish() noexcept {
    ::CloseHandle(file);
    file = INVALID_HANDLE_VALUE;
}

void WindowsOutput::discard() noexcept {
    // Closing a file marked for deletion removes it; one that is not marked is removed by name.
    if (file != INVALID_HANDLE_VALUE)
        ::CloseHandle(file);
    file = INVALID_HANDLE_VALUE;
    if (tempNamed) {
        if (!deletePending)
            ::DeleteFileW(tempPath.c_str());
        tempNamed = false;
        forgetTempFile();
    }
    if (keepSecurity)
        ::LocalFree(keepSecurity);
    keepSecurity = nullptr;
}

} // namespace quillet::platform
