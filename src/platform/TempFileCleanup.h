#pragma once

// Removal of an unfinished output when the process is ended from outside: by a signal on
// POSIX, by Ctrl+C, Ctrl+Break or the console closing on Windows.
//
// The temporary name of an output exists only for moments: while it is being created,
// linked or renamed, a handler running on another thread waits until the step is over, and
// on POSIX the thread taking the step holds the signals back, so that nothing can fall
// between the name appearing and its being known here, whichever thread is interrupted.
namespace quillet::platform {

// Installs the handlers. POSIX: SIGXFSZ is ignored, so that a write past the file size limit
// fails with EFBIG like a full disk; every other signal that ends the process by default
// (HUP, INT, QUIT, TERM, PIPE, ALRM, USR1, USR2, VTALRM, PROF, XCPU) first removes the
// registered temporary file, then ends the process by the same signal, unless the program
// was started with that signal ignored: it stays ignored. Windows: a console control event
// (Ctrl+C, Ctrl+Break, closing the console, logging off, shutting down) removes it, then ends
// the process with STATUS_CONTROL_C_EXIT; a Ctrl+C the program was started to ignore stays
// ignored. Call it before any thread starts.
void installSignalCleanup() noexcept;

// One step that makes or takes away a temporary name. While it lasts, a handler elsewhere
// waits (and on POSIX the cleanup signals are held back on this thread). Steps do not nest.
class TempNameStep {
  public:
    // Begins a step on the name name in the open folder folder (POSIX); name must be shorter
    // than 256 bytes.
    TempNameStep(int folder, const char* name) noexcept;
    // Begins a step on the whole path path (Windows); path must be shorter than 32768 units.
    explicit TempNameStep(const wchar_t* path) noexcept;
    // Ends the step: the name is then ours to remove if the process is ended, or not.
    void finish(bool nameIsOurs) noexcept;
    // Ends an unfinished step as one that left no name of ours.
    ~TempNameStep();
    TempNameStep(const TempNameStep&) = delete;
    TempNameStep& operator=(const TempNameStep&) = delete;

  private:
    bool finished_ = false;
};

// Forgets the registered temporary name, once it is removed or has become the output.
void forgetTempFile() noexcept;

} // namespace quillet::platform
