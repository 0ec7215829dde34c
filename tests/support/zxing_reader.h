// Decodes QR symbols in a grey picture with zxing-cpp: raw bytes and structured-append
// facts. Kept apart from zbar, whose header cannot share a translation unit with it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/grey_image.h"

namespace test_support {

struct TZxingResult {
    bool Valid = false;
    std::string Bytes;      // the symbol's data bytes, no character set conversion
    std::string Text;       // UTF-8 as zxing-cpp presents them: by ECI, else its own guess
    int SequenceIndex = -1; // structured append: 0-based position, -1 when not linked
    int SequenceSize = -1;  // structured append: number of symbols, -1 when not linked
    std::string SequenceId; // structured append: the parity in decimal
    std::string EcLevel;    // "L", "M", "Q" or "H"
    int Orientation = 0;    // clockwise turn of the symbol in the picture, in degrees
    bool Mirrored = false;  // the symbol was read from its mirror image
    int CenterX = -1;       // centre of the symbol in the picture, in pixels
    int CenterY = -1;
    std::string Error; // reader's message when not valid
};

// Every QR symbol zxing-cpp finds in a width x height 8-bit luminance buffer
// (rowStride bytes per row, 0 = width).
std::vector<TZxingResult> ZxingReadAll(const std::uint8_t* pixels, int width, int height,
                                       int rowStride = 0);
// Every symbol as ZxingReadAll gives them, and the same reading with each
// structured-append set merged as zxing-cpp merges one (MergeStructuredAppendSequences:
// one result, its text decoded over the whole set); a symbol that is not linked comes
// first in Sets, as it was read.
struct TZxingSets {
    std::vector<TZxingResult> Symbols;
    std::vector<TZxingResult> Sets;
};
TZxingSets ZxingReadSets(const TGreyImage& image);
// The first symbol found, or a result with Valid false. pure says the picture holds one
// perfectly aligned symbol and nothing else (faster; reads the exact module grid).
TZxingResult ZxingRead(const std::uint8_t* pixels, int width, int height, int rowStride = 0,
                       bool pure = false);
TZxingResult ZxingRead(const TGreyImage& image, bool pure = false);
// Renders the n x n matrix (see RenderModules) and reads it.
TZxingResult ZxingReadModules(int n, const std::function<bool(int, int)>& isDark, int quiet = 4,
                              int scale = 2, bool pure = false);

} // namespace test_support
