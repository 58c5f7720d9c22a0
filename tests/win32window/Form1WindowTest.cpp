// The Win32 window in this process: tasks posted from another thread, a window destroyed with
// tasks still waiting, the tooltips of 実行1 and 実行２, and files dropped on the window.
#include "Form1Window.h"
#include "form/Controls.h"
#include "platform/win32/WideText.h"
#include "preview/PreviewWindows.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <shlobj.h> // DROPFILES

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace quillet::window::win32 {
namespace {

using platform::win32::toUtf8;
using platform::win32::toWide;

// This thread's top-level window of class name (hidden ones too).
HWND threadWindow(const wchar_t* name) {
    struct Search {
        const wchar_t* name;
        HWND found;
    } search{name, nullptr};
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND window, LPARAM data) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(data);
            wchar_t className[64] = {};
            ::GetClassNameW(window, className, 64);
            if (::lstrcmpiW(className, s.name) == 0) {
                s.found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Runs this thread's messages until done() or limit has passed; returns done(). A quit message
// left by a window destroyed before is taken too.
template <class Done>
bool pumpUntil(Done done, std::chrono::milliseconds limit = std::chrono::seconds(5)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    MSG message{};
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

std::string controlText(HWND form, form::ControlId id) {
    const HWND control = ::GetDlgItem(form, kFirstControlId + static_cast<int>(id));
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        ::GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return toUtf8(text);
}

// A drop of files, as the shell hands it to WM_DROPFILES (the window frees it).
HDROP dropOf(const std::vector<std::wstring>& files) {
    std::wstring names;
    for (const std::wstring& file : files)
        names += file + L'\0';
    names += L'\0';
    const std::size_t bytes = sizeof(DROPFILES) + names.size() * sizeof(wchar_t);
    const HGLOBAL memory = ::GlobalAlloc(GHND, bytes);
    auto* drop = static_cast<DROPFILES*>(::GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), names.data(),
                names.size() * sizeof(wchar_t));
    ::GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

TEST(Form1WindowTest, RunsPostedTasksOnItsThreadInOrder) {
    Form1Window form(::GetModuleHandleW(nullptr));
    std::vector<int> order;
    std::vector<std::thread::id> threads;
    std::thread run([&] {
        for (int i = 0; i < 50; ++i)
            form.post([&, i] {
                order.push_back(i);
                threads.push_back(std::this_thread::get_id());
            });
    });
    run.join();
    ASSERT_TRUE(pumpUntil([&] { return order.size() == 50; }));
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(order[static_cast<std::size_t>(i)], i);
    for (const std::thread::id& thread : threads)
        EXPECT_EQ(thread, std::this_thread::get_id());
}

TEST(Form1WindowTest, DropsTasksLeftWhenTheWindowGoes) {
    // Each task holds a share of kept; a task dropped unrun gives its share back.
    auto kept = std::make_shared<int>(0);
    bool ran = false;
    {
        Form1Window form(::GetModuleHandleW(nullptr));
        std::thread([&] {
            for (int i = 0; i < 3; ++i)
                form.post([&ran, kept] { ran = true; });
        }).join();
        form.quit(); // destroys the window with the three tasks still queued
        form.post([&ran, kept] { ran = true; }); // after the window: dropped at once
        EXPECT_EQ(kept.use_count(), 1);
    }
    pumpUntil([] { return false; }, std::chrono::milliseconds(300)); // nothing left to run
    EXPECT_FALSE(ran);
    EXPECT_EQ(kept.use_count(), 1);
}

TEST(Form1WindowTest, GivesBothRunButtonsTheirToolTips) {
    Form1Window form(::GetModuleHandleW(nullptr));
    const HWND window = threadWindow(kForm1ClassName);
    const HWND tips = threadWindow(TOOLTIPS_CLASSW);
    ASSERT_NE(window, nullptr);
    ASSERT_NE(tips, nullptr);
    EXPECT_EQ(::SendMessageW(tips, TTM_GETTOOLCOUNT, 0, 0), 2);
    // Japanese has no spaces to wrap at: the tip needs a width to wrap to.
    EXPECT_GT(::SendMessageW(tips, TTM_GETMAXTIPWIDTH, 0, 0), 0);
    for (form::ControlId id : {form::ControlId::cmdCul1, form::ControlId::cmdCul2}) {
        std::wstring text(1024, L'\0');
        TTTOOLINFOW tool{};
        tool.cbSize = TTTOOLINFOW_V2_SIZE;
        tool.hwnd = window;
        tool.uId = reinterpret_cast<UINT_PTR>(
            ::GetDlgItem(window, kFirstControlId + static_cast<int>(id)));
        tool.lpszText = text.data();
        ::SendMessageW(tips, TTM_GETTEXTW, text.size(), reinterpret_cast<LPARAM>(&tool));
        EXPECT_EQ(toUtf8(text.c_str()), form::toolTip(id)) << form::control(id).name;
    }
    form.quit();
}

TEST(Form1WindowTest, OpensDroppedFilesAsTheCommandLineDoes) {
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / L"quillet-drop-図面";
    fs::remove_all(folder);
    fs::create_directories(folder);
    std::ofstream(folder / L"配管図.csv") << "a,b\r\n";
    std::ofstream(folder / L"図面.dxf") << "0\nSECTION\n2\nENTITIES\n0\nENDSEC\n0\nEOF\n";
    {
        Form1Window form(::GetModuleHandleW(nullptr));
        form.start(SW_HIDE, std::nullopt);
        const HWND window = threadWindow(kForm1ClassName);
        ASSERT_NE(window, nullptr);

        // A CSV under a Japanese name: chosen in its folder, both names filled in.
        ::SendMessageW(window, WM_DROPFILES,
                       reinterpret_cast<WPARAM>(dropOf({(folder / L"配管図.csv").wstring()})), 0);
        EXPECT_EQ(controlText(window, form::ControlId::txtFileName), "配管図.csv");
        EXPECT_EQ(controlText(window, form::ControlId::txtFileS), "配管図.csv.dxf");

        // A drawing: its preview opens, the names stay.
        ::SendMessageW(window, WM_DROPFILES,
                       reinterpret_cast<WPARAM>(dropOf({(folder / L"図面.dxf").wstring()})), 0);
        EXPECT_EQ(preview::openPreviewCount(), 1);
        EXPECT_EQ(controlText(window, form::ControlId::txtFileName), "配管図.csv");
        form.quit();
        EXPECT_EQ(preview::openPreviewCount(), 0);
    }
    pumpUntil([] { return false; }, std::chrono::milliseconds(300));
    std::error_code ignored;
    fs::remove_all(folder, ignored);
}

} // namespace
} // namespace quillet::window::win32
