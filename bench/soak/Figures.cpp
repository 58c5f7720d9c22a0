// The soak's table, its CSV, and the flatness check.
#include "Figures.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <functional>

namespace quillet::bench::soak {

namespace {

std::string megabytes(std::int64_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", static_cast<double>(bytes) / 1e6);
    return text;
}

std::string signedMegabytes(std::int64_t bytes) {
    return (bytes >= 0 ? "+" : "") + megabytes(bytes);
}

std::string signedCount(int change) {
    return (change >= 0 ? "+" : "") + std::to_string(change);
}

bool hasGui(const std::vector<Sample>& samples) {
    return std::any_of(samples.begin(), samples.end(),
                       [](const Sample& s) { return s.gdiObjects >= 0 || s.userObjects >= 0; });
}

struct Count {
    const char* name;
    int Sample::*member;
};
constexpr std::array<Count, 4> kCounts{{{"threads", &Sample::threads},
                                        {"handles", &Sample::handles},
                                        {"GDI objects", &Sample::gdiObjects},
                                        {"USER objects", &Sample::userObjects}}};

} // namespace

std::string tableOf(const std::vector<Sample>& samples, const FigureNames& names, int warmUp) {
    const bool gui = hasGui(samples);
    std::string table = "| step | resident memory (MB) | threads | " + names.handles + " |";
    std::string rule = "|---:|---:|---:|---:|";
    if (gui) {
        table += " GDI objects | USER objects |";
        rule += "---:|---:|";
    }
    table += "\n" + rule + "\n";
    const auto row = [&](const std::string& step, const std::string& memory,
                         const std::array<std::string, 4>& counts) {
        table += "| " + step + " | " + memory + " | " + counts[0] + " | " + counts[1] + " |";
        if (gui)
            table += " " + counts[2] + " | " + counts[3] + " |";
        table += "\n";
    };
    for (const Sample& s : samples)
        row(std::to_string(s.step), megabytes(s.residentBytes),
            {std::to_string(s.threads), std::to_string(s.handles), std::to_string(s.gdiObjects),
             std::to_string(s.userObjects)});
    const auto base = std::find_if(samples.begin(), samples.end(),
                                   [&](const Sample& s) { return s.step == warmUp; });
    if (base != samples.end() && base + 1 < samples.end()) {
        const Sample& last = samples.back();
        row(std::to_string(base->step) + " → " + std::to_string(last.step),
            signedMegabytes(last.residentBytes - base->residentBytes),
            {signedCount(last.threads - base->threads), signedCount(last.handles - base->handles),
             signedCount(last.gdiObjects - base->gdiObjects),
             signedCount(last.userObjects - base->userObjects)});
    }
    if (!names.guiSource.empty())
        table += "\nGDI and USER objects: " + names.guiSource + "\n";
    return table;
}

std::string csvOf(const std::vector<Sample>& samples) {
    std::string csv = "step,resident_bytes,threads,handles,gdi,user\n";
    for (const Sample& s : samples)
        csv += std::to_string(s.step) + ',' + std::to_string(s.residentBytes) + ',' +
               std::to_string(s.threads) + ',' + std::to_string(s.handles) + ',' +
               std::to_string(s.gdiObjects) + ',' + std::to_string(s.userObjects) + '\n';
    return csv;
}

std::vector<std::string> unflatFigures(const std::vector<Sample>& samples, const Flatness& flat) {
    const auto base = std::find_if(samples.begin(), samples.end(),
                                   [&](const Sample& s) { return s.step == flat.warmUp; });
    if (base == samples.end())
        return {"no figures at step " + std::to_string(flat.warmUp) + ", the warm-up's end"};
    std::vector<std::string> faults;
    for (const Count& count : kCounts) {
        const int start = (*base).*count.member;
        const auto highest =
            std::max_element(base, samples.end(), [&](const Sample& a, const Sample& b) {
                return a.*count.member < b.*count.member;
            });
        if ((*highest).*count.member > start)
            faults.push_back(std::string(count.name) + ": " + std::to_string(start) + " at step " +
                             std::to_string(base->step) + ", " +
                             std::to_string((*highest).*count.member) + " at step " +
                             std::to_string(highest->step));
    }
    if (flat.memoryGrowth >= 0) {
        const auto highest =
            std::max_element(base, samples.end(), [](const Sample& a, const Sample& b) {
                return a.residentBytes < b.residentBytes;
            });
        const std::int64_t growth = highest->residentBytes - base->residentBytes;
        if (growth >= flat.memoryGrowth)
            faults.push_back("resident memory: " + megabytes(base->residentBytes) + " MB at step " +
                             std::to_string(base->step) + ", " + megabytes(highest->residentBytes) +
                             " MB at step " + std::to_string(highest->step) + " (" +
                             signedMegabytes(growth) + " MB, limit " +
                             megabytes(flat.memoryGrowth) + ")");
    }
    return faults;
}

} // namespace quillet::bench::soak
