// libFuzzer target: the PCX decoder of the picture box on arbitrary bytes. A picture it returns
// has a size within the limits and exactly three bytes per pixel.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>

#include "app/widgets/pcx_decoder.h"

namespace {

void Check(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "pcx_decoder_fuzz: broken invariant: %s\n", what);
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace miyoutong;
    const std::optional<RgbPicture> picture = DecodePcx(std::span<const std::uint8_t>(data, size));
    if (!picture) {
        return 0;
    }
    Check(size >= 128 && data[0] == 0x0A && data[2] == 0x01, "only PCX headers are decoded");
    Check(picture->width >= 1 && picture->width <= kPcxMaxSide, "width within the limit");
    Check(picture->height >= 1 && picture->height <= kPcxMaxSide, "height within the limit");
    const auto pixels = static_cast<std::int64_t>(picture->width) * picture->height;
    Check(pixels <= kPcxMaxPixels, "pixel count within the limit");
    Check(picture->rgb.size() == static_cast<std::size_t>(pixels) * 3, "three bytes per pixel");
    return 0;
}
