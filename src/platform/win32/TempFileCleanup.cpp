// The cleanup on Windows: a console control handler. Windows runs it on a thread of its own,
// so it can always wait for a step that is making or taking away the name.
#include "platform/TempFileCleanup.h"

#include <atomic>
#include <cwchar>
#include <windows.h>

namespace quillet::platform {

namespace {

enum State : int { kNone, kChanging, kOurs };

std::atomic<int> gState{kNone};
std::atomic<bool> gEnding{false}; // a control event is ending the process
wchar_t gPath[32768];             // the longest path Windows knows, with its null

BOOL WINAPI removeTempAndEnd(DWORD event) {
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        break;
    default:
        return FALSE;
    }
    gEnding.store(true);
    // A step takes one system call; two seconds are more than enough.
    for (int waited = 0; gState.load() == kChanging && waited < 2000; ++waited)
        ::Sleep(1);
    if (gState.load() == kOurs)
        ::DeleteFileW(gPath);
    // As Windows' own handler ends a program on Ctrl+C.
    ::ExitProcess(static_cast<UINT>(STATUS_CONTROL_C_EXIT));
}

} // namespace

void installSignalCleanup() noexcept {
    // A Ctrl+C the program was started to ignore never reaches a handler: it stays ignored.
    ::SetConsoleCtrlHandler(removeTempAndEnd, TRUE);
}

TempNameStep::TempNameStep(const wchar_t* path) noexcept {
    // Once an event is ending the process, no name changes hands any more.
    if (gEnding.load())
        ::Sleep(INFINITE);
    gState.store(kChanging);
    const std::size_t n = ::wcsnlen(path, std::size(gPath) - 1);
    std::wmemcpy(gPath, path, n);
    gPath[n] = L'\0';
}

void TempNameStep::finish(bool nameIsOurs) noexcept {
    if (finished_)
        return;
    finished_ = true;
    gState.store(nameIsOurs ? kOurs : kNone);
}

TempNameStep::~TempNameStep() {
    finish(false);
}

void forgetTempFile() noexcept {
    gState.store(kNone);
}

} // namespace quillet::platform
