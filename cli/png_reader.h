// Reading a PNG file back into grey pixels, for --verify: the pictures varoku-qr and the
// component write (palette, grey and RGB, with or without alpha, 1 to 16 bits, not
// interlaced). No Qt.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

struct TGreyPicture {
    int Width = 0;
    int Height = 0;
    std::vector<std::uint8_t> Pixels; // row by row, 0 black .. 255 white
};

// The picture, transparency laid over white; the reason in `error` when it cannot be read.
bool DecodePng(std::string_view png, TGreyPicture& out, std::string& error);

} // namespace cli
