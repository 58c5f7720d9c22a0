// What only Qt does for an export: the PNG, painted with the view's own painter and encoded
// by Qt's image writer, and the measure of texts in the view's font.
#include "DrawingExport.h"

#include "DrawingPainter.h"

#include "scene/ExportFile.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>

namespace quillet::window::qt::preview {

namespace {

class QtExport final : public scene::ExportFrontEnd {
  public:
    scene::TextMeasure textMeasure() const override { return preview::textMeasure(); }

    std::string png(const drawing::Drawing& drawing,
                    const scene::ViewTransform& view) const override {
        QImage image(QSizeF(view.size.width, view.size.height).toSize(), QImage::Format_RGB32);
        if (image.isNull())
            return {};
        {
            QPainter painter(&image);
            painter.fillRect(image.rect(), Qt::white);
            DrawingPainter adapter(painter);
            scene::drawOnce(drawing, view, adapter);
        }
        QByteArray bytes;
        QBuffer buffer(&bytes);
        if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG"))
            return {};
        return bytes.toStdString();
    }
};

} // namespace

const scene::ExportFrontEnd& qtExport() {
    static const QtExport toolkit;
    return toolkit;
}

} // namespace quillet::window::qt::preview
