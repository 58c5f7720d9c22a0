// Standard output on Windows: WriteFile on its HANDLE, which never turns LF into CR LF.
#include "platform/StreamOutput.h"

#include "FileInfo.h"
#include "Win32Error.h"

#include <algorithm>

namespace quillet::platform {

StreamOutput::StreamOutput(std::string name, std::optional<FileIdentity> input)
    : name_(std::move(name)), block_(256 * 1024) {
    // Appending to the file being read would never end.
    const HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    if (input && out != nullptr && out != INVALID_HANDLE_VALUE && win32::identityOf(out) == *input)
        throw RunError(ErrorNumber::FileAlreadyOpen, name_, 0, kOutputIsInput);
}

std::span<char> StreamOutput::exchange(std::span<const char> filled) {
    const HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    if (!filled.empty() && (out == nullptr || out == INVALID_HANDLE_VALUE))
        throw RunError(ErrorNumber::DeviceIo, name_).inWriting();
    const char* data = filled.data();
    std::size_t left = filled.size();
    while (left > 0) {
        DWORD done = 0;
        if (!::WriteFile(out, data, static_cast<DWORD>(std::min<std::size_t>(left, 1u << 30)),
                         &done, nullptr))
            throw errorFromWin32(::GetLastError(), name_, OsAction::Write);
        data += done;
        left -= done;
    }
    return block_;
}

} // namespace quillet::platform
