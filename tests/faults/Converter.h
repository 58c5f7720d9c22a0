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
    std::optional<rlim_t> fileSizeLimit;     // RLIMIT_FSIZE; SIGXFSZ left at its default
    std::optional<rlim_t> addressSpaceLimit; // RLIMIT_AS
    std::optional<rlim_t> processLimit;      // RLIMIT_NPROC
    std::optional<mode_t> umask;
    bool unprivileged = false;            // run as nobody (uid and gid 65534) when started by root
    std::vector<int> ignoredSignals;      // started with these ignored, as nohup does
    std::vector<std::string> environment; // NAME=value added to the converter's environment
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

// Writes an input whose drawing takes far longer to write than a test waits for: with the
// default thousands, about 35 MB in and 500 MB of drawing out.
void writeLongInput(const std::string& path, int thousands = 1500);

// Returns the folder's entries, sorted, hidden ones included.
std::vector<std::string> entriesOf(const std::string& folder);

// Waits until a file that pid has open in folder (named or unnamed) holds bytes, that is
// until writing has begun; false when it does not within twenty seconds.
bool waitForWriting(pid_t pid, const std::string& folder);

// Returns the names of unfinished outputs (".quillet-*.tmp") left in folder.
std::vector<std::string> tempFilesIn(const std::string& folder);

// Returns path's bytes, mode and inode as one comparable text; "absent" when there is none.
std::string fingerprint(const std::string& path);

} // namespace quillet::faults
