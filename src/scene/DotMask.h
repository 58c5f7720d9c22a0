// The pixels of one view that stand for items too small to draw: one byte a pixel, set where
// a dot falls, handed to the painter once at the end.
#pragma once

#include "Device.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace quillet::scene {

class DotMask {
  public:
    // Empties the mask for a view of size; the pixels are cleared only once a dot comes.
    void reset(DeviceSize size) {
        width_ = std::max(1, static_cast<int>(std::ceil(size.width)));
        height_ = std::max(1, static_cast<int>(std::ceil(size.height)));
        any_ = false;
    }
    // Sets the pixels r touches, clamped to the view.
    void mark(const DeviceRect& r) {
        if (!any_) {
            pixels_.assign(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), 0);
            any_ = true;
        }
        const int x0 = clampX(std::min(r.left, r.right)), x1 = clampX(std::max(r.left, r.right));
        const int y0 = clampY(std::min(r.top, r.bottom)), y1 = clampY(std::max(r.top, r.bottom));
        for (int y = y0; y <= y1; ++y)
            std::fill_n(pixels_.begin() + static_cast<std::ptrdiff_t>(y) * width_ + x0, x1 - x0 + 1,
                        std::uint8_t{1});
    }

    bool any() const noexcept { return any_; }
    int width() const noexcept { return width_; }
    int height() const noexcept { return height_; }
    // Returns row y's pixels, width() of them, nonzero where a dot is; only when any().
    const std::uint8_t* row(int y) const noexcept {
        return pixels_.data() + static_cast<std::ptrdiff_t>(y) * width_;
    }
    bool at(int x, int y) const noexcept { return any_ && row(y)[x] != 0; }

  private:
    int clampX(double v) const noexcept {
        return std::clamp(static_cast<int>(std::clamp(std::floor(v), -1.0, 1e9)), 0, width_ - 1);
    }
    int clampY(double v) const noexcept {
        return std::clamp(static_cast<int>(std::clamp(std::floor(v), -1.0, 1e9)), 0, height_ - 1);
    }

    std::vector<std::uint8_t> pixels_;
    int width_ = 1;
    int height_ = 1;
    bool any_ = false;
};

} // namespace quillet::scene
