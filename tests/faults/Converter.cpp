#include "Converter.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quillet::faults {

namespace fs = std::filesystem;

Conditions fileSizeLimited(rlim_t bytes) {
    Conditions conditions;
    conditions.fileSizeLimit = bytes;
    return conditions;
}

Conditions withUmask(mode_t mask) {
    Conditions conditions;
    conditions.umask = mask;
    return conditions;
}

Conditions unprivileged() {
    Conditions conditions;
    conditions.unprivileged = true;
    return conditions;
}

int Outcome::errorNumber() const {
    static const std::regex reported("実行時エラー ([0-9]+)");
    std::smatch match;
    return std::regex_search(errors, match, reported) ? std::stoi(match[1]) : 0;
}

Outcome RunningConverter::wait() {
    int status = 0;
    rusage usage{};
    while (::wait4(pid_, &status, 0, &usage) < 0)
        if (errno != EINTR)
            throw std::runtime_error("wait4 failed");
    Outcome outcome;
    outcome.exited = WIFEXITED(status);
    outcome.exitCode = outcome.exited ? WEXITSTATUS(status) : -1;
    outcome.signaled = WIFSIGNALED(status);
    outcome.signal = outcome.signaled ? WTERMSIG(status) : 0;
    outcome.maxRssKiB = usage.ru_maxrss;
    std::ifstream errors(errorsPath_, std::ios::binary);
    std::ostringstream text;
    text << errors.rdbuf();
    outcome.errors = text.str();
    std::error_code ignored;
    fs::remove(errorsPath_, ignored);
    return outcome;
}

namespace {

// The folder the converter runs from: a copy of it, and a file for each run's stderr.
class RunFolder {
  public:
    RunFolder() {
        std::string pattern = (fs::temp_directory_path() / "quillet-faults-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
        ::chmod(path_.c_str(), 0755);
        fs::copy_file(QUILLET_CONVERT_PATH, path_ + "/quillet-convert");
        ::chmod((path_ + "/quillet-convert").c_str(), 0755);
    }
    ~RunFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    RunFolder(const RunFolder&) = delete;
    RunFolder& operator=(const RunFolder&) = delete;
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

const std::string& runFolder() {
    static const RunFolder folder;
    return folder.path();
}

// Only async-signal-safe calls here: the child of fork must not allocate.
[[noreturn]] void execChild(char* const* argv, const char* errorsPath,
                            const Conditions& conditions) {
    int errors = ::open(errorsPath, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (errors < 0 || ::dup2(errors, STDERR_FILENO) < 0)
        ::_exit(126);
    int nothing = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    ::dup2(nothing, STDIN_FILENO);
    ::dup2(nothing, STDOUT_FILENO);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    for (int sig : {SIGINT, SIGTERM, SIGHUP})
        ::signal(sig, SIG_DFL);
    if (conditions.umask)
        ::umask(*conditions.umask);
    if (conditions.fileSizeLimit) {
        rlimit limit{*conditions.fileSizeLimit, *conditions.fileSizeLimit};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
            ::_exit(126);
        // A write past the limit then fails with EFBIG instead of killing the process.
        ::signal(SIGXFSZ, SIG_IGN);
    }
    ::execvp(argv[0], argv);
    ::_exit(127);
}

} // namespace

RunningConverter startConverter(const std::vector<std::string>& args,
                                const Conditions& conditions) {
    static int runs = 0;
    const std::string errorsPath = runFolder() + "/errors-" + std::to_string(++runs) + ".txt";
    std::vector<std::string> command;
    if (conditions.unprivileged && ::geteuid() == 0)
        command = {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
    command.push_back(runFolder() + "/quillet-convert");
    command.insert(command.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : command)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    pid_t pid = ::fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0)
        execChild(argv.data(), errorsPath.c_str(), conditions);
    return RunningConverter(pid, errorsPath);
}

Outcome runConverter(const std::vector<std::string>& args, const Conditions& conditions) {
    return startConverter(args, conditions).wait();
}

std::vector<std::string> tempFilesIn(const std::string& folder) {
    std::vector<std::string> found;
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(folder, ignored)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with(".quillet-") && name.ends_with(".tmp"))
            found.push_back(name);
    }
    return found;
}

std::string fingerprint(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return "absent";
    std::ostringstream print;
    print << "mode " << std::oct << st.st_mode << std::dec << " inode " << st.st_ino << " ";
    if (S_ISLNK(st.st_mode)) {
        print << "-> " << fs::read_symlink(path).string();
    } else if (S_ISREG(st.st_mode)) {
        std::ifstream in(path, std::ios::binary);
        print << in.rdbuf();
    }
    return print.str();
}

} // namespace quillet::faults
