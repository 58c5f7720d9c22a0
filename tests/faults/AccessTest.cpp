#include "FaultTest.h"

#include <filesystem>
#include <functional>
#include <unistd.h>

namespace quillet::faults {

namespace {

namespace fs = std::filesystem;

constexpr auto kSkipClosed = fs::directory_options::skip_permission_denied;

// One refused run: how to set the folder up, the converter's arguments, the number expected.
struct AccessCase {
    const char* name;
    int number;
    std::function<void(const testing::TempDir&)> setUp;
    std::vector<std::string> args; // "@/" stands for the test's folder
};

void PrintTo(const AccessCase& c, std::ostream* os) {
    *os << c.name;
}

std::vector<std::string> resolved(const std::vector<std::string>& args,
                                  const testing::TempDir& dir) {
    std::vector<std::string> out;
    for (const std::string& arg : args)
        out.push_back(arg.starts_with("@/") ? dir / arg.substr(2) : arg);
    return out;
}

void makeFolder(const testing::TempDir& dir, const char* name, fs::perms perms) {
    fs::create_directory(dir / name);
    fs::permissions(dir / name, perms);
}

class AccessTest : public FaultTest, public ::testing::WithParamInterface<AccessCase> {
  protected:
    void SetUp() override {
        testing::writeFile(dir / "in.csv", "a,b\r\n");
        testing::writeFile(dir / "old.dxf", "the drawing before\r\n");
        ::chmod((dir / "in.csv").c_str(), 0644);
        ::chmod((dir / "old.dxf").c_str(), 0644);
        GetParam().setUp(dir);
        for (const auto& entry : fs::recursive_directory_iterator(dir.path(), kSkipClosed))
            watch(entry.path().string());
    }

    std::vector<std::string> everyFolder() const {
        std::vector<std::string> folders{dir.str()};
        for (const auto& entry : fs::recursive_directory_iterator(dir.path(), kSkipClosed))
            if (entry.is_directory() && !entry.is_symlink())
                folders.push_back(entry.path().string());
        return folders;
    }
};

void nothing(const testing::TempDir&) {}

// Refusals by the file system's permissions: run as nobody, since root may do anything.
const AccessCase kPermissionCases[] = {
    {"UnreadableInput",
     70,
     [](auto& d) { fs::permissions(d / "in.csv", fs::perms::none); },
     {"-o", "@/new.dxf", "@/in.csv"}},
    {"InputFolderClosed",
     70,
     [](auto& d) {
         makeFolder(d, "closed", fs::perms::all);
         testing::writeFile(d / "closed/in.csv", "a\r\n");
         fs::permissions(d / "closed", fs::perms::none);
     },
     {"-o", "@/new.dxf", "@/closed/in.csv"}},
    {"OutputFolderReadOnly",
     70,
     [](auto& d) {
         makeFolder(d, "ro",
                    fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read |
                        fs::perms::others_exec);
     },
     {"-o", "@/ro/out.dxf", "@/in.csv"}},
    {"OutputFolderClosed",
     70,
     [](auto& d) { makeFolder(d, "closed", fs::perms::none); },
     {"-o", "@/closed/out.dxf", "@/in.csv"}},
    {"ReadOnlyOutput",
     70,
     [](auto& d) { fs::permissions(d / "old.dxf", fs::perms::others_read); },
     {"-o", "@/old.dxf", "@/in.csv"}},
    {"OutputIsFolder",
     75,
     [](auto& d) { makeFolder(d, "folder.dxf", fs::perms::all); },
     {"-o", "@/folder.dxf", "@/in.csv"}},
    {"InputIsFolder",
     75,
     [](auto& d) { makeFolder(d, "folder.csv", fs::perms::all); },
     {"-o", "@/new.dxf", "@/folder.csv"}},
};

// Names that lead nowhere, or back to the input.
const AccessCase kPathCases[] = {
    {"MissingInput", 53, nothing, {"-o", "@/new.dxf", "@/absent.csv"}},
    {"InputFolderMissing", 76, nothing, {"-o", "@/new.dxf", "@/absent/in.csv"}},
    {"OutputFolderMissing", 76, nothing, {"-o", "@/absent/out.dxf", "@/in.csv"}},
    {"InputThroughFile", 76, nothing, {"-o", "@/new.dxf", "@/old.dxf/in.csv"}},
    {"OutputThroughFile", 76, nothing, {"-o", "@/in.csv/out.dxf", "@/in.csv"}},
    {"OutputIsInput", 55, nothing, {"-o", "@/in.csv", "@/in.csv"}},
    {"OutputIsInputByAnotherName", 55, nothing, {"-o", "@/./in.csv", "@/in.csv"}},
    {"OutputIsHardLinkToInput",
     55,
     [](auto& d) { fs::create_hard_link(d / "in.csv", d / "linked.dxf"); },
     {"-o", "@/linked.dxf", "@/in.csv"}},
    {"OutputIsSymlinkToInput",
     55,
     [](auto& d) { fs::create_symlink("in.csv", d / "linked.dxf"); },
     {"-o", "@/linked.dxf", "@/in.csv"}},
    {"InputIsSymlinkToOutput",
     55,
     [](auto& d) { fs::create_symlink("old.dxf", d / "linked.csv"); },
     {"-o", "@/old.dxf", "@/linked.csv"}},
};

class PermissionTest : public AccessTest {};
class PathTest : public AccessTest {};

TEST_P(PermissionTest, RefusedWithoutTrace) {
    Outcome outcome = runConverter(resolved(GetParam().args, dir), unprivileged());
    expectCleanFailure(outcome, GetParam().number, everyFolder());
    EXPECT_FALSE(fs::exists(dir / "new.dxf"));
}

TEST_P(PathTest, RefusedWithoutTrace) {
    Outcome outcome = runConverter(resolved(GetParam().args, dir));
    expectCleanFailure(outcome, GetParam().number, everyFolder());
    EXPECT_FALSE(fs::exists(dir / "new.dxf"));
}

auto caseName = [](const ::testing::TestParamInfo<AccessCase>& info) { return info.param.name; };
INSTANTIATE_TEST_SUITE_P(Faults, PermissionTest, ::testing::ValuesIn(kPermissionCases), caseName);
INSTANTIATE_TEST_SUITE_P(Faults, PathTest, ::testing::ValuesIn(kPathCases), caseName);

// The unprivileged runs above mean something only if nobody can convert at all.
TEST_F(FaultTest, UnprivilegedRunConvertsWhatItMayRead) {
    testing::writeFile(dir / "in.csv", "a\r\n");
    ::chmod((dir / "in.csv").c_str(), 0644);
    Outcome outcome = runConverter({"-o", dir / "out.dxf", dir / "in.csv"}, unprivileged());
    EXPECT_TRUE(outcome.exited && outcome.exitCode == 0) << outcome.errors;
    EXPECT_EQ(testing::readFile(dir / "out.dxf"),
              testing::dxfOf(testing::textEntity(0, 0, 100, "a")));
}

} // namespace

} // namespace quillet::faults
