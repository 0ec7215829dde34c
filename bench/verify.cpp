// Every encoder's symbol is read back before anything is timed: a peer that quietly
// grew the version, lowered the level or mangled the data would make the figures lie.
#define ZX_USE_UTF8 1
#include <ZXing/ReadBarcode.h>

#include <cstdint>
#include <vector>

#include "bench/cases.h"

namespace bench {

std::string VerifySymbol(const TPeer& peer, const TBenchCase& c) {
    const int side = peer.Side();
    if (side != 17 + 4 * c.Version)
        return "symbol side " + std::to_string(side) + " is not that of version " +
               std::to_string(c.Version);

    constexpr int kScale = 3;
    constexpr int kQuiet = 4;
    const int width = (side + 2 * kQuiet) * kScale;
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * width, 0xFF);
    for (int r = 0; r < side; ++r)
        for (int c2 = 0; c2 < side; ++c2)
            if (peer.Dark(r, c2))
                for (int y = 0; y < kScale; ++y)
                    for (int x = 0; x < kScale; ++x)
                        pixels[static_cast<std::size_t>((r + kQuiet) * kScale + y) * width +
                               (c2 + kQuiet) * kScale + x] = 0;

    ZXing::DecodeHints hints;
    hints.setFormats(ZXing::BarcodeFormat::QRCode).setTryHarder(false).setTryRotate(false);
    const auto result = ZXing::ReadBarcode(
        ZXing::ImageView(pixels.data(), width, width, ZXing::ImageFormat::Lum), hints);
    if (!result.isValid()) return "zxing-cpp cannot read the symbol";
    const auto& bytes = result.bytes();
    if (std::string(bytes.begin(), bytes.end()) != c.Data) return "the symbol carries other data";
    static const char* const kLevels[] = {"L", "M", "Q", "H"};
    if (result.ecLevel() != kLevels[c.Level]) return "the symbol has level " + result.ecLevel();
    return {};
}

} // namespace bench
