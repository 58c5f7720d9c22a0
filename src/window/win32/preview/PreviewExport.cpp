// What only the Win32 program does for an export: the PNG, painted by the GDI painter into a
// DIB and encoded by WIC, and the measure of texts in the GDI font.
#include "PreviewExport.h"

#include "GdiPainter.h"
#include "WicPng.h"

#include "scene/ExportFile.h"
#include "scene/Scene.h"

#include <cmath>

namespace quillet::window::win32::preview {

namespace {

class GdiExport final : public scene::ExportFrontEnd {
  public:
    scene::TextMeasure textMeasure() const override { return preview::textMeasure(); }

    std::string png(const drawing::Drawing& drawing,
                    const scene::ViewTransform& view) const override {
        Surface surface;
        if (!surface.resize(static_cast<int>(std::lround(view.size.width)),
                            static_cast<int>(std::lround(view.size.height))))
            return {};
        surface.clear();
        {
            GdiPainter painter(surface);
            scene::drawOnce(drawing, view, painter);
        }
        GdiFlush();
        return encodePng({surface.row(0), static_cast<std::size_t>(surface.width()) *
                                              static_cast<std::size_t>(surface.height())},
                         surface.width(), surface.height());
    }
};

} // namespace

const scene::ExportFrontEnd& gdiExport() {
    static const GdiExport toolkit;
    return toolkit;
}

} // namespace quillet::window::win32::preview
