#include "TempFileCleanup.h"

#include <atomic>
#include <csignal>
#include <cstring>
#include <unistd.h>

namespace quillet::platform {

namespace {

// Only async-signal-safe work may touch this from the handler: a fixed buffer and a flag.
constexpr std::size_t kPathMax = 4096;
char gTempPath[kPathMax];
std::atomic<bool> gTempRegistered{false};

extern "C" void removeTempAndDie(int sig) {
    if (gTempRegistered.load())
        ::unlink(gTempPath);
    std::signal(sig, SIG_DFL);
    ::raise(sig);
}

} // namespace

void registerTempFile(const char* path) noexcept {
    gTempRegistered.store(false);
    std::size_t n = std::strlen(path);
    if (n >= kPathMax)
        return;
    std::memcpy(gTempPath, path, n + 1);
    gTempRegistered.store(true);
}

void unregisterTempFile() noexcept {
    gTempRegistered.store(false);
}

void installSignalCleanup() noexcept {
    struct sigaction action {};
    action.sa_handler = removeTempAndDie;
    sigemptyset(&action.sa_mask);
    for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT})
        ::sigaction(sig, &action, nullptr);
}

} // namespace quillet::platform
