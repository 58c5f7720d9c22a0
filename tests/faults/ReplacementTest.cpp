#include "FaultTest.h"

#include <filesystem>
#include <sys/stat.h>

namespace quillet::faults {

namespace {

namespace fs = std::filesystem;

const std::string kDrawing = testing::dxfOf(testing::textEntity(0, 0, 100, "a"));

mode_t modeOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return st.st_mode;
}

class ReplacementTest : public FaultTest {
  protected:
    void SetUp() override { testing::writeFile(dir / "in.csv", "a\r\n"); }

    void convertTo(const std::string& output, const Conditions& conditions = {}) {
        Outcome outcome = runConverter({"-o", output, dir / "in.csv"}, conditions);
        ASSERT_TRUE(outcome.exited && outcome.exitCode == 0) << outcome.errors;
        EXPECT_EQ(tempFilesIn(dir.str()), std::vector<std::string>{});
    }
};

TEST_F(ReplacementTest, SymlinkAtOutputIsReplacedNotFollowed) {
    testing::TempDir elsewhere;
    testing::writeFile(elsewhere / "target.dxf", "the target\r\n");
    watch(elsewhere / "target.dxf");
    fs::create_symlink(elsewhere / "target.dxf", dir / "out.dxf");
    convertTo(dir / "out.dxf");
    EXPECT_TRUE(S_ISREG(modeOf(dir / "out.dxf")));
    EXPECT_EQ(testing::readFile(dir / "out.dxf"), kDrawing);
    expectNothingLeft({dir.str(), elsewhere.str()});
}

TEST_F(ReplacementTest, DanglingSymlinkAtOutputIsReplaced) {
    fs::create_symlink(dir / "nowhere.dxf", dir / "out.dxf");
    convertTo(dir / "out.dxf");
    EXPECT_TRUE(S_ISREG(modeOf(dir / "out.dxf")));
    EXPECT_FALSE(fs::exists(dir / "nowhere.dxf"));
}

// A name that looks like an unfinished output of ours belongs to someone else.
TEST_F(ReplacementTest, PlantedTempLookalikeIsLeftAlone) {
    testing::writeFile(dir / "victim.txt", "keep me\r\n");
    fs::create_symlink(dir / "victim.txt", dir / ".quillet-000000000000.tmp");
    watch(dir / "victim.txt");
    watch(dir / ".quillet-000000000000.tmp");
    Outcome outcome = runConverter({"-o", dir / "out.dxf", dir / "in.csv"});
    ASSERT_TRUE(outcome.exited && outcome.exitCode == 0) << outcome.errors;
    EXPECT_EQ(testing::readFile(dir / "out.dxf"), kDrawing);
    expectNothingLeft({});
}

// The old drawing is replaced by a new file, not rewritten: other names of it keep it.
TEST_F(ReplacementTest, HardLinkToOldOutputKeepsOldDrawing) {
    testing::writeFile(dir / "out.dxf", "the drawing before\r\n");
    fs::create_hard_link(dir / "out.dxf", dir / "kept.dxf");
    watch(dir / "kept.dxf");
    convertTo(dir / "out.dxf");
    EXPECT_EQ(testing::readFile(dir / "out.dxf"), kDrawing);
    expectNothingLeft({});
}

class NewFileModeTest : public ReplacementTest, public ::testing::WithParamInterface<mode_t> {};

TEST_P(NewFileModeTest, NewDrawingTakesModeFromUmask) {
    const mode_t mask = GetParam();
    convertTo(dir / "out.dxf", withUmask(mask));
    EXPECT_EQ(modeOf(dir / "out.dxf") & 07777, 0666 & ~mask);
}

INSTANTIATE_TEST_SUITE_P(Umasks, NewFileModeTest, ::testing::Values(0, 022, 027, 077, 0266));

class KeptModeTest : public ReplacementTest, public ::testing::WithParamInterface<mode_t> {};

TEST_P(KeptModeTest, ReplacedDrawingKeepsItsMode) {
    const mode_t mode = GetParam();
    testing::writeFile(dir / "out.dxf", "the drawing before\r\n");
    ASSERT_EQ(::chmod((dir / "out.dxf").c_str(), mode), 0);
    convertTo(dir / "out.dxf", withUmask(077));
    EXPECT_EQ(modeOf(dir / "out.dxf") & 07777, mode);
    EXPECT_EQ(testing::readFile(dir / "out.dxf"), kDrawing);
}

INSTANTIATE_TEST_SUITE_P(Modes, KeptModeTest, ::testing::Values(0644, 0600, 0604, 0660, 0755));

} // namespace

} // namespace quillet::faults
