#define ZX_USE_UTF8 1
#include "composer/read_back.h"

#include <ZXing/ReadBarcode.h>

#include <algorithm>
#include <cstdlib>
#include <string_view>
#include <utility>

namespace composer {

namespace {

ZXing::DecodeHints Hints() {
    ZXing::DecodeHints hints;
    hints.setFormats(ZXing::BarcodeFormat::QRCode);
    hints.setTryRotate(false); // a QR symbol is found in any turn without it
    return hints;
}

TReadSymbol Symbol(const ZXing::Result& r) {
    TReadSymbol s;
    const auto& bytes = r.bytes();
    s.Bytes.assign(bytes.begin(), bytes.end());
    s.Text = r.text();
    if (r.isPartOfSequence()) {
        s.Index = r.sequenceIndex();
        s.Count = r.sequenceSize();
    }
    return s;
}

// The cell round `at`, clipped to the picture and enlarged.
std::vector<std::uint8_t> Cell(const std::uint8_t* grey, int width, int height, int stride,
                               const TDrawnSymbols& drawn, TPicturePoint at, int& w, int& h) {
    const int x0 = std::max(0, at.X - drawn.CellWidth / 2);
    const int y0 = std::max(0, at.Y - drawn.CellHeight / 2);
    const int x1 = std::min(width, at.X - drawn.CellWidth / 2 + drawn.CellWidth);
    const int y1 = std::min(height, at.Y - drawn.CellHeight / 2 + drawn.CellHeight);
    const int k = std::max(1, drawn.Enlarge);
    const int pad = std::max(0, drawn.Pad) * k;
    const int cw = std::max(0, x1 - x0) * k;
    const int ch = std::max(0, y1 - y0) * k;
    w = cw + 2 * pad;
    h = ch + 2 * pad;
    std::vector<std::uint8_t> cell(static_cast<std::size_t>(w) * h, 255);
    for (int y = 0; y < ch; ++y)
        for (int x = 0; x < cw; ++x)
            cell[static_cast<std::size_t>(y + pad) * w + x + pad] =
                grey[static_cast<std::size_t>(y0 + y / k) * stride + x0 + x / k];
    return cell;
}

// Code page 932 and the JIS Shift-JIS that phones decode give six characters other code
// points (0x8160 is "～" to the one and "〜" to the other): the same character to
// whoever reads it, so not a difference.
std::string UnifiedVariants(std::string text) {
    static constexpr std::pair<std::string_view, std::string_view> kVariants[] = {
        {"～", "〜"}, {"∥", "‖"}, {"－", "−"}, {"￠", "¢"}, {"￡", "£"}, {"￢", "¬"}};
    for (const auto& [windows, jis] : kVariants)
        for (std::size_t at = 0; (at = text.find(windows, at)) != std::string::npos;
             at += jis.size())
            text.replace(at, windows.size(), jis);
    return text;
}

} // namespace

TReadCheck ReadBack(const std::uint8_t* grey, int width, int height, int rowStride,
                    const TDrawnSymbols& drawn) {
    TReadCheck check;
    const int stride = rowStride > 0 ? rowStride : width;
    ZXing::Results results;
    std::string pieces;
    for (std::size_t i = 0; i < drawn.Centres.size(); ++i) {
        const int place = static_cast<int>(i) + 1;
        int w = 0, h = 0;
        const auto cell = Cell(grey, width, height, stride, drawn, drawn.Centres[i], w, h);
        ZXing::Result r =
            w > 0 && h > 0
                ? ZXing::ReadBarcode(ZXing::ImageView(cell.data(), w, h, ZXing::ImageFormat::Lum),
                                     Hints())
                : ZXing::Result();
        if (!r.isValid()) {
            check.Problem = TReadProblem::Missing;
            check.Symbol = place;
            return check;
        }
        check.Symbols.push_back(Symbol(r));
        const TReadSymbol& s = check.Symbols.back();
        if (drawn.Linked && s.Index + 1 != place) {
            check.Problem = TReadProblem::Misplaced;
            check.Symbol = place;
            check.Found = s.Index + 1;
            return check;
        }
        check.Bytes += s.Bytes;
        pieces += s.Text;
        results.push_back(std::move(r));
    }
    // A phone joins a linked set under its first symbol's character set; plain pieces are
    // read one by one.
    check.Text = pieces;
    if (drawn.Linked && !results.empty()) {
        const ZXing::Results merged = ZXing::MergeStructuredAppendSequences(results);
        if (!merged.empty()) check.Text = merged.front().text();
    }

    const bool bytesDiffer = check.Bytes != drawn.Bytes;
    const bool textDiffers =
        !drawn.Text.empty() && UnifiedVariants(check.Text) != UnifiedVariants(drawn.Text);
    if (bytesDiffer || textDiffers) {
        check.Problem = bytesDiffer ? TReadProblem::BytesDiffer : TReadProblem::TextDiffers;
        // Where they part is told in text when we know the text; bytes otherwise.
        check.Difference = !textDiffers ? FirstDifference(drawn.Bytes, check.Bytes)
                                        : FirstDifference(drawn.Text, check.Text);
    }
    return check;
}

std::string ReadCheckMessage(const TReadCheck& check) {
    const auto where = [&] {
        const TPresentedDifference& d = check.Difference;
        return " (field " + d.Label + ", character " + std::to_string(d.Position) + ": typed \"" +
               d.Typed + "\", a phone shows \"" + d.Shown + "\")";
    };
    switch (check.Problem) {
    case TReadProblem::None:
        return "";
    case TReadProblem::Missing:
        return "symbol " + std::to_string(check.Symbol) + " does not read back";
    case TReadProblem::Misplaced:
        return "symbol " + std::to_string(check.Symbol) + " reads back as symbol " +
               std::to_string(check.Found) + " of the set";
    case TReadProblem::BytesDiffer:
        return "the symbols read back as other bytes than were encoded" + where();
    case TReadProblem::TextDiffers:
        return "a phone shows other text than was typed" + where();
    }
    return "";
}

} // namespace composer
