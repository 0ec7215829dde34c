// PNG files of varoku-qr's pictures, written without Qt: a symbol picture has two
// colours, so it goes out as a 1-bit palette image, several times smaller and cheaper
// to compress than 32-bit pixels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace cli {

// A PNG larger than this (as 32-bit pixels in memory) is refused rather than drawn,
// whether varoku-qr draws it or the component does.
inline constexpr std::uint64_t kMaxBitmapBytes = std::uint64_t{1} << 30;

// The refusal of a width x height PNG past kMaxBitmapBytes, or "".
std::string PngTooLarge(std::uint64_t width, std::uint64_t height);

// What a PNG may carry besides its pixels: the opacity of each palette entry (0
// transparent .. 255 opaque; entries past the end opaque) and the resolution written
// as its pHYs chunk (0: none).
struct TPngExtras {
    std::vector<std::uint8_t> Alpha;
    int Dpi = 0;
};

// PNG bytes of a width x height picture of 0xAARRGGBB pixels (alpha ignored), rows
// `stride` pixels apart. Up to 256 colours give a palette image of the fewest bits per
// pixel that hold them (1, 2, 4 or 8); more give 8-bit RGB. Empty when compression
// fails or the picture is empty.
std::string EncodePng(int width, int height, const std::uint32_t* pixels, std::size_t stride,
                      int dpi = 0);

// PNG bytes of rows already laid out as the file holds them: each row a filter byte
// (0) and then its pixels, `bits` (1, 2, 4 or 8) per pixel as indexes into `palette`
// (0xRRGGBB), or 8-bit RGB when the palette is empty. Empty when compression fails.
std::string PackedPng(int width, int height, int bits, const std::vector<std::uint32_t>& palette,
                      const std::string& rows, const TPngExtras& extras = {});

} // namespace cli
