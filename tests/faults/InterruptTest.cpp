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

// Waits until the unfinished output holds bytes, that is until writing has begun.
bool waitForWriting(const std::string& folder) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
        for (const std::string& name : tempFilesIn(folder)) {
            std::error_code ignored;
            if (fs::file_size(fs::path(folder) / name, ignored) > 0 && !ignored)
                return true;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    return false;
}

class InterruptTest : public FaultTest, public ::testing::WithParamInterface<int> {};

TEST_P(InterruptTest, SignalRemovesUnfinishedOutput) {
    const int sig = GetParam();
    writeLongInput(dir / "in.csv");
    testing::writeFile(dir / "out.dxf", "the drawing before\r\n");
    watch(dir / "out.dxf");

    RunningConverter converter = startConverter({"-o", dir / "out.dxf", dir / "in.csv"});
    const bool writing = waitForWriting(dir.str());
    ::kill(converter.pid(), sig);
    Outcome outcome = converter.wait();
    ASSERT_TRUE(writing) << "the converter never began writing: " << outcome.errors;
    EXPECT_TRUE(outcome.signaled) << "exit code " << outcome.exitCode << " " << outcome.errors;
    EXPECT_EQ(outcome.signal, sig);
    expectNothingLeft({dir.str()});
}

INSTANTIATE_TEST_SUITE_P(Faults, InterruptTest, ::testing::Values(SIGINT, SIGTERM, SIGHUP),
                         [](const ::testing::TestParamInfo<int>& sig) {
                             return std::string(sigabbrev_np(sig.param));
                         });

} // namespace

} // namespace quillet::faults
