// Boxes and the layout of a text around its anchor, shared by the index (with an estimated
// width) and the painter (with the font's measured width).
#pragma once

#include "Box.h"
#include "Entities.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <numbers>
#include <string_view>

namespace quillet::drawing {

// MTEXT lines follow each other at 5/3 of the character height, as CAD programs space them.
inline constexpr double kMTextLineSpacing = 5.0 / 3.0;
// How far below the baseline a text's descenders reach, in heights.
inline constexpr double kDescent = 0.25;

// Where a text's lines lie around its anchor before rotation, in drawing units: the left
// edge, the first line's baseline, and the box of every line.
struct TextFrame {
    double left = 0;
    double firstBaseline = 0;
    Box box;
};

// Returns the frame of a text of height h whose widest line is width units wide (width
// factor applied) and that has lines lines, spacing heights from baseline to baseline.
inline TextFrame textFrame(const TextRecord& t, double width, int lines,
                           double spacing = kMTextLineSpacing) {
    const double h = t.height;
    TextFrame f;
    switch (t.halign()) {
    case HAlign::Center:
    case HAlign::Middle:
        f.left = -width / 2;
        break;
    case HAlign::Right:
        f.left = -width;
        break;
    default:
        f.left = 0;
    }
    const double block = h + (lines - 1) * spacing * h; // first cap to last baseline
    VAlign v = t.valign();
    if (t.halign() == HAlign::Middle && v == VAlign::Baseline)
        v = VAlign::Middle;
    double top = h; // the first line's cap height above the anchor
    switch (v) {
    case VAlign::Baseline:
        top = h;
        break;
    case VAlign::Bottom:
        top = block + (t.isMText() ? 0 : kDescent * h);
        break;
    case VAlign::Middle:
        top = block / 2;
        break;
    case VAlign::Top:
        top = 0;
        break;
    }
    f.firstBaseline = top - h;
    f.box.add(f.left, top);
    f.box.add(f.left + width, top - block - kDescent * h);
    return f;
}

// Returns how many lines column k of an MTEXT in columns c holds, lines step apart and h high:
// as many as its height takes (one at least); any number in a column of no height, in the last
// column the drawing states and past a few thousand columns.
inline std::size_t columnRows(const TextColumns& c, std::size_t k, double step, double h) noexcept {
    constexpr std::size_t kMostColumns = 4096;
    const double height = c.heightOf(k);
    if (!(height > 0) || !(step > 0) || (c.count && k + 1 >= c.count) || k >= kMostColumns)
        return std::numeric_limits<std::size_t>::max();
    const double rows = std::floor((height - h) / step * (1 + 1e-9)) + 1;
    return static_cast<std::size_t>(std::clamp(rows, 1.0, 1e9));
}

// Returns the frame of an MTEXT in columns c around its anchor, used of them holding lines
// and the tallest block high (first cap to last baseline): every stated column wide, as tall
// as the tallest column by its lines or its height; the tops of all columns level.
inline TextFrame columnsFrame(const TextRecord& t, const TextColumns& c, std::size_t used,
                              double block) {
    const std::size_t shown = std::max<std::size_t>(used, c.count);
    double frame = block;
    for (std::size_t k = 0; k < used && k < TextColumns::kMostHeights + 1; ++k)
        frame = std::max(frame, c.heightOf(k));
    const double total = c.totalWidth(shown);
    TextFrame f;
    f.left = t.halign() == HAlign::Center ? -total / 2 : t.halign() == HAlign::Right ? -total : 0;
    const double top = t.valign() == VAlign::Middle   ? frame / 2
                       : t.valign() == VAlign::Bottom ? frame
                                                      : 0;
    f.firstBaseline = top - t.height;
    f.box.add(f.left, top);
    f.box.add(f.left + total, top - frame - kDescent * t.height);
    return f;
}

// Returns an estimate of a line's width in heights from its bytes: a single-byte character
// takes 0.6, a double-byte one (or one of UTF-8's longer forms) about one, and so does a
// "\U+XXXX" escape.
inline double estimatedEms(std::string_view bytes) noexcept {
    // Most texts hold no escape: then only the count of high bytes matters, which a text
    // read from a drawing keeps (Entities::textHighs). Both are looked for in one pass, eight
    // bytes at a time, the bytes summed by a multiplication (not every processor counts bits
    // in one instruction).
    constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    constexpr std::uint64_t kHighs = 0x8080808080808080ull;
    constexpr std::uint64_t kBackslashes = kOnes * static_cast<unsigned char>('\\');
    std::size_t high = 0;
    bool escape = false;
    std::size_t at = 0;
    for (; at + 8 <= bytes.size(); at += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes.data() + at, 8);
        const std::uint64_t b = word ^ kBackslashes; // a zero byte where a backslash was
        escape |= ((b - kOnes) & ~b & kHighs) != 0;
        high += static_cast<std::size_t>((((word & kHighs) >> 7) * kOnes) >> 56);
    }
    for (; at < bytes.size(); ++at) {
        const auto c = static_cast<unsigned char>(bytes[at]);
        escape |= c == '\\';
        high += c >= 0x80;
    }
    if (!escape)
        return 0.6 * static_cast<double>(bytes.size()) - 0.1 * static_cast<double>(high);
    double ems = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\\' && i + 6 < bytes.size() && bytes[i + 1] == 'U' && bytes[i + 2] == '+') {
            ems += 1;
            i += 6;
        } else {
            ems += static_cast<unsigned char>(c) < 0x80 ? 0.6 : 0.5;
        }
    }
    return ems;
}

// Returns the box of frame f turned by the text's rotation and moved to its anchor.
inline Box placedBox(const TextRecord& t, const Box& local) {
    if (t.angle == 0)
        return {t.x + local.minX, t.y + local.minY, t.x + local.maxX, t.y + local.maxY};
    const double a = t.rotationDegrees() * (std::numbers::pi / 180.0);
    const double c = std::cos(a), s = std::sin(a);
    Box b;
    for (double x : {local.minX, local.maxX})
        for (double y : {local.minY, local.maxY})
            b.add(t.x + x * c - y * s, t.y + x * s + y * c);
    return b;
}

} // namespace quillet::drawing
