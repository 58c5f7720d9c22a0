// The figures on Windows: the working set (GetProcessMemoryInfo), the threads (a Toolhelp
// snapshot), GetProcessHandleCount, and GetGuiResources. Wine answers GetGuiResources with
// nothing; there the GDI and USER objects are counted one by one instead.
#include "../ProcessFigures.h"

#include <windows.h>

#include <psapi.h>
#include <tlhelp32.h>

namespace quillet::bench::soak {

namespace {

int threadCount() {
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return -1;
    int count = 0;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        count += entry.th32OwnerProcessID == GetCurrentProcessId();
    CloseHandle(snapshot);
    return count;
}

// Wine keeps GDI and USER handles in tables of this process, and takes a handle with a high
// word of 0 for whichever generation of its slot is in use: each slot can be asked once.
constexpr ULONG_PTR kFirstHandle = 0x20;
constexpr ULONG_PTR kLastHandle = 0xFFEF;

int probedGdiObjects() {
    int count = 0;
    for (ULONG_PTR handle = kFirstHandle; handle <= kLastHandle; ++handle)
        count += GetObjectType(reinterpret_cast<HGDIOBJ>(handle)) != 0;
    return count;
}

BOOL CALLBACK countOwnWindow(HWND window, LPARAM count) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId()) {
        ++*reinterpret_cast<int*>(count);
        EnumChildWindows(window, countOwnWindow, count);
    }
    return TRUE;
}

// The process's windows (top-level, their children and message-only ones), menus and
// accelerator tables.
int probedUserObjects() {
    int count = 0;
    EnumWindows(countOwnWindow, reinterpret_cast<LPARAM>(&count));
    for (HWND window = nullptr;
         (window = FindWindowExW(HWND_MESSAGE, window, nullptr, nullptr)) != nullptr;)
        countOwnWindow(window, reinterpret_cast<LPARAM>(&count));
    // User handles go in steps of two.
    for (ULONG_PTR handle = kFirstHandle; handle <= kLastHandle; handle += 2) {
        count += IsMenu(reinterpret_cast<HMENU>(handle)) != FALSE;
        count += CopyAcceleratorTableW(reinterpret_cast<HACCEL>(handle), nullptr, 0) > 0;
    }
    return count;
}

// Wine's kernel handles are multiples of four, handed out lowest free first: past a long run
// of free ones there are no more.
int probedHandles() {
    int count = 0;
    int freeRun = 0;
    for (ULONG_PTR handle = 4; freeRun < 4096; handle += 4) {
        DWORD flags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(handle), &flags)) {
            ++count;
            freeRun = 0;
        } else {
            ++freeRun;
        }
    }
    return count;
}

// Whether GetGuiResources answers: this process has windows, so USER objects at least.
bool guiResourcesAnswer() {
    static const bool answers = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS) > 0;
    return answers;
}

} // namespace

Sample sampleNow(int step) {
    Sample sample;
    sample.step = step;
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory))
        sample.residentBytes = static_cast<std::int64_t>(memory.WorkingSetSize);
    sample.threads = threadCount();
    // Wine answers GetProcessHandleCount with 0.
    DWORD handles = 0;
    sample.handles = GetProcessHandleCount(GetCurrentProcess(), &handles) && handles > 0
                         ? static_cast<int>(handles)
                         : probedHandles();
    if (guiResourcesAnswer()) {
        sample.gdiObjects = static_cast<int>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
        sample.userObjects = static_cast<int>(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS));
    } else {
        sample.gdiObjects = probedGdiObjects();
        sample.userObjects = probedUserObjects();
    }
    return sample;
}

FigureNames figureNames() {
    FigureNames names;
    names.handles = "handles";
    names.guiSource = guiResourcesAnswer()
                          ? "GetGuiResources"
                          : "GetGuiResources answers 0 (wine does not implement it): GDI objects "
                            "counted by GetObjectType over the handle table, USER objects as "
                            "the process's windows, menus and accelerator tables";
    return names;
}

} // namespace quillet::bench::soak
