// The figures on Linux, from /proc/self: VmRSS and Threads of its status, the entries of fd/.
#include "../ProcessFigures.h"

#include <dirent.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

namespace quillet::bench::soak {

namespace {

// Returns the number after key (e.g. "VmRSS:") in /proc/self/status, -1 when missing.
long long statusValue(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::size_t length = std::strlen(key);
    while (std::getline(status, line))
        if (line.compare(0, length, key) == 0)
            return std::stoll(line.substr(length));
    return -1;
}

int openDescriptors() {
    DIR* folder = ::opendir("/proc/self/fd");
    if (!folder)
        return -1;
    int count = 0;
    while (const dirent* entry = ::readdir(folder))
        if (entry->d_name[0] != '.')
            ++count;
    ::closedir(folder);
    return count - 1; // the listing's own
}

} // namespace

Sample sampleNow(int step) {
    Sample sample;
    sample.step = step;
    sample.residentBytes = statusValue("VmRSS:") * 1024;
    sample.threads = static_cast<int>(statusValue("Threads:"));
    sample.handles = openDescriptors();
    return sample;
}

FigureNames figureNames() {
    return {};
}

} // namespace quillet::bench::soak
