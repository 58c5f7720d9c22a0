// A run that fails leaves the disk as it found it: no new file, no temporary file, an
// existing output unchanged.
#include "TestSupport.h"

#include "FailedRun.h"
#include "conversion/Run.h"

namespace quillet::testing {
namespace {

namespace fs = std::filesystem;

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
// The cases only one kind of system has: links, pipes and modes, or attributes and devices.
INSTANTIATE_TEST_SUITE_P(SystemErrors, FailedRunTest, ::testing::ValuesIn(systemErrorCases()),
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

} // namespace
} // namespace quillet::testing
