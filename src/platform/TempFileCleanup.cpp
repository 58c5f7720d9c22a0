#include "TempFileCleanup.h"

#include <atomic>
#include <csignal>
#include <cstring>
#include <pthread.h>
#include <unistd.h>

namespace quillet::platform {

namespace {

// Only async-signal-safe work may touch this from the handler: a fixed buffer and a flag.
constexpr std::size_t kPathMax = 4096;
char gTempPath[kPathMax];
std::atomic<bool> gTempRegistered{false};

constexpr int kCleanupSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

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

CleanupSignalsHeld::CleanupSignalsHeld() noexcept {
    sigset_t held;
    sigemptyset(&held);
    for (int sig : kCleanupSignals)
        sigaddset(&held, sig);
    ::pthread_sigmask(SIG_BLOCK, &held, &previous_);
}

CleanupSignalsHeld::~CleanupSignalsHeld() {
    ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

void installSignalCleanup() noexcept {
    struct sigaction action {};
    action.sa_handler = removeTempAndDie;
    sigemptyset(&action.sa_mask);
    for (int sig : kCleanupSignals)
        ::sigaction(sig, &action, nullptr);
}

} // namespace quillet::platform
