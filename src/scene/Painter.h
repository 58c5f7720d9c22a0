// The few things a front end draws a preview with, in device pixels: polylines, arcs, filled
// areas, a mask of dots and runs of text. QPainter, GDI and the SVG writer implement it; the
// scene decides what to draw, and where.
#pragma once

#include "Device.h"

#include <cstdint>
#include <span>
#include <string_view>

namespace quillet::scene {

class DotMask;

// One line of a glyph run: its UTF-16 text and where its baseline starts, in device pixels
// from the run's origin along the run's own axes (x along the baseline, y down across it).
// The offsets turn with the run; the run's xScale does not stretch them.
struct TextLine {
    std::u16string_view text;
    double x = 0;
    double y = 0;
};

// A text in the text font: its lines share one origin, size, turn, slant and colour.
struct GlyphRun {
    DevicePoint origin;         // the text's anchor on the device
    double emPixels = 0;        // the font's em (its pixel size) on the device
    double rotationDegrees = 0; // counterclockwise as seen on the device
    double xScale = 1;          // glyphs stretched along the baseline by this (the width factor)
    double obliqueDegrees = 0;  // glyphs slanted forwards by this from upright
    Color color;
    std::span<const TextLine> lines;
};

class Painter {
  public:
    virtual ~Painter() = default;

    // Returns the advance width of text (one line, no line breaks) in ems of the text font,
    // unstretched. The scene aligns and fits texts by it.
    virtual double advance(std::u16string_view text) = 0;

    // Draws straight segments through points, two or more, all within a few pixels of the
    // device.
    virtual void polyline(std::span<const DevicePoint> points, const Stroke& stroke) = 0;

    // Draws the arc of the circle around center from startDegrees over spanDegrees (0 < span
    // <= 360), counterclockwise as seen on the device, from the device's x axis. The radius is
    // below kFarPixels: farther arcs come as polylines.
    virtual void arc(DevicePoint center, double radius, double startDegrees, double spanDegrees,
                     const Stroke& stroke) = 0;

    // Fills what the rings enclose by the even-odd rule: points holds the rings one after the
    // other, ringSizes how many points each has (each ring closes by itself).
    virtual void fill(std::span<const DevicePoint> points, std::span<const std::uint32_t> ringSizes,
                      Color color) = 0;

    // Fills each rectangle with color; translucent ones darken where they overlap.
    virtual void fillRects(std::span<const DeviceRect> rects, Color color) = 0;

    // Sets every pixel of the device that mask marks to color; mask is as large as the device.
    virtual void dots(const DotMask& mask, Color color) = 0;

    // Draws a text.
    virtual void glyphRun(const GlyphRun& run) = 0;
};

} // namespace quillet::scene
