// Decodes QR symbols in a grey picture with zbar, as raw bytes. zbar reports nothing for
// a structured-append symbol on its own; check linked symbols with zxing-cpp.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/grey_image.h"

namespace test_support {

// The data bytes of every QR symbol zbar finds in a width x height 8-bit luminance
// buffer (rowStride bytes per row, 0 = width).
std::vector<std::string> ZbarReadAll(const std::uint8_t* pixels, int width, int height,
                                     int rowStride = 0);
// The first symbol's bytes, or nothing.
std::optional<std::string> ZbarRead(const std::uint8_t* pixels, int width, int height,
                                    int rowStride = 0);
std::optional<std::string> ZbarRead(const TGreyImage& image);
// Renders the n x n matrix (see RenderModules) and reads it.
std::optional<std::string> ZbarReadModules(int n, const std::function<bool(int, int)>& isDark,
                                           int quiet = 4, int scale = 2);

} // namespace test_support
