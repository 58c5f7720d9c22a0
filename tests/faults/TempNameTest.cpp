// A signal at the very instant a temporary name appears still takes the name with it; and
// where the file system has no unnamed files, the named way works and cleans up as well.
#include "FaultTest.h"

#include <csignal>

namespace quillet::faults {

namespace {

const std::string kDrawing = testing::dxfOf(testing::textEntity(0, 0, 100, "a"));

Conditions shim(std::vector<std::string> settings) {
    Conditions conditions;
    conditions.environment = std::move(settings);
    conditions.environment.push_back("LD_PRELOAD=" QUILLET_TEMP_SHIM_PATH);
    conditions.environment.push_back("ASAN_OPTIONS=verify_asan_link_order=0:detect_leaks=0");
    return conditions;
}

class TempNameTest : public FaultTest {
  protected:
    void SetUp() override {
        testing::writeFile(dir / "in.csv", "a\r\n");
        testing::writeFile(dir / "old.dxf", "the drawing before\r\n");
        watch(dir / "old.dxf");
    }
};

TEST_F(TempNameTest, WithoutUnnamedFilesTheNamedWayConverts) {
    Outcome outcome =
        runConverter({"-o", dir / "new.dxf", dir / "in.csv"}, shim({"QUILLET_SHIM_NO_UNNAMED=1"}));
    ASSERT_TRUE(outcome.exited && outcome.exitCode == 0) << outcome.errors;
    EXPECT_EQ(testing::readFile(dir / "new.dxf"), kDrawing);
    expectNothingLeft({dir.str()});
}

struct Instant {
    const char* name;
    const char* output;
    std::vector<std::string> settings;
};

// The signal comes from the step's own thread, so it is held back until the name is known.
TEST_F(TempNameTest, SignalTheInstantANameAppearsLeavesNothing) {
    const Instant instants[] = {
        {"named file for a new drawing",
         "new.dxf",
         {"QUILLET_SHIM_NO_UNNAMED=1", "QUILLET_SHIM_AT=create"}},
        {"named file replacing a drawing",
         "old.dxf",
         {"QUILLET_SHIM_NO_UNNAMED=1", "QUILLET_SHIM_AT=create"}},
        {"unnamed file linked beside the old drawing", "old.dxf", {"QUILLET_SHIM_AT=link"}},
    };
    for (const Instant& instant : instants) {
        SCOPED_TRACE(instant.name);
        std::vector<std::string> settings = instant.settings;
        settings.push_back("QUILLET_SHIM_SIGNAL=" + std::to_string(SIGTERM));
        Outcome outcome =
            runConverter({"-o", dir / instant.output, dir / "in.csv"}, shim(settings));
        EXPECT_TRUE(outcome.signaled && outcome.signal == SIGTERM) << outcome.errors;
        EXPECT_EQ(entriesOf(dir.str()), (std::vector<std::string>{"in.csv", "old.dxf"}));
        expectNothingLeft({dir.str()});
    }
}

} // namespace

} // namespace quillet::faults
