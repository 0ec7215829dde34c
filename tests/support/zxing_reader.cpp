#define ZX_USE_UTF8 1
#include "tests/support/zxing_reader.h"

#include <ZXing/ReadBarcode.h>

namespace test_support {

namespace {

ZXing::DecodeHints Hints(bool pure) {
    ZXing::DecodeHints hints;
    hints.setFormats(ZXing::BarcodeFormat::QRCode);
    hints.setIsPure(pure);
    hints.setTryRotate(false);
    hints.setTryDownscale(false);
    return hints;
}

TZxingResult Convert(const ZXing::Result& r) {
    TZxingResult out;
    out.Valid = r.isValid();
    if (!out.Valid) {
        out.Error = r.error() ? r.error().msg() : "no symbol found";
        return out;
    }
    const auto& bytes = r.bytes();
    out.Bytes.assign(bytes.begin(), bytes.end());
    out.Text = r.text();
    out.SequenceIndex = r.sequenceIndex();
    out.SequenceSize = r.sequenceSize();
    out.SequenceId = r.sequenceId();
    out.EcLevel = r.ecLevel();
    out.Orientation = r.orientation();
    out.Mirrored = r.isMirrored();
    const ZXing::Position& p = r.position();
    out.CenterX = (p.topLeft().x + p.topRight().x + p.bottomRight().x + p.bottomLeft().x) / 4;
    out.CenterY = (p.topLeft().y + p.topRight().y + p.bottomRight().y + p.bottomLeft().y) / 4;
    return out;
}

ZXing::ImageView View(const std::uint8_t* pixels, int width, int height, int rowStride) {
    return ZXing::ImageView(pixels, width, height, ZXing::ImageFormat::Lum, rowStride);
}

} // namespace

std::vector<TZxingResult> ZxingReadAll(const std::uint8_t* pixels, int width, int height,
                                       int rowStride) {
    std::vector<TZxingResult> out;
    for (const auto& r : ZXing::ReadBarcodes(View(pixels, width, height, rowStride), Hints(false)))
        out.push_back(Convert(r));
    return out;
}

TZxingSets ZxingReadSets(const TGreyImage& image) {
    ZXing::Results all = ZXing::ReadBarcodes(
        View(image.Pixels.data(), image.Width, image.Height, image.Width), Hints(false));
    // At two pixels a module zxing-cpp 1.4 now and then finds no symbol that ZXing Java
    // reads (a version-16 card, 1 in 2,000); a phone's camera sees more pixels than that,
    // so the picture is read again twice as large. Positions stay the enlarged ones.
    if (all.empty()) {
        TGreyImage large;
        large.Width = image.Width * 2;
        large.Height = image.Height * 2;
        large.Pixels.resize(static_cast<std::size_t>(large.Width) * large.Height);
        for (int y = 0; y < large.Height; ++y)
            for (int x = 0; x < large.Width; ++x)
                large.Pixels[static_cast<std::size_t>(y) * large.Width + x] =
                    image.Pixels[static_cast<std::size_t>(y / 2) * image.Width + x / 2];
        all = ZXing::ReadBarcodes(View(large.Pixels.data(), large.Width, large.Height, large.Width),
                                  Hints(false));
    }
    TZxingSets out;
    // The merge hands back the linked sets only; a symbol of its own stays as read.
    for (const auto& r : all) {
        out.Symbols.push_back(Convert(r));
        if (!r.isPartOfSequence()) out.Sets.push_back(out.Symbols.back());
    }
    for (const auto& r : ZXing::MergeStructuredAppendSequences(all))
        out.Sets.push_back(Convert(r));
    return out;
}

TZxingResult ZxingRead(const std::uint8_t* pixels, int width, int height, int rowStride,
                       bool pure) {
    return Convert(ZXing::ReadBarcode(View(pixels, width, height, rowStride), Hints(pure)));
}

TZxingResult ZxingRead(const TGreyImage& image, bool pure) {
    return ZxingRead(image.Pixels.data(), image.Width, image.Height, image.Width, pure);
}

TZxingResult ZxingReadModules(int n, const std::function<bool(int, int)>& isDark, int quiet,
                              int scale, bool pure) {
    return ZxingRead(RenderModules(n, isDark, quiet, scale), pure);
}

} // namespace test_support
