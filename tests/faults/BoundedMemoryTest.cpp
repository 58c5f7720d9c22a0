#include "FaultTest.h"

#include <fcntl.h>
#include <unistd.h>

namespace quillet::faults {

namespace {

// What the converter may hold at its peak: its blocks and the longest line, not the input.
// The sanitizers' shadow memory and quarantine come on top of that.
#ifdef QUILLET_SANITIZED
constexpr long kMaxRssKiB = 32 * 1024;
#else
constexpr long kMaxRssKiB = 16 * 1024;
#endif

class BoundedMemoryTest : public FaultTest {};

TEST_F(BoundedMemoryTest, EndlessLineIsAnOverflow) {
    Outcome outcome = runConverter({"-o", dir / "out.dxf", "/dev/zero"});
    expectCleanFailure(outcome, 6, {dir.str()});
    EXPECT_LT(outcome.maxRssKiB, kMaxRssKiB);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{});
}

TEST_F(BoundedMemoryTest, HugeFileWithoutLineEndingIsAnOverflow) {
    // Sparse: 200 MB of NUL bytes, which are ordinary characters, after a short start.
    const std::string input = dir / "huge.csv";
    int fd = ::open(input.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "a,b,c", 5), 5);
    ASSERT_EQ(::ftruncate(fd, 200LL * 1000 * 1000), 0);
    ::close(fd);
    testing::writeFile(dir / "out.dxf", "the drawing before\r\n");
    watch(dir / "out.dxf");

    Outcome outcome = runConverter({"-o", dir / "out.dxf", input});
    expectCleanFailure(outcome, 6, {dir.str()});
    EXPECT_LT(outcome.maxRssKiB, kMaxRssKiB);
}

} // namespace

} // namespace quillet::faults
