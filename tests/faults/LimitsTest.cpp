// Limits the system sets: address space, threads, name and path lengths; signals ignored on
// purpose; errors that can be known before any work.
#include "FaultTest.h"

#include <csignal>
#include <filesystem>
#include <sstream>

namespace quillet::faults {

namespace {

namespace fs = std::filesystem;

const std::string kDrawingOfA = testing::dxfOf(testing::textEntity(0, 0, 100, "a"));

class LimitsTest : public FaultTest {
  protected:
    void SetUp() override {
        testing::writeFile(dir / "in.csv", "a\r\n");
        ::chmod((dir / "in.csv").c_str(), 0644);
        // A line too long to convert: a run that answers anything but 6 did not read it.
        testing::writeFile(dir / "long.csv", std::string(70000, 'x'));
        ::chmod((dir / "long.csv").c_str(), 0644);
    }
};

#ifndef QUILLET_SANITIZED // the sanitizers reserve more address space than any limit here
std::vector<std::string> errorLines(const Outcome& outcome) {
    std::vector<std::string> lines;
    std::istringstream in(outcome.errors);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// Short of memory, each input ends in 7 or converts; the converter goes on with the next one.
TEST_F(LimitsTest, AddressSpaceLimitIsErrorSevenAndTheNextInputStillRuns) {
    writeLongInput(dir / "first.csv", 20);
    for (rlim_t kib = 6000; kib <= 22000; kib += 2000) {
        SCOPED_TRACE(std::to_string(kib) + " KiB");
        Conditions limited;
        limited.addressSpaceLimit = kib * 1024;
        Outcome outcome = runConverter({dir / "first.csv", dir / "in.csv"}, limited);
        EXPECT_FALSE(outcome.signaled) << "signal " << outcome.signal;
        EXPECT_TRUE(outcome.exited && (outcome.exitCode == 0 || outcome.exitCode == 1))
            << outcome.errors;
        int converted = 0;
        for (const char* out : {"first.csv.dxf", "in.csv.dxf"})
            converted += fs::exists(dir / out);
        const std::vector<std::string> errors = errorLines(outcome);
        EXPECT_EQ(converted + static_cast<int>(errors.size()), 2) << outcome.errors;
        for (const std::string& line : errors)
            EXPECT_NE(line.find("実行時エラー 7:"), std::string::npos) << line;
        expectNothingLeft({dir.str()});
        fs::remove(dir / "first.csv.dxf");
        fs::remove(dir / "in.csv.dxf");
    }
}
#endif

// The writing thread cannot start when the user may have no more processes.
TEST_F(LimitsTest, NoThreadForTheWriterIsErrorSeven) {
    Conditions limited = unprivileged();
    limited.processLimit = 1;
    limited.environment = {"ASAN_OPTIONS=detect_leaks=0"}; // the leak check needs a thread too
    testing::writeFile(dir / "in.csv.dxf", "the drawing before\r\n");
    ::chmod((dir / "in.csv.dxf").c_str(), 0666);
    watch(dir / "in.csv.dxf");
    Outcome outcome = runConverter({dir / "in.csv"}, limited);
    expectCleanFailure(outcome, 7, {dir.str()});
}

TEST_F(LimitsTest, LongestNameTheFolderTakesIsWritten) {
    const std::string name = std::string(248, 'n') + ".dxf";
    Outcome outcome = runConverter({"-o", dir / name, dir / "in.csv"});
    ASSERT_TRUE(outcome.exited && outcome.exitCode == 0) << outcome.errors;
    EXPECT_EQ(testing::readFile(dir / name), kDrawingOfA);
    expectNothingLeft({dir.str()});
}

TEST_F(LimitsTest, NameTooLongForTheFolderIsRefusedBeforeReading) {
    const std::string name = std::string(252, 'n') + ".dxf";
    Outcome outcome = runConverter({"-o", dir / name, dir / "long.csv"});
    expectCleanFailure(outcome, 52, {dir.str()});
}

// A path close to the system's limit is a valid path, and the run must not make it invalid.
TEST_F(LimitsTest, PathNearTheSystemLimitIsWritten) {
    std::string folder = dir.str();
    while (folder.size() < 4000)
        folder += "/" + std::string(std::min<std::size_t>(200, 4000 - folder.size()), 'd');
    fs::create_directories(folder);
    const std::string output = folder + "/" + std::string(4080 - folder.size() - 1, 'o');
    ASSERT_EQ(output.size(), 4080u);
    Outcome outcome = runConverter({"-o", output, dir / "in.csv"});
    ASSERT_TRUE(outcome.exited && outcome.exitCode == 0) << outcome.errors;
    EXPECT_EQ(testing::readFile(output), kDrawingOfA);
    EXPECT_EQ(tempFilesIn(folder), std::vector<std::string>{});
}

// The height is read before the output's folder is touched.
TEST_F(LimitsTest, BadHeightIsReportedBeforeTheOutputIsTouched) {
    fs::create_directory(dir / "ro");
    ::chmod((dir / "ro").c_str(), 0555);
    Outcome outcome =
        runConverter({"--height", "abc", "-o", dir / "ro/out.dxf", dir / "in.csv"}, unprivileged());
    expectCleanFailure(outcome, 13, {dir.str(), dir / "ro"});
}

// nohup and a shell's background jobs ignore these on purpose; the run goes on.
TEST_F(LimitsTest, SignalIgnoredAtStartStaysIgnored) {
    writeLongInput(dir / "big.csv", 100);
    Conditions background;
    background.ignoredSignals = {SIGHUP, SIGINT, SIGQUIT};
    RunningConverter converter =
        startConverter({"-o", dir / "out.dxf", dir / "big.csv"}, background);
    const bool writing = waitForWriting(converter.pid(), dir.str());
    for (int sig : background.ignoredSignals)
        ::kill(converter.pid(), sig);
    Outcome outcome = converter.wait();
    ASSERT_TRUE(writing) << outcome.errors;
    EXPECT_TRUE(outcome.exited && outcome.exitCode == 0) << outcome.errors;
    EXPECT_TRUE(testing::readFile(dir / "out.dxf").ends_with("  0\r\nEOF\r\n"));
    expectNothingLeft({dir.str()});
}

} // namespace

} // namespace quillet::faults
