// Folders read on Windows: names in UTF-16 handed on as UTF-8, the hidden attribute, drives.
#include "TestSupport.h"

#include "platform/FolderListing.h"

#include <algorithm>
#include <filesystem>
#include <windows.h>

namespace quillet::testing {
namespace {

namespace fs = std::filesystem;

TEST(FolderListingTest, EveryEntryInUtf8WithItsKind) {
    TempDir dir;
    writeFile(dir / "a.csv", "a");
    writeFile(dir / "配管図.csv", "t");
    writeFile(dir / "secret.txt", "h");
    ::SetFileAttributesW(pathOf(dir / "secret.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    fs::create_directory(pathOf(dir / "図面"));
    std::vector<platform::FolderEntry> entries = platform::listFolder(dir.str());
    std::sort(entries.begin(), entries.end(),
              [](const auto& a, const auto& b) { return a.name < b.name; });
    std::vector<std::tuple<std::string, bool, bool>> seen;
    for (const auto& e : entries)
        seen.emplace_back(e.name, e.folder, e.hidden);
    const std::vector<std::tuple<std::string, bool, bool>> expected{{"a.csv", false, false},
                                                                    {"secret.txt", false, true},
                                                                    {"図面", true, false},
                                                                    {"配管図.csv", false, false}};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(platform::displayName("配管図.csv"), "配管図.csv");
    EXPECT_RUN_ERROR(platform::listFolder(dir / "missing"), 76);
    EXPECT_RUN_ERROR(platform::listFolder(dir / "a.csv"), 76);
}

TEST(FolderListingTest, StampChangesWhenAnEntryComesOrGoes) {
    TempDir dir;
    const std::int64_t empty = platform::folderStamp(dir.str());
    ::Sleep(20); // the folder's time is kept in steps
    writeFile(dir / "new.dxf", "x");
    EXPECT_NE(platform::folderStamp(dir.str()), empty);
    EXPECT_EQ(platform::folderStamp(dir / "missing"), 0);
}

TEST(FolderListingTest, AbsoluteFolderIsWholeAndWrittenWithSlashes) {
    const std::pair<std::string, std::string> cases[] = {
        {"C:\\", "C:/"},
        {"C:\\a\\b\\", "C:/a/b"},
        {"C:/a/./b/../c", "C:/a/c"},
        {"C:\\配管\\図", "C:/配管/図"},
    };
    for (const auto& [path, plain] : cases)
        EXPECT_EQ(platform::absoluteFolder(path), plain) << path;
    std::string here = utf8Of(fs::current_path());
    std::replace(here.begin(), here.end(), '\\', '/');
    EXPECT_EQ(platform::absoluteFolder("."), here);
    EXPECT_EQ(platform::entryPath("C:/", "a"), "C:/a");
}

} // namespace
} // namespace quillet::testing
