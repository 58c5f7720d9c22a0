// A working day at the window, compressed: what each step of the soak does, the same for every
// front end, so that their figures can be set side by side.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quillet::bench::soak {

// The steps of a full day and of the short run in CI; every how many steps the figures are
// taken, and how many steps warm the process up before they must stay flat.
inline constexpr int kDaySteps = 1000;
inline constexpr int kShortSteps = 100;
inline constexpr int kSampleEvery = 50;
inline constexpr int kWarmUpSteps = 50;

// The files of the shown folder the day works on (names as the lists show them, UTF-8).
inline constexpr std::string_view kSmallInput = "small.csv";
inline constexpr std::string_view kMediumInput = "配管図.csv";
// One line longer than 32767 characters: the run ends in an overflow.
inline constexpr std::string_view kLongLineInput = "long.csv";
inline constexpr std::string_view kMissingInput = "missing.csv";
// Large enough that its read is still going when 中止 is pressed.
inline constexpr std::string_view kBigDrawing = "big.dxf";
// A folder inside the shown one, visited now and then.
inline constexpr std::string_view kSubFolder = "sub";

// How a run goes wrong, on purpose.
enum class Failure { None, MissingInput, BadHeight, LongLine };

// What is done with a preview window after a good run.
enum class Preview {
    None,
    OpenClose,  // 開く on the new drawing, then closed by its menu or its window's close button
    CancelRead, // 開く on the big drawing and 中止 at once: the window goes without a word
    Reload,     // 開く, zoomed, 全体表示, 再読み込み (F5), closed with Esc
    OpenAgain,  // 開く, then 開く again: the same window comes forward and reads it again
};

struct Step {
    int number = 0;
    bool declared = false; // 実行２ (the drawing that declares its code page), else 実行1
    Failure failure = Failure::None;
    std::string input; // chosen in File1, or typed into the input box when typedInput
    bool typedInput = false;
    std::string height;                // typed into the height box
    std::optional<std::string> output; // typed into the output box; none keeps the proposal
    int expectedError = 0; // the run-time error number the error box must show; 0 for none
    Preview preview = Preview::None;
    bool closeByMenu = false; // OpenClose: 閉じる from the menu, else the window's close button
    std::string touched;      // the file added to or removed from the folder before the run
    bool adds = false;        // whether touched is added (else removed)
    bool wanders = false;     // Dir1 to kSubFolder and back, and Drive1's list opened, first
};

// Returns what step number (1 ...) does.
Step stepAt(int number);

// The file a run of step writes (its output box's name), empty for a failing one.
std::string outputOf(const Step& step);

} // namespace quillet::bench::soak
