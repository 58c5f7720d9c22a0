// A one-page PDF that holds an image: the preview's PDF export, with no PDF library.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace quillet::window::win32::preview {

// Returns a PDF of one page pageWidth x pageHeight points filled by the image width x height
// (pixels 0x00RRGGBB row after row, as encodePng takes them), deflated; title (UTF-8) goes
// into the document's information.
std::vector<std::uint8_t> pdfOfImage(std::span<const std::uint32_t> pixels, int width, int height,
                                     double pageWidth, double pageHeight, const std::string& title);

} // namespace quillet::window::win32::preview
