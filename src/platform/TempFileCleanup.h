#pragma once

// Removal of an unfinished output when the process is ended by a signal.
namespace quillet::platform {

// Remembers path as the temporary file to remove if a signal ends the process.
void registerTempFile(const char* path) noexcept;

// Forgets the temporary file registered last.
void unregisterTempFile() noexcept;

// Installs handlers for SIGINT, SIGTERM, SIGHUP and SIGQUIT that remove the registered
// temporary file and then end the process by the same signal.
void installSignalCleanup() noexcept;

} // namespace quillet::platform
