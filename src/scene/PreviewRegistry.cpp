// Opening preview windows: the checks that come before a window, and finding the window a
// file already has.
#include "PreviewRegistry.h"

#include "drawing/Reader.h"
#include "platform/FolderListing.h"
#include "platform/InputFile.h"
#include "platform/RunError.h"

#include <algorithm>

namespace quillet::scene {

PreviewRegistry::PreviewRegistry(WindowMaker makeWindow, ErrorSink showError)
    : makeWindow_(std::move(makeWindow)), showError_(std::move(showError)) {}

PreviewRegistry::~PreviewRegistry() {
    for (PreviewSession* session : open_)
        session->registry_ = nullptr;
    const std::vector<PreviewSession*> closing = std::move(open_);
    for (PreviewSession* session : closing)
        session->view().closeWindow();
}

PreviewSession* PreviewRegistry::open(const std::string& path) {
    platform::FileIdentity identity;
    try {
        // Opening it tells whether it is there and readable, and which file it is.
        platform::InputFile file(path);
        identity = file.identity();
        // Text and binary drawings are both read; only what is no drawing is refused here.
        const std::string refused = drawing::refusal(drawing::kindOf(drawing::readStart(path)));
        if (!refused.empty()) {
            showError_(refused + "\n" + platform::displayName(path));
            return nullptr;
        }
    } catch (const platform::RunError& error) {
        showError_(error.what());
        return nullptr;
    }
    const auto shown = std::find_if(open_.begin(), open_.end(), [&](const PreviewSession* s) {
        return s->identity_ == identity;
    });
    if (shown != open_.end()) {
        PreviewSession* session = *shown;
        session->view().bringForward();
        session->load();
        return session;
    }
    PreviewSession* session = makeWindow_(path);
    if (!session) {
        showError_(kNoPreviewWindow);
        return nullptr;
    }
    session->registry_ = this;
    session->identity_ = identity;
    open_.push_back(session);
    session->load();
    return session;
}

void PreviewRegistry::closeAll() {
    const std::vector<PreviewSession*> closing = open_;
    for (PreviewSession* session : closing)
        session->view().closeWindow();
}

void PreviewRegistry::forget(PreviewSession* session) {
    const auto before = open_.size();
    std::erase(open_, session);
    if (open_.size() < before && open_.empty() && onLastClosed)
        onLastClosed();
}

} // namespace quillet::scene
