#pragma once

#include "ErrorReporter.h"
#include "conversion/ConversionState.h"
#include "conversion/Run.h"
#include "platform/RunError.h"

#include <QString>
#include <QWidget>

#include <string_view>

class QComboBox;
class QFileSystemModel;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTreeView;

namespace quillet::window {

class FileList;

// The program's one window: picks a folder and a file, holds the names and the text height,
// runs the conversion and shows its report.
class Form1 : public QWidget, private conversion::RunView {
    Q_OBJECT

  public:
    // Builds the window on the process's current folder; failures go to reporter.
    explicit Form1(ErrorReporter reporter = messageBoxReporter(), QWidget* parent = nullptr);

  private:
    void createControls();
    void placeControls();
    void setTabOrderAndAccessKeys();
    void connectEvents();

    void Drive1_Change();
    void Dir1_Change();
    void File1_Click();
    void cmdCul1_Click();
    void cmdExit_Click();

    // Moves Dir1 to folder; reports a folder that is not ready and returns false then.
    bool setDir1Path(const QString& folder);
    void showDir1Path();
    void onDir1Selected();
    void reportNotReady(platform::ErrorNumber number, const QString& folder);

    void setCaption(std::string_view caption) override;
    void setReport(std::string_view report) override;

    ErrorReporter reporter_;
    conversion::ConversionState state_;
    QString dir1Path_;
    QString drive1Drive_;

    QLabel* label1_ = nullptr;
    QLineEdit* txtFileName_ = nullptr;
    QPushButton* cmdCul1_ = nullptr;
    QLabel* label2_ = nullptr;
    QLineEdit* txtFileS_ = nullptr;
    QPushButton* cmdCul2_ = nullptr;
    QLabel* label3_ = nullptr;
    QLineEdit* txtFileR_ = nullptr;
    QComboBox* drive1_ = nullptr;
    FileList* file1_ = nullptr;
    QTreeView* dir1_ = nullptr;
    QPushButton* cmdOpen_ = nullptr;
    FileList* file2_ = nullptr;
    QPushButton* cmdExit_ = nullptr;
    QPlainTextEdit* txtDis_ = nullptr;

    QFileSystemModel* dirModel_ = nullptr;
};

} // namespace quillet::window
