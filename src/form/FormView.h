// What the form logic asks of a window: the small set of calls each toolkit's window
// implements. Texts are UTF-8; paths are the system's bytes (UTF-8 on Windows, with "/" as the
// form logic writes them).
#pragma once

#include "Controls.h"
#include "Listing.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillet::form {

// Where a file list stands once it is filled again.
enum class ListPlace { Top, Kept };

// How often the front end calls Form::tick() so that the file lists follow the folder: short
// enough that a new drawing shows at once to the eye, long enough to cost nothing.
inline constexpr int kTickMilliseconds = 300;

// The window as the form logic sees it. No call here raises an event back into the form (the
// front end shows what it is told without calling Form's procedures). Every call but post()
// comes on the window's thread; a run goes on a thread of its own and hands what it has to
// show back through post().
class FormView {
  public:
    virtual ~FormView() = default;

    // Returns the text of box (txtFileName, txtFileS or txtFileR) as the user left it.
    virtual std::string text(ControlId box) const = 0;
    // Replaces the text of box (txtFileName, txtFileS or txtFileR).
    virtual void setText(ControlId box, std::string_view text) = 0;

    // Sets the window's caption.
    virtual void setCaption(std::string_view caption) = 0;
    // Replaces the report box's (txtDis) text; its lines end with CR LF.
    virtual void setReport(std::string_view report) = 0;

    // Fills Drive1 with drives, each shown by its caption (ListedName::shown, "C:") and kept by
    // its path (ListedName::bytes, "C:/" as Form gets it from its drive list), drives[chosen]
    // chosen.
    virtual void showDrives(const std::vector<ListedName>& drives, std::size_t chosen) = 0;
    // Chooses drive in Drive1 again, as after a drive that was not ready.
    virtual void chooseDrive(std::string_view drive) = 0;

    // Shows folder (absolute) as Dir1's current folder. A flat directory list is filled from
    // directoryLines(folder) (DirectoryList.h); a tree opens down to it and selects it.
    virtual void showFolder(std::string_view folder) = 0;

    // Fills list (File1 or File2) with names as shown, in that order, names[*chosen] chosen
    // (none without chosen). place says where the list stands: at its top for a folder newly
    // shown, where the user left it when the same folder is listed again.
    virtual void showFiles(ControlId list, const std::vector<std::string>& names,
                           std::optional<std::size_t> chosen, ListPlace place) = 0;
    // Chooses entry index of list and brings it into sight.
    virtual void chooseFile(ControlId list, std::size_t index) = 0;

    // Shows message in a modal error box over the window; returns once the user closed it.
    virtual void showError(std::string_view message) = 0;

    // Opens the drawing at path in a preview window (one window a drawing); the preview
    // reports a file it cannot open itself.
    virtual void openPreview(const std::string& path) = 0;

    // Ends the program.
    virtual void quit() = 0;

    // Runs task on the window's thread soon, after the events already waiting, tasks in the
    // order posted; returns at once. Called from the run's thread. A task still waiting when
    // the window is destroyed is dropped without running.
    virtual void post(std::function<void()> task) = 0;
};

} // namespace quillet::form
