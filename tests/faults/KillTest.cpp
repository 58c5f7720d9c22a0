// Not even SIGKILL leaves a trace: the drawing has no name until it is complete.
#include "FaultTest.h"
#include "ScratchMount.h"

#include <csignal>

namespace quillet::faults {

namespace {

using Kind = ScratchMount::Kind;

class KillTest : public FaultTest, public ::testing::WithParamInterface<Kind> {};

TEST_P(KillTest, KilledMidRunLeavesTheFolderAsItWas) {
    ScratchMount mount(GetParam());
    if (mount.path().empty())
        GTEST_SKIP() << mount.failure();
    const std::string folder = mount.path();
    writeLongInput(folder + "/in.csv");
    testing::writeFile(folder + "/old.dxf", "the drawing before\r\n");
    watch(folder + "/old.dxf");
    const std::vector<std::string> before = entriesOf(folder);

    for (const char* output : {"/old.dxf", "/new.dxf"}) {
        RunningConverter converter = startConverter({"-o", folder + output, folder + "/in.csv"});
        const bool writing = waitForWriting(converter.pid(), folder);
        // While it writes, the drawing has no name in the folder at all.
        EXPECT_EQ(entriesOf(folder), before) << output;
        ::kill(converter.pid(), SIGKILL);
        Outcome outcome = converter.wait();
        ASSERT_TRUE(writing) << "the converter never began writing: " << outcome.errors;
        EXPECT_EQ(outcome.signal, SIGKILL);
        EXPECT_EQ(entriesOf(folder), before) << output;
    }
    expectNothingLeft({folder});
}

INSTANTIATE_TEST_SUITE_P(Faults, KillTest, ::testing::Values(Kind::Tmpfs, Kind::Ext4),
                         [](const ::testing::TestParamInfo<Kind>& kind) {
                             return std::string(kind.param == Kind::Tmpfs ? "tmpfs" : "ext4");
                         });

} // namespace

} // namespace quillet::faults
