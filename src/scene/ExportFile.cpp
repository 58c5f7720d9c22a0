// The export's file. It goes through the platform's output file, which writes a temporary
// file beside the target and names it at the end: an export that fails half-way, or a full
// disk, never leaves a broken image in place of a good one.
#include "ExportFile.h"

#include "Export.h"
#include "PdfPainter.h"
#include "SvgPainter.h"

#include "platform/OutputFile.h"

#include <exception>
#include <optional>

namespace quillet::scene {

std::string exportDrawing(const drawing::Drawing& drawing, const ViewTransform& shown, bool whole,
                          const std::string& path, std::string_view title,
                          const ExportFrontEnd& frontEnd) {
    try {
        const ExportFormat format = formatOf(path);
        // Made only when a text is measured: a PNG of the view shown measures nothing.
        TextMeasure measure;
        if (whole || format != ExportFormat::Png)
            measure = frontEnd.textMeasure();
        ViewTransform view = shown;
        if (whole)
            view = wholeDrawingView(measuredExtents(drawing, measure), format == ExportFormat::Png
                                                                           ? kWholeImagePixels
                                                                           : kWholeVectorPixels);
        std::string png;
        if (format == ExportFormat::Png) {
            png = frontEnd.png(drawing, view);
            if (png.empty())
                return exportFailed(path);
        }
        platform::OutputFile file(path, std::nullopt);
        switch (format) {
        case ExportFormat::Png: {
            SinkWriter out(file);
            out += png;
            out.flush();
            break;
        }
        case ExportFormat::Svg:
            writeSvg(drawing, view, title, measure, file);
            break;
        case ExportFormat::Pdf:
            writePdf(drawing, view, title, measure, file);
            break;
        }
        file.commit();
        return {};
    } catch (const std::exception&) {
        // The run-time error's number would tell the user nothing more here.
        return exportFailed(path);
    }
}

} // namespace quillet::scene
