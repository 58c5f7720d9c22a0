// The soak's day must hold what it promises (a thousand runs, three hundred previews, every
// kind of failure and preview also in CI's short day, a folder that comes back to where it
// started), and its verdict must tell a leak from a flat line.
#include "Day.h"
#include "Figures.h"
#include "Folder.h"
#include "Plan.h"
#include "TestSupport.h"
#include "conversion/Run.h"
#include "drawing/Reader.h"
#include "platform/RunError.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <stdexcept>
#include <tuple>

namespace quillet::bench::soak {
namespace {

struct DayCounts {
    int declared = 0;
    std::map<Failure, int> failures;
    std::map<Preview, int> previews;
    int closedByMenu = 0;
    int added = 0;
    int removed = 0;
    int wanders = 0;
};

DayCounts countDay(int steps) {
    DayCounts counts;
    std::set<std::string> present;
    for (int number = 1; number <= steps; ++number) {
        const Step step = stepAt(number);
        SCOPED_TRACE(number);
        EXPECT_EQ(step.number, number);
        counts.declared += step.declared;
        ++counts.failures[step.failure];
        EXPECT_EQ(step.failure != Failure::None, step.expectedError != 0);
        EXPECT_EQ(outputOf(step).empty(), step.failure != Failure::None);
        // A preview needs the good run before it, which chose its drawing in File2.
        if (step.preview != Preview::None) {
            ++counts.previews[step.preview];
            EXPECT_EQ(step.failure, Failure::None);
            counts.closedByMenu += step.preview == Preview::OpenClose && step.closeByMenu;
        }
        // A file is added only when it is not there, removed only when it is.
        EXPECT_EQ(present.count(step.touched), step.adds ? 0u : 1u) << step.touched;
        if (step.adds) {
            present.insert(step.touched);
            ++counts.added;
        } else {
            present.erase(step.touched);
            ++counts.removed;
        }
        counts.wanders += step.wanders;
    }
    return counts;
}

TEST(SoakPlan, TheDayHoldsAThousandRunsAndThreeHundredPreviews) {
    DayCounts day = countDay(kDaySteps);
    EXPECT_EQ(day.declared, kDaySteps / 2);
    EXPECT_EQ(day.failures[Failure::None], 700);
    for (Failure failure : {Failure::MissingInput, Failure::BadHeight, Failure::LongLine})
        EXPECT_EQ(day.failures[failure], 100);
    for (Preview preview :
         {Preview::OpenClose, Preview::CancelRead, Preview::Reload, Preview::OpenAgain})
        EXPECT_EQ(day.previews[preview], 75);
    EXPECT_GT(day.closedByMenu, 30);
    EXPECT_LT(day.closedByMenu, 45);
    EXPECT_EQ(day.added, 500);
    EXPECT_EQ(day.removed, 500);
    EXPECT_EQ(day.wanders, 20);
}

TEST(SoakPlan, TheShortDayTakesEveryPathOnce) {
    DayCounts day = countDay(kShortSteps);
    for (Failure failure :
         {Failure::None, Failure::MissingInput, Failure::BadHeight, Failure::LongLine})
        EXPECT_GT(day.failures[failure], 0);
    for (Preview preview :
         {Preview::OpenClose, Preview::CancelRead, Preview::Reload, Preview::OpenAgain})
        EXPECT_GT(day.previews[preview], 0);
    EXPECT_GT(day.closedByMenu, 0);
    EXPECT_LT(day.closedByMenu, day.previews[Preview::OpenClose]);
    EXPECT_GT(day.wanders, 0);
    // Every bad height the day uses comes up after the warm-up too.
    std::set<std::string> heights;
    for (int number = kWarmUpSteps + 1; number <= kShortSteps; ++number)
        if (stepAt(number).failure == Failure::BadHeight)
            heights.insert(stepAt(number).height);
    EXPECT_EQ(heights.size(), 3u);
}

// The day's files must make its runs end as the plan says, whatever the converter's rules: a
// good step's input and height convert (at every height the day uses, the columns fit), a
// failing one ends in its error, and the big drawing holds its texts.
TEST(SoakFolder, EveryRunOfTheDayEndsAsPlanned) {
    const testing::TempDir scratch;
    const std::filesystem::path folder = scratch.path() / "day";
    prepareFolder(folder, 2000);
    std::set<std::tuple<std::string, std::string, int>> runs;
    for (int number = 1; number <= kDaySteps; ++number) {
        const Step step = stepAt(number);
        runs.insert({step.input, step.height, step.expectedError});
    }
    EXPECT_GE(runs.size(), 8u);
    for (const auto& [input, height, error] : runs) {
        SCOPED_TRACE(input + " at height '" + height + "'");
        conversion::ConversionState state;
        const std::string output = testing::utf8Of(folder / "out.dxf");
        const std::string path = testing::utf8Of(fileIn(folder, input));
        if (error) {
            EXPECT_RUN_ERROR(conversion::convertFile(path, output, height, {".", ","}, state),
                             error);
        } else {
            try {
                EXPECT_GT(conversion::convertFile(path, output, height, {".", ","}, state).placed,
                          0);
            } catch (const platform::RunError& failed) {
                ADD_FAILURE() << failed.what();
            }
        }
    }
    EXPECT_EQ(
        drawing::readDrawing(testing::utf8Of(fileIn(folder, kBigDrawing)))->entities.texts.size(),
        2000u);
    EXPECT_TRUE(leftoversIn(folder).empty());
}

Sample sample(int step, double megabytes, int threads, int handles, int gdi = -1, int user = -1) {
    return {step, static_cast<std::int64_t>(megabytes * 1e6), threads, handles, gdi, user};
}

TEST(SoakFigures, FlatMeansNoCountAboveTheWarmUpsAndLessThanFiveMegabytesMore) {
    struct Case {
        const char* name;
        std::vector<Sample> samples;
        bool checkMemory;
        std::vector<std::string> faults;
    };
    const Sample start = sample(0, 20, 3, 10, 40, 20);
    const Sample warm = sample(50, 60, 5, 12, 50, 30);
    const std::vector<Case> cases{
        {"flat",
         {start, warm, sample(100, 64.9, 5, 12, 50, 30), sample(150, 61, 4, 11, 49, 29)},
         true,
         {}},
        {"the warm-up may grow", {start, warm}, true, {}},
        {"a thread kept",
         {start, warm, sample(100, 60, 6, 12, 50, 30), sample(150, 60, 5, 12, 50, 30)},
         true,
         {"threads: 5 at step 50, 6 at step 100"}},
        {"handles and objects leaking",
         {start, warm, sample(100, 60, 5, 13, 52, 31)},
         true,
         {"handles: 12 at step 50, 13 at step 100", "GDI objects: 50 at step 50, 52 at step 100",
          "USER objects: 30 at step 50, 31 at step 100"}},
        {"five megabytes more",
         {start, warm, sample(100, 65, 5, 12, 50, 30)},
         true,
         {"resident memory: 60.0 MB at step 50, 65.0 MB at step 100 (+5.0 MB, limit 5.0)"}},
        {"memory left out", {start, warm, sample(100, 90, 5, 12, 50, 30)}, false, {}},
        {"no counts of GUI objects", {sample(50, 1, 1, 1), sample(100, 1, 1, 1)}, true, {}},
        {"no sample at the warm-up's end",
         {start, sample(100, 60, 5, 12)},
         true,
         {"no figures at step 50, the warm-up's end"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Flatness flat;
        if (!c.checkMemory)
            flat.memoryGrowth = -1;
        EXPECT_EQ(unflatFigures(c.samples, flat), c.faults);
    }
}

TEST(SoakFigures, TableAndCsvShowEverySampleAndTheChangeAfterTheWarmUp) {
    const std::vector<Sample> linux{sample(0, 20, 3, 10), sample(50, 60, 5, 12),
                                    sample(100, 60.5, 5, 11)};
    EXPECT_EQ(tableOf(linux, {}, 50),
              "| step | resident memory (MB) | threads | file descriptors |\n"
              "|---:|---:|---:|---:|\n"
              "| 0 | 20.0 | 3 | 10 |\n"
              "| 50 | 60.0 | 5 | 12 |\n"
              "| 100 | 60.5 | 5 | 11 |\n"
              "| 50 → 100 | +0.5 | +0 | -1 |\n");
    const std::vector<Sample> windows{sample(50, 30, 9, 200, 80, 40),
                                      sample(100, 29, 9, 200, 80, 40)};
    const std::string table = tableOf(windows, {"handles", "counted"}, 50);
    EXPECT_NE(table.find("| handles | GDI objects | USER objects |"), std::string::npos) << table;
    EXPECT_NE(table.find("| 50 → 100 | -1.0 | +0 | +0 | +0 | +0 |"), std::string::npos) << table;
    EXPECT_NE(table.find("GDI and USER objects: counted"), std::string::npos) << table;
    EXPECT_EQ(csvOf(windows), "step,resident_bytes,threads,handles,gdi,user\n"
                              "50,30000000,9,200,80,40\n"
                              "100,29000000,9,200,80,40\n");
}

TEST(SoakOptions, TakesItsOwnAndRefusesTheRest) {
    const Options options = parseOptions(
        {"--steps", "100", "--check", "--csv", "a.csv", "--no-memory-check", "--big-texts", "7"});
    EXPECT_EQ(options.steps, 100);
    EXPECT_TRUE(options.check);
    EXPECT_FALSE(options.checkMemory);
    EXPECT_EQ(options.csv, "a.csv");
    EXPECT_EQ(options.bigTexts, 7);
    EXPECT_EQ(parseOptions({}).steps, kDaySteps);
    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"--steps", "0"}, {"--steps", "12x"}, {"--steps"}, {"--fast"}})
        EXPECT_THROW(parseOptions(bad), std::invalid_argument) << bad.front();
}

} // namespace
} // namespace quillet::bench::soak
