// Folders read as the system names their entries: bytes, shown as well as they can be.
#include "TestSupport.h"

#include "platform/FolderListing.h"

#include <algorithm>
#include <filesystem>

namespace quillet::testing {
namespace {

namespace fs = std::filesystem;

TEST(FolderListingTest, EveryEntryByItsBytesWithItsKind) {
    TempDir dir;
    writeFile(dir / "a.csv", "a");
    writeFile(dir / ".hidden", "h");
    writeFile(dir / "\x83\x65\x83\x58\x83\x67.csv", "t"); // テスト.csv in code page 932
    fs::create_directory(dir.path() / "sub");
    fs::create_directory_symlink("sub", dir.path() / "to-sub");
    fs::create_symlink("nowhere", dir.path() / "dangling");
    std::vector<platform::FolderEntry> entries = platform::listFolder(dir.str());
    std::sort(entries.begin(), entries.end(),
              [](const auto& a, const auto& b) { return a.name < b.name; });
    std::vector<std::tuple<std::string, bool, bool>> seen;
    for (const auto& e : entries)
        seen.emplace_back(e.name, e.folder, e.hidden);
    const std::vector<std::tuple<std::string, bool, bool>> expected{
        {".hidden", false, true},   {"a.csv", false, false},
        {"dangling", false, false}, {"sub", true, false},
        {"to-sub", true, false},    {"\x83\x65\x83\x58\x83\x67.csv", false, false}};
    EXPECT_EQ(seen, expected);
    EXPECT_RUN_ERROR(platform::listFolder(dir / "missing"), 76);
    EXPECT_RUN_ERROR(platform::listFolder(dir / "a.csv"), 76);
}

TEST(FolderListingTest, StampChangesWhenAnEntryComesOrGoes) {
    TempDir dir;
    const std::int64_t empty = platform::folderStamp(dir.str());
    writeFile(dir / "new.dxf", "x");
    const std::int64_t one = platform::folderStamp(dir.str());
    EXPECT_NE(one, empty);
    fs::remove(dir.path() / "new.dxf");
    EXPECT_NE(platform::folderStamp(dir.str()), one);
    EXPECT_EQ(platform::folderStamp(dir / "missing"), 0);
}

TEST(FolderListingTest, NamesShownAsWellAsTheyCanBe) {
    const std::pair<std::string, std::string> cases[] = {
        {"plain.csv", "plain.csv"},
        {"配管.csv", "配管.csv"},
        {"\x83\x65\x83\x58\x83\x67.csv", "テスト.csv"},
        {"\xFF\xFEz.csv", "\\xFF\\xFEz.csv"},
        {"配\xFF", "配\\xFF"}, // neither: the UTF-8 stays readable
    };
    for (const auto& [bytes, shown] : cases)
        EXPECT_EQ(platform::displayName(bytes), shown) << ::testing::PrintToString(bytes);
}

TEST(FolderListingTest, AbsoluteFolderIsPlain) {
    const std::pair<std::string, std::string> cases[] = {
        {"/", "/"},         {"/a/b/", "/a/b"},
        {"//a//b", "/a/b"}, {"/a/./b/../c", "/a/c"},
        {"/..", "/"},       {"/a/\x83\x65", "/a/\x83\x65"},
    };
    for (const auto& [path, plain] : cases)
        EXPECT_EQ(platform::absoluteFolder(path), plain) << path;
    EXPECT_EQ(platform::absoluteFolder("."), fs::current_path().string());
    EXPECT_EQ(platform::entryPath("/", "a"), "/a");
    EXPECT_EQ(platform::entryPath("/x", "a"), "/x/a");
}

} // namespace
} // namespace quillet::testing
