// The commands: the export read on this thread and written with the export the window uses
// (texts measured in its font), or the text listing.
#include "OffscreenCommands.h"

#include "DrawingExport.h"
#include "DrawingPainter.h"

#include "drawing/TextsCommand.h"
#include "scene/PreviewCommandLine.h"

#include <QFileInfo>
#include <QGuiApplication>

#include <cstdio>
#include <string>
#include <vector>

namespace quillet::window::qt::preview {

bool isCommand(int argc, char** argv) {
    return scene::parsePreviewCommand(std::vector<std::string>(argv + 1, argv + argc)).kind !=
           scene::PreviewCommand::Kind::Windows;
}

int runCommand(int argc, char** argv) {
    const scene::PreviewCommand command =
        scene::parsePreviewCommand(std::vector<std::string>(argv + 1, argv + argc));
    switch (command.kind) {
    case scene::PreviewCommand::Kind::Texts:
        return drawing::printTexts(command.drawing.c_str(), false, stdout, stderr);
    case scene::PreviewCommand::Kind::Export:
        break;
    default:
        return scene::answerUsage(command, stdout, stderr);
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);
    const std::string title =
        QFileInfo(QString::fromLocal8Bit(command.drawing.c_str())).fileName().toStdString();
    return scene::runExport(
        command, textMeasure, stderr,
        [&](const drawing::Drawing& d, const scene::ViewTransform& view, bool whole) {
            return scene::exportDrawing(d, view, whole, command.output, title, qtExport());
        });
}

} // namespace quillet::window::qt::preview
