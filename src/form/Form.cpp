// The window's state and event procedures, shown through a FormView.
#include "Form.h"

#include "DirectoryList.h"
#include "conversion/OutputName.h"
#include "platform/Drives.h"
#include "platform/FolderListing.h"
#include "platform/OsError.h"

#include <algorithm>
#include <cstdio>
#include <exception>

namespace quillet::form {

namespace {

// Marks the form busy with an event for as long as it lives: a tick that comes meanwhile (from
// a modal box's loop, say) waits for the next one.
class Busy {
  public:
    explicit Busy(int& depth) : depth_(depth) { ++depth_; }
    ~Busy() { --depth_; }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;

  private:
    int& depth_;
};

std::vector<std::string> shownNames(const std::vector<ListedName>& files) {
    std::vector<std::string> shown;
    shown.reserve(files.size());
    for (const ListedName& file : files)
        shown.push_back(file.shown);
    return shown;
}

} // namespace

conversion::RunInputs runInputs(std::string_view folder, std::string_view txtFileName,
                                std::string_view txtFileS, std::string_view txtFileR,
                                const ChosenFile& chosen) {
    const bool chosenAsShown = !chosen.bytes.empty() && txtFileName == chosen.shown;
    const bool proposedAsShown =
        !chosen.bytes.empty() && txtFileS == conversion::proposedOutput(chosen.shown);
    return {std::string(folder), chosenAsShown ? chosen.bytes : std::string(txtFileName),
            proposedAsShown ? conversion::proposedOutput(chosen.bytes) : std::string(txtFileS),
            std::string(txtFileR)};
}

std::string messageFor(const platform::RunError& error) {
    // The file is named as the lists show it, whatever encoding its bytes are in, and with the
    // system's own separators.
    return platform::RunError(error.number(),
                              platform::nativeSeparators(platform::displayName(error.path())),
                              error.line(), error.detail())
        .what();
}

std::string messageFor(const platform::RunError& error, const conversion::AdviceContext& context) {
    std::string message = messageFor(error);
    if (const std::string advice = conversion::adviceFor(error, context); !advice.empty())
        message += "\n" + advice;
    return message;
}

std::string progressText(const conversion::RunProgress& progress) {
    auto megabytes = [](std::int64_t bytes) {
        char text[32];
        std::snprintf(text, sizeof text, "%.1f MB", double(bytes) / 1e6);
        return std::string(text);
    };
    std::string line = "読み込み中 : " + megabytes(progress.bytesRead);
    if (progress.totalBytes >= 0)
        line += " / " + megabytes(progress.totalBytes);
    return line + "、配置した文字数 : " + std::to_string(progress.placed);
}

Form::Form(FormView& view, DriveLister drives, platform::OwnedSeparators separators)
    : view_(view), listDrives_(std::move(drives)), separators_(std::move(separators)) {}

Form::~Form() {
    Form_Unload();
}

void Form::setProgressPacing(std::chrono::milliseconds first, std::chrono::milliseconds every) {
    firstProgress_ = first;
    everyProgress_ = every;
}

Form::DriveLister Form::defaultDrives() {
    return [] { return platform::listDrives(); };
}

void Form::Form_Load() {
    const Busy busy(busy_);
    const std::string current = platform::absoluteFolder(".");
    drives_ = listDrives_();
    drive1Drive_ = driveRootOf(current, drives_);
    showDrives();
    setDir1Path(current, true);
}

void Form::showDrives() {
    std::vector<ListedName> drives;
    for (const std::string& drive : drives_)
        drives.push_back({driveCaption(drive), drive});
    const auto at = std::find(drives_.begin(), drives_.end(), drive1Drive_);
    view_.showDrives(drives, at == drives_.end() ? 0 : std::size_t(at - drives_.begin()));
}

void Form::openGiven(std::string_view file) {
    const Busy busy(busy_);
    const std::string path = platform::absoluteFolder(file);
    if (namesADrawing(file)) {
        view_.openPreview(path);
        return;
    }
    // The folder's own rules ("/", "C:/"), not a one-character root.
    const std::string name = platform::baseNameOf(path);
    if (!setDir1Path(platform::folderOf(path), true))
        return;
    const std::optional<std::size_t> index = indexOf(name);
    if (!index) {
        view_.showError(messageFor(platform::RunError(platform::ErrorNumber::FileNotFound, path)));
        return;
    }
    file1Selected_ = name;
    view_.chooseFile(ControlId::File1, *index);
    File1_Click(*index);
}

void Form::tick() {
    if (busy_ > 0)
        return; // an event, or the box it shows, is not over: the lists follow once it is
    const Busy busy(busy_);
    if (!dir1Path_.empty() && platform::folderStamp(dir1Path_) != dir1Stamp_)
        listFiles(ListPlace::Kept);
}

void Form::Drive1_DropDown() {
    const Busy busy(busy_);
    drives_ = listDrives_();
    // A drive that went away leaves the choice on the first one without opening it: the
    // folder shown stays until the user picks another drive.
    if (std::find(drives_.begin(), drives_.end(), drive1Drive_) == drives_.end() &&
        !drives_.empty())
        drive1Drive_ = drives_.front();
    showDrives();
}

void Form::Drive1_Change(std::string_view drive) {
    const Busy busy(busy_);
    // Choosing the drive chosen already opens nothing, and leaves the folder shown on it.
    if (drive == drive1Drive_)
        return;
    if (setDir1Path(drive, true)) {
        drive1Drive_ = drive;
        return;
    }
    // A drive that is not ready leaves the previous one chosen.
    view_.chooseDrive(drive1Drive_);
}

void Form::Dir1_Change(std::string_view folder) {
    const Busy busy(busy_);
    // The view moving onto the folder it was just told to show opens nothing again.
    if (platform::absoluteFolder(folder) != dir1Path_)
        setDir1Path(folder, false);
}

void Form::File1_Click(std::size_t index) {
    const Busy busy(busy_);
    if (index >= files_.size())
        return;
    file1Selected_ = files_[index].bytes;
    chosen_ = {files_[index].shown, files_[index].bytes};
    view_.setText(ControlId::txtFileName, chosen_.shown);
    view_.setText(ControlId::txtFileS, conversion::proposedOutput(chosen_.shown));
}

void Form::File2_Click(std::size_t index) {
    const Busy busy(busy_);
    if (index >= files_.size())
        return;
    // Only what 開く opens; no box changes.
    file2Selected_ = toOpen_ = files_[index].bytes;
}

void Form::cmdCul1_Click() {
    runButton({conversion::DrawingKind::Classic, conversion::InputEncoding::Auto});
}

void Form::cmdCul2_Click() {
    runButton({conversion::DrawingKind::Declared, conversion::InputEncoding::Auto});
}

void Form::cmdOpen_Click() {
    const Busy busy(busy_);
    const std::string name =
        toOpen_.empty()
            ? runInputs(dir1Path_, view_.text(ControlId::txtFileName),
                        view_.text(ControlId::txtFileS), view_.text(ControlId::txtFileR), chosen_)
                  .outputName
            : toOpen_;
    // Joined as the run joins, so that 開く opens the very file the run wrote.
    view_.openPreview(conversion::composePath(dir1Path_, name));
}

void Form::cmdExit_Click() {
    Form_Unload();
    view_.quit();
}

void Form::Form_Unload() {
    if (!running_)
        return;
    // The run sees the flag at its next line, or before its drawing takes its name at the
    // latest, and leaves the folder as it was.
    cancel_ = true;
    run_.join();
    running_ = false;
    // Whatever the run posted before it ended is no longer shown.
    ++runId_;
}

// What a run on its own thread hands back to the window's thread.
struct Form::Outcome {
    conversion::RunInputs inputs;
    conversion::ConversionState state;
    std::optional<conversion::RunResult> result;
    std::optional<platform::RunError> error;
    std::string otherError; // a failure that is no RunError (std::exception::what)
};

void Form::runButton(conversion::DrawingOptions options) {
    const Busy busy(busy_);
    if (running_) {
        refused_ = true;
        view_.setReport((progress_.empty() ? "" : progress_ + "\r\n") + std::string(kBusyNote) +
                        "\r\n");
        return;
    }
    auto outcome = std::make_shared<Outcome>();
    outcome->inputs =
        runInputs(dir1Path_, view_.text(ControlId::txtFileName), view_.text(ControlId::txtFileS),
                  view_.text(ControlId::txtFileR), chosen_);
    outcome->state = state_;
    view_.setCaption(conversion::kCaptionReading);
    running_ = true;
    refused_ = false;
    progress_.clear();
    cancel_ = false;
    runFolder_ = dir1Path_;
    const std::uint64_t id = ++runId_;
    const auto first = firstProgress_;
    const auto every = everyProgress_;
    run_ = std::thread([this, id, outcome, options, first, every, separators = separators_.view()] {
        using Clock = std::chrono::steady_clock;
        const Clock::time_point start = Clock::now();
        std::optional<Clock::time_point> shown;
        conversion::RunControl control;
        // The window's runs keep a replaced drawing in the trash.
        control.backup = true;
        control.cancel = &cancel_;
        // A run shorter than the first delay shows its report alone, without a flicker of
        // progress before it.
        control.progress = [&](const conversion::RunProgress& progress) {
            const Clock::time_point now = Clock::now();
            if (now - start < first || (shown && now - *shown < every))
                return;
            shown = now;
            view_.post([this, id, progress] { showProgress(id, progress); });
        };
        const conversion::RunInputs& in = outcome->inputs;
        try {
            outcome->result = conversion::convertFile(
                conversion::composePath(in.directory, in.inputName),
                conversion::composePath(in.directory, in.outputName), in.heightText, separators,
                outcome->state, options, control);
        } catch (const platform::RunError& error) {
            outcome->error = error;
        } catch (const std::exception& error) {
            // RunCancelled too: only a run nobody waits for any more is cancelled.
            outcome->otherError = error.what();
        }
        view_.post([this, id, outcome] { finishRun(id, outcome); });
    });
}

void Form::showProgress(std::uint64_t id, const conversion::RunProgress& progress) {
    if (id != runId_ || !running_)
        return;
    const Busy busy(busy_);
    progress_ = progressText(progress);
    view_.setReport(progress_ + "\r\n" +
                    (refused_ ? std::string(kBusyNote) + "\r\n" : std::string()));
}

void Form::finishRun(std::uint64_t id, const std::shared_ptr<Outcome>& outcome) {
    if (id != runId_ || !running_)
        return;
    const Busy busy(busy_);
    run_.join();
    running_ = false;
    state_ = outcome->state;
    view_.setCaption(conversion::kCaptionDone);
    if (outcome->result) {
        view_.setReport(conversion::reportText(*outcome->result));
        // The new drawing shows at once, and is the one 開く opens.
        listFiles(ListPlace::Kept);
        // A drawing written elsewhere than the folder shown is still the one 開く opens.
        toOpen_.clear();
        const std::string& written = outcome->inputs.outputName;
        if (runFolder_ == dir1Path_)
            if (const std::optional<std::size_t> index = indexOf(written)) {
                file2Selected_ = toOpen_ = written;
                view_.chooseFile(ControlId::File2, *index);
            }
        return;
    }
    // The window stays usable, and no report of an earlier run stands beside the failure.
    if (outcome->error) {
        const platform::RunError& error = *outcome->error;
        const conversion::AdviceContext context{outcome->inputs.inputName,
                                                outcome->inputs.outputName, state_.textHeight};
        view_.setReport(conversion::failureReport(error, context));
        view_.showError(messageFor(error, context));
    } else {
        view_.setReport(outcome->otherError);
        view_.showError(outcome->otherError);
    }
}

bool Form::setDir1Path(std::string_view folder, bool backOnFailure) {
    const std::string path = platform::absoluteFolder(folder);
    if (const std::optional<platform::ErrorNumber> notReady = folderNotReady(path)) {
        view_.showError(messageFor(platform::RunError(*notReady, path)));
        // From the keys a tree stays on the refused folder, so the next key moves past it.
        if (backOnFailure && !dir1Path_.empty())
            view_.showFolder(dir1Path_);
        return false;
    }
    dir1Path_ = path;
    view_.showFolder(dir1Path_);
    // Dir1's change: both lists follow, nothing chosen in them, and nothing to open.
    file1Selected_.clear();
    file2Selected_.clear();
    toOpen_.clear();
    listFiles(ListPlace::Top);
    return true;
}

void Form::listFiles(ListPlace place) {
    dir1Stamp_ = platform::folderStamp(dir1Path_);
    files_ = filesOf(dir1Path_);
    // A file written meanwhile shows up; the chosen ones stay chosen without being chosen anew.
    const std::vector<std::string> shown = shownNames(files_);
    for (auto [list, selected] : {std::pair{ControlId::File1, &file1Selected_},
                                  std::pair{ControlId::File2, &file2Selected_}}) {
        const std::optional<std::size_t> index = indexOf(*selected);
        if (!index)
            selected->clear();
        view_.showFiles(list, shown, index, place);
    }
}

std::optional<std::size_t> Form::indexOf(std::string_view name) const {
    if (name.empty())
        return std::nullopt;
    const auto at = std::find_if(files_.begin(), files_.end(),
                                 [&](const ListedName& file) { return file.bytes == name; });
    return at == files_.end() ? std::nullopt : std::optional(std::size_t(at - files_.begin()));
}

} // namespace quillet::form
