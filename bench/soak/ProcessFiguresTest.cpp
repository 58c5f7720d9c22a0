// The soak's figures must see what a leak adds: a file or handle left open, a thread left
// running, memory kept, and on Windows GDI and USER objects (counted one by one under wine).
#include "ProcessFigures.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace quillet::bench::soak {
namespace {

// A thread that waits until it goes.
class Waiting {
  public:
    Waiting()
        : thread_([this] {
              while (!stop_)
                  std::this_thread::sleep_for(std::chrono::milliseconds(1));
          }) {}
    ~Waiting() {
        stop_ = true;
        thread_.join();
    }

  private:
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// An open handle of the system's: a file descriptor or an event.
class OpenHandle {
  public:
#ifdef _WIN32
    OpenHandle() : handle_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~OpenHandle() {
        CloseHandle(handle_);
    }

  private:
    HANDLE handle_;
#else
    OpenHandle() : fd_(::open("/dev/null", O_RDONLY | O_CLOEXEC)) {}
    ~OpenHandle() {
        ::close(fd_);
    }

  private:
    int fd_;
#endif
};

// A thread holds a handle of its own on Windows, none on Linux.
#ifdef _WIN32
constexpr int kThreadHandles = 1;
#else
constexpr int kThreadHandles = 0;
#endif

TEST(SoakProcessFigures, SeeThreadsHandlesAndMemoryKept) {
    const Sample before = sampleNow(0);
    EXPECT_GT(before.residentBytes, 0);
    EXPECT_GT(before.threads, 0);
    {
        Waiting thread;
        OpenHandle first, second;
        constexpr std::size_t kKept = 32'000'000;
        const auto memory = std::make_unique<char[]>(kKept);
        std::memset(memory.get(), 1, kKept);
        const Sample during = sampleNow(1);
        EXPECT_EQ(during.threads, before.threads + 1);
        EXPECT_EQ(during.handles, before.handles + 2 + kThreadHandles);
        EXPECT_GT(during.residentBytes, before.residentBytes + 30'000'000);
    }
    const Sample after = sampleNow(2);
    EXPECT_EQ(after.threads, before.threads);
    EXPECT_EQ(after.handles, before.handles);
}

#ifdef _WIN32
TEST(SoakProcessFigures, SeeGdiAndUserObjects) {
    const Sample before = sampleNow(0);
    HBRUSH brushes[10];
    for (HBRUSH& brush : brushes)
        brush = CreateSolidBrush(RGB(1, 2, 3));
    const HFONT font =
        CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Arial");
    const HMENU menu = CreatePopupMenu();
    ACCEL key{FVIRTKEY, VK_F5, 1};
    const HACCEL keys = CreateAcceleratorTableW(&key, 1);
    const HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                        GetModuleHandleW(nullptr), nullptr);
    const HWND child = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 5, 5, window, nullptr,
                                       GetModuleHandleW(nullptr), nullptr);
    const Sample during = sampleNow(1);
    EXPECT_EQ(during.gdiObjects, before.gdiObjects + 11);
    EXPECT_EQ(during.userObjects, before.userObjects + 4);
    DestroyWindow(window);
    DestroyAcceleratorTable(keys);
    DestroyMenu(menu);
    DeleteObject(font);
    for (HBRUSH brush : brushes)
        DeleteObject(brush);
    (void)child;
    const Sample after = sampleNow(2);
    EXPECT_EQ(after.gdiObjects, before.gdiObjects);
    EXPECT_EQ(after.userObjects, before.userObjects);
}
#endif

} // namespace
} // namespace quillet::bench::soak
