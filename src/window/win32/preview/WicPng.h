// PNG files by the Windows Imaging Component, the system's own encoder.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace quillet::window::win32::preview {

// Returns the bytes of a PNG file (8-bit RGB) of an image width x height whose pixels are
// 0x00RRGGBB, row after row (as a 32-bit top-down DIB holds them); empty when Windows cannot
// encode it.
std::string encodePng(std::span<const std::uint32_t> pixels, int width, int height);

} // namespace quillet::window::win32::preview
