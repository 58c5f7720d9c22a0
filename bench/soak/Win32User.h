// The user at the Win32 window: each step of the day done with the messages a user's clicks
// and keys send to the real Form1Window and the preview windows it opens, pumped on this
// thread as its message loop pumps them.
#pragma once

#include "Day.h"
#include "Plan.h"

#include "form/Controls.h"

#include <windows.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace quillet::bench::soak {

class Win32User {
  public:
    // Works on the main window form, which shows folder; closes every error box shown on this
    // thread, as the user reads and dismisses it.
    Win32User(HWND form, std::filesystem::path folder);
    ~Win32User();
    Win32User(const Win32User&) = delete;
    Win32User& operator=(const Win32User&) = delete;

    // Does step; throws std::runtime_error when the window does not do what it should.
    void doStep(const Step& step);

    const Tally& tally() const noexcept { return tally_; }

    // Dispatches this thread's messages, one at a time, as the program's loop does, until done()
    // or milliseconds have passed; returns done().
    static bool pumpUntil(const std::function<bool()>& done, int milliseconds);

  private:
    static void CALLBACK closeErrorBoxes(HWND, UINT, UINT_PTR, DWORD);

    void touchFolder(const Step& step);
    void wander(const Step& step);
    void convert(const Step& step);
    void preview(const Step& step);
    // Returns the preview window open now once there is one.
    HWND openedPreview(const Step& step);
    void waitUntilGone(const Step& step);

    void waitFor(const std::function<bool()>& done, const Step& step, const char* what,
                 int milliseconds = 30000);
    HWND control(form::ControlId id) const;
    // Chooses name in list (File1, File2) as a click does: the selection, then its notification.
    void chooseIn(form::ControlId list, const std::string& name, const Step& step);
    void typeInto(form::ControlId box, const std::string& text);
    void click(form::ControlId button);

    HWND form_;
    std::filesystem::path folder_;
    UINT_PTR boxTimer_ = 0;
    Tally tally_;
};

} // namespace quillet::bench::soak
