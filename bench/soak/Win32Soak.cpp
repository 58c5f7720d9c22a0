// quillet-soak-win32: the Win32 window kept open for a working day, compressed, in this
// process; its memory, threads, handles and GDI and USER objects taken every 50 steps. Run
// under wine on a display (bench/window-soak.sh, or ctest in the Windows build's session).
#include "Day.h"
#include "Folder.h"
#include "Win32User.h"

#include "Form1Window.h"

#include <windows.h>

#include <filesystem>
#include <iostream>
#include <optional>

int main(int argc, char** argv) {
    using namespace quillet::bench::soak;
    Options options;
    try {
        options = parseOptions({argv + 1, argv + argc});
    } catch (const std::exception& error) {
        std::cerr << "quillet-soak-win32: " << error.what() << "\n" << kUsage;
        return 2;
    }
    namespace fs = std::filesystem;
    const fs::path base =
        options.folder.empty() ? fs::temp_directory_path() : fs::path(options.folder);
    const fs::path scratch = base / ("quillet-soak-" + std::to_string(GetCurrentProcessId()));
    const fs::path folder = scratch / "day";
    int status = 1;
    try {
        prepareFolder(folder, options.bigTexts);
        // The window opens on the process's current folder, with the real error box.
        const fs::path previous = fs::current_path();
        fs::current_path(folder);
        quillet::window::win32::Form1Window form(GetModuleHandleW(nullptr));
        form.start(SW_SHOWNORMAL, std::nullopt);
        fs::current_path(previous);
        const HWND window = FindWindowW(quillet::window::win32::kForm1ClassName, nullptr);
        if (!window)
            throw std::runtime_error("the window did not show");
        std::vector<Sample> samples;
        {
            Win32User user(window, folder);
            try {
                samples = runDay(options.steps, [&](const Step& step) { user.doStep(step); });
                status = finishDay(samples, user.tally(), options, folder);
            } catch (const std::exception& error) {
                std::cerr << "quillet-soak-win32: the day stopped: " << error.what() << "\n"
                          << tallyText(user.tally());
            }
        }
        form.quit();
        Win32User::pumpUntil([] { return false; }, 200);
    } catch (const std::exception& error) {
        std::cerr << "quillet-soak-win32: " << error.what() << "\n";
    }
    std::error_code ignored;
    fs::remove_all(scratch, ignored);
    return status;
}
