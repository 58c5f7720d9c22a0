#pragma once

#include "Converter.h"
#include "TestSupport.h"

#include <map>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace quillet::faults {

// A folder every user may write in, and a record of the files a failed run must not touch.
class FaultTest : public ::testing::Test {
  protected:
    FaultTest() { ::chmod(dir.str().c_str(), 0777); }

    // Remembers how path looks now, to compare after the run.
    void watch(const std::string& path) { watched_[path] = fingerprint(path); }

    // Expects the run to have failed with number, leaving no temporary file in folders and
    // every watched file as it was.
    void expectCleanFailure(const Outcome& outcome, int number,
                            const std::vector<std::string>& folders) {
        EXPECT_TRUE(outcome.exited && outcome.exitCode == 1) << outcome.errors;
        EXPECT_EQ(outcome.errorNumber(), number) << outcome.errors;
        expectNothingLeft(folders);
    }

    void expectNothingLeft(const std::vector<std::string>& folders) {
        for (const std::string& folder : folders)
            EXPECT_EQ(tempFilesIn(folder), std::vector<std::string>{}) << "in " << folder;
        for (const auto& [path, before] : watched_)
            EXPECT_EQ(fingerprint(path), before) << path << " changed";
    }

    testing::TempDir dir;

  private:
    std::map<std::string, std::string> watched_;
};

} // namespace quillet::faults
