// The cleanup on POSIX signals.
#include "platform/TempFileCleanup.h"

#include <atomic>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

namespace quillet::platform {

namespace {

constexpr int kCleanupSignals[] = {SIGHUP,  SIGINT,  SIGQUIT,   SIGTERM, SIGPIPE, SIGALRM,
                                   SIGUSR1, SIGUSR2, SIGVTALRM, SIGPROF, SIGXCPU};

enum State : int { kNone, kChanging, kOurs };

// How long a name that is ours waits before it takes the output's place (see TempNameStep).
constexpr int kGraceMilliseconds = 20;

// Only async-signal-safe work may touch these from the handler: fixed storage and atomics.
std::atomic<int> gState{kNone};
std::atomic<bool> gEnding{false}; // a cleanup signal is ending the process
int gDirFd = -1;
char gName[256];
// The mask a step put aside; steps do not nest, so one per thread is enough.
thread_local sigset_t tPrevious;

extern "C" void removeTempAndDie(int sig) {
    gEnding.store(true);
    // The thread changing the name holds the signals back, so this runs elsewhere and can
    // wait for it; a step takes a system call, so two seconds is more than enough.
    for (int waited = 0; gState.load() == kChanging && waited < 2000; ++waited) {
        const timespec millisecond{0, 1000 * 1000};
        ::nanosleep(&millisecond, nullptr);
    }
    if (gState.load() == kOurs)
        ::unlinkat(gDirFd, gName, 0);
    // Ended the usual way: the default action, once this handler returns.
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    sigemptyset(&standard.sa_mask);
    ::sigaction(sig, &standard, nullptr);
    ::raise(sig);
}

} // namespace

void installSignalCleanup() noexcept {
    ::signal(SIGXFSZ, SIG_IGN);
    struct sigaction action {};
    action.sa_handler = removeTempAndDie;
    sigemptyset(&action.sa_mask);
    for (int sig : kCleanupSignals)
        sigaddset(&action.sa_mask, sig);
    for (int sig : kCleanupSignals) {
        struct sigaction before {};
        ::sigaction(sig, nullptr, &before);
        // nohup and a shell's background jobs ignore a signal on purpose.
        if (before.sa_handler == SIG_IGN)
            continue;
        ::sigaction(sig, &action, nullptr);
    }
}

namespace {

// Tells whether a cleanup signal waits for delivery that the mask before would let through.
bool cleanupSignalPending(const sigset_t& before) noexcept {
    sigset_t pending;
    if (::sigpending(&pending) != 0)
        return false;
    for (int sig : kCleanupSignals)
        if (sigismember(&pending, sig) == 1 && sigismember(&before, sig) != 1)
            return true;
    return false;
}

} // namespace

TempNameStep::TempNameStep(int dirFd, const char* name) noexcept {
    sigset_t held;
    sigemptyset(&held);
    for (int sig : kCleanupSignals)
        sigaddset(&held, sig);
    ::pthread_sigmask(SIG_BLOCK, &held, &tPrevious);
    // The name is ours and about to change hands. A signal another thread has already taken
    // leaves the pending set before its handler runs and says so; under load that thread may
    // wait for a processor. Give it a moment: this happens once in a run that replaces a file.
    for (int waited = 0; gState.load() == kOurs && waited < kGraceMilliseconds && !gEnding.load() &&
                         !cleanupSignalPending(tPrevious);
         ++waited) {
        const timespec millisecond{0, 1000 * 1000};
        ::nanosleep(&millisecond, nullptr);
    }
    // Once a signal is ending the process, no name changes hands any more: the drawing must
    // not take the output's place after the handler has looked. The end is moments away.
    // A signal sent but not yet taken by any thread counts too: it is on its way.
    if (gEnding.load() || cleanupSignalPending(tPrevious)) {
        ::pthread_sigmask(SIG_SETMASK, &tPrevious, nullptr);
        for (;;)
            ::pause();
    }
    gState.store(kChanging);
    gDirFd = dirFd;
    const std::size_t n = ::strnlen(name, sizeof gName - 1);
    std::memcpy(gName, name, n);
    gName[n] = '\0';
}

void TempNameStep::finish(bool nameIsOurs) noexcept {
    if (finished_)
        return;
    finished_ = true;
    gState.store(nameIsOurs ? kOurs : kNone);
    ::pthread_sigmask(SIG_SETMASK, &tPrevious, nullptr);
}

TempNameStep::~TempNameStep() {
    finish(false);
}

void forgetTempFile() noexcept {
    gState.store(kNone);
}

} // namespace quillet::platform
