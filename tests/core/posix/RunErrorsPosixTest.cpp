// Failed runs over what only POSIX has: symbolic links, pipes, modes and other users.
#include "FailedRun.h"

#include <sys/stat.h>
#include <unistd.h>

namespace quillet::testing {

namespace fs = std::filesystem;

const std::vector<ErrorCase>& systemErrorCases() {
    static const std::vector<ErrorCase> cases = {
        {"OutputIsSymlinkToFolder", 75,
         [](const TempDir& d) {
             fs::create_directory_symlink("sub", d.path() / "linked");
             return Paths{d / "in.csv", d / "linked"};
         }},
        // A pipe or a device at the output name is no file to put the drawing in place of.
        {"OutputIsFifo", 75,
         [](const TempDir& d) {
             ::mkfifo((d / "pipe").c_str(), 0600);
             return Paths{d / "in.csv", d / "pipe"};
         }},
        {"OutputIsSymlinkToInput", 55,
         [](const TempDir& d) {
             fs::create_symlink("in.csv", d.path() / "same.dxf");
             return Paths{d / "in.csv", d / "same.dxf"};
         }},
        {"InputIsSymlinkToOutput", 55,
         [](const TempDir& d) {
             fs::create_symlink("old.dxf", d.path() / "link.csv");
             return Paths{d / "link.csv", d / "old.dxf"};
         }},
    };
    return cases;
}

namespace {

// Refusals the operating system makes only to users other than root.
class PermissionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (::geteuid() == 0)
            GTEST_SKIP() << "root may read and write everything";
    }
};

TEST_F(PermissionTest, UnreadableInput) {
    expectFailsLeavingDiskAsItWas({"", 70, [](const TempDir& d) {
                                       fs::permissions(d / "in.csv", fs::perms::none);
                                       return Paths{d / "in.csv", d / "o.dxf"};
                                   }});
}

TEST_F(PermissionTest, ReadOnlyOutput) {
    expectFailsLeavingDiskAsItWas({"", 70, [](const TempDir& d) {
                                       fs::permissions(d / "old.dxf", fs::perms::owner_read);
                                       return Paths{d / "in.csv", d / "old.dxf"};
                                   }});
}

TEST_F(PermissionTest, OutputFolderClosed) {
    expectFailsLeavingDiskAsItWas({"", 70, [](const TempDir& d) {
                                       fs::permissions(d.path() / "sub", fs::perms::owner_read |
                                                                             fs::perms::owner_exec);
                                       return Paths{d / "in.csv", d / "sub/o.dxf"};
                                   }});
}

TEST_F(PermissionTest, InputFolderClosed) {
    expectFailsLeavingDiskAsItWas({"", 70, [](const TempDir& d) {
                                       writeFile(d / "sub/in.csv", "a");
                                       fs::permissions(d.path() / "sub", fs::perms::none);
                                       return Paths{d / "sub/in.csv", d / "o.dxf"};
                                   }});
}

} // namespace
} // namespace quillet::testing
