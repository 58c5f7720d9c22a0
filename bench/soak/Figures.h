// The figures the soak takes every kSampleEvery steps, the table and the file it writes of
// them, and whether they stayed flat.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quillet::bench::soak {

// One look at the process. A count the system cannot give is -1.
struct Sample {
    int step = 0;
    std::int64_t residentBytes = 0;
    int threads = 0;
    int handles = 0;     // open file descriptors (Linux) or handles (Windows)
    int gdiObjects = -1; // Windows
    int userObjects = -1;
};

// What the columns are called on this system ("file descriptors" or "handles"), and how the
// GDI and USER objects were counted (empty where there are none).
struct FigureNames {
    std::string handles = "file descriptors";
    std::string guiSource;
};

// Returns the samples as a Markdown table: one row a sample, memory in MB (10^6 bytes), and a
// last row of the change from the sample at warmUp to the last one.
std::string tableOf(const std::vector<Sample>& samples, const FigureNames& names, int warmUp);

// Returns the samples as CSV with a header line (step, resident_bytes, threads, handles, gdi,
// user), for the plot.
std::string csvOf(const std::vector<Sample>& samples);

// What flat means: no count above its value at the warm-up's end, and the resident memory
// never more than memoryGrowth bytes above it (not checked when memoryGrowth is negative).
struct Flatness {
    int warmUp = 50;
    std::int64_t memoryGrowth = 5'000'000;
};

// Returns one line for each figure that did not stay flat after the warm-up (empty when all
// did), or one saying that no sample was taken at the warm-up's end.
std::vector<std::string> unflatFigures(const std::vector<Sample>& samples, const Flatness& flat);

} // namespace quillet::bench::soak
