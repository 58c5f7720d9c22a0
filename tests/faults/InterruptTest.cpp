#include "FaultTest.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <thread>

namespace quillet::faults {

namespace {

namespace fs = std::filesystem;

// Writes an input whose drawing takes far longer to write than the test waits for.
void writeLongInput(const std::string& path) {
    std::ofstream out(path, std::ios::binary);
    std::string block;
    for (int i = 0; i < 1000; ++i)
        block += "alpha,beta,gamma,delta\n";
    for (int i = 0; i < 1500; ++i) // about 35 MB in, 500 MB of drawing out
        out << block;
}

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
