#include "app/widgets/pcx_decoder.h"

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <array>
#include <cstring>
#include <random>

namespace miyoutong {
namespace {

using Rgb = std::array<std::uint8_t, 3>;

// ---- a small PCX writer, so the cases below say what they hold ----

struct PcxFile {
    int version = 5;
    int bitsPerPixel = 8;
    int planes = 1;
    int width = 1;
    int height = 1;
    int bytesPerLine = 0;  // 0: the smallest even count
    int xMin = 0;
    int yMin = 0;
    std::array<Rgb, 16> headerPalette{};
    std::optional<std::array<Rgb, 256>> vgaPalette;
};

int BytesPerLine(const PcxFile& f) {
    if (f.bytesPerLine > 0) {
        return f.bytesPerLine;
    }
    const int needed = (f.width * f.bitsPerPixel + 7) / 8;
    return needed + needed % 2;
}

std::vector<std::uint8_t> Header(const PcxFile& f) {
    std::vector<std::uint8_t> h(128, 0);
    auto put16 = [&](int at, int value) {
        h[at] = static_cast<std::uint8_t>(value & 0xFF);
        h[at + 1] = static_cast<std::uint8_t>(value >> 8 & 0xFF);
    };
    h[0] = 0x0A;
    h[1] = static_cast<std::uint8_t>(f.version);
    h[2] = 1;
    h[3] = static_cast<std::uint8_t>(f.bitsPerPixel);
    put16(4, f.xMin);
    put16(6, f.yMin);
    put16(8, f.xMin + f.width - 1);
    put16(10, f.yMin + f.height - 1);
    put16(12, 72);
    put16(14, 72);
    for (int i = 0; i < 16; ++i) {
        std::memcpy(&h[16 + i * 3], f.headerPalette[i].data(), 3);
    }
    h[65] = static_cast<std::uint8_t>(f.planes);
    put16(66, BytesPerLine(f));
    put16(68, 1);
    return h;
}

// Run-length codes one scan line, runs not crossing it, as most writers do.
void EncodeLine(const std::vector<std::uint8_t>& line, std::vector<std::uint8_t>& out) {
    for (std::size_t i = 0; i < line.size();) {
        std::size_t run = 1;
        while (i + run < line.size() && line[i + run] == line[i] && run < 63) {
            ++run;
        }
        if (run > 1 || (line[i] & 0xC0) == 0xC0) {
            out.push_back(static_cast<std::uint8_t>(0xC0 | run));
        }
        out.push_back(line[i]);
        i += run;
    }
}

// Packs per-pixel values of one row into the planes of a scan line.
std::vector<std::uint8_t> PackRow(const PcxFile& f, const std::vector<int>& values) {
    const int bpl = BytesPerLine(f);
    std::vector<std::uint8_t> line(static_cast<std::size_t>(bpl) * f.planes, 0);
    const int mask = (1 << f.bitsPerPixel) - 1;
    for (int p = 0; p < f.planes; ++p) {
        for (int x = 0; x < f.width; ++x) {
            const int v = (values[x] >> (p * f.bitsPerPixel)) & mask;
            const int bit = x * f.bitsPerPixel;
            const int shift = 8 - f.bitsPerPixel - bit % 8;
            line[p * bpl + bit / 8] |= static_cast<std::uint8_t>(v << shift);
        }
    }
    return line;
}

std::vector<std::uint8_t> Encode(const PcxFile& f, const std::vector<std::vector<int>>& rows) {
    std::vector<std::uint8_t> out = Header(f);
    for (const auto& row : rows) {
        EncodeLine(PackRow(f, row), out);
    }
    if (f.vgaPalette) {
        out.push_back(0x0C);
        for (const Rgb& c : *f.vgaPalette) {
            out.insert(out.end(), c.begin(), c.end());
        }
    }
    return out;
}

// True colour: rows of RGB(A) pixels, one plane per channel.
std::vector<std::uint8_t> EncodeTrueColour(const PcxFile& f,
                                           const std::vector<std::vector<Rgb>>& rows) {
    std::vector<std::uint8_t> out = Header(f);
    const int bpl = BytesPerLine(f);
    for (const auto& row : rows) {
        std::vector<std::uint8_t> line(static_cast<std::size_t>(bpl) * f.planes, 0);
        for (int x = 0; x < f.width; ++x) {
            for (int c = 0; c < 3; ++c) {
                line[c * bpl + x] = row[x][c];
            }
            if (f.planes == 4) {
                line[3 * bpl + x] = 0x80;  // alpha, not shown
            }
        }
        EncodeLine(line, out);
    }
    return out;
}

Rgb PixelAt(const RgbPicture& p, int x, int y) {
    const std::size_t at = (static_cast<std::size_t>(y) * p.width + x) * 3;
    return {p.rgb[at], p.rgb[at + 1], p.rgb[at + 2]};
}

// The bytes placed so that they end right before an unreadable page: reading past them crashes.
class GuardedBytes {
public:
    explicit GuardedBytes(const std::vector<std::uint8_t>& bytes) {
        const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
        dataPages_ = (bytes.size() + page - 1) / page + 1;
        size_ = (dataPages_ + 1) * page;
        void* memory =
            mmap(nullptr, size_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        base_ = static_cast<std::uint8_t*>(memory);
        mprotect(base_ + dataPages_ * page, page, PROT_NONE);
        start_ = base_ + dataPages_ * page - bytes.size();
        if (!bytes.empty()) {
            std::memcpy(start_, bytes.data(), bytes.size());
        }
        length_ = bytes.size();
    }
    ~GuardedBytes() { munmap(base_, size_); }
    std::span<const std::uint8_t> Span() const { return {start_, length_}; }

private:
    std::uint8_t* base_ = nullptr;
    std::uint8_t* start_ = nullptr;
    std::size_t dataPages_ = 0;
    std::size_t size_ = 0;
    std::size_t length_ = 0;
};

std::optional<RgbPicture> Decode(const std::vector<std::uint8_t>& bytes) {
    GuardedBytes guarded(bytes);
    return DecodePcx(guarded.Span());
}

std::array<Rgb, 16> SixteenColours() {
    std::array<Rgb, 16> palette{};
    for (int i = 0; i < 16; ++i) {
        palette[i] = {static_cast<std::uint8_t>(i * 16), static_cast<std::uint8_t>(255 - i * 8),
                      static_cast<std::uint8_t>(i * 5 + 3)};
    }
    return palette;
}

// ---- paletted kinds ----

struct PalettedCase {
    const char* name;
    int bitsPerPixel;
    int planes;
    int version;
    bool headerPalette;
    bool vgaPalette;
    // Colour expected for a pixel value.
    std::function<Rgb(int)> colour;
};

const std::array<Rgb, 16> kEga = {{{0, 0, 0},
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
                                   {255, 255, 255}}};

std::array<Rgb, 256> VgaColours() {
    std::array<Rgb, 256> palette{};
    for (int i = 0; i < 256; ++i) {
        palette[i] = {static_cast<std::uint8_t>(255 - i), static_cast<std::uint8_t>(i),
                      static_cast<std::uint8_t>(i * 7)};
    }
    return palette;
}

TEST(PcxDecoder, PalettedKinds) {
    const auto sixteen = SixteenColours();
    const auto vga = VgaColours();
    const PalettedCase cases[] = {
        {"mono", 1, 1, 5, false, false,
         [](int v) {
             return v ? Rgb{255, 255, 255} : Rgb{0, 0, 0};
         }},
        {"cga 2 bit", 2, 1, 5, true, false, [&](int v) { return sixteen[v]; }},
        {"ega 4 planes", 1, 4, 5, true, false, [&](int v) { return sixteen[v]; }},
        {"ega 3 planes", 1, 3, 5, true, false, [&](int v) { return sixteen[v]; }},
        {"ega without palette", 1, 4, 3, false, false, [](int v) { return kEga[v]; }},
        {"packed 4 bit", 4, 1, 5, true, false, [&](int v) { return sixteen[v]; }},
        {"vga 8 bit", 8, 1, 5, false, true, [&](int v) { return vga[v]; }},
        {"8 bit grey", 8, 1, 5, false, false,
         [](int v) {
             return Rgb{std::uint8_t(v), std::uint8_t(v), std::uint8_t(v)};
         }},
    };
    for (const PalettedCase& c : cases) {
        SCOPED_TRACE(c.name);
        PcxFile f;
        f.version = c.version;
        f.bitsPerPixel = c.bitsPerPixel;
        f.planes = c.planes;
        f.width = 37;  // not a multiple of 8: the last byte of a line is partly padding
        f.height = 5;
        if (c.headerPalette) {
            f.headerPalette = sixteen;
        }
        if (c.vgaPalette) {
            f.vgaPalette = vga;
        }
        const int colours = 1 << (c.bitsPerPixel * c.planes);
        std::vector<std::vector<int>> rows;
        for (int y = 0; y < f.height; ++y) {
            std::vector<int> row;
            for (int x = 0; x < f.width; ++x) {
                // Runs and changes mixed, so both codings are exercised.
                row.push_back(x < 9 ? (y * 3) % colours : (x * 7 + y) % colours);
            }
            rows.push_back(row);
        }
        const auto picture = Decode(Encode(f, rows));
        ASSERT_TRUE(picture.has_value());
        ASSERT_EQ(picture->width, f.width);
        ASSERT_EQ(picture->height, f.height);
        ASSERT_EQ(picture->rgb.size(), std::size_t(f.width * f.height * 3));
        for (int y = 0; y < f.height; ++y) {
            for (int x = 0; x < f.width; ++x) {
                ASSERT_EQ(PixelAt(*picture, x, y), c.colour(rows[y][x])) << x << "," << y;
            }
        }
    }
}

TEST(PcxDecoder, TrueColourInThreeAndFourPlanes) {
    for (int planes : {3, 4}) {
        PcxFile f;
        f.planes = planes;
        f.width = 5;
        f.height = 3;
        std::vector<std::vector<Rgb>> rows;
        for (int y = 0; y < f.height; ++y) {
            std::vector<Rgb> row;
            for (int x = 0; x < f.width; ++x) {
                row.push_back({std::uint8_t(x * 50), std::uint8_t(y * 100), std::uint8_t(200)});
            }
            rows.push_back(row);
        }
        const auto picture = Decode(EncodeTrueColour(f, rows));
        ASSERT_TRUE(picture.has_value()) << planes;
        for (int y = 0; y < f.height; ++y) {
            for (int x = 0; x < f.width; ++x) {
                EXPECT_EQ(PixelAt(*picture, x, y), rows[y][x]) << planes << " " << x << "," << y;
            }
        }
    }
}

// ---- byte-level cases ----

std::vector<std::uint8_t> WithData(const PcxFile& f, std::initializer_list<std::uint8_t> data,
                                   bool vga = true) {
    std::vector<std::uint8_t> out = Header(f);
    out.insert(out.end(), data);
    if (vga) {
        out.push_back(0x0C);
        for (int i = 0; i < 256; ++i) {
            out.insert(out.end(), {std::uint8_t(i), std::uint8_t(i), std::uint8_t(i)});
        }
    }
    return out;
}

TEST(PcxDecoder, RunLengthEdges) {
    PcxFile f;
    f.width = 4;
    f.height = 2;
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
        std::array<int, 8> grey;  // expected grey level of the eight pixels
    };
    const Case cases[] = {
        {"a run across the end of a line", WithData(f, {0xC8, 7}), {7, 7, 7, 7, 7, 7, 7, 7}},
        {"a run of zero is skipped",
         WithData(f, {0xC0, 9, 0xC4, 1, 0xC4, 2}),
         {1, 1, 1, 1, 2, 2, 2, 2}},
        {"literal bytes", WithData(f, {1, 2, 3, 4, 5, 6, 7, 8}), {1, 2, 3, 4, 5, 6, 7, 8}},
        {"data ends after the first line", WithData(f, {0xC4, 9}), {9, 9, 9, 9, 0, 0, 0, 0}},
        {"data ends inside a line", WithData(f, {5, 6}), {5, 6, 0, 0, 0, 0, 0, 0}},
        {"a run count with no value", WithData(f, {3, 0xC5}), {3, 0, 0, 0, 0, 0, 0, 0}},
        {"longer run than the picture", WithData(f, {0xFF, 4}), {4, 4, 4, 4, 4, 4, 4, 4}},
    };
    for (const Case& c : cases) {
        const auto picture = Decode(c.bytes);
        ASSERT_TRUE(picture.has_value()) << c.name;
        for (int i = 0; i < 8; ++i) {
            const auto g = std::uint8_t(c.grey[i]);
            EXPECT_EQ(PixelAt(*picture, i % 4, i / 4), (Rgb{g, g, g})) << c.name << " pixel " << i;
        }
    }
}

TEST(PcxDecoder, PaddedLinesAndPictureOffset) {
    PcxFile f;
    f.width = 3;
    f.height = 2;
    f.bytesPerLine = 6;  // three bytes of padding per line
    f.xMin = 100;
    f.yMin = 7;
    const auto picture = Decode(WithData(f, {1, 2, 3, 99, 99, 99, 4, 5, 6, 99, 99, 99}));
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ(picture->width, 3);
    EXPECT_EQ(picture->height, 2);
    EXPECT_EQ(PixelAt(*picture, 2, 0), (Rgb{3, 3, 3}));
    EXPECT_EQ(PixelAt(*picture, 0, 1), (Rgb{4, 4, 4}));
}

TEST(PcxDecoder, RefusesWhatItCannotRead) {
    auto header = [](auto change) {
        PcxFile f;
        f.width = 8;
        f.height = 8;
        change(f);
        return Header(f);
    };
    auto patched = [](std::vector<std::uint8_t> bytes, std::size_t at, std::uint8_t value) {
        bytes[at] = value;
        return bytes;
    };
    const std::vector<std::uint8_t> valid = header([](PcxFile&) {});
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
    };
    const Case cases[] = {
        {"empty", {}},
        {"short header", std::vector<std::uint8_t>(valid.begin(), valid.begin() + 127)},
        {"not PCX", patched(valid, 0, 0x0B)},
        {"not run-length coded", patched(valid, 2, 0)},
        {"right edge left of the left edge", patched(patched(valid, 4, 9), 8, 8)},
        {"bottom above top", patched(patched(valid, 6, 9), 10, 8)},
        {"too wide", header([](PcxFile& f) { f.width = kPcxMaxSide + 1; })},
        {"too tall", header([](PcxFile& f) { f.height = kPcxMaxSide + 1; })},
        {"too many pixels", header([](PcxFile& f) {
             f.width = 8192;
             f.height = 4096;
         })},
        {"3 bits per pixel", header([](PcxFile& f) { f.bitsPerPixel = 3; })},
        {"16 bits per pixel", header([](PcxFile& f) { f.bitsPerPixel = 16; })},
        {"no planes", header([](PcxFile& f) { f.planes = 0; })},
        {"five planes", header([](PcxFile& f) { f.planes = 5; })},
        {"8 bits in 2 planes", header([](PcxFile& f) { f.planes = 2; })},
        {"4 bits in 4 planes", header([](PcxFile& f) {
             f.bitsPerPixel = 4;
             f.planes = 4;
         })},
        {"lines shorter than the picture", header([](PcxFile& f) { f.bytesPerLine = 7; })},
        {"lines far too long for the height", header([](PcxFile& f) {
             f.width = 1;
             f.height = 16384;
             f.planes = 4;
             f.bytesPerLine = 65535;
         })},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(Decode(c.bytes).has_value()) << c.name;
    }
}

// Damaged files of every sort: no crash, no read past the input, a consistent result.
TEST(PcxDecoder, SurvivesDamagedFiles) {
    PcxFile f;
    f.width = 21;
    f.height = 9;
    f.vgaPalette = VgaColours();
    std::vector<std::vector<int>> rows(f.height, std::vector<int>(f.width));
    for (int y = 0; y < f.height; ++y) {
        for (int x = 0; x < f.width; ++x) {
            rows[y][x] = (x * y) % 256;
        }
    }
    const std::vector<std::uint8_t> original = Encode(f, rows);
    std::mt19937 random(1234);
    for (int round = 0; round < 2000; ++round) {
        std::vector<std::uint8_t> bytes = original;
        const int changes = 1 + static_cast<int>(random() % 8);
        for (int i = 0; i < changes; ++i) {
            bytes[random() % bytes.size()] = static_cast<std::uint8_t>(random());
        }
        bytes.resize(random() % (bytes.size() + 1));
        const auto picture = Decode(bytes);
        if (picture) {
            ASSERT_EQ(picture->rgb.size(),
                      static_cast<std::size_t>(picture->width) * picture->height * 3);
        }
    }
}

}  // namespace
}  // namespace miyoutong
