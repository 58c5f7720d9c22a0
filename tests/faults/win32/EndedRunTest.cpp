// A run of quillet-convert.exe ended from outside while it writes: by Ctrl+C and Ctrl+Break
// in its console, and at once (TerminateProcess, as Task Manager ends a program). Each leaves
// the folder as it was: no temporary file, the old drawing untouched.
#include "TestSupport.h"
#include "win32/ChildProcess.h"

#include "platform/win32/WideText.h"

#include <chrono>
#include <fstream>
#include <thread>
#include <windows.h>

namespace quillet::faults {

namespace {

using testing::win32::Child;
using testing::win32::converterPath;
using testing::win32::Launch;

// Windows' exit code for a program that Ctrl+C or Ctrl+Break ended.
constexpr std::uint32_t kControlCExit = 0xC000013A;

// An input whose drawing takes far longer to write than a test waits: 7 MB in, 100 MB out.
void writeLongInput(const std::string& path) {
    std::ofstream out(testing::pathOf(path), std::ios::binary);
    std::string block;
    for (int i = 0; i < 1000; ++i)
        block += "alpha,beta,gamma,delta\n";
    for (int i = 0; i < 300; ++i)
        out << block;
}

// Returns the size of the unfinished output in folder; -1 when there is none.
long long tempFileSize(const std::string& folder) {
    WIN32_FIND_DATAW found{};
    const std::wstring pattern = platform::win32::toWide(folder) + L"\\.quillet-*.tmp";
    const HANDLE search = ::FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return -1;
    ::FindClose(search);
    return static_cast<long long>(found.nFileSizeHigh) << 32 | found.nFileSizeLow;
}

// Waits until the converter's temporary file holds bytes; false when it does not within
// twenty seconds.
bool waitForWriting(const std::string& folder) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
        if (tempFileSize(folder) > 0)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

// The test program takes the events it sends to the converter's console: they are not for it.
BOOL WINAPI keepRunning(DWORD) {
    return TRUE;
}

// Sends event to every process of owner's console, the converter alone there.
bool sendToConsoleOf(std::uint32_t owner, DWORD event) {
    ::FreeConsole();
    if (!::AttachConsole(owner))
        return false;
    ::SetConsoleCtrlHandler(keepRunning, TRUE);
    const bool sent = ::GenerateConsoleCtrlEvent(event, 0);
    ::FreeConsole();
    return sent;
}

class EndedRunTest : public ::testing::Test {
  protected:
    void SetUp() override {
        writeLongInput(dir / "in.csv");
        testing::writeFile(dir / "out.dxf", "the drawing before\r\n");
        launch.args = {"-o", dir / "out.dxf", dir / "in.csv"};
        launch.errors = dir / "errors.txt";
    }

    void expectFolderAsItWas() {
        EXPECT_EQ(tempFileSize(dir.str()), -1) << "an unfinished output is left";
        EXPECT_EQ(testing::readFile(dir / "out.dxf"), "the drawing before\r\n");
        EXPECT_EQ(dir.entries(), (std::vector<std::string>{"errors.txt", "in.csv", "out.dxf"}));
    }

    testing::TempDir dir;
    Launch launch;
};

// The converter runs in a console of its own, as from a command prompt; Ctrl+C is sent
// there. A console needs no display, so wine delivers it too. (Ctrl+Break takes the same
// handler; wine 8 gives no way to send it to another console's group.)
TEST_F(EndedRunTest, CtrlCRemovesTheUnfinishedOutput) {
    launch.flags = CREATE_NEW_CONSOLE;
    Child converter(converterPath(), launch);
    ASSERT_TRUE(waitForWriting(dir.str())) << "the converter never began writing";
    ASSERT_TRUE(sendToConsoleOf(converter.id(), CTRL_C_EVENT)) << ::GetLastError();
    std::uint32_t code = 0;
    ASSERT_TRUE(converter.wait(20000, code)) << "Ctrl+C did not end the converter";
    EXPECT_EQ(code, kControlCExit);
    expectFolderAsItWas();
}

// Ended with no chance to clean up: the file, marked for deletion when it was made, goes with
// the last handle.
TEST_F(EndedRunTest, TerminateProcessLeavesNothing) {
    Child converter(converterPath(), launch);
    ASSERT_TRUE(waitForWriting(dir.str())) << "the converter never began writing";
    converter.kill();
    std::uint32_t code = 0;
    ASSERT_TRUE(converter.wait(20000, code));
    expectFolderAsItWas();
}

// A run nothing interrupts leaves its drawing and nothing else, and stderr says nothing.
TEST_F(EndedRunTest, AnUninterruptedRunFinishes) {
    testing::writeFile(dir / "in.csv", "a,b\r\n");
    Child converter(converterPath(), launch);
    std::uint32_t code = 1;
    ASSERT_TRUE(converter.wait(20000, code));
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(testing::readFile(dir / "out.dxf"),
              testing::dxfOf(testing::textEntity(0, 0, 100, "b") +
                             testing::textEntity(0, -200, 100, "a")));
    EXPECT_EQ(testing::readFile(dir / "errors.txt"), "");
}

} // namespace
} // namespace quillet::faults
