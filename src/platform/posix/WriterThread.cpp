// The writing thread on POSIX: a pthread with a small stack.
#include "platform/WriterThread.h"

#include <pthread.h>

namespace quillet::platform {

static_assert(sizeof(pthread_t) <= sizeof(std::uintptr_t));

bool WriterThread::start(void (*run)(void*), void* context) noexcept {
    run_ = run;
    context_ = context;
    pthread_attr_t attributes;
    ::pthread_attr_init(&attributes);
    ::pthread_attr_setstacksize(&attributes, kStackSize);
    pthread_t thread{};
    auto body = [](void* self) -> void* {
        auto* writer = static_cast<WriterThread*>(self);
        writer->run_(writer->context_);
        return nullptr;
    };
    const int err = ::pthread_create(&thread, &attributes, body, this);
    ::pthread_attr_destroy(&attributes);
    if (err != 0)
        return false;
    handle_ = static_cast<std::uintptr_t>(thread);
    running_ = true;
    return true;
}

void WriterThread::join() noexcept {
    if (!running_)
        return;
    ::pthread_join(static_cast<pthread_t>(handle_), nullptr);
    running_ = false;
}

} // namespace quillet::platform
