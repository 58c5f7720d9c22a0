// A preview window's logic: the read it waits for, its commands and its texts.
#include "PreviewSession.h"

#include "DrawingLoad.h"
#include "Export.h"
#include "PreviewRegistry.h"
#include "StatusText.h"

#include "platform/FolderListing.h"
#include "platform/InputFile.h"
#include "platform/RunError.h"

#include <algorithm>
#include <exception>

namespace quillet::scene {

namespace {

std::string lowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// The last part of path, after its last '/' or '\'.
std::string_view lastPart(std::string_view path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// Tells whether a and b name one file that is there.
bool sameFile(const std::string& a, const std::string& b) {
    try {
        return platform::InputFile(a).identity() == platform::InputFile(b).identity();
    } catch (const platform::RunError&) {
        return false; // one of them is not there (yet), or cannot be read
    }
}

} // namespace

std::string previewTitle(const std::string& path) {
    // Named as the main window's lists show it, whatever encoding its bytes are in.
    return platform::displayName(lastPart(path)) + " - Quillet プレビュー";
}

const std::vector<FileFilter>& exportFilters() {
    static const std::vector<FileFilter> filters{
        {"PNG 画像", "png"}, {"SVG 画像", "svg"}, {"PDF 文書", "pdf"}};
    return filters;
}

std::string withSuffix(const std::string& path, std::string_view suffix) {
    const std::string_view name = lastPart(path);
    // A leading dot starts a hidden file's name, not its extension.
    const std::size_t dot = name.rfind('.');
    if (dot != std::string_view::npos && dot > 0 && dot + 1 < name.size())
        return path;
    std::string out = path;
    if (!out.empty() && out.back() != '.')
        out += '.';
    return out + std::string(suffix);
}

bool isOwnApplication(std::string_view id, const std::vector<std::string>& own) {
    const std::string name = lowerAscii(lastPart(id));
    return std::any_of(own.begin(), own.end(),
                       [&](const std::string& o) { return lowerAscii(o) == name; });
}

PreviewSession::PreviewSession(PreviewView& view, std::string path, PreviewEnvironment environment)
    : view_(view), path_(std::move(path)), environment_(std::move(environment)),
      measure_(environment_.toolkit->textMeasure()) {
    view_.setTitle(previewTitle(path_));
}

PreviewSession::~PreviewSession() {
    if (registry_)
        registry_->forget(this);
}

void PreviewSession::load() {
    if (load_)
        return;
    try {
        load_ = std::make_unique<DrawingLoad>(path_);
    } catch (const std::exception& error) {
        // No thread to read on: said like any other failure of a first read.
        view_.showError(error.what());
        if (!state_.drawing())
            view_.closeWindow();
        return;
    }
    if (!state_.drawing())
        view_.setMessage(kReadingText);
    view_.setStatus(kReadingText, "");
    view_.showProgress(0);
    view_.setPolling(true);
}

void PreviewSession::poll() {
    if (!load_)
        return;
    if (load_->finished()) {
        finishLoad();
        return;
    }
    const bool indexing = load_->indexing();
    view_.setStatus(indexing ? kIndexingText : kReadingText, "");
    view_.showProgress(indexing ? 1000 : static_cast<int>(1000 * load_->fraction()));
}

void PreviewSession::finishLoad() {
    view_.setPolling(false);
    view_.hideProgress();
    const std::unique_ptr<DrawingLoad> done = std::move(load_);
    if (std::shared_ptr<drawing::Drawing> read = done->takeDrawing()) {
        state_.setDrawing(std::move(read), measure_);
        view_.setMessage("");
        showStatus();
        view_.redraw();
        if (onLoaded)
            onLoaded(true);
        return;
    }
    if (onLoaded)
        onLoaded(false);
    // A reload that did not come through leaves the last drawing shown; a failure is said
    // either way, so that an old drawing is never taken for the file as it is now.
    showStatus();
    if (!done->cancelled())
        view_.showError(done->error());
    if (!state_.drawing())
        view_.closeWindow();
}

void PreviewSession::showStatus() {
    if (!state_.drawing())
        return;
    const StatusText status = statusOf(*state_.drawing());
    statusLine_ = status.joined();
    view_.setStatus(statusLine_, status.toolTip());
}

void PreviewSession::run(PreviewAction action) {
    switch (action) {
    case PreviewAction::Fit:
        state_.fitAll();
        view_.redraw();
        break;
    case PreviewAction::ExportView:
    case PreviewAction::Export:
        chooseExport(false);
        break;
    case PreviewAction::ExportWhole:
        chooseExport(true);
        break;
    case PreviewAction::OpenDefault:
        openInDefaultApplication();
        break;
    case PreviewAction::ChooseApplication:
        break; // a menu, whose entries call openWith
    case PreviewAction::Reload:
        load();
        break;
    case PreviewAction::Close:
        view_.closeWindow();
        break;
    case PreviewAction::Cancel:
        if (load_)
            load_->cancel();
        break;
    }
}

std::string PreviewSession::exportTo(const std::string& path, bool whole) {
    if (!state_.drawing())
        return std::string(kNothingToExport);
    // An image written over the drawing itself would lose it.
    if (sameFile(path, path_))
        return platform::RunError(platform::ErrorNumber::FileAlreadyOpen,
                                  platform::displayName(path), 0, platform::kOutputIsInput)
            .what();
    return exportDrawing(*state_.drawing(), state_.transform(), whole, path,
                         platform::displayName(lastPart(path_)), *environment_.toolkit);
}

void PreviewSession::chooseExport(bool whole) {
    if (!state_.drawing())
        return;
    SaveRequest request;
    request.title = whole ? "図面全体を書き出し" : "表示範囲を書き出し";
    request.proposed = proposedExportName(path_, exportFilters().front().suffix);
    request.filters = exportFilters();
    const std::optional<SaveChoice> choice = view_.askSavePath(request);
    if (!choice || choice->path.empty())
        return;
    const std::size_t filter = std::min(choice->filter, request.filters.size() - 1);
    const std::string error =
        exportTo(withSuffix(choice->path, request.filters[filter].suffix), whole);
    if (!error.empty())
        view_.showError(error);
}

std::vector<Application> PreviewSession::applications() {
    std::vector<Application> apps = view_.applications(path_);
    std::erase_if(apps, [this](const Application& app) {
        return isOwnApplication(app.id, environment_.ownApplications);
    });
    // Only the first of the desktop's defaults that is not Quillet is the default.
    for (std::size_t i = 0; i < apps.size(); ++i)
        apps[i].isDefault = apps[i].isDefault && i == 0;
    return apps;
}

std::string PreviewSession::menuTextOf(const Application& app) {
    return app.isDefault ? app.name + std::string(kDefaultMark) : app.name;
}

void PreviewSession::openWith(const Application& app) {
    if (!view_.startApplication(app, platform::absoluteFolder(path_)))
        view_.showError(kApplicationDidNotStart);
}

void PreviewSession::openInDefaultApplication() {
    const std::string file = platform::absoluteFolder(path_);
    const std::vector<Application> apps = applications();
    if (!apps.empty() && view_.startApplication(apps.front(), file))
        return;
    // None but Quillet, or it would not start: the system's chooser, where there is one.
    if (!view_.chooseApplication(file))
        view_.showError(kNoOtherApplication);
}

void PreviewSession::cursorMoved(double x, double y) {
    if (!state_.drawing())
        return; // no place to tell over an empty view
    view_.setCursorText(cursorText(x, y, 1 / state_.transform().scale));
}

} // namespace quillet::scene
