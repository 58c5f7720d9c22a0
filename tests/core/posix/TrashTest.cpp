// A replaced drawing goes to the freedesktop trash: there after a success, nowhere after a
// failure, and a run that goes on where no trash can be had.
#include "TestSupport.h"

#include "conversion/Run.h"
#include "platform/posix/Trash.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>

namespace quillet::testing {
namespace {

namespace fs = std::filesystem;

// Points the home trash at dataHome for one test, and back after.
class TrashTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (const char* old = std::getenv("XDG_DATA_HOME"))
            saved_ = old;
        setDataHome(data.str());
        writeFile(dir / "in.csv", "new");
        writeFile(dir / "out.dxf", "edited in CAD");
    }
    void TearDown() override {
        if (saved_)
            ::setenv("XDG_DATA_HOME", saved_->c_str(), 1);
        else
            ::unsetenv("XDG_DATA_HOME");
    }
    static void setDataHome(const std::string& path) { ::setenv("XDG_DATA_HOME", path.c_str(), 1); }

    conversion::RunResult run(bool backup, const std::string& input = "in.csv") {
        conversion::ConversionState state;
        conversion::RunControl control;
        control.backup = backup;
        return conversion::convertFile(dir / input, dir / "out.dxf", "100", {}, state, {}, control);
    }
    std::vector<std::string> trashed(const std::string& part) const {
        std::vector<std::string> names;
        const fs::path folder = data.path() / "Trash" / part;
        if (fs::exists(folder))
            for (const auto& entry : fs::directory_iterator(folder))
                names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    TempDir dir;
    TempDir data;

  private:
    std::optional<std::string> saved_;
};

TEST_F(TrashTest, ReplacedDrawingIsInTheTrashAndNamedInTheReport) {
    const conversion::RunResult result = run(true);
    EXPECT_EQ(readFile(dir / "out.dxf"), dxfOf(textEntity(0, 0, 100, "new")));
    ASSERT_TRUE(result.trashed.moved);
    EXPECT_EQ(result.trashed.where, data / "Trash/files/out.dxf");
    EXPECT_EQ(readFile(data / "Trash/files/out.dxf"), "edited in CAD");
    const std::string info = readFile(data / "Trash/info/out.dxf.trashinfo");
    EXPECT_TRUE(info.starts_with(
        "[Trash Info]\nPath=" + platform::trashInfoPath(fs::canonical(dir.path()).string()) +
        "/out.dxf\nDeletionDate=20"))
        << info;
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"in.csv", "out.dxf"}));
    EXPECT_NE(conversion::reportText(result).find("ごみ箱に移しました : " + (dir / "out.dxf")),
              std::string::npos);

    // A second replacement keeps the first one in the trash.
    writeFile(dir / "out.dxf", "edited again");
    EXPECT_TRUE(run(true).trashed.moved);
    EXPECT_EQ(trashed("files"), (std::vector<std::string>{"out.2.dxf", "out.dxf"}));
    EXPECT_EQ(trashed("info"),
              (std::vector<std::string>{"out.2.dxf.trashinfo", "out.dxf.trashinfo"}));
    EXPECT_EQ(readFile(data / "Trash/files/out.2.dxf"), "edited again");
}

TEST_F(TrashTest, NothingGoesToTheTrashUnlessAskedOrWhenNothingIsReplaced) {
    EXPECT_FALSE(run(false).trashed.moved);
    fs::remove(dir / "out.dxf");
    const conversion::RunResult result = run(true);
    EXPECT_FALSE(result.trashed.moved);
    EXPECT_EQ(conversion::reportText(result).find("ごみ箱"), std::string::npos);
    EXPECT_EQ(trashed("files"), std::vector<std::string>{});
}

TEST_F(TrashTest, FailedRunPutsNothingInTheTrash) {
    writeFile(dir / "long.csv", std::string(40000, 'x'));
    EXPECT_RUN_ERROR(run(true, "long.csv"), 6);
    EXPECT_EQ(readFile(dir / "out.dxf"), "edited in CAD");
    EXPECT_EQ(trashed("files"), std::vector<std::string>{});
    EXPECT_EQ(trashed("info"), std::vector<std::string>{});
}

TEST_F(TrashTest, RunGoesOnWhereNoTrashCanBeHad) {
    // A data folder under a plain file: no trash can be made there, whoever runs.
    writeFile(data / "plain", "");
    setDataHome(data / "plain/share");
    const conversion::RunResult result = run(true);
    EXPECT_FALSE(result.trashed.moved);
    EXPECT_EQ(readFile(dir / "out.dxf"), dxfOf(textEntity(0, 0, 100, "new")));
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"in.csv", "out.dxf"}));
}

TEST(TrashInfoPathTest, EncodesAllButUnreservedBytesAndSlashes) {
    EXPECT_EQ(platform::trashInfoPath("/home/u/a-b_c.~d/x.dxf"), "/home/u/a-b_c.~d/x.dxf");
    EXPECT_EQ(platform::trashInfoPath("/a b/%#?"), "/a%20b/%25%23%3F");
    EXPECT_EQ(platform::trashInfoPath("/図"), "/%E5%9B%B3");
    EXPECT_EQ(platform::trashInfoPath("\x93\xFA"), "%93%FA");
}

} // namespace
} // namespace quillet::testing
