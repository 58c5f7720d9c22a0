// A run that fails leaves the disk as it found it: no new file, no temporary file, an
// existing output unchanged.
#include "TestSupport.h"

#include "conversion/Run.h"

#include <filesystem>
#include <functional>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace quillet::testing {
namespace {

namespace fs = std::filesystem;

// Everything below a folder: each entry's kind, mode and bytes (or link target).
std::map<std::string, std::string> snapshot(const fs::path& root) {
    std::map<std::string, std::string> entries;
    for (const auto& entry :
         fs::recursive_directory_iterator(root, fs::directory_options::skip_permission_denied)) {
        struct stat st {};
        ::lstat(entry.path().c_str(), &st);
        std::string state = std::to_string(st.st_mode) + ":";
        if (entry.is_symlink())
            state += fs::read_symlink(entry.path()).string();
        else if (entry.is_regular_file() && ::access(entry.path().c_str(), R_OK) == 0)
            state += readFile(entry.path().string());
        entries[fs::relative(entry.path(), root).string()] = state;
    }
    return entries;
}

struct Paths {
    std::string input;
    std::string output;
    std::string height = "100";
};

struct ErrorCase {
    std::string name;
    int number;
    // Prepares dir (which already holds in.csv, old.dxf, sub/ and a long.csv) and names the run.
    std::function<Paths(const TempDir&)> setUp;
};

// Names the case in test output instead of dumping its bytes.
void PrintTo(const ErrorCase& c, std::ostream* os) {
    *os << c.name;
}

const std::string kInput = "a,b\r\n\r\nc\r\n";

void expectFailsLeavingDiskAsItWas(const ErrorCase& c) {
    TempDir dir;
    writeFile(dir / "in.csv", kInput);
    writeFile(dir / "old.dxf", "old drawing\r\n");
    fs::create_directory(dir.path() / "sub");
    Paths paths = c.setUp(dir);
    const auto before = snapshot(dir.path());
    conversion::ConversionState state;
    try {
        conversion::convertFile(paths.input, paths.output, paths.height, {}, state);
        ADD_FAILURE() << "no run-time error";
    } catch (const platform::RunError& error) {
        EXPECT_EQ(error.code(), c.number) << error.what();
    }
    EXPECT_EQ(snapshot(dir.path()), before);
}

std::string repeat(std::string_view piece, std::size_t times) {
    std::string out;
    for (std::size_t i = 0; i < times; ++i)
        out += piece;
    return out;
}

const std::vector<ErrorCase> kErrorCases = {
    {"MissingInput", 53,
     [](const TempDir& d) {
         return Paths{d / "nope.csv", d / "o.dxf"};
     }},
    {"InputEmptyName", 75,
     [](const TempDir& d) {
         return Paths{d / "", d / "o.dxf"};
     }},
    {"InputFolderMissing", 76,
     [](const TempDir& d) {
         return Paths{d / "nowhere/in.csv", d / "o.dxf"};
     }},
    {"InputThroughFile", 76,
     [](const TempDir& d) {
         return Paths{d / "in.csv/in.csv", d / "o.dxf"};
     }},
    {"InputIsFolder", 75,
     [](const TempDir& d) {
         return Paths{d / "sub", d / "o.dxf"};
     }},
    {"OutputFolderMissing", 76,
     [](const TempDir& d) {
         return Paths{d / "in.csv", d / "nowhere/o.dxf"};
     }},
    {"OutputThroughFile", 76,
     [](const TempDir& d) {
         return Paths{d / "in.csv", d / "old.dxf/o.dxf"};
     }},
    {"OutputIsFolder", 75,
     [](const TempDir& d) {
         return Paths{d / "in.csv", d / "sub"};
     }},
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
    {"OutputIsInput", 55,
     [](const TempDir& d) {
         return Paths{d / "in.csv", d / "in.csv"};
     }},
    {"OutputIsInputOtherName", 55,
     [](const TempDir& d) {
         return Paths{d / "in.csv", d / "sub/../in.csv"};
     }},
    {"OutputIsHardLinkToInput", 55,
     [](const TempDir& d) {
         fs::create_hard_link(d / "in.csv", d / "same.dxf");
         return Paths{d / "in.csv", d / "same.dxf"};
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
    {"HeightLetters", 13,
     [](const TempDir& d) {
         return Paths{d / "in.csv", d / "old.dxf", "abc"};
     }},
    {"HeightEmpty", 13,
     [](const TempDir& d) {
         return Paths{d / "in.csv", d / "old.dxf", ""};
     }},
    {"HeightTooLarge", 6,
     [](const TempDir& d) {
         return Paths{d / "in.csv", d / "old.dxf", "32768"};
     }},
    {"HeightTooSmall", 6,
     [](const TempDir& d) {
         return Paths{d / "in.csv", d / "old.dxf", "-32768.5"};
     }},
    {"LineTooLong", 6,
     [](const TempDir& d) {
         writeFile(d / "long.csv", "a\r\n" + std::string(32768, 'x'));
         return Paths{d / "long.csv", d / "old.dxf"};
     }},
    {"TooManyEmptyLines", 6,
     [](const TempDir& d) {
         writeFile(d / "long.csv", repeat("\r\n", 32768));
         return Paths{d / "long.csv", d / "old.dxf"};
     }},
    {"ColumnOverflow", 6,
     [](const TempDir& d) {
         writeFile(d / "long.csv", "a\r\n\r\nb");
         return Paths{d / "long.csv", d / "old.dxf", "3277"};
     }},
    {"ColumnOverflowNewOutput", 6,
     [](const TempDir& d) {
         writeFile(d / "long.csv", "a\r\n\r\nb");
         return Paths{d / "long.csv", d / "new.dxf", "3277"};
     }},
    // Many megabytes of output before the overflow: the writer has handed blocks to disk.
    {"OverflowAfterManyBlocks", 6,
     [](const TempDir& d) {
         writeFile(d / "long.csv", repeat(repeat("a,", 999) + "a\r\n", 400) + "\r\nb");
         return Paths{d / "long.csv", d / "old.dxf", "3277"};
     }},
};

class FailedRunTest : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(FailedRunTest, LeavesNothingBehind) {
    expectFailsLeavingDiskAsItWas(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Errors, FailedRunTest, ::testing::ValuesIn(kErrorCases),
                         [](const auto& test) { return test.param.name; });

TEST(RunErrorContextTest, ScanErrorNamesInputAndLine) {
    TempDir dir;
    writeFile(dir / "in.csv", "a\r\nb\r\n" + std::string(32768, 'x') + "\r\nc");
    conversion::ConversionState state;
    try {
        conversion::convertFile(dir / "in.csv", dir / "out.dxf", "100", {}, state);
        ADD_FAILURE() << "no run-time error";
    } catch (const platform::RunError& error) {
        EXPECT_EQ(error.code(), 6);
        EXPECT_EQ(error.path(), dir / "in.csv");
        EXPECT_EQ(error.line(), 3);
    }
}

TEST(RunErrorContextTest, OpenErrorsNameTheFile) {
    TempDir dir;
    writeFile(dir / "in.csv", "a");
    conversion::ConversionState state;
    try {
        conversion::convertFile(dir / "nope.csv", dir / "out.dxf", "100", {}, state);
        ADD_FAILURE() << "no run-time error";
    } catch (const platform::RunError& error) {
        EXPECT_EQ(error.path(), dir / "nope.csv");
        EXPECT_EQ(error.line(), 0);
    }
    try {
        conversion::convertFile(dir / "in.csv", dir / "nowhere/out.dxf", "100", {}, state);
        ADD_FAILURE() << "no run-time error";
    } catch (const platform::RunError& error) {
        EXPECT_TRUE(error.path().starts_with(dir / "nowhere")) << error.path();
    }
}

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
