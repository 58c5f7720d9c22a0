#include "ScratchDir.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <stdexcept>
#include <unistd.h>
#include <vector>

namespace quillet::bench {

namespace {

// The folder the signal handler empties; fixed storage, as a handler may not allocate.
char gFolder[4096];
volatile std::sig_atomic_t gArmed = 0;
void (*gBeforeRemoval)() noexcept = nullptr;

// Removes every entry of folder (it holds no subfolders), then folder. Uses only calls a
// signal handler may make, apart from the directory reading, which a dying process can risk.
void emptyAndRemove(const char* folder) noexcept {
    if (DIR* dir = ::opendir(folder)) {
        int fd = ::dirfd(dir);
        while (dirent* entry = ::readdir(dir)) {
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
                ::unlinkat(fd, entry->d_name, 0);
        }
        ::closedir(dir);
    }
    ::rmdir(folder);
}

void onSignal(int signalNumber) {
    if (gArmed) {
        if (gBeforeRemoval)
            gBeforeRemoval();
        emptyAndRemove(gFolder);
    }
    std::signal(signalNumber, SIG_DFL);
    std::raise(signalNumber);
}

} // namespace

ScratchDir::ScratchDir(const std::string& base, void (*beforeRemoval)() noexcept) {
    std::string pattern = base + "/quillet-bench-XXXXXX";
    if (pattern.size() >= sizeof gFolder)
        throw std::runtime_error("folder name too long: " + base);
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (!::mkdtemp(name.data()))
        throw std::runtime_error("cannot create a folder in " + base + ": " + std::strerror(errno));
    path_ = name.data();
    std::memcpy(gFolder, path_.c_str(), path_.size() + 1);
    gBeforeRemoval = beforeRemoval;
    gArmed = 1;
    for (int signalNumber : {SIGINT, SIGTERM, SIGHUP})
        std::signal(signalNumber, onSignal);
}

ScratchDir::~ScratchDir() {
    gArmed = 0;
    emptyAndRemove(path_.c_str());
}

void ScratchDir::remove(std::string_view name) const {
    ::unlink(file(name).c_str());
}

} // namespace quillet::bench
