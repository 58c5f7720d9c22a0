#pragma once

#include <csignal>

// Removal of an unfinished output when the process is ended by a signal.
namespace quillet::platform {

// Remembers path as the temporary file to remove if a signal ends the process.
void registerTempFile(const char* path) noexcept;

// Forgets the temporary file registered last.
void unregisterTempFile() noexcept;

// Holds back the signals that remove the temporary file while alive, so that creating the
// file and registering it happen as one step for them.
class CleanupSignalsHeld {
  public:
    CleanupSignalsHeld() noexcept;
    ~CleanupSignalsHeld();
    CleanupSignalsHeld(const CleanupSignalsHeld&) = delete;
    CleanupSignalsHeld& operator=(const CleanupSignalsHeld&) = delete;

  private:
    sigset_t previous_;
};

// Installs handlers for SIGINT, SIGTERM, SIGHUP and SIGQUIT that remove the registered
// temporary file and then end the process by the same signal.
void installSignalCleanup() noexcept;

} // namespace quillet::platform
