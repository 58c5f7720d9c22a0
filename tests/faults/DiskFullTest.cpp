#include "FaultTest.h"

namespace quillet::faults {

namespace {

std::string manyLines(std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i)
        text += "field " + std::to_string(i) + ",other\r\n";
    return text;
}

class DiskFullTest : public FaultTest {};

// The file size limit stands in for a full disk: the converter ignores SIGXFSZ, so writes past
// it fail with EFBIG.
TEST_F(DiskFullTest, FullDiskMidWriteKeepsTheOldDrawing) {
    testing::writeFile(dir / "in.csv", manyLines(100000)); // about 20 MB of drawing
    testing::writeFile(dir / "in.csv.dxf", "the drawing before\r\n");
    watch(dir / "in.csv.dxf");
    Outcome outcome = runConverter({dir / "in.csv"}, fileSizeLimited(3 * 1024 * 1024));
    expectCleanFailure(outcome, 61, {dir.str()});
    // The line being read when the disk filled up says nothing about the failure.
    EXPECT_EQ(outcome.errors.find("行目"), std::string::npos) << outcome.errors;
}

TEST_F(DiskFullTest, FullDiskCreatesNoDrawing) {
    testing::writeFile(dir / "in.csv", manyLines(100000));
    watch(dir / "in.csv.dxf");
    // Smaller than one block of output: the very first write fails.
    Outcome outcome = runConverter({dir / "in.csv"}, fileSizeLimited(1000));
    expectCleanFailure(outcome, 61, {dir.str()});
}

TEST_F(DiskFullTest, DrawingThatFitsIsWritten) {
    testing::writeFile(dir / "in.csv", "a,b\r\n");
    Outcome outcome = runConverter({dir / "in.csv"}, fileSizeLimited(1000));
    EXPECT_TRUE(outcome.exited && outcome.exitCode == 0) << outcome.errors;
    EXPECT_EQ(testing::readFile(dir / "in.csv.dxf"),
              testing::dxfOf(testing::textEntity(0, 0, 100, "b") +
                             testing::textEntity(0, -200, 100, "a")));
}

} // namespace

} // namespace quillet::faults
