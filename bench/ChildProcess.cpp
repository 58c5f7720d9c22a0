#include "ChildProcess.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sched.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace quillet::bench {

namespace {

volatile std::sig_atomic_t gRunning = 0; // the child being waited for, 0 for none

double secondsOf(const timeval& tv) {
    return static_cast<double>(tv.tv_sec) + static_cast<double>(tv.tv_usec) / 1e6;
}

[[noreturn]] void fail(const std::string& what, int err) {
    throw std::runtime_error(what + ": " + std::strerror(err));
}

} // namespace

ChildRun runChild(const std::vector<std::string>& argv, bool realtime) {
    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);

    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        fail("pipe", errno);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);

    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    if (realtime) {
        // Low among real-time priorities: the kernel's own real-time threads still come first.
        sched_param priority{};
        priority.sched_priority = 10;
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSCHEDULER);
        posix_spawnattr_setschedpolicy(&attributes, SCHED_FIFO);
        posix_spawnattr_setschedparam(&attributes, &priority);
    }

    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    int err = ::posix_spawnp(&pid, args[0], &actions, &attributes, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    ::close(pipeFds[1]);
    if (err == 0)
        gRunning = pid;
    if (err != 0) {
        ::close(pipeFds[0]);
        fail("cannot start " + argv[0] + (realtime ? " under real-time scheduling" : ""), err);
    }

    // The report is a few lines, but reading to the end first keeps a chatty child from
    // blocking on a full pipe.
    ChildRun run;
    char buffer[4096];
    for (;;) {
        ssize_t got = ::read(pipeFds[0], buffer, sizeof buffer);
        if (got > 0)
            run.output.append(buffer, static_cast<std::size_t>(got));
        else if (got == 0 || errno != EINTR)
            break;
    }
    ::close(pipeFds[0]);

    int status = 0;
    rusage usage{};
    while (::wait4(pid, &status, 0, &usage) < 0) {
        if (errno != EINTR) {
            gRunning = 0;
            fail("wait4", errno);
        }
    }
    gRunning = 0;
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.cpuSeconds = secondsOf(usage.ru_utime) + secondsOf(usage.ru_stime);
    run.maxRssKiB = usage.ru_maxrss;
    if (WIFEXITED(status))
        run.exitCode = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        run.signal = WTERMSIG(status);
    return run;
}

void stopRunningChild() noexcept {
    const pid_t pid = gRunning;
    if (pid > 0 && ::kill(pid, SIGTERM) == 0)
        ::waitpid(pid, nullptr, 0);
}

} // namespace quillet::bench
