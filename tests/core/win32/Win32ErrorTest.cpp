// The run-time error numbers for GetLastError's codes, and Windows paths taken apart.
#include "TestSupport.h"

#include "platform/win32/Win32Error.h"

#include <windows.h>

namespace quillet::testing {
namespace {

using platform::OsAction;

TEST(Win32ErrorTest, OneNumberForEachCode) {
    const struct Case {
        DWORD code;
        OsAction action;
        int number;
    } cases[] = {
        {ERROR_FILE_NOT_FOUND, OsAction::Open, 53},
        {ERROR_PATH_NOT_FOUND, OsAction::Open, 76},
        {ERROR_INVALID_DRIVE, OsAction::Open, 76},
        {ERROR_BAD_NETPATH, OsAction::Open, 76},
        {ERROR_DIRECTORY, OsAction::Open, 76},
        {ERROR_ACCESS_DENIED, OsAction::Open, 70},
        {ERROR_SHARING_VIOLATION, OsAction::Open, 70},
        {ERROR_LOCK_VIOLATION, OsAction::Write, 70},
        {ERROR_WRITE_PROTECT, OsAction::Write, 70},
        {ERROR_DISK_FULL, OsAction::Write, 61},
        {ERROR_HANDLE_DISK_FULL, OsAction::Write, 61},
        {1295, OsAction::Write, 61}, // ERROR_DISK_QUOTA_EXCEEDED
        {ERROR_INVALID_NAME, OsAction::Open, 52},
        {ERROR_FILENAME_EXCED_RANGE, OsAction::Open, 52},
        {336, OsAction::Open, 75}, // ERROR_DIRECTORY_NOT_SUPPORTED
        {ERROR_NOT_ENOUGH_MEMORY, OsAction::Open, 7},
        // The rest: a name that cannot be opened, a device that fails.
        {ERROR_GEN_FAILURE, OsAction::Open, 75},
        {ERROR_GEN_FAILURE, OsAction::Read, 57},
        {ERROR_CRC, OsAction::Write, 57},
        {ERROR_NO_DATA, OsAction::Write, 57}, // a pipe closed at its other end
    };
    for (const Case& c : cases) {
        const platform::RunError error = platform::errorFromWin32(c.code, "o.dxf", c.action);
        EXPECT_EQ(error.code(), c.number) << "code " << c.code;
        EXPECT_EQ(error.path(), "o.dxf");
        EXPECT_EQ(error.isInWriting(), c.action == OsAction::Write);
    }
}

TEST(Win32PathTest, FolderAndNameWithEitherSeparatorAndDrives) {
    const struct Case {
        const char* path;
        const char* folder;
        const char* name;
    } cases[] = {
        {"dir\\in.csv", "dir", "in.csv"},
        {"a/b\\in.csv", "a/b", "in.csv"},
        {"C:\\in.csv", "C:\\", "in.csv"},
        {"C:\\dir\\in.csv", "C:\\dir", "in.csv"},
        {"C:in.csv", "C:.", "in.csv"},
        {"\\in.csv", "\\", "in.csv"},
        {"\\\\host\\share\\in.csv", "\\\\host\\share", "in.csv"},
        {"配管\\図.csv", "配管", "図.csv"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(platform::folderOf(c.path), c.folder) << c.path;
        EXPECT_EQ(platform::baseNameOf(c.path), c.name) << c.path;
    }
    EXPECT_TRUE(platform::isPathSeparator('\\'));
    // A path the program joined with "/" is shown to the user as Windows writes it.
    EXPECT_EQ(platform::nativeSeparators("Z:/tmp/配管/cols.csv"), "Z:\\tmp\\配管\\cols.csv");
}

} // namespace
} // namespace quillet::testing
