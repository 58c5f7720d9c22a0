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

// Holds what a leak would keep: a thread, two handles, 32 MB touched.
struct Kept {
    Waiting thread;
    OpenHandle first, second;
    std::unique_ptr<char[]> memory = std::make_unique<char[]>(32'000'000);
    Kept() { std::memset(memory.get(), 1, 32'000'000); }
};

// Returns the figures once a thread that ended has left the system's lists too.
Sample settled(const Sample& before) {
    Sample now = sampleNow(2);
    for (int i = 0; i < 100 && now.threads > before.threads; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        now = sampleNow(2);
    }
    return now;
}

TEST(SoakProcessFigures, SeeThreadsHandlesAndMemoryKept) {
    // What is made once, on first use (the runtime's side of threads, the snapshots), is
    // made before the figures start: the soak's warm-up.
    std::make_unique<Kept>().reset();
    const Sample before = settled(sampleNow(0));
    // A running thread holds handles of its own on Windows (two with winpthreads), none on
    // Linux.
    int threadHandles = 0;
    {
        const Waiting thread;
        threadHandles = sampleNow(1).handles - before.handles;
    }
    EXPECT_GT(before.residentBytes, 0);
    EXPECT_GT(before.threads, 0);
    {
        const Kept kept;
        const Sample during = sampleNow(1);
        EXPECT_EQ(during.threads, before.threads + 1);
        EXPECT_EQ(during.handles, before.handles + 2 + threadHandles);
        EXPECT_GT(during.residentBytes, before.residentBytes + 30'000'000);
    }
    const Sample after = settled(before);
    EXPECT_EQ(after.threads, before.threads);
    EXPECT_EQ(after.handles, before.handles);
}

#ifdef _WIN32
// Ten brushes and a font, a menu, an accelerator table, a window with a child.
class GuiObjects {
  public:
    GuiObjects() {
        for (HBRUSH& brush : brushes_)
            brush = CreateSolidBrush(RGB(1, 2, 3));
        font_ =
            CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Arial");
        menu_ = CreatePopupMenu();
        ACCEL key{FVIRTKEY, VK_F5, 1};
        keys_ = CreateAcceleratorTableW(&key, 1);
        window_ = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
        CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 5, 5, window_, nullptr,
                        GetModuleHandleW(nullptr), nullptr);
    }
    ~GuiObjects() {
        DestroyWindow(window_); // its child with it
        DestroyAcceleratorTable(keys_);
        DestroyMenu(menu_);
        DeleteObject(font_);
        for (HBRUSH brush : brushes_)
            DeleteObject(brush);
    }
    GuiObjects(const GuiObjects&) = delete;
    GuiObjects& operator=(const GuiObjects&) = delete;

  private:
    HBRUSH brushes_[10] = {};
    HFONT font_ = nullptr;
    HMENU menu_ = nullptr;
    HACCEL keys_ = nullptr;
    HWND window_ = nullptr;
};

TEST(SoakProcessFigures, SeeGdiAndUserObjects) {
    // A window of the thread's own stays open throughout: the first one brings the input
    // method's window along, the last one takes it.
    const HWND keeper = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                        GetModuleHandleW(nullptr), nullptr);
    std::make_unique<GuiObjects>().reset();
    const Sample before = sampleNow(0);
    {
        const GuiObjects kept;
        const Sample during = sampleNow(1);
        EXPECT_EQ(during.gdiObjects, before.gdiObjects + 11);
        EXPECT_EQ(during.userObjects, before.userObjects + 4);
    }
    const Sample after = sampleNow(2);
    EXPECT_EQ(after.gdiObjects, before.gdiObjects);
    EXPECT_EQ(after.userObjects, before.userObjects);
    DestroyWindow(keeper);
}
#endif

} // namespace
} // namespace quillet::bench::soak
