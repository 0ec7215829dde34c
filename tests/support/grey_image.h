// An 8-bit grey picture (0 black, 255 white) for the QR readers of the tests, and the
// rendering of a module matrix into one.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace test_support {

struct TGreyImage {
    int Width = 0;
    int Height = 0;
    std::vector<std::uint8_t> Pixels; // row by row, Width bytes per row
};

// Draws an n x n module matrix (isDark(row, column)) with a light quiet zone of `quiet`
// modules on every side, every module scale x scale pixels.
TGreyImage RenderModules(int n, const std::function<bool(int, int)>& isDark, int quiet = 4,
                         int scale = 2);

} // namespace test_support
