#include "Converter.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
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
[[noreturn]] void execChild(char* const* argv, char* const* envp, const char* errorsPath,
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
    for (int sig = 1; sig < NSIG; ++sig)
        if (sig != SIGKILL && sig != SIGSTOP)
            ::signal(sig, SIG_DFL);
    for (int sig : conditions.ignoredSignals)
        ::signal(sig, SIG_IGN);
    if (conditions.umask)
        ::umask(*conditions.umask);
    const rlimit noCore{0, 0};
    ::setrlimit(RLIMIT_CORE, &noCore); // SIGQUIT would dump one
    auto limit = [](int resource, const std::optional<rlim_t>& value) {
        const rlimit bound{*value, *value};
        if (value && ::setrlimit(resource, &bound) != 0)
            ::_exit(126);
    };
    if (conditions.fileSizeLimit)
        limit(RLIMIT_FSIZE, conditions.fileSizeLimit);
    if (conditions.addressSpaceLimit)
        limit(RLIMIT_AS, conditions.addressSpaceLimit);
    if (conditions.processLimit)
        limit(RLIMIT_NPROC, conditions.processLimit);
    ::execve(argv[0], argv, envp);
    ::_exit(127);
}

} // namespace

RunningConverter startConverter(const std::vector<std::string>& args,
                                const Conditions& conditions) {
    static int runs = 0;
    const std::string errorsPath = runFolder() + "/errors-" + std::to_string(++runs) + ".txt";
    std::vector<std::string> command;
    if (conditions.unprivileged && ::geteuid() == 0)
        command = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
    command.push_back(runFolder() + "/quillet-convert");
    command.insert(command.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : command)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    // The conditions' variables come first: the first of a name is the one a program sees.
    std::vector<std::string> environment = conditions.environment;
    for (char** name = environ; *name; ++name)
        environment.emplace_back(*name);
    std::vector<char*> envp;
    for (std::string& entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);

    pid_t pid = ::fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0)
        execChild(argv.data(), envp.data(), errorsPath.c_str(), conditions);
    return RunningConverter(pid, errorsPath);
}

Outcome runConverter(const std::vector<std::string>& args, const Conditions& conditions) {
    return startConverter(args, conditions).wait();
}

void writeLongInput(const std::string& path, int thousands) {
    std::ofstream out(path, std::ios::binary);
    std::string block;
    for (int i = 0; i < 1000; ++i)
        block += "alpha,beta,gamma,delta\n";
    for (int i = 0; i < thousands; ++i)
        out << block;
}

std::vector<std::string> entriesOf(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(folder, ignored))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

bool waitForWriting(pid_t pid, const std::string& folder) {
    const std::string open = "/proc/" + std::to_string(pid) + "/fd";
    const std::string prefix = fs::weakly_canonical(folder).string() + "/";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
        std::error_code ignored;
        for (const auto& fd : fs::directory_iterator(open, ignored)) {
            // An unnamed file shows as "FOLDER/#INODE (deleted)".
            const std::string target = fs::read_symlink(fd.path(), ignored).string();
            const bool unfinished =
                target.ends_with(" (deleted)") || target.find("/.quillet-") != std::string::npos;
            struct stat st {};
            if (target.starts_with(prefix) && unfinished && ::stat(fd.path().c_str(), &st) == 0 &&
                st.st_size > 0)
                return true;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    return false;
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
