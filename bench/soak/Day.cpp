// The soak's frame: options, the loop and its figures, the end.
#include "Day.h"

#include "Folder.h"
#include "ProcessFigures.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <stdexcept>

namespace quillet::bench::soak {

const char* const kUsage =
    "options: [--steps N] [--csv FILE] [--table FILE] [--check] [--no-memory-check]\n"
    "         [--big-texts N] [--folder DIR]\n"
    "  --steps N          steps of the day (default 1000; CI runs 100)\n"
    "  --csv FILE         write the figures as CSV, for bench/soak/plot.py\n"
    "  --table FILE       write the table (Markdown) there too\n"
    "  --check            exit 1 when a figure did not stay flat after the warm-up\n"
    "  --no-memory-check  leave memory out of --check (sanitizers keep freed memory)\n"
    "  --big-texts N      texts of the drawing whose read is cancelled (default 300000)\n"
    "  --folder DIR       make the day's scratch folder in DIR (default: the system's temp)\n";

namespace {

int positive(const std::string& text, const std::string& option) {
    std::size_t used = 0;
    int value = 0;
    try {
        value = std::stoi(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used != text.size() || value <= 0)
        throw std::invalid_argument(option + " needs a positive number, not '" + text + "'");
    return value;
}

void writeFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out.flush())
        throw std::runtime_error("cannot write " + path);
}

} // namespace

Options parseOptions(const std::vector<std::string>& args) {
    Options options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size())
                throw std::invalid_argument(arg + " needs a value");
            return args[++i];
        };
        if (arg == "--steps")
            options.steps = positive(value(), arg);
        else if (arg == "--csv")
            options.csv = value();
        else if (arg == "--table")
            options.table = value();
        else if (arg == "--check")
            options.check = true;
        else if (arg == "--no-memory-check")
            options.checkMemory = false;
        else if (arg == "--big-texts")
            options.bigTexts = positive(value(), arg);
        else if (arg == "--folder")
            options.folder = value();
        else
            throw std::invalid_argument("unknown option '" + arg + "'");
    }
    return options;
}

std::string tallyText(const Tally& t) {
    return std::to_string(t.conversions) + " conversions (" + std::to_string(t.failures) +
           " failing as planned, each with its error box); " + std::to_string(t.previews) +
           " previews (" + std::to_string(t.cancelled) + " reads cancelled, " +
           std::to_string(t.readFirst) + " over before 中止 came, " + std::to_string(t.reloads) +
           " reloads); " + std::to_string(t.added) + " files added and " +
           std::to_string(t.removed) + " removed in the folder; " + std::to_string(t.wanders) +
           " visits to the folder below\n";
}

std::vector<Sample> runDay(int steps, const std::function<void(const Step&)>& doStep) {
    std::vector<Sample> samples{sampleNow(0)};
    for (int number = 1; number <= steps; ++number) {
        doStep(stepAt(number));
        if (number % kSampleEvery == 0 || number == steps) {
            samples.push_back(sampleNow(number));
            const Sample& s = samples.back();
            std::printf("step %4d: %.1f MB, %d threads, %d handles\n", number,
                        static_cast<double>(s.residentBytes) / 1e6, s.threads, s.handles);
            std::fflush(stdout);
        }
    }
    return samples;
}

int finishDay(const std::vector<Sample>& samples, const Tally& tally, const Options& options,
              const std::filesystem::path& folder) {
    const std::string table = tableOf(samples, figureNames(), kWarmUpSteps);
    std::cout << "\n" << table << "\n" << tallyText(tally);
    if (!options.csv.empty())
        writeFile(options.csv, csvOf(samples));
    if (!options.table.empty())
        writeFile(options.table, table + "\n" + tallyText(tally));
    Flatness flat;
    flat.warmUp = kWarmUpSteps;
    if (!options.checkMemory)
        flat.memoryGrowth = -1;
    std::vector<std::string> faults = unflatFigures(samples, flat);
    for (const std::string& fault : faults)
        std::cout << "not flat: " << fault << "\n";
    if (faults.empty())
        std::cout << "flat after the warm-up of " << kWarmUpSteps << " steps"
                  << (options.checkMemory ? "" : " (memory not checked)") << "\n";
    for (const std::string& name : leftoversIn(folder)) {
        std::cout << "left in the folder: " << name << "\n";
        faults.push_back(name);
    }
    std::cout.flush();
    return options.check && !faults.empty() ? 1 : 0;
}

} // namespace quillet::bench::soak
