// What both soak programs share around their front end: their options, the loop over the
// day's steps that takes the figures, and the end (the table, the files, the verdict).
#pragma once

#include "Figures.h"
#include "Plan.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace quillet::bench::soak {

struct Options {
    int steps = kDaySteps;
    std::string csv;         // the figures as CSV go here, when given
    std::string table;       // the table goes here too, when given
    bool check = false;      // the exit status says whether the figures stayed flat
    bool checkMemory = true; // memory counts in the verdict
    int bigTexts = 300'000;  // texts of the drawing whose read is cancelled
    std::string folder;      // where the day's scratch folder is made (the system's temp)
};

// The options' usage text.
extern const char* const kUsage;

// Returns the options in args (without the program's name); throws std::invalid_argument for
// one it does not know or a bad value.
Options parseOptions(const std::vector<std::string>& args);

// How the day went, counted by the front end's driver.
struct Tally {
    int conversions = 0;
    int failures = 0; // runs that failed as planned, each with its error box
    int previews = 0;
    int cancelled = 0; // reads ended by 中止
    int readFirst = 0; // reads that were over before 中止 came
    int reloads = 0;
    int added = 0;
    int removed = 0;
    int wanders = 0;
};

// Returns the tally in a few lines of text.
std::string tallyText(const Tally& tally);

// Runs steps of the day through doStep, taking the figures before the first step and after
// every kSampleEvery-th (and the last); returns them. doStep throws to end the day early.
std::vector<Sample> runDay(int steps, const std::function<void(const Step&)>& doStep);

// Prints the table, the tally and the verdict, writes the files options name; returns the
// program's exit status: 1 when options.check and a figure was not flat or the day left hidden
// files in folder, the folder the window showed.
int finishDay(const std::vector<Sample>& samples, const Tally& tally, const Options& options,
              const std::filesystem::path& folder);

} // namespace quillet::bench::soak
