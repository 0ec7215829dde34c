#include "tests/support/grey_image.h"

namespace test_support {

TGreyImage RenderModules(int n, const std::function<bool(int, int)>& isDark, int quiet, int scale) {
    TGreyImage image;
    image.Width = image.Height = (n + 2 * quiet) * scale;
    image.Pixels.assign(static_cast<std::size_t>(image.Width) * image.Height, 255);
    for (int r = 0; r < n; ++r)
        for (int c = 0; c < n; ++c) {
            if (!isDark(r, c)) continue;
            for (int y = 0; y < scale; ++y) {
                auto* row =
                    &image.Pixels[static_cast<std::size_t>((quiet + r) * scale + y) * image.Width];
                for (int x = 0; x < scale; ++x)
                    row[(quiet + c) * scale + x] = 0;
            }
        }
    return image;
}

} // namespace test_support
