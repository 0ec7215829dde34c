#define ZX_USE_UTF8 1
#include "composer/read_back.h"

#include <ZXing/ReadBarcode.h>

#include <algorithm>
#include <climits>
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

// Joins what was read (check.Symbols, in place order) and compares it with `drawn`.
void Compare(TReadCheck& check, const ZXing::Results& results, const TDrawnSymbols& drawn) {
    check.Bytes.clear();
    check.Text.clear();
    for (const TReadSymbol& s : check.Symbols) {
        check.Bytes += s.Bytes;
        check.Text += s.Text;
    }
    // A phone joins a linked set under its first symbol's character set; plain pieces are
    // read one by one.
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
}

// A box of pixels, both corners inside it; empty until a pixel is taken.
struct TBox {
    int X0 = INT_MAX, Y0 = INT_MAX, X1 = -1, Y1 = -1;
    bool Empty() const { return X1 < X0; }
    void Take(int x, int y) {
        X0 = std::min(X0, x);
        Y0 = std::min(Y0, y);
        X1 = std::max(X1, x);
        Y1 = std::max(Y1, y);
    }
    // `by` pixels larger on every side, clipped to a width x height picture.
    TBox Grown(int by, int width, int height) const {
        return {std::max(0, X0 - by), std::max(0, Y0 - by), std::min(width - 1, X1 + by),
                std::min(height - 1, Y1 + by)};
    }
};

// The box round every dark pixel (below mid-grey) of a picture.
TBox DarkBox(const std::uint8_t* grey, int width, int height, int stride) {
    TBox box;
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = grey + static_cast<std::size_t>(y) * stride;
        for (int x = 0; x < width; ++x)
            if (row[x] < 128) box.Take(x, y);
    }
    return box;
}

// Plain symbols put in the order whose pieces make up the payload, as far as one does;
// the rest follow as found.
void OrderPlainPieces(std::vector<TReadSymbol>& symbols, const std::string& payload) {
    std::size_t at = 0;
    for (std::size_t placed = 0; placed < symbols.size(); ++placed) {
        const auto next = std::find_if(symbols.begin() + static_cast<std::ptrdiff_t>(placed),
                                       symbols.end(), [&](const TReadSymbol& s) {
                                           return !s.Bytes.empty() &&
                                                  payload.compare(at, s.Bytes.size(), s.Bytes) == 0;
                                       });
        if (next == symbols.end()) return;
        at += next->Bytes.size();
        std::iter_swap(symbols.begin() + static_cast<std::ptrdiff_t>(placed), next);
    }
}

} // namespace

TReadCheck ReadBack(const std::uint8_t* grey, int width, int height, int rowStride,
                    const TDrawnSymbols& drawn) {
    TReadCheck check;
    const int stride = rowStride > 0 ? rowStride : width;
    ZXing::Results results;
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
        results.push_back(std::move(r));
    }
    Compare(check, results, drawn);
    return check;
}

TReadCheck ReadPictures(const std::vector<TGreyPicture>& pictures, int symbols,
                        const TDrawnSymbols& drawn) {
    TReadCheck check;
    ZXing::Results results;
    for (const TGreyPicture& picture : pictures) {
        if (!picture.Grey || picture.Width <= 0 || picture.Height <= 0) continue;
        const int stride = picture.RowStride > 0 ? picture.RowStride : picture.Width;
        // Only the part that holds anything dark is read, with a light margin: a printed
        // page is mostly paper.
        TBox box = DarkBox(picture.Grey, picture.Width, picture.Height, stride);
        if (box.Empty()) continue;
        box = box.Grown(std::max(16, std::max(box.X1 - box.X0, box.Y1 - box.Y0) / 20),
                        picture.Width, picture.Height);
        TDrawnSymbols whole = drawn;
        whole.CellWidth = box.X1 - box.X0 + 1;
        whole.CellHeight = box.Y1 - box.Y0 + 1;
        int w = 0, h = 0;
        auto image = Cell(picture.Grey, picture.Width, picture.Height, stride, whole,
                          {box.X0 + whole.CellWidth / 2, box.Y0 + whole.CellHeight / 2}, w, h);
        // One symbol at a time, each whited out once read: zxing-cpp's search for several
        // at once misses some of a set drawn close together.
        for (int found = 0; found <= symbols; ++found) {
            const ZXing::ImageView view(image.data(), w, h, ZXing::ImageFormat::Lum);
            ZXing::Result r = ZXing::ReadBarcode(view, Hints());
            if (!r.isValid()) break;
            TBox read;
            for (const ZXing::PointI& p : r.position())
                read.Take(p.x, p.y);
            read = read.Grown(std::max(2, (read.X1 - read.X0) / 20), w, h);
            for (int y = read.Y0; y <= read.Y1; ++y)
                std::fill_n(image.begin() + static_cast<std::ptrdiff_t>(y) * w + read.X0,
                            read.X1 - read.X0 + 1, 255);
            results.push_back(std::move(r));
        }
    }
    if (drawn.Linked)
        std::stable_sort(results.begin(), results.end(), [](const auto& a, const auto& b) {
            return a.sequenceIndex() < b.sequenceIndex();
        });
    for (const ZXing::Result& r : results)
        check.Symbols.push_back(Symbol(r));
    for (int place = 1; place <= symbols; ++place) {
        const auto k = static_cast<std::size_t>(place - 1);
        if (k >= check.Symbols.size() || (drawn.Linked && check.Symbols[k].Index + 1 != place)) {
            check.Problem = TReadProblem::Missing;
            check.Symbol = place;
            return check;
        }
    }
    if (check.Symbols.size() > static_cast<std::size_t>(symbols)) {
        // One more than was drawn: a symbol twice, or one that is not ours.
        check.Problem = TReadProblem::Misplaced;
        check.Symbol = symbols + 1;
        check.Found = check.Symbols.back().Index + 1;
        return check;
    }
    if (!drawn.Linked) OrderPlainPieces(check.Symbols, drawn.Bytes);
    Compare(check, results, drawn);
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
