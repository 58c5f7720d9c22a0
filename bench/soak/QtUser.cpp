// The Qt window's day: clicks on its lists and buttons, keys in its boxes, and the preview
// windows' buttons, menus and keys, each waited for as a user waits to see it done.
#include "QtUser.h"

#include "form/Controls.h"
#include "scene/PreviewActions.h"
#include "window/qt/Form1.h"
#include "window/qt/preview/DrawingView.h"
#include "window/qt/preview/PreviewWindow.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QToolBar>
#include <QTreeView>
#include <QWheelEvent>

#include <stdexcept>
#include <string>

namespace quillet::bench::soak {

namespace {

using window::qt::preview::PreviewWindow;

QString qText(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

template <class Control> Control* controlOf(QWidget& form, form::ControlId id) {
    auto* control = form.findChild<Control*>(qText(form::control(id).name));
    if (!control)
        throw std::runtime_error("the window has no " + std::string(form::control(id).name));
    return control;
}

std::vector<PreviewWindow*> previewWindows() {
    std::vector<PreviewWindow*> windows;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (auto* window = qobject_cast<PreviewWindow*>(top))
            windows.push_back(window);
    return windows;
}

bool lists(const QListWidget* list, const QString& name) {
    return !list->findItems(name, Qt::MatchExactly).isEmpty();
}

// Returns the action of window whose menu (or button) text is action's.
QAction* actionOf(QWidget* window, scene::PreviewAction action) {
    const scene::ActionInfo& info = scene::actionInfo(action);
    const QString text = qText(info.menuText.empty() ? info.buttonText : info.menuText);
    for (QAction* candidate : window->actions())
        if (candidate->text() == text)
            return candidate;
    throw std::runtime_error("the preview has no action " + text.toStdString());
}

} // namespace

QtUser::QtUser(window::qt::Form1& form, const QString& folder)
    : form_(form), folder_(folder),
      txtFileName_(controlOf<QLineEdit>(form, form::ControlId::txtFileName)),
      txtFileS_(controlOf<QLineEdit>(form, form::ControlId::txtFileS)),
      txtFileR_(controlOf<QLineEdit>(form, form::ControlId::txtFileR)),
      file1_(controlOf<QListWidget>(form, form::ControlId::File1)),
      file2_(controlOf<QListWidget>(form, form::ControlId::File2)),
      dir1_(controlOf<QTreeView>(form, form::ControlId::Dir1)),
      drive1_(controlOf<QComboBox>(form, form::ControlId::Drive1)),
      cmdCul1_(controlOf<QAbstractButton>(form, form::ControlId::cmdCul1)),
      cmdCul2_(controlOf<QAbstractButton>(form, form::ControlId::cmdCul2)),
      cmdOpen_(controlOf<QAbstractButton>(form, form::ControlId::cmdOpen)) {
    // An error box is read and closed within a moment; its own event loop runs the timer.
    boxes_.setInterval(20);
    connect(&boxes_, &QTimer::timeout, this, &QtUser::closeErrorBox);
    boxes_.start();
}

void QtUser::doStep(const Step& step) {
    touchFolder(step);
    if (step.wanders)
        wander(step);
    convert(step);
    preview(step);
}

void QtUser::closeErrorBox() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible())
        return;
    boxTexts_ << box->text();
    if (QAbstractButton* ok = box->button(QMessageBox::Ok))
        ok->click();
    else
        box->reject();
}

void QtUser::waitFor(const std::function<bool()>& done, const Step& step, const char* what,
                     int milliseconds) {
    if (!QTest::qWaitFor(done, milliseconds))
        throw std::runtime_error("step " + std::to_string(step.number) + ": " + what);
}

void QtUser::typeInto(QLineEdit* box, const QString& text) {
    box->setFocus();
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    if (text.isEmpty())
        QTest::keyClick(box, Qt::Key_Delete);
    else
        QTest::keyClicks(box, text);
}

void QtUser::click(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton);
}

void QtUser::chooseIn(QListWidget* list, const QString& name, const Step& step) {
    waitFor([&] { return lists(list, name); }, step, "a file never listed");
    QListWidgetItem* item = list->findItems(name, Qt::MatchExactly).first();
    list->scrollToItem(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
    if (list->currentItem() != item)
        throw std::runtime_error("step " + std::to_string(step.number) + ": " + name.toStdString() +
                                 " could not be chosen");
}

void QtUser::touchFolder(const Step& step) {
    const QString name = qText(step.touched);
    const QString path = folder_.filePath(name);
    if (step.adds) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write("ADDED,1\r\n") != 9)
            throw std::runtime_error("cannot write " + path.toStdString());
        file.close();
        waitFor([&] { return lists(file1_, name) && lists(file2_, name); }, step,
                "a file added to the folder is not listed");
        ++tally_.added;
    } else {
        if (!QFile::remove(path))
            throw std::runtime_error("cannot remove " + path.toStdString());
        waitFor([&] { return !lists(file1_, name) && !lists(file2_, name); }, step,
                "a file removed from the folder is still listed");
        ++tally_.removed;
    }
}

void QtUser::wander(const Step& step) {
    // Kept across the tree's changes: a folder made or removed beside one moves its row.
    const QPersistentModelIndex here = dir1_->currentIndex();
    const QString sub = qText(kSubFolder);
    QPersistentModelIndex below;
    waitFor(
        [&] {
            for (int row = 0; row < dir1_->model()->rowCount(here); ++row)
                if (const QModelIndex i = dir1_->model()->index(row, 0, here); i.data() == sub)
                    below = i;
            return below.isValid();
        },
        step, "the folder below is not in the tree");
    for (const auto& [to, shows] :
         {std::pair{below, QStringLiteral("inner.csv")}, std::pair{here, qText(kSmallInput)}}) {
        if (!to.isValid())
            throw std::runtime_error("step " + std::to_string(step.number) +
                                     ": a folder left the tree");
        // Once the tree has laid out what the last folder opened, as the user sees it.
        dir1_->doItemsLayout();
        dir1_->scrollTo(to);
        // Near the start of the name: long names reach past the visible part of the tree.
        const auto spot = [&] { return dir1_->visualRect(to).topLeft() + QPoint(4, 4); };
        waitFor([&] { return dir1_->viewport()->rect().contains(spot()); }, step,
                "a folder of the tree is out of sight");
        QTest::mouseClick(dir1_->viewport(), Qt::LeftButton, {}, spot());
        waitFor([&] { return lists(file1_, shows); }, step, "Dir1 did not open the folder");
    }
    // Drive1's list, opened (its drives read again) and closed.
    QTest::mouseClick(drive1_, Qt::LeftButton);
    drive1_->hidePopup();
    ++tally_.wanders;
}

void QtUser::convert(const Step& step) {
    const QString input = qText(step.input);
    if (step.typedInput) {
        typeInto(txtFileName_, input);
    } else {
        chooseIn(file1_, input, step);
        if (txtFileName_->text() != input)
            throw std::runtime_error("step " + std::to_string(step.number) +
                                     ": the input box does not show the file chosen");
    }
    typeInto(txtFileR_, qText(step.height));
    if (step.output)
        typeInto(txtFileS_, qText(*step.output));
    const qsizetype boxes = boxTexts_.size();
    click(step.declared ? cmdCul2_ : cmdCul1_);
    waitFor([&] { return !form_.running(); }, step, "the run did not end", 120000);
    ++tally_.conversions;
    if (step.expectedError) {
        waitFor([&] { return boxTexts_.size() > boxes; }, step, "no error box for a failed run");
        const QString expected = QStringLiteral("実行時エラー %1").arg(step.expectedError);
        if (!boxTexts_.last().startsWith(expected))
            throw std::runtime_error("step " + std::to_string(step.number) +
                                     ": the error box says " + boxTexts_.last().toStdString() +
                                     ", not " + expected.toStdString());
        ++tally_.failures;
        return;
    }
    const QString report =
        form_.findChild<QPlainTextEdit*>(QStringLiteral("txtDis"))->toPlainText();
    if (boxTexts_.size() != boxes || !report.contains(QStringLiteral("処理終了")))
        throw std::runtime_error("step " + std::to_string(step.number) +
                                 ": the run failed: " + report.toStdString());
    // The new drawing is the one chosen in File2, which 開く opens.
    const QString written = qText(outputOf(step));
    waitFor([&] { return file2_->currentItem() && file2_->currentItem()->text() == written; }, step,
            "the new drawing is not chosen in File2");
}

PreviewWindow* QtUser::openedPreview(const Step& step) {
    waitFor([] { return previewWindows().size() == 1 && previewWindows().front()->isVisible(); },
            step, "開く opened no preview window");
    return previewWindows().front();
}

void QtUser::waitUntilGone(const Step& step) {
    waitFor([] { return previewWindows().empty(); }, step, "the preview window did not go");
}

void QtUser::preview(const Step& step) {
    if (step.preview == Preview::None)
        return;
    ++tally_.previews;
    if (step.preview == Preview::CancelRead) {
        chooseIn(file2_, qText(kBigDrawing), step);
        click(cmdOpen_);
        QPointer<PreviewWindow> window = openedPreview(step);
        const QString cancelText =
            qText(scene::actionInfo(scene::PreviewAction::Cancel).buttonText);
        for (QPushButton* button : window->findChildren<QPushButton*>())
            if (button->text() == cancelText && button->isVisible() && window->loading())
                click(button);
        waitFor([&] { return !window || !window->loading(); }, step, "the read did not end");
        if (window) {
            ++tally_.readFirst; // the read was over before 中止: the drawing shows
            window->close();
        } else {
            ++tally_.cancelled;
        }
        waitUntilGone(step);
        return;
    }
    click(cmdOpen_);
    PreviewWindow* window = openedPreview(step);
    waitFor([&] { return !window->loading(); }, step, "the drawing was not read", 60000);
    if (window->statusLine().isEmpty())
        throw std::runtime_error("step " + std::to_string(step.number) +
                                 ": the preview shows no drawing");
    QApplication::setActiveWindow(window);
    switch (step.preview) {
    case Preview::OpenClose:
        if (step.closeByMenu)
            actionOf(window, scene::PreviewAction::Close)->trigger();
        else
            window->close();
        break;
    case Preview::Reload: {
        QWidget* view = window->view();
        const QPointF middle(view->width() / 2.0, view->height() / 2.0);
        QWheelEvent wheel(middle, view->mapToGlobal(middle), {}, {0, 120}, Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view, &wheel);
        auto* bar = window->findChild<QToolBar*>();
        if (auto* fit = qobject_cast<QAbstractButton*>(
                bar->widgetForAction(actionOf(window, scene::PreviewAction::Fit))))
            click(fit);
        QTest::keyClick(view, Qt::Key_F5);
        if (!window->loading())
            throw std::runtime_error("step " + std::to_string(step.number) + ": F5 read nothing");
        waitFor([&] { return !window->loading(); }, step, "the drawing was not read again");
        ++tally_.reloads;
        QTest::keyClick(view, Qt::Key_Escape);
        break;
    }
    case Preview::OpenAgain:
        click(cmdOpen_);
        if (previewWindows().size() != 1 || !window->loading())
            throw std::runtime_error("step " + std::to_string(step.number) +
                                     ": 開く again did not read the open window again");
        waitFor([&] { return !window->loading(); }, step, "the drawing was not read again");
        ++tally_.reloads;
        window->close();
        break;
    case Preview::None:
    case Preview::CancelRead:
        break;
    }
    waitUntilGone(step);
}

} // namespace quillet::bench::soak
