// Folders for Dir1 and Drive1: roots, the drive of a folder, the flat list and what is ready.
#include "form/Listing.h"
#include "TestSupport.h"
#include "form/DirectoryList.h"
#include "platform/FolderListing.h"
#include "platform/OsError.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace quillet::form {
namespace {

using quillet::testing::TempDir;
using quillet::testing::writeFile;

TEST(RootOf, TakesTheWholeRootNotOneCharacter) {
    EXPECT_EQ(rootOf("/home/ann"), "/");
    EXPECT_EQ(rootOf("/"), "/");
    EXPECT_EQ(rootOf("C:/work/x"), "C:/");
    EXPECT_EQ(rootOf("d:/"), "d:/");
    EXPECT_EQ(rootOf("//server/share/plans"), "//server/share");
}

TEST(DriveRootOf, FindsTheDeepestDriveHoldingTheFolder) {
    const std::vector<std::string> posix{"/", "/home", "/home/ann/usb", "/media/x"};
    const std::vector<std::string> windows{"C:/", "D:/"};
    struct Case {
        const char* folder;
        const std::vector<std::string>* drives;
        const char* drive;
    };
    const Case cases[] = {
        {"/home/ann/work", &posix, "/home"},
        {"/home", &posix, "/home"},
        {"/homework/x", &posix, "/"},
        {"/home/ann/usb/photos", &posix, "/home/ann/usb"},
        {"/", &posix, "/"},
        {"D:/plans", &windows, "D:/"},
        {"c:/users", &windows, "C:/"},
        {"E:/x", &windows, "E:/"},
        {"//server/share/x", &windows, "//server/share"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(driveRootOf(c.folder, *c.drives), c.drive) << c.folder;
}

TEST(Listing, TellsAFolderThatIsNotReady) {
    TempDir dir;
    writeFile(dir / "plain.txt", "");
    EXPECT_EQ(folderNotReady(dir.str()), std::nullopt);
    EXPECT_EQ(folderNotReady(dir / "gone"), platform::ErrorNumber::PathNotFound);
    EXPECT_EQ(folderNotReady(dir / "plain.txt"), platform::ErrorNumber::PathNotFound);
}

TEST(Listing, ListsFilesAndFoldersApartInOneOrder) {
    TempDir dir;
    for (const char* name : {"c.csv", "B.csv", "a.csv", ".hidden"})
        writeFile(dir / name, "");
    for (const char* name : {"Zeta", "alpha", ".git"})
        std::filesystem::create_directory(dir.path() / name);
    std::vector<std::string> files;
    for (const ListedName& file : filesOf(dir.str()))
        files.push_back(file.shown);
    // Letters of either case alike: "B.csv" after "a.csv", as the bytes would not have it.
    EXPECT_EQ(files, (std::vector<std::string>{"a.csv", "B.csv", "c.csv"}));
    // Then by the bytes; and a character beyond ASCII after every ASCII one.
    EXPECT_TRUE(listedBefore({"a.csv", "A.csv"}, {"a.csv", "a.csv"}));
    EXPECT_TRUE(listedBefore({"z", "z"}, {"é", "é"}));
    const std::vector<ListedName> folders = foldersOf(dir.str());
    ASSERT_EQ(folders.size(), 2u);
    EXPECT_EQ(folders[0].shown, "alpha");
    EXPECT_EQ(folders[1].bytes, platform::entryPath(dir.str(), "Zeta"));
    EXPECT_TRUE(filesOf(dir / "gone").empty());

    // A tree that was shown at a hidden folder keeps leading to it, and to nothing else hidden.
    std::filesystem::create_directories(dir.path() / ".git" / "objects");
    std::filesystem::create_directory(dir.path() / ".cache");
    const std::string git = platform::entryPath(dir.str(), ".git");
    for (const std::string& kept : {git, platform::entryPath(git, "objects")}) {
        std::vector<std::string> shown;
        for (const ListedName& folder : foldersOf(dir.str(), kept))
            shown.push_back(folder.shown);
        EXPECT_EQ(shown, (std::vector<std::string>{".git", "alpha", "Zeta"})) << kept;
    }
    // A name that only starts like the kept one is not on its way.
    EXPECT_EQ(foldersOf(dir.str(), git + "-old").size(), 2u);
}

TEST(DriveCaption, DrivesShowAsTheSystemWritesThem) {
    struct Case {
        const char* drive;
        const char* posix;
        const char* windows;
    };
    const Case cases[] = {
        {"C:/", "C:", "C:"},
        {"z:/", "z:", "z:"},
        {"//server/share", "//server/share", "\\\\server\\share"},
        {"C:/work/図面", "C:/work/図面", "C:\\work\\図面"},
        {"/", "/", "\\"},
        {"/media/usb", "/media/usb", "\\media\\usb"},
    };
    for (const Case& c : cases) {
#ifdef _WIN32
        EXPECT_EQ(driveCaption(c.drive), c.windows) << c.drive;
#else
        EXPECT_EQ(driveCaption(c.drive), c.posix) << c.drive;
#endif
    }
    // The root line of Dir1 as the system writes a root.
    EXPECT_EQ(directoryLines("/").lines.front().shown, platform::nativeSeparators("/"));
}

TEST(DirectoryLines, ChainDownToTheFolderThenItsFolders) {
    TempDir dir;
    std::filesystem::create_directories(dir.path() / ".hidden" / "inner" / "deeper");
    std::filesystem::create_directory(dir.path() / ".hidden" / "inner" / ".dot");
    const std::string current = platform::absoluteFolder(dir / ".hidden/inner");
    const DirectoryList list = directoryLines(current);
    ASSERT_GE(list.lines.size(), 4u);
    EXPECT_EQ(list.lines.front().path, rootOf(current));
    EXPECT_EQ(list.lines.front().indent, 0);
    // Each step of the chain one further in; a hidden folder on the way is shown.
    for (std::size_t i = 0; i <= list.current; ++i)
        EXPECT_EQ(list.lines[i].indent, int(i));
    EXPECT_EQ(list.lines[list.current].path, current);
    EXPECT_EQ(list.lines[list.current].shown, "inner");
    EXPECT_EQ(list.lines[list.current - 1].shown, ".hidden");
    ASSERT_EQ(list.lines.size(), list.current + 2);
    EXPECT_EQ(list.lines.back().shown, "deeper");
    EXPECT_EQ(list.lines.back().indent, int(list.current) + 1);
    EXPECT_EQ(list.lines.back().path, platform::entryPath(current, "deeper"));
}

// A drawing opens in the preview; anything else is an input.
TEST(Listing, TellsADrawingByItsEnding) {
    for (const char* drawing : {"a.dxf", "Plan.DXF", "/x/y.Dxf", ".dxf"})
        EXPECT_TRUE(namesADrawing(drawing)) << drawing;
    for (const char* other : {"a.csv", "a.dxf.csv", "dxf", "", "a.dx", "a.dxf "})
        EXPECT_FALSE(namesADrawing(other)) << other;
}

} // namespace
} // namespace quillet::form
