// Writing an export's file, once for every front end: the view, the format, the writers and
// the failure. A front end supplies only what its toolkit alone can do.
#pragma once

#include "TextLayout.h"
#include "ViewTransform.h"

#include "drawing/Drawing.h"

#include <string>
#include <string_view>

namespace quillet::scene {

// What only a front end can do for an export.
class ExportFrontEnd {
  public:
    virtual ~ExportFrontEnd() = default;
    // Returns a measure of texts in the font the front end draws them in.
    virtual TextMeasure textMeasure() const = 0;
    // Returns drawing as view shows it on white, painted by the front end's painter and
    // encoded by its system as the bytes of a PNG file; empty when the image cannot be made.
    virtual std::string png(const drawing::Drawing& drawing, const ViewTransform& view) const = 0;
};

// Writes drawing as view shows it to path (the system's bytes; UTF-8 on Windows) in the
// format its name asks for, or with whole the whole drawing, its texts measured by frontEnd,
// in a frame of its proportions; title (UTF-8) names the drawing in an SVG or PDF. The file
// takes its name only once complete, so a failure leaves what was there. Returns an empty
// string, or what went wrong (Japanese, naming path).
std::string exportDrawing(const drawing::Drawing& drawing, const ViewTransform& view, bool whole,
                          const std::string& path, std::string_view title,
                          const ExportFrontEnd& frontEnd);

} // namespace quillet::scene
