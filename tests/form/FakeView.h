// A window without a toolkit for the form logic's tests: it keeps what it is shown and logs
// every call, in order, as one line each.
#pragma once

#include "form/FormView.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace quillet::testing {

class FakeView : public form::FormView {
  public:
    std::map<form::ControlId, std::string> boxes{{form::ControlId::txtFileName, ""},
                                                 {form::ControlId::txtFileS, ""},
                                                 {form::ControlId::txtFileR, "100"}};
    std::vector<std::string> captions;
    std::string report;
    std::vector<std::string> drives; // their paths
    std::vector<std::string> driveCaptions;
    std::string drive;
    std::string folder;
    std::map<form::ControlId, std::vector<std::string>> files;
    std::map<form::ControlId, std::optional<std::size_t>> chosen;
    std::map<form::ControlId, form::ListPlace> places;
    // Called inside showError, as a modal box's loop runs what comes meanwhile.
    std::function<void()> duringError;
    std::vector<std::string> errors;
    std::vector<std::string> previews;
    bool quitted = false;
    std::vector<std::string> log;

    std::string text(form::ControlId box) const override { return boxes.at(box); }
    void setText(form::ControlId box, std::string_view text) override;
    void setCaption(std::string_view caption) override;
    void setReport(std::string_view text) override;
    void showDrives(const std::vector<form::ListedName>& list, std::size_t index) override;
    void chooseDrive(std::string_view chosenDrive) override;
    void showFolder(std::string_view shown) override;
    void showFiles(form::ControlId list, const std::vector<std::string>& names,
                   std::optional<std::size_t> index, form::ListPlace place) override;
    void chooseFile(form::ControlId list, std::size_t index) override;
    void showError(std::string_view message) override;
    void openPreview(const std::string& path) override;
    void quit() override;
    // Queues task; runPosted() runs it on the test's thread.
    void post(std::function<void()> task) override;

    // Runs the posted tasks, waiting up to wait for the first one; returns how many ran.
    std::size_t runPosted(std::chrono::milliseconds wait = std::chrono::seconds(20));
    // Runs posted tasks until form's run is over; returns false when it did not end in time.
    template <class Form> bool finishRun(const Form& form) {
        for (int i = 0; i < 200 && form.running(); ++i)
            runPosted(std::chrono::milliseconds(100));
        return !form.running();
    }
    // Makes the next post wait (up to holdFor) before it returns, so that a test acts while the
    // run that posts is surely going; waitHeld() returns once a post is held.
    void holdNextPost(std::chrono::milliseconds holdFor);
    bool waitHeld(std::chrono::milliseconds wait = std::chrono::seconds(20));

    // Returns the name chosen in list, or "" for none.
    std::string chosenIn(form::ControlId list) const;

    // Every report shown, in order.
    std::vector<std::string> reports;

  private:
    std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<std::function<void()>> tasks_;
    std::chrono::milliseconds holdFor_{0};
    bool held_ = false;
};

} // namespace quillet::testing
