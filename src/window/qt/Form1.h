// The program's one window in Qt: the controls of the form's table, a view over form::Form.
#pragma once

#include "form/Form.h"
#include "form/FormView.h"
#include "preview/ErrorReporter.h"

#include <QByteArray>
#include <QTimer>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTreeView;

namespace quillet::window::qt {

class DriveBox;
class FileList;
class FolderTreeModel;
namespace preview {
class PreviewWindows;
} // namespace preview

// The program's one window: picks a folder and a file, holds the names and the text height,
// runs the conversion and shows its report. What it does is decided by form::Form.
class Form1 : public QWidget, private form::FormView {
    Q_OBJECT

  public:
    // Builds the window on the process's current folder; failures go to reporter.
    explicit Form1(ErrorReporter reporter = messageBoxReporter(), QWidget* parent = nullptr);
    ~Form1() override;

    // Opens file (path bytes, relative to the working directory) as "Open with" does
    // (form::Form::openGiven).
    void openGiven(const QByteArray& file);

    // Returns whether a conversion run is going.
    bool running() const { return form_.running(); }

  protected:
    // Closing the window during a run cancels it and waits for it, asking nothing.
    void closeEvent(QCloseEvent* event) override;
    // A file dropped on the window is opened as `quillet FILE` opens it: a CSV chosen, a
    // drawing previewed.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void createControls();
    void placeControls();
    void setTabOrderAndAccessKeys();
    void connectEvents();
    QWidget* controlOf(form::ControlId id) const;
    QLineEdit* boxOf(form::ControlId id) const;
    FileList* listOf(form::ControlId id) const;
    void onDir1Selected();

    std::string text(form::ControlId box) const override;
    void setText(form::ControlId box, std::string_view text) override;
    void setCaption(std::string_view caption) override;
    void setReport(std::string_view report) override;
    void showDrives(const std::vector<std::string>& drives, std::size_t chosen) override;
    void chooseDrive(std::string_view drive) override;
    void showFolder(std::string_view folder) override;
    void showFiles(form::ControlId list, const std::vector<std::string>& names,
                   std::optional<std::size_t> chosen) override;
    void chooseFile(form::ControlId list, std::size_t index) override;
    void showError(std::string_view message) override;
    void openPreview(const std::string& path) override;
    void quit() override;
    void post(std::function<void()> task) override;

    ErrorReporter reporter_;
    form::Form form_;
    QTimer tick_;
    // Set while the tree is moved to the folder the form shows: no event goes back then.
    bool showingFolder_ = false;
    preview::PreviewWindows* previews_ = nullptr;

    QLabel* label1_ = nullptr;
    QLineEdit* txtFileName_ = nullptr;
    QPushButton* cmdCul1_ = nullptr;
    QLabel* label2_ = nullptr;
    QLineEdit* txtFileS_ = nullptr;
    QPushButton* cmdCul2_ = nullptr;
    QLabel* label3_ = nullptr;
    QLineEdit* txtFileR_ = nullptr;
    DriveBox* drive1_ = nullptr;
    FileList* file1_ = nullptr;
    QTreeView* dir1_ = nullptr;
    QPushButton* cmdOpen_ = nullptr;
    FileList* file2_ = nullptr;
    QPushButton* cmdExit_ = nullptr;
    QPlainTextEdit* txtDis_ = nullptr;

    FolderTreeModel* dirModel_ = nullptr;
};

} // namespace quillet::window::qt
