// The converter started with posix_spawn.
#include "ConverterRun.h"

#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <sys/wait.h>

namespace quillet::testing {

Outcome runConverter(const TempDir& dir, std::vector<std::string> args, const std::string& locale,
                     const std::string& input) {
    std::vector<std::string> argv{QUILLET_CONVERT_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> argp;
    for (auto& arg : argv)
        argp.push_back(arg.data());
    argp.push_back(nullptr);
    std::string lcAll = "LC_ALL=" + locale;
    char* envp[] = {lcAll.data(), nullptr};

    const std::string outPath = dir / ".stdout";
    const std::string errPath = dir / ".stderr";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    if (!input.empty())
        posix_spawn_file_actions_addopen(&actions, 0, input.c_str(), O_RDONLY, 0);
    // Relative input names are relative to dir, as in a shell that changed into it.
    posix_spawn_file_actions_addchdir_np(&actions, dir.str().c_str());
    pid_t pid = 0;
    Outcome outcome;
    int spawned = posix_spawn(&pid, argp[0], &actions, nullptr, argp.data(), envp);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        ADD_FAILURE() << "cannot start " << argp[0];
        return outcome;
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    outcome.out = readFile(outPath);
    outcome.err = readFile(errPath);
    std::filesystem::remove(outPath);
    std::filesystem::remove(errPath);
    return outcome;
}

} // namespace quillet::testing
