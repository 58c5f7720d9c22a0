// The window's logic without a toolkit: its state and its event procedures, which read and
// change the window through a FormView.
#pragma once

#include "FormView.h"
#include "Listing.h"
#include "conversion/Advice.h"
#include "conversion/ConversionState.h"
#include "conversion/DrawingOptions.h"
#include "conversion/Run.h"
#include "platform/RunError.h"
#include "platform/UserLocale.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace quillet::form {

// The file the user chose in File1: its name as the boxes show it, and as the system's bytes.
struct ChosenFile {
    std::string shown;
    std::string bytes;
};

// Returns the run's four inputs from Dir1's folder and the boxes' texts: a name the user chose
// in File1 and left as it is shown goes as the system's bytes for it (the input name, and the
// output name as proposed, the bytes followed by ".dxf").
conversion::RunInputs runInputs(std::string_view folder, std::string_view txtFileName,
                                std::string_view txtFileS, std::string_view txtFileR,
                                const ChosenFile& chosen);

// Returns the text of the error box for error: the file named as the lists show it.
std::string messageFor(const platform::RunError& error);

// Returns the error box's text for a failed run: messageFor(error), then on a line of its own
// what to do about it (conversion::adviceFor) when there is something to say.
std::string messageFor(const platform::RunError& error, const conversion::AdviceContext& context);

// Returns the report box's line while a run goes (MB = 10^6 bytes, as file managers count):
// "読み込み中 : 12.3 MB / 200.0 MB、配置した 文字数 : 123456" (without " / total" when the input's
// size is not known), without its ending.
std::string progressText(const conversion::RunProgress& progress);

// The report box's line for a 実行 pressed while a run goes: that press is refused.
inline constexpr std::string_view kBusyNote = "変換中です。終わってからもう一度押してください。";

class Form {
  public:
    // Returns the drives for Drive1 (platform::listDrives on the machine).
    using DriveLister = std::function<std::vector<std::string>()>;

    // The logic of the window view; nothing is shown until Form_Load(). Numbers in the height
    // box are read with separators.
    explicit Form(FormView& view, DriveLister drives = defaultDrives(),
                  platform::OwnedSeparators separators = platform::userSeparators());
    // Cancels a run still going and waits for it (Form_Unload).
    ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    // Fills Drive1 and opens the process's current folder, its drive chosen. Call once the
    // view's controls exist.
    void Form_Load();

    // Opens file (a path as given on the command line) as "Open with" does: a drawing (.dxf)
    // in the preview; any other file chosen in File1 of its folder, the names filled in as if
    // the user had clicked it. A missing file is shown as error 53.
    void openGiven(std::string_view file);

    // Lists Dir1's folder again when a file came or went since the last look; the chosen files
    // stay chosen and the lists where the user left them. The front end calls it every
    // kTickMilliseconds; one that comes while an event (or its message box) is under way
    // does nothing.
    void tick();

    // Drive1 is about to open: its drives are read again, the chosen one kept chosen (or, when
    // it went away, the first one, without opening it).
    void Drive1_DropDown();
    // The user chose drive in Drive1: its folder opens; one that is not ready is shown as an
    // error and the previous drive and folder stay. The drive chosen already opens nothing.
    void Drive1_Change(std::string_view drive);
    // The user moved Dir1 to folder: it opens and both file lists follow. A folder that cannot
    // be opened is shown as an error; the lists stay, and the view is left where the user put it.
    void Dir1_Change(std::string_view folder);
    // The user chose File1's entry index (also the one chosen already): both names are filled in.
    void File1_Click(std::size_t index);
    // The user chose File2's entry index: it becomes the drawing 開く opens; no box changes.
    void File2_Click(std::size_t index);
    // 実行1: the classic drawing. 実行２: the drawing that declares its code page. The run goes
    // on a thread of its own: the caption says it reads, the report box shows its progress
    // once it has taken longer than the pacing's first delay, and its report (or its error,
    // in the report box and an error box) comes back through FormView::post. A drawing it
    // replaces goes to the trash. Pressed while a run goes, it is refused with kBusyNote.
    void cmdCul1_Click();
    void cmdCul2_Click();
    // 開く: previews File2's chosen drawing, else the output box's, in Dir1's folder.
    void cmdOpen_Click();
    // 終了: ends the program, a run going cancelled first (Form_Unload).
    void cmdExit_Click();
    // The window is closing: a run going is cancelled and waited for, which leaves its folder
    // as it was (no new drawing, an existing one untouched, nothing in the trash). Asks nothing.
    void Form_Unload();

    // Returns whether a run is going (started and its outcome not yet shown).
    bool running() const { return running_; }
    // Sets how soon a run's progress is first shown (so that a short run shows only its
    // report) and how often after that.
    void setProgressPacing(std::chrono::milliseconds first, std::chrono::milliseconds every);

    // What the window holds now.
    const std::string& dir1Path() const { return dir1Path_; }
    const std::string& drive1Drive() const { return drive1Drive_; }
    const ChosenFile& chosen() const { return chosen_; }
    // The drawing 開く opens (a name in Dir1's folder): chosen in File2 or written last; empty
    // when none is, and 開く opens the output box's then.
    const std::string& toOpen() const { return toOpen_; }
    // The entries of both file lists (one folder, one list).
    const std::vector<ListedName>& files() const { return files_; }
    const conversion::ConversionState& state() const { return state_; }

    static DriveLister defaultDrives();

  private:
    struct Outcome;

    // Moves Dir1 to folder; shows a folder that is not ready and returns false then, moving
    // the view back to the folder shown before when backOnFailure says so.
    bool setDir1Path(std::string_view folder, bool backOnFailure);
    // Lists Dir1's folder into both file lists, keeping each one's chosen entry, each list
    // standing at place.
    void listFiles(ListPlace place);
    // Fills Drive1 with drives_, drive1Drive_ chosen.
    void showDrives();
    void runButton(conversion::DrawingOptions options);
    // Shows progress of run id, on the window's thread.
    void showProgress(std::uint64_t id, const conversion::RunProgress& progress);
    // Shows how run id ended, on the window's thread.
    void finishRun(std::uint64_t id, const std::shared_ptr<Outcome>& outcome);
    // Returns the index of the file called name (bytes) in the lists; none when not listed.
    std::optional<std::size_t> indexOf(std::string_view name) const;

    FormView& view_;
    DriveLister listDrives_;
    platform::OwnedSeparators separators_;
    conversion::ConversionState state_;
    std::vector<std::string> drives_;
    std::string drive1Drive_;
    std::string dir1Path_;
    std::int64_t dir1Stamp_ = 0;
    // How many events (and the boxes they show) are under way: no tick lists meanwhile.
    int busy_ = 0;
    std::vector<ListedName> files_;
    // The entries chosen in File1 and File2 now (bytes; empty for none).
    std::string file1Selected_;
    std::string file2Selected_;
    ChosenFile chosen_;
    std::string toOpen_;

    // The run going, if any; runId_ tells its posts from those of a run ended by Form_Unload.
    std::thread run_;
    std::atomic<bool> cancel_{false};
    bool running_ = false;
    bool refused_ = false; // a 実行 was refused during this run
    std::uint64_t runId_ = 0;
    std::string runFolder_;
    std::string progress_; // the progress line shown last
    std::chrono::milliseconds firstProgress_{300};
    std::chrono::milliseconds everyProgress_{250};
};

} // namespace quillet::form
