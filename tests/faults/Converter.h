#pragma once

#include <csignal>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <sys/types.h>
#include <vector>

// Runs quillet-convert as a separate process under the conditions a fault test sets up.
namespace quillet::faults {

// How to start the converter.
struct Conditions {
    std::optional<rlim_t> fileSizeLimit; // RLIMIT_FSIZE, with SIGXFSZ ignored
    std::optional<mode_t> umask;
    bool unprivileged = false; // run as nobody (uid and gid 65534) when started by root
};

// Returns conditions with only a file size limit, a umask or the unprivileged run.
Conditions fileSizeLimited(rlim_t bytes);
Conditions withUmask(mode_t mask);
Conditions unprivileged();

// How the converter ended.
struct Outcome {
    bool exited = false;
    int exitCode = -1;
    bool signaled = false;
    int signal = 0;
    std::string errors;      // what it wrote to stderr
    long maxRssKiB = 0;      // its peak resident memory
    int errorNumber() const; // the run-time error number it reported, 0 for none
};

// A started converter that has not been waited for.
class RunningConverter {
  public:
    RunningConverter(pid_t pid, std::string errorsPath) : pid_(pid), errorsPath_(errorsPath) {}
    pid_t pid() const { return pid_; }
    // Waits for the converter to end and returns how it did.
    Outcome wait();

  private:
    pid_t pid_;
    std::string errorsPath_;
};

// Starts the converter with args (paths in them should be absolute). It runs from a copy in a
// folder of its own that every user can reach, so that an unprivileged run can start it.
RunningConverter startConverter(const std::vector<std::string>& args,
                                const Conditions& conditions = {});

// Runs the converter to its end.
Outcome runConverter(const std::vector<std::string>& args, const Conditions& conditions = {});

// Returns the names of unfinished outputs (".quillet-*.tmp") left in folder.
std::vector<std::string> tempFilesIn(const std::string& folder);

// Returns path's bytes, mode and inode as one comparable text; "absent" when there is none.
std::string fingerprint(const std::string& path);

} // namespace quillet::faults
