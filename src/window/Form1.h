#pragma once

#include "ErrorReporter.h"
#include "conversion/ConversionState.h"
#include "conversion/Run.h"
#include "platform/RunError.h"

#include <QString>
#include <QWidget>

#include <string_view>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTreeView;

namespace quillet::window {

class DriveBox;
class FileList;
class FolderTreeModel;
namespace preview {
class PreviewWindows;
}

// The program's one window: picks a folder and a file, holds the names and the text height,
// runs the conversion and shows its report.
class Form1 : public QWidget, private conversion::RunView {
    Q_OBJECT

  public:
    // Builds the window on the process's current folder; failures go to reporter.
    explicit Form1(ErrorReporter reporter = messageBoxReporter(), QWidget* parent = nullptr);

    // Opens file (path bytes, relative to the working directory) as "Open with" does: a
    // drawing (.dxf) in the preview; any other file chosen in File1 of its folder, the names
    // filled in as if the user had clicked it. A missing file is reported as error 53.
    void openGiven(const QByteArray& file);

  private:
    void createControls();
    void placeControls();
    void setTabOrderAndAccessKeys();
    void connectEvents();

    void Drive1_Change();
    void Dir1_Change();
    void File1_Click();
    void File2_Click();
    void cmdCul1_Click();
    void cmdCul2_Click();
    void cmdOpen_Click();
    void cmdExit_Click();

    // The run's four inputs as the boxes hold them; a name the user chose in File1 and left
    // as it is shown goes as the system's bytes for it.
    conversion::RunInputs runInputs() const;
    // Runs the conversion into the drawing options ask for, as both execute buttons do.
    void runButton(conversion::DrawingOptions options);

    // Moves Dir1 to folder (path bytes); reports a folder that is not ready and returns false
    // then, moving the tree back to the folder shown when backOnFailure says so.
    bool setDir1Path(const QByteArray& folder, bool backOnFailure);
    void showDir1Path();
    void onDir1Selected();
    void reportNotReady(platform::ErrorNumber number, const QByteArray& folder);

    void setCaption(std::string_view caption) override;
    void setReport(std::string_view report) override;

    ErrorReporter reporter_;
    conversion::ConversionState state_;
    QByteArray dir1Path_;
    QString drive1Drive_;
    // The file chosen in File1: its name as shown in the boxes, and as the system's bytes.
    QString chosenShown_;
    QByteArray chosenBytes_;
    // The drawing 開く opens: the one chosen in File2 or written last; empty for none.
    QByteArray toOpen_;
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

} // namespace quillet::window
