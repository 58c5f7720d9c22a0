// Failed runs over what Windows has: attributes, devices, names it refuses, files held open.
#include "FailedRun.h"

#include "conversion/Run.h"
#include "platform/win32/WideText.h"

#include <cstdio>
#include <filesystem>
#include <windows.h>

namespace quillet::testing {

namespace fs = std::filesystem;

const std::vector<ErrorCase>& systemErrorCases() {
    static const std::vector<ErrorCase> cases = {
        {"ReadOnlyOutput", 70,
         [](const TempDir& d) {
             ::SetFileAttributesW(pathOf(d / "old.dxf").c_str(), FILE_ATTRIBUTE_READONLY);
             return Paths{d / "in.csv", d / "old.dxf"};
         }},
        // A device at the output name is no file to put the drawing in place of.
        {"OutputIsNul", 75,
         [](const TempDir& d) {
             return Paths{d / "in.csv", "NUL"};
         }},
        {"OutputNameTooLong", 52,
         [](const TempDir& d) {
             return Paths{d / "in.csv", d / (std::string(300, 'n') + ".dxf")};
         }},
        {"OutputNameInvalid", 52,
         [](const TempDir& d) {
             return Paths{d / "in.csv", d / "a<b.dxf"};
         }},
        {"OutputIsInputBackslashes", 55,
         [](const TempDir& d) {
             std::string other = d / "sub\\..\\in.csv";
             return Paths{d / "in.csv", other};
         }},
    };
    return cases;
}

namespace {

// Opens path for reading the way a reader of drawings does, sharing what share allows.
HANDLE openForReading(const std::string& path, DWORD share) {
    return ::CreateFileW(pathOf(path).c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::string readThrough(HANDLE file) {
    char bytes[64];
    DWORD got = 0;
    ::SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    ::ReadFile(file, bytes, sizeof bytes, &got, nullptr);
    return std::string(bytes, got);
}

// A program reading the old drawing while a run replaces it: the run either goes through, the
// reader still reading the old bytes, or is refused with 70, the old drawing intact. A reader
// that does not let others remove the file (most do not) is found before any work; one that
// does may still keep the name from being replaced while it is open (wine, and NTFS without
// POSIX renames, refuse), which only the move at the end finds.
TEST(HeldOutputTest, AReaderEitherKeepsTheOldBytesOrTheRunIsRefused) {
    for (DWORD share : {DWORD{FILE_SHARE_READ}, DWORD{FILE_SHARE_READ | FILE_SHARE_WRITE},
                        DWORD{FILE_SHARE_READ | FILE_SHARE_DELETE}}) {
        SCOPED_TRACE(share);
        TempDir dir;
        writeFile(dir / "in.csv", "a");
        writeFile(dir / "old.dxf", "old drawing\r\n");
        const HANDLE reader = openForReading(dir / "old.dxf", share);
        ASSERT_NE(reader, INVALID_HANDLE_VALUE);
        conversion::ConversionState state;
        try {
            conversion::convertFile(dir / "in.csv", dir / "old.dxf", "100", {}, state);
            EXPECT_NE(share & FILE_SHARE_DELETE, 0u) << "replaced under a reader that forbids it";
            std::printf("a reader sharing deletion: the run replaced the drawing\n");
            EXPECT_EQ(readThrough(reader), "old drawing\r\n");
            ::CloseHandle(reader);
            EXPECT_EQ(readFile(dir / "old.dxf"), dxfOf(textEntity(0, 0, 100, "a")));
        } catch (const platform::RunError& error) {
            ::CloseHandle(reader);
            EXPECT_EQ(error.code(), 70) << error.what();
            if (share & FILE_SHARE_DELETE)
                std::printf("a reader sharing deletion: the run was refused with 70\n");
            EXPECT_EQ(readFile(dir / "old.dxf"), "old drawing\r\n");
        }
        EXPECT_EQ(dir.entries(), (std::vector<std::string>{"in.csv", "old.dxf"}));
    }
}

// A new drawing looks like any new file, although it was written hidden; a replaced one keeps
// the attributes its owner gave it.
TEST(OutputAttributesTest, NewFileIsNotHiddenAndReplacedFileKeepsItsAttributes) {
    TempDir dir;
    writeFile(dir / "in.csv", "a");
    conversion::ConversionState state;
    conversion::convertFile(dir / "in.csv", dir / "new.dxf", "100", {}, state);
    const DWORD fresh = ::GetFileAttributesW(pathOf(dir / "new.dxf").c_str());
    EXPECT_EQ(fresh & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY), 0u);
    writeFile(dir / "kept.dxf", "old");
    ::SetFileAttributesW(pathOf(dir / "kept.dxf").c_str(),
                         FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
    conversion::convertFile(dir / "in.csv", dir / "kept.dxf", "100", {}, state);
    EXPECT_EQ(::GetFileAttributesW(pathOf(dir / "kept.dxf").c_str()) & FILE_ATTRIBUTE_HIDDEN,
              DWORD{FILE_ATTRIBUTE_HIDDEN});
    EXPECT_EQ(readFile(dir / "kept.dxf"), dxfOf(textEntity(0, 0, 100, "a")));
}

} // namespace
} // namespace quillet::testing
