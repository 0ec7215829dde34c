#define ZX_USE_UTF8 1
#include "composer/read_back.h"

#include <ZXing/ReadBarcode.h>

#include <algorithm>
#include <cstdlib>

namespace composer {

namespace {

ZXing::DecodeHints Hints() {
    ZXing::DecodeHints hints;
    hints.setFormats(ZXing::BarcodeFormat::QRCode);
    hints.setTryRotate(false); // a QR symbol is found in any turn without it
    hints.setTryDownscale(false);
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
    const ZXing::Position& p = r.position();
    s.CenterX = (p.topLeft().x + p.topRight().x + p.bottomRight().x + p.bottomLeft().x) / 4;
    s.CenterY = (p.topLeft().y + p.topRight().y + p.bottomRight().y + p.bottomLeft().y) / 4;
    return s;
}

// The symbol read nearest to `at`, within tolerance.
const TReadSymbol* At(const std::vector<TReadSymbol>& symbols, TPicturePoint at, int tolerance) {
    const TReadSymbol* best = nullptr;
    long bestDistance = 0;
    for (const TReadSymbol& s : symbols) {
        const long dx = s.CenterX - at.X;
        const long dy = s.CenterY - at.Y;
        const long d = dx * dx + dy * dy;
        if (std::labs(dx) > tolerance || std::labs(dy) > tolerance) continue;
        if (!best || d < bestDistance) {
            best = &s;
            bestDistance = d;
        }
    }
    return best;
}

} // namespace

TReadCheck ReadBack(const std::uint8_t* grey, int width, int height, int rowStride,
                    const TDrawnSymbols& drawn, int tolerance) {
    TReadCheck check;
    const ZXing::ImageView view(grey, width, height, ZXing::ImageFormat::Lum, rowStride);
    const ZXing::Results results = ZXing::ReadBarcodes(view, Hints());
    for (const auto& r : results)
        if (r.isValid()) check.Symbols.push_back(Symbol(r));

    // Each place must hold a symbol, and in a linked set the one whose number it is; the
    // bytes are then joined in place order, which is the set's order.
    const int drawnCount = static_cast<int>(drawn.Centres.size());
    std::string pieces;
    for (int place = 1; place <= drawnCount; ++place) {
        const TReadSymbol* s = At(check.Symbols, drawn.Centres[place - 1], tolerance);
        if (!s) {
            check.Problem = TReadProblem::Missing;
            check.Symbol = place;
            return check;
        }
        if (drawn.Linked && s->Index + 1 != place) {
            check.Problem = TReadProblem::Misplaced;
            check.Symbol = place;
            check.Found = s->Index + 1;
            return check;
        }
        check.Bytes += s->Bytes;
        pieces += s->Text;
    }
    if (static_cast<int>(check.Symbols.size()) > drawnCount) {
        check.Problem = TReadProblem::Extra;
        return check;
    }
    // A phone joins a linked set under its first symbol's character set; plain pieces are
    // read one by one.
    check.Text = pieces;
    if (drawn.Linked) {
        const ZXing::Results merged = ZXing::MergeStructuredAppendSequences(results);
        if (!merged.empty()) check.Text = merged.front().text();
    }

    const bool bytesDiffer = check.Bytes != drawn.Bytes;
    if (bytesDiffer || (!drawn.Text.empty() && check.Text != drawn.Text)) {
        check.Problem = bytesDiffer ? TReadProblem::BytesDiffer : TReadProblem::TextDiffers;
        // Where they part is told in text when we know the text; bytes otherwise.
        check.Difference = drawn.Text.empty() ? FirstDifference(drawn.Bytes, check.Bytes)
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
    case TReadProblem::Extra:
        return "the picture reads back as " + std::to_string(check.Symbols.size()) +
               " symbols, more than were drawn";
    case TReadProblem::BytesDiffer:
        return "the symbols read back as other bytes than were encoded" + where();
    case TReadProblem::TextDiffers:
        return "a phone shows other text than was typed" + where();
    }
    return "";
}

} // namespace composer
