#include "tests/support/zbar_reader.h"

#include <zbar.h>

namespace test_support {

std::vector<std::string> ZbarReadAll(const std::uint8_t* pixels, int width, int height,
                                     int rowStride) {
    // zbar wants a tightly packed Y800 buffer.
    std::vector<std::uint8_t> packed(static_cast<std::size_t>(width) * height);
    const int stride = rowStride > 0 ? rowStride : width;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            packed[static_cast<std::size_t>(y) * width + x] =
                pixels[static_cast<std::size_t>(y) * stride + x];

    zbar::ImageScanner scanner;
    scanner.set_config(zbar::ZBAR_NONE, zbar::ZBAR_CFG_ENABLE, 0);
    scanner.set_config(zbar::ZBAR_QRCODE, zbar::ZBAR_CFG_ENABLE, 1);
    scanner.set_config(zbar::ZBAR_QRCODE, zbar::ZBAR_CFG_BINARY, 1);
    zbar::Image image(static_cast<unsigned>(width), static_cast<unsigned>(height), "Y800",
                      packed.data(), packed.size());
    std::vector<std::string> out;
    if (scanner.scan(image) > 0)
        for (auto s = image.symbol_begin(); s != image.symbol_end(); ++s)
            if (s->get_type() == zbar::ZBAR_QRCODE) out.push_back(s->get_data());
    image.set_data(nullptr, 0);
    return out;
}

std::optional<std::string> ZbarRead(const std::uint8_t* pixels, int width, int height,
                                    int rowStride) {
    auto all = ZbarReadAll(pixels, width, height, rowStride);
    if (all.empty()) return std::nullopt;
    return all.front();
}

std::optional<std::string> ZbarRead(const TGreyImage& image) {
    return ZbarRead(image.Pixels.data(), image.Width, image.Height, image.Width);
}

std::optional<std::string> ZbarReadModules(int n, const std::function<bool(int, int)>& isDark,
                                           int quiet, int scale) {
    return ZbarRead(RenderModules(n, isDark, quiet, scale));
}

} // namespace test_support
