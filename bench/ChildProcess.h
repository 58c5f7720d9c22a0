#pragma once

#include <string>
#include <vector>

namespace quillet::bench {

// How one child process went.
struct ChildRun {
    double seconds = 0;    // wall time from start to reaping
    double cpuSeconds = 0; // user and system time of the child, all its threads
    long maxRssKiB = 0;    // the child's peak resident set
    int exitCode = -1;     // -1 when a signal ended it
    int signal = 0;
    std::string output; // what it wrote to standard output
};

// Runs argv[0] (looked up in PATH unless it holds a slash) with argv, standard error passed on
// and standard input closed, and waits for it; with realtime, under the first-in first-out
// real-time policy, so that other load on the machine cannot take its processors. Throws
// std::runtime_error when it cannot be started (also when real time is not permitted).
ChildRun runChild(const std::vector<std::string>& argv, bool realtime = false);

// Ends the child runChild is waiting for, if any, and reaps it; safe in a signal handler.
void stopRunningChild() noexcept;

} // namespace quillet::bench
