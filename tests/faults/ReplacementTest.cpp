#include "FaultTest.h"

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

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

// A link at the output name stays; the file it leads to takes the drawing, safely.
TEST_F(ReplacementTest, SymlinkAtOutputKeepsTheLinkAndReplacesItsTarget) {
    testing::TempDir elsewhere;
    testing::writeFile(elsewhere / "target.dxf", "the target\r\n");
    ::chmod((elsewhere / "target.dxf").c_str(), 0640);
    fs::create_symlink(elsewhere / "target.dxf", dir / "out.dxf");
    watch(dir / "out.dxf");
    convertTo(dir / "out.dxf");
    EXPECT_EQ(testing::readFile(elsewhere / "target.dxf"), kDrawing);
    EXPECT_EQ(modeOf(elsewhere / "target.dxf") & 07777, 0640u);
    EXPECT_EQ(tempFilesIn(elsewhere.str()), std::vector<std::string>{});
    expectNothingLeft({dir.str()});
}

TEST_F(ReplacementTest, DanglingSymlinkCreatesItsTarget) {
    fs::create_symlink("nowhere.dxf", dir / "out.dxf");
    watch(dir / "out.dxf");
    convertTo(dir / "out.dxf");
    EXPECT_EQ(testing::readFile(dir / "nowhere.dxf"), kDrawing);
    expectNothingLeft({dir.str()});
}

// What a link leads to gets every check a plain name gets, and the link is never replaced.
TEST_F(ReplacementTest, SymlinkToWhatCannotBeReplacedIsRefused) {
    ::mkfifo((dir / "pipe").c_str(), 0666);
    testing::writeFile(dir / "readonly.dxf", "read only\r\n");
    ::chmod((dir / "readonly.dxf").c_str(), 0444);
    const std::pair<std::string, int> cases[] = {
        {"/dev/null", 75},
        {"/proc/self/fd/1", 75}, // the converter's standard output, as /dev/stdout is
        {dir / "pipe", 75},
        {dir / "readonly.dxf", 70},
    };
    for (const auto& [target, number] : cases) {
        const std::string link = dir / "link.dxf";
        fs::remove(link);
        fs::create_symlink(target, link);
        watch(link);
        watch(dir / "readonly.dxf");
        Outcome outcome = runConverter({"-o", link, dir / "in.csv"}, unprivileged());
        SCOPED_TRACE(target);
        expectCleanFailure(outcome, number, {dir.str()});
        EXPECT_TRUE(fs::is_symlink(link));
    }
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

// The special bits are never kept: a replaced setuid file must not hand its bit to a drawing.
TEST_F(ReplacementTest, ReplacedDrawingLosesSetuidSetgidAndSticky) {
    testing::writeFile(dir / "out.dxf", "the drawing before\r\n");
    ASSERT_EQ(::chmod((dir / "out.dxf").c_str(), 07755), 0);
    convertTo(dir / "out.dxf");
    EXPECT_EQ(modeOf(dir / "out.dxf") & 07777, 0755u);
}

// As root the drawing stays its owner's: otherwise its owner could no longer read it.
TEST_F(ReplacementTest, ReplacedDrawingKeepsItsOwner) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root may give a file to another user";
    testing::writeFile(dir / "out.dxf", "alice's drawing\r\n");
    ASSERT_EQ(::chown((dir / "out.dxf").c_str(), 65534, 65534), 0);
    ASSERT_EQ(::chmod((dir / "out.dxf").c_str(), 0600), 0);
    convertTo(dir / "out.dxf");
    struct stat st {};
    ASSERT_EQ(::stat((dir / "out.dxf").c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 65534u);
    EXPECT_EQ(st.st_gid, 65534u);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_EQ(testing::readFile(dir / "out.dxf"), kDrawing);
}

// In a sticky folder another user's file cannot be renamed over; that is known at the start.
TEST_F(ReplacementTest, StickyFolderRefusesAnotherUsersFileBeforeTheWork) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs a file of another user in a sticky folder";
    fs::create_directory(dir / "shared");
    ASSERT_EQ(::chmod((dir / "shared").c_str(), 01777), 0);
    testing::writeFile(dir / "shared/out.dxf", "root's drawing\r\n");
    ASSERT_EQ(::chmod((dir / "shared/out.dxf").c_str(), 0666), 0);
    // A line too long to convert: only a check made before reading can answer 70.
    testing::writeFile(dir / "long.csv", std::string(70000, 'x'));
    ::chmod((dir / "long.csv").c_str(), 0644);
    watch(dir / "shared/out.dxf");
    Outcome outcome =
        runConverter({"-o", dir / "shared/out.dxf", dir / "long.csv"}, unprivileged());
    expectCleanFailure(outcome, 70, {dir.str(), dir / "shared"});
}

} // namespace

} // namespace quillet::faults
