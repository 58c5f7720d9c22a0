#include "FaultTest.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <thread>

namespace quillet::faults {

namespace {

namespace fs = std::filesystem;

class InterruptTest : public FaultTest, public ::testing::WithParamInterface<int> {};

TEST_P(InterruptTest, SignalRemovesUnfinishedOutput) {
    const int sig = GetParam();
    writeLongInput(dir / "in.csv");
    testing::writeFile(dir / "out.dxf", "the drawing before\r\n");
    watch(dir / "out.dxf");

    RunningConverter converter = startConverter({"-o", dir / "out.dxf", dir / "in.csv"});
    const bool writing = waitForWriting(converter.pid(), dir.str());
    ::kill(converter.pid(), sig);
    Outcome outcome = converter.wait();
    ASSERT_TRUE(writing) << "the converter never began writing: " << outcome.errors;
    EXPECT_TRUE(outcome.signaled) << "exit code " << outcome.exitCode << " " << outcome.errors;
    EXPECT_EQ(outcome.signal, sig);
    expectNothingLeft({dir.str()});
}

// Every signal whose default action ends the process.
INSTANTIATE_TEST_SUITE_P(Faults, InterruptTest,
                         ::testing::Values(SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGPIPE, SIGALRM,
                                           SIGUSR1, SIGUSR2, SIGVTALRM, SIGPROF, SIGXCPU),
                         [](const ::testing::TestParamInfo<int>& sig) {
                             return std::string(sigabbrev_np(sig.param));
                         });

} // namespace

} // namespace quillet::faults
