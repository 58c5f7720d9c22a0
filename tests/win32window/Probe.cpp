// quillet-probe.exe: reads the running Quillet window for the end-to-end test (e2e.sh), as a
// user would see it: the controls' texts, list entries, the focus, message boxes, and where a
// control or a list entry is on the screen for xdotool to click.
//   quillet-probe wait [SECONDS]     waits for the window to be shown; prints the wait in ms
//   quillet-probe caption            the window's caption
//   quillet-probe text NAME          a box's or label's text; a list's chosen entry
//   quillet-probe list NAME          a list's entries, one a line
//   quillet-probe focus              the name of the control that has the focus
//   quillet-probe where NAME [ENTRY] the screen point at the middle of a control or an entry
//   quillet-probe tip NAME           the tooltip of a control (read from the window's process)
//   quillet-probe box [SECONDS]      waits for an error box over the window; prints its text
//   quillet-probe dismiss            presses the error box's OK
//   quillet-probe gone [SECONDS]     waits for the window to end
// Exit status 1 with a line on standard error when what is asked for is not there.
#include "Form1Window.h"
#include "form/Controls.h"
#include "platform/win32/WideText.h"

#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace quillet;
using platform::win32::toUtf8;
using platform::win32::toWide;

void print(const std::string& text) {
    const std::string line = text + "\n";
    DWORD done = 0;
    ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), line.data(), static_cast<DWORD>(line.size()),
                &done, nullptr);
}

int fail(const std::string& why) {
    const std::string line = "quillet-probe: " + why + "\n";
    DWORD done = 0;
    ::WriteFile(::GetStdHandle(STD_ERROR_HANDLE), line.data(), static_cast<DWORD>(line.size()),
                &done, nullptr);
    return 1;
}

HWND form1() {
    const HWND window = ::FindWindowW(window::win32::kForm1ClassName, nullptr);
    return window && ::IsWindowVisible(window) ? window : nullptr;
}

template <class Found> bool waitFor(double seconds, Found found) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!found()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

std::wstring textOf(HWND window) {
    std::wstring text(static_cast<std::size_t>(::SendMessageW(window, WM_GETTEXTLENGTH, 0, 0)) + 1,
                      L'\0');
    text.resize(static_cast<std::size_t>(
        ::SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

std::wstring className(HWND window) {
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return name;
}

bool isList(HWND control) {
    return ::CompareStringOrdinal(className(control).c_str(), -1, L"ListBox", -1, TRUE) ==
           CSTR_EQUAL;
}

bool isCombo(HWND control) {
    return ::CompareStringOrdinal(className(control).c_str(), -1, L"ComboBox", -1, TRUE) ==
           CSTR_EQUAL;
}

std::wstring entry(HWND control, WPARAM index) {
    const UINT lengthMessage = isList(control) ? LB_GETTEXTLEN : CB_GETLBTEXTLEN;
    const UINT textMessage = isList(control) ? LB_GETTEXT : CB_GETLBTEXT;
    const LRESULT length = ::SendMessageW(control, lengthMessage, index, 0);
    if (length < 0)
        return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT got =
        ::SendMessageW(control, textMessage, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(got < 0 ? 0 : got));
    return text;
}

HWND controlNamed(HWND form, const std::string& name) {
    for (std::size_t row = 0; row < form::kControls.size(); ++row)
        if (form::kControls[row].name == name)
            return ::GetDlgItem(form, window::win32::kFirstControlId + static_cast<int>(row));
    return nullptr;
}

// The error box over form: a dialog it owns.
HWND errorBox(HWND form) {
    struct Search {
        HWND owner;
        HWND found;
    } search{form, nullptr};
    ::EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(data);
            if (::IsWindowVisible(window) && className(window) == L"#32770" &&
                ::GetWindow(window, GW_OWNER) == s.owner) {
                s.found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The tooltip control of form: a popup it owns.
HWND toolTipOf(HWND form) {
    for (HWND window = ::FindWindowExW(nullptr, nullptr, TOOLTIPS_CLASSW, nullptr); window;
         window = ::FindWindowExW(nullptr, window, TOOLTIPS_CLASSW, nullptr))
        if (::GetWindow(window, GW_OWNER) == form)
            return window;
    return nullptr;
}

// Returns the text tips gives tool of form. TTM_GETTEXTW writes through pointers, which must
// point into the window's process: the question and the answer are placed there.
std::optional<std::wstring> toolTipText(HWND form, HWND tips, HWND tool) {
    DWORD processId = 0;
    ::GetWindowThreadProcessId(form, &processId);
    const HANDLE process =
        ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    if (!process)
        return std::nullopt;
    constexpr std::size_t kChars = 1024;
    const std::size_t bytes = sizeof(TTTOOLINFOW) + kChars * sizeof(wchar_t);
    auto* remote = static_cast<char*>(
        ::VirtualAllocEx(process, nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    std::optional<std::wstring> text;
    if (remote) {
        TTTOOLINFOW info{};
        info.cbSize = TTTOOLINFOW_V2_SIZE;
        info.hwnd = form;
        info.uId = reinterpret_cast<UINT_PTR>(tool);
        info.lpszText = reinterpret_cast<wchar_t*>(remote + sizeof info);
        std::wstring answer(kChars, L'\0');
        if (::WriteProcessMemory(process, remote, &info, sizeof info, nullptr) &&
            ::WriteProcessMemory(process, remote + sizeof info, answer.data(),
                                 kChars * sizeof(wchar_t), nullptr)) {
            ::SendMessageW(tips, TTM_GETTEXTW, kChars, reinterpret_cast<LPARAM>(remote));
            if (::ReadProcessMemory(process, remote + sizeof info, answer.data(),
                                    kChars * sizeof(wchar_t), nullptr))
                text = answer.c_str();
        }
        ::VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    }
    ::CloseHandle(process);
    return text;
}

int run(const std::vector<std::string>& args) {
    if (args.empty())
        return fail("no command");
    const std::string& command = args[0];
    const bool waits = command == "wait" || command == "gone" || command == "box";
    const double seconds = waits && args.size() > 1 ? std::stod(args[1]) : 20;
    if (command == "wait") {
        const auto begin = std::chrono::steady_clock::now();
        if (!waitFor(seconds, [] { return form1() != nullptr; }))
            return fail("no window");
        print(std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(
                                 std::chrono::steady_clock::now() - begin)
                                 .count()));
        return 0;
    }
    if (command == "gone")
        return waitFor(
                   seconds,
                   [] { return ::FindWindowW(window::win32::kForm1ClassName, nullptr) == nullptr; })
                   ? 0
                   : fail("the window is still there");
    const HWND form = form1();
    if (!form)
        return fail("no window");
    if (command == "caption") {
        print(toUtf8(textOf(form)));
        return 0;
    }
    if (command == "focus") {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(form, nullptr), &info) ||
            !info.hwndFocus)
            return fail("no focus");
        HWND focus = info.hwndFocus;
        // Drive1's list or edit part belongs to Drive1.
        while (focus && ::GetParent(focus) != form)
            focus = ::GetParent(focus);
        const int id = focus ? ::GetDlgCtrlID(focus) - window::win32::kFirstControlId : -1;
        if (id < 0 || id >= static_cast<int>(form::kControls.size()))
            return fail("the focus is on no control");
        print(std::string(form::kControls[static_cast<std::size_t>(id)].name));
        return 0;
    }
    if (command == "box" || command == "dismiss") {
        HWND box = nullptr;
        if (!waitFor(command == "box" ? seconds : 5,
                     [&] { return (box = errorBox(form)) != nullptr; }))
            return fail("no error box");
        if (command == "dismiss") {
            ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            return waitFor(5, [&] { return !::IsWindow(box) || !::IsWindowVisible(box); })
                       ? 0
                       : fail("the error box stays");
        }
        std::string text = toUtf8(textOf(box)) + "\n";
        for (HWND child = ::GetWindow(box, GW_CHILD); child;
             child = ::GetWindow(child, GW_HWNDNEXT))
            if (className(child) == L"Static" && !textOf(child).empty())
                text += toUtf8(textOf(child));
        print(text);
        return 0;
    }
    if (args.size() < 2)
        return fail("no control named");
    const HWND control = controlNamed(form, args[1]);
    if (!control)
        return fail("no control " + args[1]);
    if (command == "text") {
        if (isList(control) || isCombo(control)) {
            const LRESULT chosen =
                ::SendMessageW(control, isList(control) ? LB_GETCURSEL : CB_GETCURSEL, 0, 0);
            print(chosen < 0 ? std::string() : toUtf8(entry(control, static_cast<WPARAM>(chosen))));
        } else {
            print(toUtf8(textOf(control)));
        }
        return 0;
    }
    if (command == "list") {
        const LRESULT count =
            ::SendMessageW(control, isList(control) ? LB_GETCOUNT : CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i)
            print(toUtf8(entry(control, static_cast<WPARAM>(i))));
        return 0;
    }
    if (command == "tip") {
        const HWND tips = toolTipOf(form);
        if (!tips)
            return fail("no tooltip control");
        const std::optional<std::wstring> tip = toolTipText(form, tips, control);
        if (!tip)
            return fail("the tooltip's text cannot be read");
        print(toUtf8(*tip));
        return 0;
    }
    if (command == "where") {
        RECT rect{};
        if (args.size() > 2 && isList(control)) {
            const auto index = static_cast<WPARAM>(std::stoi(args[2]));
            ::SendMessageW(control, LB_SETTOPINDEX, index, 0);
            if (::SendMessageW(control, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rect)) ==
                LB_ERR)
                return fail("no entry " + args[2]);
            ::MapWindowPoints(control, nullptr, reinterpret_cast<POINT*>(&rect), 2);
        } else {
            ::GetWindowRect(control, &rect);
        }
        print(std::to_string((rect.left + rect.right) / 2) + " " +
              std::to_string((rect.top + rect.bottom) / 2));
        return 0;
    }
    return fail("unknown command " + command);
}

} // namespace

int wmain() {
    int count = 0;
    LPWSTR* words = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 1; i < count; ++i)
        args.push_back(toUtf8(words[i]));
    try {
        return run(args);
    } catch (const std::exception& error) {
        return fail(error.what());
    }
}
