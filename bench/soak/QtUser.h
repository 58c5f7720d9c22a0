// The user at the Qt window: each step of the day done with clicks and keys on the real Form1
// and the preview windows it opens, through Qt's event loop.
#pragma once

#include "Day.h"
#include "Plan.h"

#include <QDir>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>

class QAbstractButton;
class QComboBox;
class QLineEdit;
class QListWidget;
class QTreeView;

namespace quillet::window::qt {
class Form1;
namespace preview {
class PreviewWindow;
} // namespace preview
} // namespace quillet::window::qt

namespace quillet::bench::soak {

class QtUser : public QObject {
    Q_OBJECT

  public:
    // Works on form, which shows folder; closes every error box it shows, as the user reads
    // and dismisses it.
    QtUser(window::qt::Form1& form, const QString& folder);

    // Does step; throws std::runtime_error when the window does not do what it should.
    void doStep(const Step& step);

    const Tally& tally() const noexcept { return tally_; }

  private:
    using PreviewWindow = window::qt::preview::PreviewWindow;

    void touchFolder(const Step& step);
    void wander(const Step& step);
    void convert(const Step& step);
    void preview(const Step& step);
    // Returns the preview window open now once there is one.
    PreviewWindow* openedPreview(const Step& step);
    void waitUntilGone(const Step& step);

    void closeErrorBox();
    void waitFor(const std::function<bool()>& done, const Step& step, const char* what,
                 int milliseconds = 30000);
    void chooseIn(QListWidget* list, const QString& name, const Step& step);
    static void typeInto(QLineEdit* box, const QString& text);
    static void click(QAbstractButton* button);

    window::qt::Form1& form_;
    QDir folder_;
    QTimer boxes_;
    QStringList boxTexts_; // the error boxes closed, their texts
    Tally tally_;
    QLineEdit* txtFileName_;
    QLineEdit* txtFileS_;
    QLineEdit* txtFileR_;
    QListWidget* file1_;
    QListWidget* file2_;
    QTreeView* dir1_;
    QComboBox* drive1_;
    QAbstractButton* cmdCul1_;
    QAbstractButton* cmdCul2_;
    QAbstractButton* cmdOpen_;
};

} // namespace quillet::bench::soak
