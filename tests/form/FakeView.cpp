// A window without a toolkit for the form logic's tests.
#include "FakeView.h"

#include <thread>

namespace quillet::testing {

using form::ControlId;

void FakeView::setText(ControlId box, std::string_view text) {
    boxes.at(box) = text;
    log.push_back("setText " + std::string(form::control(box).name));
}

void FakeView::setCaption(std::string_view caption) {
    captions.emplace_back(caption);
    log.push_back("setCaption " + std::string(caption));
}

void FakeView::setReport(std::string_view text) {
    report = text;
    reports.push_back(report);
    log.push_back("setReport");
}

void FakeView::showDrives(const std::vector<form::ListedName>& list, std::size_t index) {
    drives.clear();
    driveCaptions.clear();
    for (const form::ListedName& shown : list) {
        drives.push_back(shown.bytes);
        driveCaptions.push_back(shown.shown);
    }
    drive = drives.at(index);
    log.push_back("showDrives");
}

void FakeView::chooseDrive(std::string_view chosenDrive) {
    drive = chosenDrive;
    log.push_back("chooseDrive " + drive);
}

void FakeView::showFolder(std::string_view shown) {
    folder = shown;
    log.push_back("showFolder " + folder);
}

void FakeView::showFiles(ControlId list, const std::vector<std::string>& names,
                         std::optional<std::size_t> index, form::ListPlace place) {
    files[list] = names;
    chosen[list] = index;
    places[list] = place;
    log.push_back("showFiles " + std::string(form::control(list).name));
}

void FakeView::chooseFile(ControlId list, std::size_t index) {
    chosen[list] = index;
    log.push_back("chooseFile " + std::string(form::control(list).name));
}

void FakeView::showError(std::string_view message) {
    errors.emplace_back(message);
    log.push_back("showError");
    if (duringError)
        duringError();
}

void FakeView::openPreview(const std::string& path) {
    previews.push_back(path);
    log.push_back("openPreview");
}

void FakeView::quit() {
    quitted = true;
    log.push_back("quit");
}

void FakeView::post(std::function<void()> task) {
    std::unique_lock lock(mutex_);
    tasks_.push_back(std::move(task));
    if (holdFor_.count() > 0) {
        const auto holdFor = holdFor_;
        holdFor_ = {};
        held_ = true;
        posted_.notify_all();
        // Held for the whole time: what the test does meanwhile happens while the run goes.
        lock.unlock();
        std::this_thread::sleep_for(holdFor);
        return;
    }
    posted_.notify_all();
}

std::size_t FakeView::runPosted(std::chrono::milliseconds wait) {
    std::deque<std::function<void()>> tasks;
    {
        std::unique_lock lock(mutex_);
        posted_.wait_for(lock, wait, [this] { return !tasks_.empty(); });
        tasks.swap(tasks_);
    }
    for (auto& task : tasks)
        task();
    return tasks.size();
}

void FakeView::holdNextPost(std::chrono::milliseconds holdFor) {
    std::lock_guard lock(mutex_);
    holdFor_ = holdFor;
    held_ = false;
}

bool FakeView::waitHeld(std::chrono::milliseconds wait) {
    std::unique_lock lock(mutex_);
    return posted_.wait_for(lock, wait, [this] { return held_; });
}

std::string FakeView::chosenIn(ControlId list) const {
    const auto index = chosen.count(list) ? chosen.at(list) : std::nullopt;
    return index ? files.at(list).at(*index) : std::string();
}

} // namespace quillet::testing
