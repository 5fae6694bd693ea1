#pragma once
// Writes PNG files in memory (8-bit RGBA, stored deflate blocks), so picture
// tests choose every pixel themselves.
#include <cstdint>
#include <vector>

namespace TestSupport {

// `rgba` holds width * height pixels, rows top to bottom.
std::vector<uint8_t> MakePng(uint32_t width, uint32_t height, const std::vector<uint8_t>& rgba);

}  // namespace TestSupport
