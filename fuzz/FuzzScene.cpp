// Fuzz target: any bytes read as a drawing (text or binary) and drawn through the scene in
// the fitted view and in two views the input picks: far in on one of its items, that panned
// off, far out, and transforms past what a double holds. Never a crash, a hang or unbounded
// memory; the painter holds every call to the promises Painter.h makes, and looks at every
// argument so that the sanitizers see a bad value where the scene hands it over.
#include "drawing/DrawingError.h"
#include "drawing/Reader.h"
#include "platform/RunError.h"
#include "scene/Scene.h"
#include "scene/StatusText.h"
#include "scene/TextLayout.h"
#include "scene/ViewTransform.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string_view>

namespace {

using namespace quillet;
using scene::DevicePoint;
using scene::DeviceRect;

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "fuzz_scene: %s\n", what);
    std::abort();
}

void check(bool ok, const char* what) {
    if (!ok)
        fail(what);
}

// The width of a line in ems, as a font would give it: CJK characters one em, others half.
double measure(std::u16string_view text) {
    double ems = 0;
    for (char16_t c : text)
        ems += c >= 0x2E80 ? 1.0 : 0.5;
    return ems;
}

// Takes every call as a device would and checks what Painter.h promises: finite numbers,
// lines and fills within a few pixels of the device, arcs of a sensible size.
class CheckingPainter final : public scene::Painter {
  public:
    explicit CheckingPainter(scene::DeviceSize size) : size_(size) {}

    double advance(std::u16string_view text) override { return measure(text); }

    void polyline(std::span<const DevicePoint> points, const scene::Stroke& stroke) override {
        check(points.size() >= 2, "a polyline of fewer than two points");
        for (const DevicePoint& p : points)
            onDevice(p, "a polyline point off the device");
        check(std::isfinite(stroke.width) && stroke.width >= 0, "a stroke width that is no width");
        ++calls_;
    }

    void arc(DevicePoint center, double radius, double startDegrees, double spanDegrees,
             const scene::Stroke& stroke) override {
        check(std::isfinite(center.x) && std::isfinite(center.y), "an arc centre that is no point");
        check(radius >= 0 && radius < scene::Scene::kFarPixels, "an arc radius out of range");
        check(std::isfinite(startDegrees), "an arc start that is no angle");
        check(spanDegrees > 0 && spanDegrees <= 360, "an arc span out of range");
        check(std::isfinite(stroke.width), "a stroke width that is no width");
        ++calls_;
    }

    void fill(std::span<const DevicePoint> points, std::span<const std::uint32_t> ringSizes,
              scene::Color) override {
        std::size_t total = 0;
        for (std::uint32_t n : ringSizes) {
            check(n >= 3, "a ring of fewer than three points");
            total += n;
        }
        check(total == points.size(), "the rings do not add up to the points");
        for (const DevicePoint& p : points)
            onDevice(p, "a filled point off the device");
        ++calls_;
    }

    void fillRects(std::span<const DeviceRect> rects, scene::Color) override {
        for (const DeviceRect& r : rects) {
            onDevice({r.left, r.top}, "a box off the device");
            onDevice({r.right, r.bottom}, "a box off the device");
            check(r.right >= r.left && r.bottom >= r.top, "a box turned inside out");
        }
        ++calls_;
    }

    void dots(const scene::DotMask& mask, scene::Color) override {
        check(mask.width() == static_cast<int>(std::ceil(size_.width)) &&
                  mask.height() == static_cast<int>(std::ceil(size_.height)),
              "a dot mask not the device's size");
        std::size_t set = 0;
        for (int y = 0; y < mask.height(); ++y)
            for (int x = 0; x < mask.width(); ++x)
                set += mask.row(y)[x] != 0;
        check(set > 0, "a dot mask without dots");
        ++calls_;
    }

    void glyphRun(const scene::GlyphRun& run) override {
        check(std::isfinite(run.origin.x) && std::isfinite(run.origin.y),
              "a text anchored nowhere");
        check(run.emPixels > 0 && std::isfinite(run.emPixels), "a text of no size");
        check(std::isfinite(run.rotationDegrees) && std::isfinite(run.xScale) &&
                  std::isfinite(run.obliqueDegrees),
              "a text turned or stretched by no number");
        check(!run.lines.empty(), "a text without lines");
        for (const scene::TextLine& line : run.lines) {
            check(std::isfinite(line.x) && std::isfinite(line.y), "a text line placed nowhere");
            glyphs_ += measure(line.text) > 0;
        }
        ++calls_;
    }

  private:
    // Within a few pixels of the device: what every painter's coordinates can hold.
    void onDevice(DevicePoint p, const char* what) const {
        constexpr double kMargin = 4;
        if (!(p.x >= -kMargin && p.x <= size_.width + kMargin && p.y >= -kMargin &&
              p.y <= size_.height + kMargin)) {
            std::fprintf(stderr, "fuzz_scene: (%g, %g) on a device of %g by %g\n", p.x, p.y,
                         size_.width, size_.height);
            fail(what);
        }
    }

    scene::DeviceSize size_;
    std::size_t calls_ = 0;
    std::size_t glyphs_ = 0;
};

// What the input's last 18 bytes choose of the views (the reader stops at the drawing's end,
// so bytes after it choose without changing it): the view's size (0, 1), an item to zoom in
// on (2-5), a pan (6, 7), a double (8-15) and two views (16, 17). Little-endian numbers,
// zero past the input's start.
class Choices {
  public:
    explicit Choices(std::string_view bytes)
        : tail_(bytes.substr(bytes.size() > kBytes ? bytes.size() - kBytes : 0)) {}

    std::uint32_t number(std::size_t at, std::size_t bytes) const noexcept {
        std::uint32_t v = 0;
        for (std::size_t k = 0; k < bytes; ++k)
            v |= static_cast<std::uint32_t>(byte(at + k)) << (8 * k);
        return v;
    }
    // Any double at all: huge, tiny, infinite or not a number.
    double anyDouble(std::size_t at) const noexcept {
        std::uint64_t bits = 0;
        for (std::size_t k = 0; k < 8; ++k)
            bits |= static_cast<std::uint64_t>(byte(at + k)) << (8 * k);
        double v;
        std::memcpy(&v, &bits, sizeof v);
        return v;
    }

    static constexpr std::size_t kBytes = 18;

  private:
    std::uint8_t byte(std::size_t at) const noexcept {
        return at < tail_.size() ? static_cast<std::uint8_t>(tail_[at]) : 0;
    }
    std::string_view tail_;
};

// Budgets far below a screen's: a small drawing goes past them as a large one would, and
// each view stays quick.
constexpr scene::Scene::Limits kLimits{64, 2000, 1024};

void draw(const drawing::Drawing& d, const scene::ViewTransform& view) {
    // A fresh scene and cache for each view: what one view left behind must not be what the
    // next one relies on.
    scene::Scene scene({}, kLimits);
    scene::TextCache cache;
    CheckingPainter painter(view.size);
    const scene::PaintStats stats = scene.draw(d, view, cache, painter);
    check(stats.textsDrawn <= kLimits.texts, "more texts drawn than the budget");
}

// The view the input's byte at picks, after the fitted one: far in about one of the
// drawing's items, that panned off by many views, far out, or past what a double holds (a
// scale, a centre or both from the input's bytes, as no window would make: drawn or refused).
scene::ViewTransform chosenView(const drawing::Drawing& d, const Choices& choose, std::size_t at,
                                const scene::ViewTransform& fit) {
    const scene::DeviceSize size = fit.size;
    const double wild = choose.anyDouble(8);
    scene::ViewTransform view = fit;
    switch (choose.number(at, 1) % 7) {
    case 0:
    case 1:
        if (d.itemCount() > 0) {
            const auto id = static_cast<std::uint32_t>(choose.number(2, 4) % d.itemCount());
            const drawing::Point p = d.positionOf(id);
            view.zoomAbout(view.toScreen(p.x, p.y), 1e300, fit.scale);
        } else {
            view.zoomAbout({size.width / 2, size.height / 2}, 1e300, fit.scale);
        }
        if (choose.number(at, 1) % 7 == 1)
            view.pan(size.width * (static_cast<double>(choose.number(6, 1)) - 128),
                     size.height * (static_cast<double>(choose.number(7, 1)) - 128));
        return view;
    case 2:
        view.zoomAbout({0, size.height}, 0, fit.scale);
        return view;
    case 3:
        view.centerX = wild;
        view.centerY = -wild;
        return view;
    case 4:
        view.scale = wild;
        return view;
    case 5:
        view.scale = fit.scale * 1e12;
        view.centerX = fit.centerX + wild;
        return view;
    default:
        view.scale = std::numeric_limits<double>::denorm_min();
        return view;
    }
}

void drawViews(const drawing::Drawing& d, const Choices& choose) {
    const scene::DeviceSize size{1.0 + choose.number(0, 1) % 240, 1.0 + choose.number(1, 1) % 160};
    // Fit as the preview does, its texts measured (a hundred of them: enough here).
    const drawing::Box box = scene::measuredExtents(d, measure, 100);
    const scene::ViewTransform fit = scene::ViewTransform::fitting(box, size);
    draw(d, fit);
    // Two more views, as the input picks them: every view for every input cost more than
    // it found.
    draw(d, chosenView(d, choose, 16, fit));
    draw(d, chosenView(d, choose, 17, fit));
    // The cursor's place in the status line, wherever it may be.
    const double wild = choose.anyDouble(8);
    check(!scene::cursorText(wild, -wild, 1 / wild).empty(), "a cursor without its place");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    platform::MemorySource source(bytes);
    drawing::ReadOptions options;
    options.memoryLimit = 64 << 20;
    options.threads = 1;
    try {
        const auto d = drawing::readDrawing(source, static_cast<std::int64_t>(size), options);
        const scene::StatusText status = scene::statusOf(*d);
        check(!status.joined().empty() && !status.toolTip().empty(), "a status line of nothing");
        drawViews(*d, Choices(bytes));
    } catch (const drawing::DrawingError&) {
    } catch (const platform::RunError&) {
    }
    return 0;
}
