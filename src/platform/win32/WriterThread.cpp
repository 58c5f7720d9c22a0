// The writing thread on Windows: _beginthreadex with a small stack reserved.
#include "platform/WriterThread.h"

#include <process.h>
#include <windows.h>

namespace quillet::platform {

bool WriterThread::start(void (*run)(void*), void* context) noexcept {
    run_ = run;
    context_ = context;
    auto body = [](void* self) -> unsigned {
        auto* writer = static_cast<WriterThread*>(self);
        writer->run_(writer->context_);
        return 0;
    };
    const std::uintptr_t thread = ::_beginthreadex(nullptr, kStackSize, body, this,
                                                   STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    if (thread == 0)
        return false;
    handle_ = thread;
    running_ = true;
    return true;
}

void WriterThread::join() noexcept {
    if (!running_)
        return;
    const HANDLE thread = reinterpret_cast<HANDLE>(handle_);
    ::WaitForSingleObject(thread, INFINITE);
    ::CloseHandle(thread);
    running_ = false;
}

} // namespace quillet::platform
