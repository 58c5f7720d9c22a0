// A preview window without a toolkit for the preview logic's tests: it keeps what it is shown,
// answers its dialogs as the test says, and logs the calls that matter, one line each.
#pragma once

#include "scene/PreviewView.h"

#include <optional>
#include <string>
#include <vector>

namespace quillet::testing {

class FakePreviewView : public scene::PreviewView {
  public:
    std::string title;
    std::string message;
    std::string status;
    std::string toolTip;
    std::string cursor;
    bool progressShown = false;
    bool polling = false;
    bool closed = false;
    int repaints = 0;
    int broughtForward = 0;
    std::vector<std::string> errors;

    // What the export dialog answers, and what it was asked.
    std::optional<scene::SaveChoice> saveChoice;
    std::vector<scene::SaveRequest> saveRequests;
    // The desktop's programs, which of them start, whether a chooser picks one; the programs
    // started, each as "id path".
    std::vector<scene::Application> desktop;
    std::vector<std::string> starting;
    bool chooserPicks = false;
    std::vector<std::string> started;
    int choosers = 0;

    void setTitle(std::string_view text) override { title = text; }
    void redraw() override { ++repaints; }
    void setMessage(std::string_view text) override { message = text; }
    void setStatus(std::string_view line, std::string_view tip) override {
        status = line;
        toolTip = tip;
    }
    void setCursorText(std::string_view text) override { cursor = text; }
    void showProgress(int) override { progressShown = true; }
    void hideProgress() override { progressShown = false; }
    void setPolling(bool on) override { polling = on; }
    void showError(std::string_view text) override { errors.emplace_back(text); }
    std::optional<scene::SaveChoice> askSavePath(const scene::SaveRequest& request) override {
        saveRequests.push_back(request);
        return saveChoice;
    }
    std::vector<scene::Application> applications(const std::string&) override { return desktop; }
    bool startApplication(const scene::Application& app, const std::string& path) override {
        for (const std::string& id : starting)
            if (id == app.id) {
                started.push_back(app.id + " " + path);
                return true;
            }
        return false;
    }
    bool chooseApplication(const std::string&) override {
        ++choosers;
        return chooserPicks;
    }
    void bringForward() override { ++broughtForward; }
    void closeWindow() override { closed = true; }
};

} // namespace quillet::testing
