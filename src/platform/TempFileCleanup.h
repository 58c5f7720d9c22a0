#pragma once

#include <csignal>

// Removal of an unfinished output when a signal ends the process.
//
// The temporary name of an output exists only for moments: while it is being created,
// linked or renamed, a handler running on another thread waits until the step is over, and
// the thread taking the step holds the signals back, so no signal can fall between the name
// appearing and its being known here, whichever thread takes the signal.
namespace quillet::platform {

// Installs the handlers. SIGXFSZ is ignored, so that a write past the file size limit fails
// with EFBIG like a full disk. Every other signal that ends the process by default (HUP, INT,
// QUIT, TERM, PIPE, ALRM, USR1, USR2, VTALRM, PROF, XCPU) first removes the registered
// temporary file, then ends the process by the same signal, unless the program was started
// with that signal ignored: it stays ignored. Call it before any thread starts.
void installSignalCleanup() noexcept;

// One step that makes or takes away the temporary name name in the folder dirFd. While it
// lasts the cleanup signals are held back on this thread and a handler elsewhere waits.
class TempNameStep {
  public:
    // Begins the step; name must be shorter than 256 bytes.
    TempNameStep(int dirFd, const char* name) noexcept;
    // Ends the step: the name is then ours to remove if the process is ended, or not.
    void finish(bool nameIsOurs) noexcept;
    // Ends an unfinished step as one that left no name of ours.
    ~TempNameStep();
    TempNameStep(const TempNameStep&) = delete;
    TempNameStep& operator=(const TempNameStep&) = delete;

  private:
    sigset_t previous_;
    bool finished_ = false;
};

// Forgets the registered temporary name, once it is removed or has become the output.
void forgetTempFile() noexcept;

} // namespace quillet::platform
