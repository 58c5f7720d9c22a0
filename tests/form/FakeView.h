// A window without a toolkit for the form logic's tests: it keeps what it is shown and logs
// every call, in order, as one line each.
#pragma once

#include "form/FormView.h"

#include <map>
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
    std::vector<std::string> drives;
    std::string drive;
    std::string folder;
    std::map<form::ControlId, std::vector<std::string>> files;
    std::map<form::ControlId, std::optional<std::size_t>> chosen;
    std::vector<std::string> errors;
    std::vector<std::string> previews;
    bool quitted = false;
    std::vector<std::string> log;

    std::string text(form::ControlId box) const override { return boxes.at(box); }
    void setText(form::ControlId box, std::string_view text) override;
    void setCaption(std::string_view caption) override;
    void setReport(std::string_view text) override;
    void showDrives(const std::vector<std::string>& list, std::size_t index) override;
    void chooseDrive(std::string_view chosenDrive) override;
    void showFolder(std::string_view shown) override;
    void showFiles(form::ControlId list, const std::vector<std::string>& names,
                   std::optional<std::size_t> index) override;
    void chooseFile(form::ControlId list, std::size_t index) override;
    void showError(std::string_view message) override;
    void openPreview(const std::string& path) override;
    void quit() override;

    // Returns the name chosen in list, or "" for none.
    std::string chosenIn(form::ControlId list) const;
};

} // namespace quillet::testing
