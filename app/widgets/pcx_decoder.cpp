#include "app/widgets/pcx_decoder.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace miyoutong {

namespace {

constexpr std::size_t kHeaderSize = 128;
constexpr std::uint8_t kManufacturer = 0x0A;
constexpr std::uint8_t kRleEncoding = 1;
constexpr std::uint8_t kVgaPaletteMarker = 0x0C;
constexpr std::size_t kVgaPaletteSize = 1 + 256 * 3;
// Version 3 files carry no palette in the header and mean the standard EGA colours.
constexpr std::uint8_t kVersionWithoutPalette = 3;
// Upper bound for the decoded plane bytes, so a small file cannot make us spin for minutes.
constexpr std::int64_t kMaxPlaneBytes = 5 * kPcxMaxPixels;

using Rgb = std::array<std::uint8_t, 3>;
using Palette = std::array<Rgb, 256>;

constexpr std::array<Rgb, 16> kDefaultEgaPalette = {{
    {0, 0, 0},
    {0, 0, 170},
    {0, 170, 0},
    {0, 170, 170},
    {170, 0, 0},
    {170, 0, 170},
    {170, 85, 0},
    {170, 170, 170},
    {85, 85, 85},
    {85, 85, 255},
    {85, 255, 85},
    {85, 255, 255},
    {255, 85, 85},
    {255, 85, 255},
    {255, 255, 85},
    {255, 255, 255},
}};

std::uint16_t Le16(std::span<const std::uint8_t> data, std::size_t offset) {
    return static_cast<std::uint16_t>(data[offset] | data[offset + 1] << 8);
}

// Reads the run-length coded stream byte by byte. Runs may cross the end of a scan line.
class RleReader {
public:
    explicit RleReader(std::span<const std::uint8_t> data) : data_(data) {}

    // False once the input is used up.
    bool Next(std::uint8_t& byte) {
        while (runLeft_ == 0) {
            if (position_ >= data_.size()) {
                return false;
            }
            const std::uint8_t b = data_[position_++];
            if ((b & 0xC0) != 0xC0) {
                byte = b;
                return true;
            }
            if (position_ >= data_.size()) {
                return false;
            }
            runValue_ = data_[position_++];
            runLeft_ = b & 0x3F;  // a run of 0 is skipped
        }
        --runLeft_;
        byte = runValue_;
        return true;
    }

private:
    std::span<const std::uint8_t> data_;
    std::size_t position_ = 0;
    std::uint8_t runValue_ = 0;
    int runLeft_ = 0;
};

struct Header {
    int version = 0;
    int bitsPerPixel = 0;
    int planes = 0;
    int bytesPerLine = 0;
    int width = 0;
    int height = 0;
};

std::optional<Header> ReadHeader(std::span<const std::uint8_t> data) {
    if (data.size() < kHeaderSize || data[0] != kManufacturer || data[2] != kRleEncoding) {
        return std::nullopt;
    }
    Header h;
    h.version = data[1];
    h.bitsPerPixel = data[3];
    const int xMin = Le16(data, 4);
    const int yMin = Le16(data, 6);
    const int xMax = Le16(data, 8);
    const int yMax = Le16(data, 10);
    h.planes = data[65];
    h.bytesPerLine = Le16(data, 66);
    if (xMax < xMin || yMax < yMin) {
        return std::nullopt;
    }
    h.width = xMax - xMin + 1;
    h.height = yMax - yMin + 1;
    if (h.width > kPcxMaxSide || h.height > kPcxMaxSide ||
        std::int64_t{h.width} * h.height > kPcxMaxPixels) {
        return std::nullopt;
    }
    const bool knownDepth =
        h.bitsPerPixel == 1 || h.bitsPerPixel == 2 || h.bitsPerPixel == 4 || h.bitsPerPixel == 8;
    if (!knownDepth || h.planes < 1 || h.planes > 4) {
        return std::nullopt;
    }
    const bool trueColour = h.bitsPerPixel == 8 && h.planes >= 3;
    if (!trueColour && h.bitsPerPixel * h.planes > 8) {
        return std::nullopt;
    }
    const std::int64_t minBytesPerLine = (std::int64_t{h.width} * h.bitsPerPixel + 7) / 8;
    if (h.bytesPerLine < minBytesPerLine ||
        std::int64_t{h.height} * h.planes * h.bytesPerLine > kMaxPlaneBytes) {
        return std::nullopt;
    }
    return h;
}

bool HasVgaPalette(std::span<const std::uint8_t> data) {
    return data.size() >= kHeaderSize + kVgaPaletteSize &&
           data[data.size() - kVgaPaletteSize] == kVgaPaletteMarker;
}

// The colours of a paletted picture with `bits` bits per pixel in all.
Palette MakePalette(std::span<const std::uint8_t> data, const Header& h, int bits) {
    Palette palette{};
    if (bits == 1) {
        palette[1] = {255, 255, 255};
        return palette;
    }
    if (bits <= 4) {
        bool headerHasColours = false;
        for (std::size_t i = 16; i < 64; ++i) {
            headerHasColours = headerHasColours || data[i] != 0;
        }
        for (int i = 0; i < 16; ++i) {
            if (h.version == kVersionWithoutPalette || !headerHasColours) {
                palette[i] = kDefaultEgaPalette[i];
            } else {
                palette[i] = {data[16 + i * 3], data[17 + i * 3], data[18 + i * 3]};
            }
        }
        return palette;
    }
    if (HasVgaPalette(data)) {
        const std::size_t start = data.size() - kVgaPaletteSize + 1;
        for (int i = 0; i < 256; ++i) {
            palette[i] = {data[start + i * 3], data[start + i * 3 + 1], data[start + i * 3 + 2]};
        }
        return palette;
    }
    const int top = (1 << bits) - 1;
    for (int i = 0; i <= top; ++i) {
        const auto grey = static_cast<std::uint8_t>(i * 255 / top);
        palette[i] = {grey, grey, grey};
    }
    return palette;
}

// The value of pixel x in one plane's scan line.
int PlaneValue(const std::uint8_t* plane, int x, int bitsPerPixel) {
    switch (bitsPerPixel) {
        case 8:
            return plane[x];
        case 4:
            return (plane[x / 2] >> (x % 2 == 0 ? 4 : 0)) & 0x0F;
        case 2:
            return (plane[x / 4] >> (6 - 2 * (x % 4))) & 0x03;
        default:
            return (plane[x / 8] >> (7 - x % 8)) & 0x01;
    }
}

}  // namespace

std::optional<RgbPicture> DecodePcx(std::span<const std::uint8_t> data) {
    const std::optional<Header> header = ReadHeader(data);
    if (!header) {
        return std::nullopt;
    }
    const Header& h = *header;
    const bool trueColour = h.bitsPerPixel == 8 && h.planes >= 3;
    const int bits = h.bitsPerPixel * h.planes;
    Palette palette{};
    std::span<const std::uint8_t> pixels = data.subspan(kHeaderSize);
    if (!trueColour) {
        palette = MakePalette(data, h, bits);
        if (bits == 8 && HasVgaPalette(data)) {
            pixels = pixels.first(pixels.size() - kVgaPaletteSize);
        }
    }

    RgbPicture picture;
    picture.width = h.width;
    picture.height = h.height;
    const std::size_t rowBytes = static_cast<std::size_t>(h.width) * 3;
    picture.rgb.assign(rowBytes * h.height, 0);
    if (!trueColour && palette[0] != Rgb{0, 0, 0}) {
        // Pixels that the data never reaches keep colour 0. One row is painted and copied: a
        // header of a few bytes may ask for the largest picture and carry no pixel data at all.
        for (std::size_t i = 0; i < rowBytes; i += 3) {
            std::copy(palette[0].begin(), palette[0].end(), picture.rgb.begin() + i);
        }
        for (int y = 1; y < h.height; ++y) {
            std::copy_n(picture.rgb.begin(), rowBytes, picture.rgb.begin() + y * rowBytes);
        }
    }

    RleReader reader(pixels);
    const std::size_t lineSize = static_cast<std::size_t>(h.planes) * h.bytesPerLine;
    std::vector<std::uint8_t> line(lineSize);
    for (int y = 0; y < h.height; ++y) {
        std::fill(line.begin(), line.end(), 0);
        std::size_t filled = 0;
        while (filled < lineSize && reader.Next(line[filled])) {
            ++filled;
        }
        std::uint8_t* out = picture.rgb.data() + static_cast<std::size_t>(y) * rowBytes;
        for (int x = 0; x < h.width; ++x) {
            if (trueColour) {
                for (int c = 0; c < 3; ++c) {
                    out[x * 3 + c] = line[static_cast<std::size_t>(c) * h.bytesPerLine + x];
                }
                continue;
            }
            int index = 0;
            for (int p = 0; p < h.planes; ++p) {
                const std::uint8_t* plane =
                    line.data() + static_cast<std::size_t>(p) * h.bytesPerLine;
                index |= PlaneValue(plane, x, h.bitsPerPixel) << (p * h.bitsPerPixel);
            }
            out[x * 3] = palette[index][0];
            out[x * 3 + 1] = palette[index][1];
            out[x * 3 + 2] = palette[index][2];
        }
        if (filled < lineSize) {
            break;  // the data ended inside this line
        }
    }
    return picture;
}

}  // namespace miyoutong
