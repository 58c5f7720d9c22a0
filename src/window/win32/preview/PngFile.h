// A small PNG encoder of our own (RGB, 8 bits), so that an export needs neither WIC nor zlib:
// each row filtered the way that leaves the smallest bytes, then deflated with fixed Huffman
// codes and a greedy LZ77, which shrinks a drawing's white space to almost nothing.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace quillet::window::win32::preview {

// Returns data deflated into a zlib stream (RFC 1950/1951).
std::vector<std::uint8_t> zlibCompress(std::span<const std::uint8_t> data);

// Returns the PNG file of an image width x height whose pixels are 0x00RRGGBB, row after row
// (as a 32-bit top-down DIB holds them: blue in the lowest byte).
std::vector<std::uint8_t> encodePng(std::span<const std::uint32_t> pixels, int width, int height);

// Returns the CRC-32 of data (as PNG and zip use it).
std::uint32_t crc32(std::span<const std::uint8_t> data, std::uint32_t crc = 0);

} // namespace quillet::window::win32::preview
