#pragma once

// A PCX reader that does not need Qt: RLE-coded pictures of 1, 2, 4 or 8 bits per pixel in one
// to four planes, as paint programs write them. Every length and offset is checked against the
// input, so any byte string can be handed to it.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace miyoutong {

struct RgbPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;  // 3 bytes per pixel, rows top to bottom, no padding
};

// Pictures wider or taller than this, or with more pixels in all, are refused.
inline constexpr int kPcxMaxSide = 16384;
inline constexpr std::int64_t kPcxMaxPixels = std::int64_t{1} << 24;

// The picture, or nothing when the bytes are not a PCX file this reader understands. Pixel data
// that ends early leaves the rest of the picture in colour 0.
std::optional<RgbPicture> DecodePcx(std::span<const std::uint8_t> data);

}  // namespace miyoutong
