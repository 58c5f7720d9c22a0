// A replaced drawing on another file system than the home trash goes to that file system's
// own trash, and where it can have none the run goes on as without --backup.
#include "FaultTest.h"
#include "ScratchMount.h"

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace quillet::faults {

namespace {

namespace fs = std::filesystem;

class OtherFileSystemTrashTest : public FaultTest {
  protected:
    void SetUp() override {
        if (mount.path().empty())
            GTEST_SKIP() << mount.failure();
        folder = mount.path() + "/sub";
        fs::create_directory(folder);
        ::chmod(folder.c_str(), 0777);
        testing::writeFile(folder + "/in.csv", "a\r\n");
        testing::writeFile(folder + "/old.dxf", "the drawing before\r\n");
        ::chmod((folder + "/old.dxf").c_str(), 0666);
    }

    Outcome convert(Conditions conditions = {}, const std::string& input = "/in.csv") {
        conditions.environment.push_back("XDG_DATA_HOME=" + dir / "data");
        return runConverter({"--backup", "-o", folder + "/old.dxf", folder + input}, conditions);
    }

    ScratchMount mount{ScratchMount::Kind::Tmpfs};
    std::string folder;
};

TEST_F(OtherFileSystemTrashTest, GoesToTheFileSystemsOwnTrash) {
    const Outcome outcome = convert();
    ASSERT_TRUE(outcome.exited && outcome.exitCode == 0) << outcome.errors;
    const std::string trash = mount.path() + "/.Trash-0";
    EXPECT_EQ(testing::readFile(trash + "/files/old.dxf"), "the drawing before\r\n");
    const std::string info = testing::readFile(trash + "/info/old.dxf.trashinfo");
    // Named relative to the file system's top folder.
    EXPECT_TRUE(info.starts_with("[Trash Info]\nPath=sub/old.dxf\nDeletionDate=")) << info;
    EXPECT_EQ(testing::readFile(folder + "/old.dxf"),
              testing::dxfOf(testing::textEntity(0, 0, 100, "a")));
    // Not the home trash: that is on another file system.
    EXPECT_FALSE(fs::exists(dir / "data/Trash/files/old.dxf"));
}

TEST_F(OtherFileSystemTrashTest, SharedTrashFolderIsUsedWhenTheAdministratorMadeOne) {
    fs::create_directory(mount.path() + "/.Trash");
    ::chmod((mount.path() + "/.Trash").c_str(), 01777);
    const Outcome outcome = convert();
    ASSERT_TRUE(outcome.exited && outcome.exitCode == 0) << outcome.errors;
    EXPECT_EQ(testing::readFile(mount.path() + "/.Trash/0/files/old.dxf"),
              "the drawing before\r\n");
    EXPECT_FALSE(fs::exists(mount.path() + "/.Trash-0"));
}

TEST_F(OtherFileSystemTrashTest, FailedRunLeavesNothingInThatTrash) {
    testing::writeFile(folder + "/long.csv", std::string(40000, 'x'));
    watch(folder + "/old.dxf");
    expectCleanFailure(convert({}, "/long.csv"), 6, {folder});
    if (fs::exists(mount.path() + "/.Trash-0/files")) {
        EXPECT_TRUE(fs::is_empty(mount.path() + "/.Trash-0/files"));
        EXPECT_TRUE(fs::is_empty(mount.path() + "/.Trash-0/info"));
    }
}

TEST_F(OtherFileSystemTrashTest, RunGoesOnWhereNoTrashCanBeMade) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to run as another user";
    // The top folder is root's: nobody can make a trash there, only reach the drawing.
    ::chmod(fs::path(mount.path()).parent_path().c_str(), 0755);
    ::chmod(mount.path().c_str(), 0755);
    ::chmod((folder + "/in.csv").c_str(), 0644);
    const Outcome outcome = convert(unprivileged());
    ASSERT_TRUE(outcome.exited && outcome.exitCode == 0) << outcome.errors;
    EXPECT_EQ(testing::readFile(folder + "/old.dxf"),
              testing::dxfOf(testing::textEntity(0, 0, 100, "a")));
    EXPECT_FALSE(fs::exists(mount.path() + "/.Trash-65534"));
    EXPECT_EQ(tempFilesIn(folder), std::vector<std::string>{});
}

} // namespace

} // namespace quillet::faults
