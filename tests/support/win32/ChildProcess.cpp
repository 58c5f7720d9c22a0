// CreateProcessW for the tests.
#include "win32/ChildProcess.h"

#include "platform/win32/WideText.h"

#include <stdexcept>
#include <windows.h>

namespace quillet::testing::win32 {

namespace {

using platform::win32::toWide;

HANDLE inheritable(const std::string& path, bool writing) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    const std::wstring name = path.empty() ? L"NUL" : toWide(path);
    return ::CreateFileW(name.c_str(), writing ? GENERIC_WRITE : GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit,
                         writing ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// One argument as the C runtime and CommandLineToArgvW read it back.
void appendQuoted(std::wstring& line, const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
        line += arg;
        return;
    }
    line += L'"';
    std::size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        line.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        line += c;
    }
    line.append(backslashes * 2, L'\\');
    line += L'"';
}

} // namespace

std::wstring converterPath() {
    wchar_t self[MAX_PATH * 4];
    const DWORD n = ::GetModuleFileNameW(nullptr, self, static_cast<DWORD>(std::size(self)));
    std::wstring path(self, n);
    return path.substr(0, path.find_last_of(L"\\/") + 1) + L"quillet-convert.exe";
}

std::wstring quoteCommandLine(const std::wstring& program, const std::vector<std::string>& args) {
    std::wstring line;
    appendQuoted(line, program);
    for (const std::string& arg : args) {
        line += L' ';
        appendQuoted(line, toWide(arg));
    }
    return line;
}

Child::Child(const std::wstring& program, const Launch& launch) {
    STARTUPINFOW start{};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdInput = inheritable(launch.input, false);
    start.hStdOutput = inheritable(launch.output, true);
    start.hStdError = inheritable(launch.errors, true);
    std::wstring line = quoteCommandLine(program, launch.args);
    const std::wstring folder = toWide(launch.folder);
    PROCESS_INFORMATION started{};
    const BOOL ok =
        ::CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, launch.flags,
                         nullptr, folder.empty() ? nullptr : folder.c_str(), &start, &started);
    const DWORD err = ::GetLastError();
    for (HANDLE h : {start.hStdInput, start.hStdOutput, start.hStdError})
        if (h != INVALID_HANDLE_VALUE)
            ::CloseHandle(h);
    if (!ok)
        throw std::runtime_error("CreateProcessW failed: " + std::to_string(err));
    ::CloseHandle(started.hThread);
    process_ = started.hProcess;
    id_ = started.dwProcessId;
}

Child::~Child() {
    std::uint32_t ignored = 0;
    if (!wait(0, ignored)) {
        kill();
        wait(INFINITE, ignored);
    }
    ::CloseHandle(process_);
}

bool Child::wait(std::uint32_t milliseconds, std::uint32_t& exitCode) {
    if (::WaitForSingleObject(process_, milliseconds) != WAIT_OBJECT_0)
        return false;
    DWORD code = 0;
    ::GetExitCodeProcess(process_, &code);
    exitCode = code;
    return true;
}

void Child::kill() {
    ::TerminateProcess(process_, 9);
}

} // namespace quillet::testing::win32
